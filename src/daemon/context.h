// The daemon's state, owned by the main loop for the life of the process and
// lent to handlers. Only the request thread touches it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "daemon/session.h"
#include "platform/automation.h"
#include "platform/platform.h"

namespace uiad {

struct DaemonContext {
  explicit DaemonContext(platform::Platform& p, platform::Ref<platform::Automation> a)
      : platform(p), automation(std::move(a)) {}

  platform::Platform& platform;
  // Declared before `sessions` so that the sessions' element references are
  // released before the automation object.
  platform::Ref<platform::Automation> automation;
  std::unordered_map<std::string, Session> sessions;
  std::uint64_t element_counter = 0;
};

}  // namespace uiad
