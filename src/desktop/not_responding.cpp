// The not-responding test made before a command acts on a window.
#include "desktop/not_responding.h"

#include "desktop/app_window.h"

namespace uiad {

std::optional<std::string> not_responding_error(platform::WindowSystem& windows,
                                                std::string_view command, platform::Hwnd window) {
  if (!windows.is_hung_app_window(window)) return std::nullopt;
  // GetWindowTextW reads a window of another process without asking it.
  return std::string(command) + ": '" + window_title(windows, window) + "' is not responding";
}

}  // namespace uiad
