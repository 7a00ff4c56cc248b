// user32 message and input calls, one for one.
#include "platform/win32/win32_input.h"

#include <limits>
#include <vector>

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {
namespace {

using platform::Hwnd;

HWND hw(Hwnd hwnd) { return to_handle<HWND>(hwnd); }

#if defined(_WIN64)
// The record sizes the receiving side checks (SendInput's cbSize, GetGUIThreadInfo's
// cbSize) are the 64-bit ones.
static_assert(sizeof(INPUT) == 40);
static_assert(sizeof(GUITHREADINFO) == 72);
#endif

INPUT to_input(const platform::InputRecord& record) {
  INPUT input{};
  input.type = record.type;
  if (record.type == platform::kInputKeyboard) {
    input.ki.wVk = record.vk;
    input.ki.wScan = record.scan;
    input.ki.dwFlags = record.flags;
    input.ki.time = record.time;
    input.ki.dwExtraInfo = static_cast<ULONG_PTR>(record.extra_info);
  } else {
    input.mi.dx = record.dx;
    input.mi.dy = record.dy;
    input.mi.mouseData = record.mouse_data;
    input.mi.dwFlags = record.flags;
    input.mi.time = record.time;
    input.mi.dwExtraInfo = static_cast<ULONG_PTR>(record.extra_info);
  }
  return input;
}

}  // namespace

bool Win32Input::post_message(Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                              std::int64_t lparam) {
  return PostMessageW(hw(hwnd), msg, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam)) !=
         FALSE;
}

std::int64_t Win32Input::send_message_text(Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                                           const platform::WString& text) {
  // c_str() is NUL-terminated; the receiver reads up to the first NUL.
  return SendMessageW(hw(hwnd), msg, static_cast<WPARAM>(wparam),
                      reinterpret_cast<LPARAM>(text.c_str()));
}

std::int64_t Win32Input::send_message(Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                                      std::int64_t lparam) {
  return SendMessageW(hw(hwnd), msg, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

std::uint32_t Win32Input::send_input(std::span<const platform::InputRecord> inputs) {
  if (inputs.empty() || inputs.size() > std::numeric_limits<UINT>::max()) return 0;
  std::vector<INPUT> records;
  records.reserve(inputs.size());
  for (const platform::InputRecord& record : inputs) records.push_back(to_input(record));
  return SendInput(static_cast<UINT>(records.size()), records.data(), sizeof(INPUT));
}

bool Win32Input::set_cursor_pos(std::int32_t x, std::int32_t y) {
  return SetCursorPos(x, y) != FALSE;
}

std::optional<platform::Point> Win32Input::get_cursor_pos() {
  POINT point{};
  if (!GetCursorPos(&point)) return std::nullopt;
  return platform::Point{point.x, point.y};
}

Hwnd Win32Input::get_foreground_window() { return from_handle(GetForegroundWindow()); }

bool Win32Input::set_foreground_window(Hwnd hwnd) { return SetForegroundWindow(hw(hwnd)) != FALSE; }

std::uint32_t Win32Input::get_current_thread_id() { return GetCurrentThreadId(); }

bool Win32Input::attach_thread_input(std::uint32_t attach, std::uint32_t attach_to,
                                     bool attach_on) {
  return AttachThreadInput(attach, attach_to, attach_on ? TRUE : FALSE) != FALSE;
}

std::optional<platform::GuiThreadInfo> Win32Input::get_gui_thread_info(std::uint32_t thread_id) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(GUITHREADINFO);
  if (!GetGUIThreadInfo(thread_id, &info)) return std::nullopt;
  return platform::GuiThreadInfo{from_handle(info.hwndActive), from_handle(info.hwndFocus),
                                 from_handle(info.hwndCapture), from_handle(info.hwndMenuOwner)};
}

std::int32_t Win32Input::get_system_metrics(int index) { return GetSystemMetrics(index); }

std::uint32_t Win32Input::map_virtual_key(std::uint32_t code, std::uint32_t map_type) {
  return MapVirtualKeyW(code, map_type);
}

std::int16_t Win32Input::vk_key_scan(char16_t ch) { return VkKeyScanW(static_cast<WCHAR>(ch)); }

}  // namespace uiad::win32
