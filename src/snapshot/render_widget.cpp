// Three-level render widget search with FindWindowExW.
#include "snapshot/render_widget.h"

namespace uiad {

std::optional<platform::Hwnd> find_render_widget(platform::WindowSystem& windows,
                                                 platform::Hwnd window) {
  const std::optional<platform::WString> widget_class{kRenderWidgetClass};
  const std::optional<platform::WString> any_class;
  if (auto found = windows.find_window_ex(window, 0, widget_class)) return found;
  for (platform::Hwnd child = windows.find_window_ex(window, 0, any_class); child != 0;
       child = windows.find_window_ex(window, child, any_class)) {
    if (auto found = windows.find_window_ex(child, 0, widget_class)) return found;
    for (platform::Hwnd grandchild = windows.find_window_ex(child, 0, any_class); grandchild != 0;
         grandchild = windows.find_window_ex(child, grandchild, any_class)) {
      if (auto found = windows.find_window_ex(grandchild, 0, widget_class)) return found;
    }
  }
  return std::nullopt;
}

}  // namespace uiad
