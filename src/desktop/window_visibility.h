// What the user can see of a window, and which processes make up an
// application (a frame window's process and those of the windows it hosts).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace uiad {

// DwmGetWindowAttribute(DWMWA_CLOAKED) is non-zero: the window is on another
// virtual desktop or is a suspended app frame. A failing call counts as shown.
bool is_window_cloaked(platform::WindowSystem& windows, platform::Hwnd hwnd);

// IsWindowVisible and not cloaked: a window the user can see on this desktop.
bool is_shown_to_user(platform::WindowSystem& windows, platform::Hwnd hwnd);

// The process of the window, then those of its descendant windows, each once.
// A packaged application's frame belongs to a host process while its content
// window (and its popups) belong to the application's own process.
std::vector<std::uint32_t> application_process_ids(platform::WindowSystem& windows,
                                                   platform::Hwnd window);

bool contains_process(const std::vector<std::uint32_t>& processes, std::uint32_t process_id);

}  // namespace uiad
