// Text helpers of the simulator: JSON string escaping and class-name
// comparison, kept here so the simulator depends on the platform headers only.
#pragma once

#include <string>
#include <string_view>

#include "platform/utf.h"

namespace uiad::sim {

using platform::utf16_to_utf8;
using platform::utf8_to_utf16;

// Appends `text` (UTF-8) as a JSON string literal, quotes included.
void append_json_string(std::string& out, std::string_view text);

// ASCII-only case-insensitive comparisons, as window class names compare.
bool equals_ignoring_ascii_case(std::u16string_view a, std::u16string_view b);
bool contains_ignoring_ascii_case(std::u16string_view text, std::u16string_view part);

}  // namespace uiad::sim
