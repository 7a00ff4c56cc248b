// The compact JSON serializer of every output line: keys in byte order, the
// protocol's string escapes and its integer and floating-point forms.
#pragma once

#include <string>

#include "daemon/json.h"

namespace uiad {

// `value` as one compact line of JSON text (no trailing LF).
std::string serialize_json(const Json& value);

// Appends the compact text of `value` to `out`; lets a caller reuse one buffer.
void append_json(std::string& out, const Json& value);

// Appends the protocol's form of a 64-bit floating-point number (12.0, 0.001,
// 1e+16, -0.0; NaN and infinities as null).
void append_json_double(std::string& out, double value);

}  // namespace uiad
