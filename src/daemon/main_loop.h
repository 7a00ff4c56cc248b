// The daemon's life: start-up (DPI awareness, COM, the automation object, the
// ready line), the request loop, and the exit. Runs on the calling thread,
// which becomes the request thread.
#pragma once

#include "daemon/transport.h"
#include "platform/platform.h"

namespace uiad {

// Serves requests from `transport` until shutdown, end of input or a read
// failure. Returns the process exit status, which is 0 on every path.
int run_daemon(platform::Platform& platform, Transport& transport);

}  // namespace uiad
