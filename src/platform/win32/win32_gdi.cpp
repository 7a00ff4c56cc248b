// GDI capture calls, one for one.
#include "platform/win32/win32_gdi.h"

#include <cstdlib>

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {
namespace {

HDC dc(platform::Hdc hdc) { return to_handle<HDC>(hdc); }
HGDIOBJ obj(platform::Hgdiobj object) { return to_handle<HGDIOBJ>(object); }

// Room for the largest colour table GetDIBits may write after the header.
struct BitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

// The bytes GetDIBits writes for `lines` rows of an uncompressed layout, or -1
// when the layout is one whose size we do not know beforehand.
long long required_bytes(const BITMAPINFOHEADER& header, std::uint32_t lines) {
  if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) return -1;
  long long width = std::llabs(static_cast<long long>(header.biWidth));
  long long stride = (width * header.biBitCount + 31) / 32 * 4;
  return stride * lines;
}

}  // namespace

platform::Hdc Win32Gdi::get_dc(platform::Hwnd hwnd) {
  return from_handle(GetDC(to_handle<HWND>(hwnd)));
}

platform::Hdc Win32Gdi::create_compatible_dc(platform::Hdc hdc) {
  return from_handle(CreateCompatibleDC(dc(hdc)));
}

platform::Hgdiobj Win32Gdi::create_compatible_bitmap(platform::Hdc hdc, std::int32_t width,
                                                     std::int32_t height) {
  return from_handle(CreateCompatibleBitmap(dc(hdc), width, height));
}

platform::Hgdiobj Win32Gdi::select_object(platform::Hdc hdc, platform::Hgdiobj object) {
  return from_handle(SelectObject(dc(hdc), obj(object)));
}

bool Win32Gdi::print_window(platform::Hwnd hwnd, platform::Hdc hdc, std::uint32_t flags) {
  return PrintWindow(to_handle<HWND>(hwnd), dc(hdc), flags) != FALSE;
}

int Win32Gdi::get_di_bits(platform::Hdc hdc, platform::Hgdiobj bitmap, std::uint32_t start,
                          std::uint32_t lines, std::span<std::uint8_t> bits,
                          platform::BitmapInfoHeader& header, std::uint32_t usage) {
  BitmapInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = header.width;
  info.header.biHeight = header.height;
  info.header.biPlanes = header.planes;
  info.header.biBitCount = header.bit_count;
  info.header.biCompression = header.compression;
  info.header.biSizeImage = header.size_image;
  info.header.biXPelsPerMeter = header.x_pels_per_meter;
  info.header.biYPelsPerMeter = header.y_pels_per_meter;
  info.header.biClrUsed = header.clr_used;
  info.header.biClrImportant = header.clr_important;

  // GetDIBits trusts the buffer to hold every row asked for; refuse a buffer
  // that is too small rather than let it write past the end. No buffer at all
  // is the documented way to ask for the header only.
  void* buffer = bits.empty() ? nullptr : bits.data();
  if (buffer != nullptr) {
    long long needed = required_bytes(info.header, lines);
    if (needed < 0 || static_cast<unsigned long long>(needed) > bits.size()) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
  }
  int copied = GetDIBits(dc(hdc), static_cast<HBITMAP>(obj(bitmap)), start, lines, buffer,
                         reinterpret_cast<BITMAPINFO*>(&info), usage);

  header.size = info.header.biSize;
  header.width = info.header.biWidth;
  header.height = info.header.biHeight;
  header.planes = info.header.biPlanes;
  header.bit_count = info.header.biBitCount;
  header.compression = info.header.biCompression;
  header.size_image = info.header.biSizeImage;
  header.x_pels_per_meter = info.header.biXPelsPerMeter;
  header.y_pels_per_meter = info.header.biYPelsPerMeter;
  header.clr_used = info.header.biClrUsed;
  header.clr_important = info.header.biClrImportant;
  return copied;
}

bool Win32Gdi::delete_object(platform::Hgdiobj object) {
  return DeleteObject(obj(object)) != FALSE;
}

bool Win32Gdi::delete_dc(platform::Hdc hdc) { return DeleteDC(dc(hdc)) != FALSE; }

int Win32Gdi::release_dc(platform::Hwnd hwnd, platform::Hdc hdc) {
  return ReleaseDC(to_handle<HWND>(hwnd), dc(hdc));
}

}  // namespace uiad::win32
