// user32 window calls, one for one.
#include "platform/win32/win32_window_system.h"

#include <dwmapi.h>

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {
namespace {

using platform::Hwnd;
using platform::WString;

HWND hw(Hwnd hwnd) { return to_handle<HWND>(hwnd); }

// Collects every window the enumeration reports; never stops it early.
BOOL CALLBACK collect_window(HWND hwnd, LPARAM out) {
  reinterpret_cast<std::vector<Hwnd>*>(out)->push_back(from_handle(hwnd));
  return TRUE;
}

template <class Call>
WString read_text(int max_count, Call call) {
  if (max_count <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(max_count), L'\0');
  int length = call(buffer.data(), max_count);
  if (length <= 0) return {};
  if (length > max_count) length = max_count;
  return WString(reinterpret_cast<const char16_t*>(buffer.data()),
                 static_cast<std::size_t>(length));
}

}  // namespace

bool Win32WindowSystem::enum_windows(std::vector<Hwnd>& out) {
  return EnumWindows(collect_window, reinterpret_cast<LPARAM>(&out)) != FALSE;
}

bool Win32WindowSystem::enum_child_windows(Hwnd parent, std::vector<Hwnd>& out) {
  return EnumChildWindows(hw(parent), collect_window, reinterpret_cast<LPARAM>(&out)) != FALSE;
}

Hwnd Win32WindowSystem::find_window_ex(Hwnd parent, Hwnd child_after,
                                       const std::optional<WString>& class_name) {
  const wchar_t* name =
      class_name ? reinterpret_cast<const wchar_t*>(class_name->c_str()) : nullptr;
  return from_handle(FindWindowExW(hw(parent), hw(child_after), name, nullptr));
}

WString Win32WindowSystem::get_window_text(Hwnd hwnd, int max_count) {
  return read_text(max_count, [hwnd](wchar_t* buffer, int count) {
    return GetWindowTextW(hw(hwnd), buffer, count);
  });
}

WString Win32WindowSystem::get_class_name(Hwnd hwnd, int max_count) {
  return read_text(max_count, [hwnd](wchar_t* buffer, int count) {
    return GetClassNameW(hw(hwnd), buffer, count);
  });
}

std::optional<platform::Rect> Win32WindowSystem::get_window_rect(Hwnd hwnd) {
  RECT rect{};
  if (!GetWindowRect(hw(hwnd), &rect)) return std::nullopt;
  return platform::Rect{rect.left, rect.top, rect.right, rect.bottom};
}

bool Win32WindowSystem::is_window(Hwnd hwnd) { return IsWindow(hw(hwnd)) != FALSE; }

bool Win32WindowSystem::is_window_visible(Hwnd hwnd) { return IsWindowVisible(hw(hwnd)) != FALSE; }

bool Win32WindowSystem::is_iconic(Hwnd hwnd) { return IsIconic(hw(hwnd)) != FALSE; }

platform::ThreadProcessId Win32WindowSystem::get_window_thread_process_id(Hwnd hwnd) {
  DWORD process_id = 0;
  DWORD thread_id = GetWindowThreadProcessId(hw(hwnd), &process_id);
  return {thread_id, process_id};
}

platform::Result<std::uint32_t> Win32WindowSystem::dwm_get_window_attribute_cloaked(Hwnd hwnd) {
  DWORD cloaked = 0;
  const HRESULT hr = DwmGetWindowAttribute(hw(hwnd), DWMWA_CLOAKED, &cloaked, sizeof cloaked);
  return {static_cast<platform::HResult>(hr), SUCCEEDED(hr) ? cloaked : 0};
}

bool Win32WindowSystem::is_hung_app_window(Hwnd hwnd) { return IsHungAppWindow(hw(hwnd)) != FALSE; }

std::int32_t Win32WindowSystem::get_window_long(Hwnd hwnd, int index) {
  return GetWindowLongW(hw(hwnd), index);
}

std::int32_t Win32WindowSystem::set_window_long(Hwnd hwnd, int index, std::int32_t value) {
  return SetWindowLongW(hw(hwnd), index, value);
}

Hwnd Win32WindowSystem::child_window_from_point_ex(Hwnd parent, platform::Point client_point,
                                                   std::uint32_t flags) {
  POINT point{client_point.x, client_point.y};
  return from_handle(ChildWindowFromPointEx(hw(parent), point, flags));
}

std::optional<platform::Point> Win32WindowSystem::screen_to_client(Hwnd hwnd,
                                                                   platform::Point screen_point) {
  POINT point{screen_point.x, screen_point.y};
  if (!ScreenToClient(hw(hwnd), &point)) return std::nullopt;
  return platform::Point{point.x, point.y};
}

}  // namespace uiad::win32
