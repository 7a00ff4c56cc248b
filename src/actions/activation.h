// Activating an element through UI Automation: Invoke (timed), Toggle, Select,
// Expand, the first that accepts. Used by click and focus.
#pragma once

#include "daemon/context.h"
#include "platform/automation.h"

namespace uiad::actions {

// True when one of the element's patterns accepted the activation. An Invoke
// that is still running after 800 ms counts as accepted.
bool activate_element(platform::Platform& p, platform::Element& e);

// ElementFromPoint at the screen point, kept only when it belongs to the
// application of `window` (its process or that of one of its child windows):
// another application's window may cover the point, and its controls are not
// ours to press or to type into.
platform::Ref<platform::Element> application_element_at(DaemonContext& context,
                                                        platform::Hwnd window,
                                                        platform::Point screen_point);

// application_element_at, then activate_element on what it found; false when
// nothing of the application was found or nothing accepted.
bool activate_element_at(DaemonContext& context, platform::Hwnd window,
                         platform::Point screen_point);

}  // namespace uiad::actions
