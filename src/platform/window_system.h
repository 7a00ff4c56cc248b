// Window enumeration and information (user32), mirrored call for call.
// Every call is synchronous and never waits for the target application.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/types.h"

namespace uiad::platform {

struct ThreadProcessId {
  std::uint32_t thread_id = 0;  // 0 when the window is not valid
  std::uint32_t process_id = 0;
};

class WindowSystem {
 public:
  WindowSystem() = default;
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;
  virtual ~WindowSystem() = default;

  // EnumWindows: every top-level window, top of the Z order first, visible or
  // not. Returns false when the enumeration failed; `out` then holds what came.
  virtual bool enum_windows(std::vector<Hwnd>& out) = 0;
  // EnumChildWindows: every descendant of `parent`, depth first, each window
  // followed by its own descendants.
  virtual bool enum_child_windows(Hwnd parent, std::vector<Hwnd>& out) = 0;
  // FindWindowExW with a NULL window name; `class_name` nullopt is a NULL class.
  virtual Hwnd find_window_ex(Hwnd parent, Hwnd child_after,
                              const std::optional<WString>& class_name) = 0;

  // GetWindowTextW / GetClassNameW into a buffer of `max_count` UTF-16 units:
  // what arrives holds at most max_count - 1 units; empty means the call
  // returned 0 (no text or a failure).
  virtual WString get_window_text(Hwnd hwnd, int max_count) = 0;
  virtual WString get_class_name(Hwnd hwnd, int max_count) = 0;
  virtual std::optional<Rect> get_window_rect(Hwnd hwnd) = 0;

  virtual bool is_window(Hwnd hwnd) = 0;
  virtual bool is_window_visible(Hwnd hwnd) = 0;
  virtual bool is_iconic(Hwnd hwnd) = 0;
  virtual ThreadProcessId get_window_thread_process_id(Hwnd hwnd) = 0;
  // DwmGetWindowAttribute(DWMWA_CLOAKED): non-zero when the compositor hides a
  // window the user cannot see although IsWindowVisible is true (another virtual
  // desktop, a suspended app frame).
  virtual Result<std::uint32_t> dwm_get_window_attribute_cloaked(Hwnd hwnd) = 0;
  // IsHungAppWindow: the window's thread has not taken messages for a while
  // (five seconds on Windows). Asks the system, never the application.
  virtual bool is_hung_app_window(Hwnd hwnd) = 0;

  // GetWindowLongW / SetWindowLongW (SetWindowLongW returns the previous value).
  virtual std::int32_t get_window_long(Hwnd hwnd, int index) = 0;
  virtual std::int32_t set_window_long(Hwnd hwnd, int index, std::int32_t value) = 0;

  // ChildWindowFromPointEx with a point in `parent`'s client coordinates.
  virtual Hwnd child_window_from_point_ex(Hwnd parent, Point client_point, std::uint32_t flags) = 0;
  // ScreenToClient; nullopt when the call fails.
  virtual std::optional<Point> screen_to_client(Hwnd hwnd, Point screen_point) = 0;
};

}  // namespace uiad::platform
