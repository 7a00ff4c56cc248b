// wait_for_change: polls a small fingerprint of the desktop until it differs
// from the one taken when the request arrived, or until the timeout.
// Runs on the request thread and blocks it for up to the timeout plus a poll.
#pragma once

#include <cstddef>
#include <string>

#include "daemon/handler.h"
#include "platform/automation.h"
#include "platform/platform.h"

namespace uiad {

// What one poll sees of the desktop.
struct WindowSnapshot {
  std::string foreground_title;
  std::size_t window_count = 0;  // titled top-level windows the user can see
  std::string focused_name;
  std::string focused_value;  // the first 80 scalar values
};

WindowSnapshot take_window_snapshot(platform::Platform& platform, platform::Automation& automation);

Json handle_wait_for_change(DaemonContext& context, const Json& request);

}  // namespace uiad
