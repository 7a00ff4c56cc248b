// The menu commands: menus (the menu bar's first two levels), invoke_menu
// (activate an item by a path such as File>Save) and context_menu (open,
// read and close an element's context menu).
#pragma once

#include "daemon/context.h"
#include "daemon/json.h"

namespace uiad {

Json handle_menus(DaemonContext& context, const Json& request);
Json handle_invoke_menu(DaemonContext& context, const Json& request);
Json handle_context_menu(DaemonContext& context, const Json& request);

}  // namespace uiad
