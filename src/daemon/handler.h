// The shape of every command handler: a plain function over the context and
// the request object that returns the whole response object.
#pragma once

#include "daemon/context.h"
#include "daemon/json.h"

namespace uiad {

using Handler = Json (*)(DaemonContext& context, const Json& request);

}  // namespace uiad
