// Visibility as the user sees it and the processes of an application.
#include "desktop/window_visibility.h"

#include <algorithm>

namespace uiad {

bool is_window_cloaked(platform::WindowSystem& windows, platform::Hwnd hwnd) {
  const auto cloaked = windows.dwm_get_window_attribute_cloaked(hwnd);
  return cloaked.succeeded() && cloaked.value != 0;
}

bool is_shown_to_user(platform::WindowSystem& windows, platform::Hwnd hwnd) {
  return windows.is_window_visible(hwnd) && !is_window_cloaked(windows, hwnd);
}

std::vector<std::uint32_t> application_process_ids(platform::WindowSystem& windows,
                                                   platform::Hwnd window) {
  std::vector<std::uint32_t> processes;
  auto add = [&](platform::Hwnd hwnd) {
    const std::uint32_t pid = windows.get_window_thread_process_id(hwnd).process_id;
    if (pid != 0 && !contains_process(processes, pid)) processes.push_back(pid);
  };
  add(window);
  std::vector<platform::Hwnd> children;
  (void)windows.enum_child_windows(window, children);
  for (platform::Hwnd child : children) add(child);
  return processes;
}

bool contains_process(const std::vector<std::uint32_t>& processes, std::uint32_t process_id) {
  return std::find(processes.begin(), processes.end(), process_id) != processes.end();
}

}  // namespace uiad
