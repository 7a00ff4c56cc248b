// UTF-8 and UTF-16 encoding shared by the logic and both platform
// implementations: platform text arrives as UTF-16 and leaves as UTF-8.
// Ill-formed UTF-8 and unpaired surrogates become U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace uiad::platform {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Length of the well-formed UTF-8 sequence at the start of `s` (n bytes
// available), or 0 when the bytes there are ill-formed (Unicode Table 3-7).
inline std::size_t utf8_sequence_length(const unsigned char* s, std::size_t n) {
  const unsigned char b0 = s[0];
  if (b0 < 0x80) return 1;
  if (b0 < 0xC2) return 0;
  auto cont = [](unsigned char b) { return (b & 0xC0) == 0x80; };
  if (b0 < 0xE0) return n >= 2 && cont(s[1]) ? 2 : 0;
  if (b0 < 0xF0) {
    if (n < 3 || !cont(s[1]) || !cont(s[2])) return 0;
    if (b0 == 0xE0 && s[1] < 0xA0) return 0;   // overlong
    if (b0 == 0xED && s[1] >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (b0 < 0xF5) {
    if (n < 4 || !cont(s[1]) || !cont(s[2]) || !cont(s[3])) return 0;
    if (b0 == 0xF0 && s[1] < 0x90) return 0;   // overlong
    if (b0 == 0xF4 && s[1] >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

// Decodes one character at `pos` and advances it; ill-formed bytes decode as
// U+FFFD one byte at a time.
inline char32_t decode_utf8(std::string_view text, std::size_t& pos) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  switch (utf8_sequence_length(s, text.size() - pos)) {
    case 1:
      pos += 1;
      return s[0];
    case 2:
      pos += 2;
      return (char32_t{s[0] & 0x1Fu} << 6) | (s[1] & 0x3Fu);
    case 3:
      pos += 3;
      return (char32_t{s[0] & 0x0Fu} << 12) | (char32_t{s[1] & 0x3Fu} << 6) | (s[2] & 0x3Fu);
    case 4:
      pos += 4;
      return (char32_t{s[0] & 0x07u} << 18) | (char32_t{s[1] & 0x3Fu} << 12) |
             (char32_t{s[2] & 0x3Fu} << 6) | (s[3] & 0x3Fu);
    default:
      pos += 1;
      return kReplacementCharacter;
  }
}

inline void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

inline void append_utf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

inline std::string utf16_to_utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      append_utf8(out, kReplacementCharacter);
    } else {
      append_utf8(out, u);
    }
  }
  return out;
}

inline std::u16string utf8_to_utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) append_utf16(out, decode_utf8(text, pos));
  return out;
}

}  // namespace uiad::platform
