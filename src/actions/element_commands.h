// The element commands. click (also answering to focus), attrs, set_value and
// set_focused activate an element and put text into it; perform, key,
// mouse_click and hover send input without a UI Automation pattern; scroll
// goes through the scroll pattern with posted fallbacks. Each answers exactly
// one response object.
#pragma once

#include "daemon/context.h"
#include "daemon/json.h"

namespace uiad {

// Invoke, Toggle, Select or Expand, else posted clicks; a button with its own
// window and a tab take their own ways. `focus` is the same handler and its
// messages also begin "click: ".
Json handle_click(DaemonContext& context, const Json& request);

// The recorded properties and the patterns the live element offers now.
Json handle_attrs(DaemonContext& context, const Json& request);

// The Value pattern, typed characters, or a native edit control's text.
Json handle_set_value(DaemonContext& context, const Json& request);

// A posted click at the centre after soft activation; answers {"ok":true}.
Json handle_set_focused(DaemonContext& context, const Json& request);

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
