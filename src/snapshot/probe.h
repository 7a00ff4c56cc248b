// The `probe` command: whether an element id still resolves in the session
// kept by the last scan. Answers from the tables only; never an error.
#pragma once

#include "daemon/context.h"
#include "daemon/json.h"

namespace uiad {

Json handle_probe(DaemonContext& context, const Json& request);

}  // namespace uiad
