// The short role word of a UI Automation control type (button, input, row...).
#pragma once

#include <string_view>

#include "platform/types.h"

namespace uiad {

// Control types outside 50000..50036, including 0 from a failed read, are "group".
std::string_view role_for_control_type(platform::ControlTypeId control_type);

}  // namespace uiad
