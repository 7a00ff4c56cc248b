// GDI window capture, mirrored call for call. Every DC and object obtained is
// released by the caller before the response.
#pragma once

#include <cstdint>
#include <span>

#include "platform/types.h"

namespace uiad::platform {

inline constexpr std::uint32_t kPwRenderFullContent = 2;
inline constexpr std::uint32_t kDibRgbColors = 0;

struct BitmapInfoHeader {
  std::uint32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bit_count = 32;
  std::uint32_t compression = 0;
  std::uint32_t size_image = 0;
  std::int32_t x_pels_per_meter = 0;
  std::int32_t y_pels_per_meter = 0;
  std::uint32_t clr_used = 0;
  std::uint32_t clr_important = 0;
};

class Gdi {
 public:
  Gdi() = default;
  Gdi(const Gdi&) = delete;
  Gdi& operator=(const Gdi&) = delete;
  virtual ~Gdi() = default;

  virtual Hdc get_dc(Hwnd hwnd) = 0;
  virtual Hdc create_compatible_dc(Hdc hdc) = 0;
  virtual Hgdiobj create_compatible_bitmap(Hdc hdc, std::int32_t width, std::int32_t height) = 0;
  virtual Hgdiobj select_object(Hdc hdc, Hgdiobj object) = 0;
  virtual bool print_window(Hwnd hwnd, Hdc hdc, std::uint32_t flags) = 0;
  // GetDIBits into `bits`, laid out as `header` asks; returns the lines copied.
  virtual int get_di_bits(Hdc hdc, Hgdiobj bitmap, std::uint32_t start, std::uint32_t lines,
                          std::span<std::uint8_t> bits, BitmapInfoHeader& header,
                          std::uint32_t usage) = 0;
  virtual bool delete_object(Hgdiobj object) = 0;
  virtual bool delete_dc(Hdc hdc) = 0;
  virtual int release_dc(Hwnd hwnd, Hdc hdc) = 0;
};

}  // namespace uiad::platform
