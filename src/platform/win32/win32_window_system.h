// Window enumeration and information over user32.
#pragma once

#include "platform/window_system.h"

namespace uiad::win32 {

class Win32WindowSystem final : public platform::WindowSystem {
 public:
  bool enum_windows(std::vector<platform::Hwnd>& out) override;
  bool enum_child_windows(platform::Hwnd parent, std::vector<platform::Hwnd>& out) override;
  platform::Hwnd find_window_ex(platform::Hwnd parent, platform::Hwnd child_after,
                                const std::optional<platform::WString>& class_name) override;

  platform::WString get_window_text(platform::Hwnd hwnd, int max_count) override;
  platform::WString get_class_name(platform::Hwnd hwnd, int max_count) override;
  std::optional<platform::Rect> get_window_rect(platform::Hwnd hwnd) override;

  bool is_window(platform::Hwnd hwnd) override;
  bool is_window_visible(platform::Hwnd hwnd) override;
  bool is_iconic(platform::Hwnd hwnd) override;
  platform::ThreadProcessId get_window_thread_process_id(platform::Hwnd hwnd) override;
  platform::Result<std::uint32_t> dwm_get_window_attribute_cloaked(platform::Hwnd hwnd) override;
  bool is_hung_app_window(platform::Hwnd hwnd) override;

  std::int32_t get_window_long(platform::Hwnd hwnd, int index) override;
  std::int32_t set_window_long(platform::Hwnd hwnd, int index, std::int32_t value) override;

  platform::Hwnd child_window_from_point_ex(platform::Hwnd parent, platform::Point client_point,
                                            std::uint32_t flags) override;
  std::optional<platform::Point> screen_to_client(platform::Hwnd hwnd,
                                                  platform::Point screen_point) override;
};

}  // namespace uiad::win32
