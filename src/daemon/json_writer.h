// The compact JSON serializer of every output line: keys in byte order, the
// protocol's string escapes and its integer and floating-point forms.
#pragma once

#include <string>
#include <string_view>

#include "daemon/json.h"

namespace uiad {

// `value` as one compact line of JSON text (no trailing LF).
std::string serialize_json(const Json& value);

// Appends the compact text of `value` to `out`; lets a caller reuse one buffer.
void append_json(std::string& out, const Json& value);

// Appends the protocol's form of a 64-bit floating-point number (12.0, 0.001,
// 1e+16, -0.0; NaN and infinities as null).
void append_json_double(std::string& out, double value);

// Appends `text` as a JSON string with the protocol's escapes.
void append_json_string(std::string& out, std::string_view text);

// A value already serialized by this writer, spliced into the output as it
// stands. Results with hundreds of thousands of members (the element map of a
// scan) are written straight to text this way instead of being built as a
// tree of values first. Request parsing never produces one.
Json raw_json(std::string text);

}  // namespace uiad
