// The read-only desktop listing commands: windows, list_apps and foreground.
#pragma once

#include "daemon/context.h"
#include "daemon/json.h"

namespace uiad {

Json handle_windows(DaemonContext& context, const Json& request);
Json handle_list_apps(DaemonContext& context, const Json& request);
Json handle_foreground(DaemonContext& context, const Json& request);

}  // namespace uiad
