// Text helpers of the simulator: UTF-8 and UTF-16 conversion and JSON string
// escaping, kept here so the simulator depends on the platform headers only.
#pragma once

#include <string>
#include <string_view>

namespace uiad::sim {

// Ill-formed input becomes U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);

// Appends `text` (UTF-8) as a JSON string literal, quotes included.
void append_json_string(std::string& out, std::string_view text);

// ASCII-only case-insensitive comparisons, as window class names compare.
bool equals_ignoring_ascii_case(std::u16string_view a, std::u16string_view b);
bool contains_ignoring_ascii_case(std::u16string_view text, std::u16string_view part);

}  // namespace uiad::sim
