// screenshot: choose the window (handle, session, title), refuse what cannot
// be drawn, capture it through GDI and write the bitmap file.
#include "windows/screenshot.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "daemon/element_lookup.h"
#include "daemon/platform_error.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/app_window.h"
#include "desktop/not_responding.h"

namespace uiad {
namespace {

constexpr const char* kDefaultPath = "screenshot.bmp";
constexpr const char* kPrefix = "screenshot: ";

void put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Releases the capture's DCs and bitmap in the order GDI needs: the bitmap
// leaves the memory DC before it can be deleted.
struct CaptureObjects {
  platform::Gdi& gdi;
  platform::Hdc screen = 0;
  platform::Hdc memory = 0;
  platform::Hgdiobj bitmap = 0;
  platform::Hgdiobj old = 0;

  void release() {
    if (memory != 0 && old != 0) (void)gdi.select_object(memory, old);
    if (bitmap != 0) (void)gdi.delete_object(bitmap);
    if (memory != 0) (void)gdi.delete_dc(memory);
    if (screen != 0) (void)gdi.release_dc(0, screen);
    screen = memory = bitmap = old = 0;
  }
  ~CaptureObjects() { release(); }
};

std::optional<platform::Hwnd> choose_window(DaemonContext& context, std::string_view raw,
                                            const std::string& key) {
  platform::WindowSystem& windows = context.platform.windows;
  if (auto handle = parse_window_handle(windows, raw)) return handle;
  if (auto session = context.sessions.find(key); session != context.sessions.end())
    return session->second.window;
  if (auto found = find_window_by_title(windows, key)) return found->hwnd;
  return std::nullopt;
}

}  // namespace

std::variant<WindowCapture, std::string> capture_window(platform::Gdi& gdi, platform::Hwnd window,
                                                        std::int32_t width, std::int32_t height) {
  CaptureObjects objects{gdi};
  objects.screen = gdi.get_dc(0);
  objects.memory = gdi.create_compatible_dc(objects.screen);
  objects.bitmap = gdi.create_compatible_bitmap(objects.screen, width, height);
  // Without a bitmap PrintWindow would draw into the DC's 1x1 stock bitmap
  // and succeed, and the answer would be a black picture reported as taken.
  if (objects.bitmap == 0) return std::string("CreateCompatibleBitmap failed");
  objects.old = gdi.select_object(objects.memory, objects.bitmap);
  if (!gdi.print_window(window, objects.memory, platform::kPwRenderFullContent) &&
      !gdi.print_window(window, objects.memory, 0)) {
    return std::string("PrintWindow failed");
  }
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
  const std::size_t size = row_bytes * static_cast<std::size_t>(height);
  WindowCapture capture{width, height, std::make_unique_for_overwrite<std::uint8_t[]>(size), {}};
  capture.pixels = {capture.bytes.get(), size};
  platform::BitmapInfoHeader header;
  header.width = width;
  header.height = -height;
  // GetDIBits wants the bitmap out of every DC: put the DC's own bitmap back
  // first. The rows a failing call did not copy stay black, as in a
  // zero-filled buffer.
  (void)gdi.select_object(objects.memory, objects.old);
  objects.old = 0;
  const int copied =
      gdi.get_di_bits(objects.memory, objects.bitmap, 0, static_cast<std::uint32_t>(height),
                      capture.pixels, header, platform::kDibRgbColors);
  const std::size_t copied_rows =
      static_cast<std::size_t>(std::clamp(copied, 0, static_cast<int>(height)));
  std::memset(capture.bytes.get() + copied_rows * row_bytes, 0, size - copied_rows * row_bytes);
  objects.release();
  return capture;
}

std::array<std::uint8_t, kBmpHeaderSize> bmp_header(std::int32_t width, std::int32_t height) {
  const auto image_size =
      static_cast<std::uint32_t>(static_cast<std::uint64_t>(width) * height * 4);
  std::array<std::uint8_t, kBmpHeaderSize> h{};
  h[0] = 'B';
  h[1] = 'M';
  put32(&h[2], static_cast<std::uint32_t>(kBmpHeaderSize) + image_size);
  put32(&h[10], static_cast<std::uint32_t>(kBmpHeaderSize));
  put32(&h[14], 40);
  put32(&h[18], static_cast<std::uint32_t>(width));
  put32(&h[22], static_cast<std::uint32_t>(-height));
  put16(&h[26], 1);
  put16(&h[28], 32);
  put32(&h[34], image_size);
  return h;
}

std::optional<std::string> write_bmp(platform::Platform& platform, const std::string& path,
                                     const WindowCapture& capture) {
  if (path.find('\0') != std::string::npos)
    return std::string("strings passed to WinAPI cannot contain NULs");
  platform::Files& files = platform.files;
  auto file = files.create_file_for_write(unicode::utf8_to_utf16(path));
  if (file.hr != platform::kSOk)
    return os_error_text(platform.com, static_cast<std::uint32_t>(file.hr));
  const auto header = bmp_header(capture.width, capture.height);
  platform::HResult hr = files.write_file(file.value, header);
  if (hr == platform::kSOk) hr = files.write_file(file.value, capture.pixels);
  // Closed in every case; a close that fails may have lost written bytes too.
  const platform::HResult closed = files.close_file(file.value);
  if (hr == platform::kSOk) hr = closed;
  if (hr != platform::kSOk) return os_error_text(platform.com, static_cast<std::uint32_t>(hr));
  return std::nullopt;
}

Json handle_screenshot(DaemonContext& context, const Json& request) {
  const std::string raw = string_field_or(request, "app", "");
  const std::string key = unicode::to_lower_whole(raw);
  const std::string path = string_field_or(request, "path", kDefaultPath);
  platform::WindowSystem& windows = context.platform.windows;

  const auto window = choose_window(context, raw, key);
  if (!window) return error_response(std::string(kPrefix) + "window not found '" + key + "'");
  // PrintWindow sends the window WM_PRINT and waits for it.
  if (auto hung = not_responding_error(windows, "screenshot", *window)) {
    return error_response(std::move(*hung));
  }
  if (windows.is_iconic(*window)) {
    return error_response(std::string(kPrefix) +
                          "window is minimized \u2014 it has no content to capture; restore or "
                          "pick a visible window");
  }
  const auto rect = windows.get_window_rect(*window);
  if (!rect) return error_response(std::string(kPrefix) + "GetWindowRect failed");
  const std::int64_t width = std::int64_t{rect->right} - rect->left;
  const std::int64_t height = std::int64_t{rect->bottom} - rect->top;
  if (width < 1 || height < 1) return error_response(std::string(kPrefix) + "zero-size window");

  if (width > INT32_MAX || height > INT32_MAX)
    return error_response(std::string(kPrefix) + "CreateCompatibleBitmap failed");
  auto capture = capture_window(context.platform.gdi, *window, static_cast<std::int32_t>(width),
                                static_cast<std::int32_t>(height));
  if (auto* error = std::get_if<std::string>(&capture)) return error_response(kPrefix + *error);
  if (auto error = write_bmp(context.platform, path, std::get<WindowCapture>(capture)))
    return error_response(kPrefix + *error);
  return ok_response(Json{{"path", path}});
}

}  // namespace uiad
