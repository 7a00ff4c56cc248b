// UTF-8 validation and decoding, UTF-16 conversion, White_Space trimming and
// the two lower-case mappings over the generated tables.
#include "daemon/unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "daemon/unicode_tables.h"

namespace uiad::unicode {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool in_ranges(const tables::CodePointRange* ranges, std::size_t size, char32_t c) {
  const tables::CodePointRange* end = ranges + size;
  const tables::CodePointRange* it = std::upper_bound(
      ranges, end, c, [](char32_t v, const tables::CodePointRange& r) { return v < r.first; });
  return it != ranges && c <= (it - 1)->last;
}

bool is_cased(char32_t c) { return in_ranges(tables::kCased, tables::kCasedSize, c); }
bool is_case_ignorable(char32_t c) {
  return in_ranges(tables::kCaseIgnorable, tables::kCaseIgnorableSize, c);
}

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when the
// bytes there are ill-formed (Unicode Table 3-7).
std::size_t sequence_length(const unsigned char* s, std::size_t n) {
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
char32_t decode_next(std::string_view text, std::size_t& pos) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const std::size_t len = sequence_length(s, text.size() - pos);
  switch (len) {
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
      return kReplacement;
  }
}

// Decodes the character that ends just before `end`; moves `end` to its start.
char32_t decode_previous(std::string_view text, std::size_t& end) {
  std::size_t start = end - 1;
  // A well-formed character has at most three continuation bytes.
  while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
    --start;
  }
  std::size_t pos = start;
  const char32_t c = decode_next(text, pos);
  if (pos != end) {
    // Not one well-formed character: treat the last byte on its own.
    end -= 1;
    return kReplacement;
  }
  end = start;
  return c;
}

void append_utf8(std::string& out, char32_t c) {
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

// Appends the full default lower-case mapping of `c` (itself when it has none).
void append_lower(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
    return;
  }
  const tables::SpecialMapping* special_end = tables::kSpecialLower + tables::kSpecialLowerSize;
  const tables::SpecialMapping* special =
      std::lower_bound(tables::kSpecialLower, special_end, c,
                       [](const tables::SpecialMapping& m, char32_t v) { return m.from < v; });
  if (special != special_end && special->from == c) {
    out.append(special->to);
    return;
  }
  const tables::SimpleMapping* simple_end = tables::kSimpleLower + tables::kSimpleLowerSize;
  const tables::SimpleMapping* simple =
      std::lower_bound(tables::kSimpleLower, simple_end, c,
                       [](const tables::SimpleMapping& m, char32_t v) { return m.from < v; });
  append_utf8(out, simple != simple_end && simple->from == c ? simple->to : c);
}

constexpr char32_t kCapitalSigma = 0x03A3;
constexpr char32_t kFinalSigma = 0x03C2;

// The Final_Sigma context of the character at [start, end): preceded by a
// cased character and any case-ignorables, and not followed by case-ignorables
// and a cased character.
bool is_final_sigma(std::string_view text, std::size_t start, std::size_t end) {
  bool preceded = false;
  for (std::size_t pos = start; pos > 0;) {
    const char32_t c = decode_previous(text, pos);
    if (is_cased(c)) {
      preceded = true;
      break;
    }
    if (!is_case_ignorable(c)) break;
  }
  if (!preceded) return false;
  for (std::size_t pos = end; pos < text.size();) {
    const char32_t c = decode_next(text, pos);
    if (is_cased(c)) return false;
    if (!is_case_ignorable(c)) break;
  }
  return true;
}

bool is_ascii_run(const char* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) & 0x80) return false;
  }
  return true;
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    // Requests are almost all ASCII: skip it eight bytes at a time.
    if (i + 8 <= n && is_ascii_run(text.data() + i, 8)) {
      i += 8;
      continue;
    }
    const std::size_t len = sequence_length(s + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string utf16_to_utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      append_utf8(out, kReplacement);
    } else {
      append_utf8(out, u);
    }
  }
  return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = decode_next(text, pos);
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

bool is_white_space(char32_t c) {
  return in_ranges(tables::kWhiteSpace, tables::kWhiteSpaceSize, c);
}

std::string_view trim_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t next = begin;
    if (!is_white_space(decode_next(text, next))) break;
    begin = next;
  }
  std::size_t end = text.size();
  while (end > begin) {
    std::size_t previous = end;
    if (!is_white_space(decode_previous(text, previous))) break;
    end = previous;
  }
  return text.substr(begin, end - begin);
}

std::string to_lower_whole(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t c = decode_next(text, pos);
    if (c == kCapitalSigma && is_final_sigma(text, start, pos)) {
      append_utf8(out, kFinalSigma);
    } else {
      append_lower(out, c);
    }
  }
  return out;
}

std::string to_lower_per_char(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) append_lower(out, decode_next(text, pos));
  return out;
}

}  // namespace uiad::unicode
