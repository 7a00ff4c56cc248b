// GDI capture over the simulated desktop: PrintWindow paints the window (see
// sim_paint.h), GetDIBits copies 32-bit pixels.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_paint.h"
#include "platform/sim/sim_services.h"

namespace uiad::sim {
namespace {

// Bitmaps larger than this fail to be created, as GDI runs out of memory.
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 26;

HandleEntry* find(SimState& s, std::uint64_t value, std::initializer_list<HandleKind> kinds) {
  auto it = s.handles.find(value);
  if (it == s.handles.end()) return nullptr;
  for (HandleKind k : kinds) {
    if (it->second.kind == k) return &it->second;
  }
  return nullptr;
}

}  // namespace

platform::Hdc SimGdi::get_dc(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (state_->check_window_call(Method::GetDC, w).faulted) return 0;
  if (hwnd != 0 && (w == kNone || !state_->model.windows[w].exists)) return 0;
  HandleEntry entry;
  entry.kind = hwnd == 0 ? HandleKind::ScreenDc : HandleKind::WindowDc;
  entry.hwnd = hwnd;
  return state_->new_handle(std::move(entry));
}

platform::Hdc SimGdi::create_compatible_dc(platform::Hdc hdc) {
  std::lock_guard lock(state_->mutex);
  if (hdc != 0 &&
      find(*state_, hdc, {HandleKind::ScreenDc, HandleKind::WindowDc, HandleKind::MemoryDc}) ==
          nullptr) {
    return 0;
  }
  HandleEntry entry;
  entry.kind = HandleKind::MemoryDc;
  entry.selected = kStockBitmap;
  return state_->new_handle(std::move(entry));
}

platform::Hgdiobj SimGdi::create_compatible_bitmap(platform::Hdc hdc, std::int32_t width,
                                                   std::int32_t height) {
  std::lock_guard lock(state_->mutex);
  if (state_->check_call(Method::CreateCompatibleBitmap).faulted) return 0;
  if (find(*state_, hdc, {HandleKind::ScreenDc, HandleKind::WindowDc, HandleKind::MemoryDc}) ==
      nullptr) {
    return 0;
  }
  if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxBitmapPixels) {
    return 0;
  }
  HandleEntry entry;
  entry.kind = HandleKind::Bitmap;
  entry.width = width;
  entry.height = height;
  entry.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
  return state_->new_handle(std::move(entry));
}

platform::Hgdiobj SimGdi::select_object(platform::Hdc hdc, platform::Hgdiobj object) {
  std::lock_guard lock(state_->mutex);
  HandleEntry* dc = find(*state_, hdc, {HandleKind::MemoryDc});
  if (dc == nullptr) return 0;
  if (object != kStockBitmap) {
    HandleEntry* bitmap = find(*state_, object, {HandleKind::Bitmap});
    // A bitmap can be selected into one DC at a time.
    if (bitmap == nullptr || (bitmap->selected != 0 && bitmap->selected != hdc)) return 0;
    bitmap->selected = hdc;
  }
  const std::uint64_t previous = dc->selected;
  if (previous != object && previous != kStockBitmap) {
    if (HandleEntry* old = find(*state_, previous, {HandleKind::Bitmap})) old->selected = 0;
  }
  dc->selected = object;
  return previous;
}

bool SimGdi::print_window(platform::Hwnd hwnd, platform::Hdc hdc, std::uint32_t flags) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  HandleEntry* dc = find(*state_, hdc, {HandleKind::MemoryDc, HandleKind::WindowDc});
  // Logged failed too, so a test sees which flags were tried in which order.
  if (state_->check_window_call(Method::PrintWindow, w, flags).faulted || w == kNone ||
      !state_->model.windows[w].exists || dc == nullptr) {
    state_->emit(
        state_->event("print_window").unum("hwnd", hwnd).unum("flags", flags).boolean("ok", false));
    return false;
  }
  state_->emit(state_->event("print_window").unum("hwnd", hwnd).unum("flags", flags));
  if (dc->kind != HandleKind::MemoryDc || dc->selected == kStockBitmap) return true;
  HandleEntry* bitmap = find(*state_, dc->selected, {HandleKind::Bitmap});
  if (bitmap == nullptr) return true;
  const Rect r = state_->model.windows[w].rect;
  paint_window(*state_, w, {r.left, r.top}, *bitmap);
  return true;
}

