// GDI window capture over user32 and gdi32.
#pragma once

#include "platform/gdi.h"

namespace uiad::win32 {

class Win32Gdi final : public platform::Gdi {
 public:
  platform::Hdc get_dc(platform::Hwnd hwnd) override;
  platform::Hdc create_compatible_dc(platform::Hdc hdc) override;
  platform::Hgdiobj create_compatible_bitmap(platform::Hdc hdc, std::int32_t width,
                                             std::int32_t height) override;
  platform::Hgdiobj select_object(platform::Hdc hdc, platform::Hgdiobj object) override;
  bool print_window(platform::Hwnd hwnd, platform::Hdc hdc, std::uint32_t flags) override;
  int get_di_bits(platform::Hdc hdc, platform::Hgdiobj bitmap, std::uint32_t start,
                  std::uint32_t lines, std::span<std::uint8_t> bits,
                  platform::BitmapInfoHeader& header, std::uint32_t usage) override;
  bool delete_object(platform::Hgdiobj object) override;
  bool delete_dc(platform::Hdc hdc) override;
  int release_dc(platform::Hwnd hwnd, platform::Hdc hdc) override;
};

}  // namespace uiad::win32
