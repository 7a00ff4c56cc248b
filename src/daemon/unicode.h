// Unicode services over UTF-8 text: validation, UTF-16 conversion, the
// White_Space set and the two lower-case mappings. Tables are generated from
// the Unicode Character Database by tools/gen_unicode_tables.py.
#pragma once

#include <string>
#include <string_view>

namespace uiad::unicode {

// True when `text` is well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool is_valid_utf8(std::string_view text);

// UTF-16 code units to UTF-8; every unpaired surrogate becomes U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);
// Well-formed UTF-8 to UTF-16 (ill-formed bytes become U+FFFD).
std::u16string utf8_to_utf16(std::string_view text);

// The White_Space property.
bool is_white_space(char32_t c);
// `text` without White_Space characters at both ends.
std::string_view trim_white_space(std::string_view text);

// Whole-string lower-casing with the full default mappings and the final-sigma
// context rule (app keys, session keys).
std::string to_lower_whole(std::string_view text);
// Character-by-character full lower-case mapping without context rules
// (U+0130 becomes "i" U+0307; a final capital sigma becomes U+03C3).
std::string to_lower_per_char(std::string_view text);

}  // namespace uiad::unicode
