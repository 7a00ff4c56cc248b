// Looking for a browser-engine render widget inside a top-level window: its
// presence makes the scan read current properties and skip edit windows.
#pragma once

#include <optional>

#include "platform/types.h"
#include "platform/window_system.h"

namespace uiad {

// The class name of the render widget window.
inline constexpr char16_t kRenderWidgetClass[] = u"Chrome_RenderWidgetHostHWND";

// A window of the render widget class among the children, grandchildren and
// great-grandchildren of `window` (FindWindowExW), all levels below one child
// searched before the next child.
std::optional<platform::Hwnd> find_render_widget(platform::WindowSystem& windows,
                                                 platform::Hwnd window);

}  // namespace uiad
