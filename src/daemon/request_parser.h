// Parsing one trimmed request line into a JSON value: strict RFC 8259, a later
// duplicate key wins, and nesting deeper than kMaxJsonDepth is a fault.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "daemon/json.h"

namespace uiad {

// Arrays and objects may nest this deep; one more level is a parse fault.
inline constexpr int kMaxJsonDepth = 127;

struct ParseFault {
  // "<fault> at line <L> column <C>", the column counted in bytes from 1.
  std::string text;
};

// The value of `line`, or the description of its first fault.
std::variant<Json, ParseFault> parse_request(std::string_view line);

}  // namespace uiad
