// The element commands read their request keys with the shared helpers.
#pragma once

#include "daemon/request_fields.h"

namespace uiad::actions {

using uiad::bool_field_or;
using uiad::count_field;
using uiad::non_negative_field;
using uiad::request_member;
using uiad::string_field;
using uiad::string_field_or;

}  // namespace uiad::actions
