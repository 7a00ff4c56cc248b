// The generated Unicode property and case-mapping tables (unicode_tables.cpp,
// written by tools/gen_unicode_tables.py). Every table is sorted by code point.
#pragma once

#include <cstddef>
#include <cstdint>

namespace uiad::unicode::tables {

struct CodePointRange {
  char32_t first;
  char32_t last;  // inclusive
};

struct SimpleMapping {
  char32_t from;
  char32_t to;
};

// A full mapping to more than one character, or one that differs from the
// simple mapping; `to` is NUL-terminated UTF-8.
struct SpecialMapping {
  char32_t from;
  const char* to;
};

extern const char kUnicodeVersion[];

extern const CodePointRange kWhiteSpace[];
extern const std::size_t kWhiteSpaceSize;
extern const CodePointRange kCased[];
extern const std::size_t kCasedSize;
extern const CodePointRange kCaseIgnorable[];
extern const std::size_t kCaseIgnorableSize;
extern const SimpleMapping kSimpleLower[];
extern const std::size_t kSimpleLowerSize;
extern const SpecialMapping kSpecialLower[];
extern const std::size_t kSpecialLowerSize;

}  // namespace uiad::unicode::tables