int SimGdi::get_di_bits(platform::Hdc hdc, platform::Hgdiobj bitmap_handle, std::uint32_t start,
                        std::uint32_t lines, std::span<std::uint8_t> bits,
                        platform::BitmapInfoHeader& header, std::uint32_t usage) {
  std::lock_guard lock(state_->mutex);
  if (state_->check_call(Method::GetDIBits).faulted) return 0;
  if (find(*state_, hdc, {HandleKind::ScreenDc, HandleKind::WindowDc, HandleKind::MemoryDc}) ==
      nullptr) {
    return 0;
  }
  HandleEntry* bitmap = find(*state_, bitmap_handle, {HandleKind::Bitmap});
  // GetDIBits documents that the bitmap must not be selected into a DC; the
  // simulator refuses, so a capture that reads it selected shows as failing.
  if (bitmap == nullptr || bitmap->selected != 0 || usage != platform::kDibRgbColors ||
      header.size != 40 || header.bit_count != 32 || header.compression != 0 ||
      header.width != bitmap->width) {
    return 0;
  }
  const bool top_down = header.height < 0;
  const std::int64_t height = top_down ? -static_cast<std::int64_t>(header.height) : header.height;
  if (height != bitmap->height || start >= static_cast<std::uint64_t>(height)) return 0;
  const std::uint32_t count =
      std::min<std::uint32_t>(lines, static_cast<std::uint32_t>(height - start));
  const std::size_t row_bytes = static_cast<std::size_t>(bitmap->width) * 4;
  if (bits.size() < static_cast<std::size_t>(count) * row_bytes) return 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    // Scan line `start + i` counts from the bottom of the bitmap.
    const std::uint32_t scan = start + i;
    const std::size_t source_row = static_cast<std::size_t>(height - 1 - scan);
    const std::size_t target_row = top_down ? static_cast<std::size_t>(count - 1 - i) : i;
    std::memcpy(bits.data() + target_row * row_bytes,
                bitmap->pixels.data() + source_row * row_bytes, row_bytes);
  }
  header.size_image = static_cast<std::uint32_t>(row_bytes * bitmap->height);
  return static_cast<int>(count);
}

bool SimGdi::delete_object(platform::Hgdiobj object) {
  std::lock_guard lock(state_->mutex);
  HandleEntry* bitmap = find(*state_, object, {HandleKind::Bitmap});
  // Like GDI: an object still selected into a DC is not deleted.
  if (bitmap == nullptr || bitmap->selected != 0) return false;
  state_->handles.erase(object);
  return true;
}

bool SimGdi::delete_dc(platform::Hdc hdc) {
  std::lock_guard lock(state_->mutex);
  HandleEntry* dc = find(*state_, hdc, {HandleKind::MemoryDc});
  if (dc == nullptr) return false;
  if (HandleEntry* bitmap = find(*state_, dc->selected, {HandleKind::Bitmap})) bitmap->selected = 0;
  state_->handles.erase(hdc);
  return true;
}

int SimGdi::release_dc(platform::Hwnd hwnd, platform::Hdc hdc) {
  std::lock_guard lock(state_->mutex);
  HandleEntry* dc = find(*state_, hdc, {HandleKind::ScreenDc, HandleKind::WindowDc});
  if (dc == nullptr || dc->hwnd != hwnd) return 0;
  state_->handles.erase(hdc);
  return 1;
}

}  // namespace uiad::sim
