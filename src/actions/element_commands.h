// Element commands that send input without a UI Automation pattern (perform,
// key, mouse_click, hover) or scroll through the scroll pattern with posted
// fallbacks (scroll). Each answers exactly one response object.
#pragma once

#include "daemon/context.h"
#include "daemon/json.h"

namespace uiad {

// A named action (press, show_menu, increment, decrement and their aliases)
// delivered as posted messages at the element's recorded centre.
Json handle_perform(DaemonContext& context, const Json& request);

// A key name, one character or a run of text as posted key or character
// messages, optionally after focusing an element.
Json handle_key(DaemonContext& context, const Json& request);

// Posted left or right clicks (1 to 3) at the element's recorded centre.
Json handle_mouse_click(DaemonContext& context, const Json& request);

// Rests the pointer on the element and reports the windows that appeared and
// whether the foreground moved.
Json handle_hover(DaemonContext& context, const Json& request);

// Scrolls the element's nearest scrollable ancestor through the scroll
// pattern, else with a posted wheel notch or navigation key.
Json handle_scroll(DaemonContext& context, const Json& request);

}  // namespace uiad
