// screenshot: draws one top-level window into a memory bitmap with
// PrintWindow and writes it as an uncompressed top-down 32-bit BMP file.
// Every GDI object is released before the file is written, and no file is
// created or touched before the capture succeeded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "daemon/handler.h"
#include "platform/platform.h"

namespace uiad {

inline constexpr std::size_t kBmpHeaderSize = 54;

struct WindowCapture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  // width * height * 4 bytes, top row first. Not value-initialised: GetDIBits
  // writes every byte, and only the rows it did not copy are cleared.
  std::unique_ptr<std::uint8_t[]> bytes;
  std::span<std::uint8_t> pixels;
};

// The window drawn with PW_RENDERFULLCONTENT, else with no flags; the error
// text when both fail. The pixels stay black when GetDIBits fails.
std::variant<WindowCapture, std::string> capture_window(platform::Gdi& gdi, platform::Hwnd window,
                                                        std::int32_t width, std::int32_t height);

// BITMAPFILEHEADER and BITMAPINFOHEADER of a top-down 32-bit picture.
std::array<std::uint8_t, kBmpHeaderSize> bmp_header(std::int32_t width, std::int32_t height);

// Writes the header and the pixels; the error text on failure (the file may
// then be incomplete).
std::optional<std::string> write_bmp(platform::Platform& platform, const std::string& path,
                                     const WindowCapture& capture);

Json handle_screenshot(DaemonContext& context, const Json& request);

}  // namespace uiad
