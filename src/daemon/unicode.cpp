// UTF-8 validation and decoding, UTF-16 conversion, White_Space trimming and
// the two lower-case mappings over the generated tables.
#include "daemon/unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "daemon/unicode_tables.h"
#include "platform/utf.h"

namespace uiad::unicode {
namespace {

constexpr char32_t kReplacement = platform::kReplacementCharacter;

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

using platform::append_utf8;
using platform::decode_utf8;

// Decodes the character that ends just before `end`; moves `end` to its start.
char32_t decode_previous(std::string_view text, std::size_t& end) {
  std::size_t start = end - 1;
  // A well-formed character has at most three continuation bytes.
  while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
    --start;
  }
  std::size_t pos = start;
  const char32_t c = decode_utf8(text, pos);
  if (pos != end) {
    // Not one well-formed character: treat the last byte on its own.
    end -= 1;
    return kReplacement;
  }
  end = start;
  return c;
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
    const char32_t c = decode_utf8(text, pos);
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
    const std::size_t len = platform::utf8_sequence_length(s + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string utf16_to_utf8(std::u16string_view text) { return platform::utf16_to_utf8(text); }

std::u16string utf8_to_utf16(std::string_view text) { return platform::utf8_to_utf16(text); }

bool is_white_space(char32_t c) {
  return in_ranges(tables::kWhiteSpace, tables::kWhiteSpaceSize, c);
}

std::string_view trim_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t next = begin;
    if (!is_white_space(decode_utf8(text, next))) break;
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
    const char32_t c = decode_utf8(text, pos);
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
  for (std::size_t pos = 0; pos < text.size();) append_lower(out, decode_utf8(text, pos));
  return out;
}

}  // namespace uiad::unicode
