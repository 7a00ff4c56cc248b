// Unicode services: UTF-8 validation, UTF-16 conversion, White_Space trimming
// and both lower-case mappings, with the generated tables checked entry by
// entry against the Unicode Character Database when it is installed.
#include "daemon/unicode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "daemon/unicode_tables.h"

namespace uiad::unicode {
namespace {

std::string encode(char32_t c) {
  std::u16string units;
  if (c >= 0x10000) {
    units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
  } else {
    units.push_back(static_cast<char16_t>(c));
  }
  return utf16_to_utf8(units);
}

TEST(Utf8Validation, AcceptsWellFormedText) {
  EXPECT_TRUE(is_valid_utf8(""));
  EXPECT_TRUE(is_valid_utf8("plain ascii text of some length"));
  EXPECT_TRUE(
      is_valid_utf8("\xC2\x80 \xDF\xBF \xE0\xA0\x80 \xED\x9F\xBF \xEE\x80\x80 "
                    "\xF0\x90\x80\x80 \xF4\x8F\xBF\xBF"));
}

TEST(Utf8Validation, RejectsIllFormedText) {
  for (const char* bad : {"\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                          "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF",
                          "abc\xC3", "\xE2\x80", "abcdefgh\xE2\x28\xA1"}) {
    EXPECT_FALSE(is_valid_utf8(bad)) << bad;
  }
}

TEST(Utf16Conversion, PairsAndUnpairedSurrogates) {
  EXPECT_EQ(utf16_to_utf8(u"Ab\u00E9\u2014"), "Ab\xC3\xA9\xE2\x80\x94");
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xD83D}), replacement);
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xDE00, 'a'}), replacement + "a");
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xD83D, 'a', 0xD83D, 0xD83D, 0xDE00}),
            replacement + "a" + replacement + "\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8_to_utf16("x\xF0\x9F\x98\x80"), (std::u16string{'x', 0xD83D, 0xDE00}));
  EXPECT_EQ(utf8_to_utf16("a\xFF"), (std::u16string{'a', 0xFFFD}));
}

TEST(WhiteSpace, TrimsUnicodeWhiteSpaceAtBothEnds) {
  EXPECT_EQ(trim_white_space(" \t{\"cmd\":\"ping\"}\r\x0B\x0C"), "{\"cmd\":\"ping\"}");
  // U+00A0, U+3000, U+2028 and U+0085 around the text; U+200B is not white space.
  EXPECT_EQ(trim_white_space("\xC2\xA0\xE3\x80\x80x y\xE2\x80\xA8\xC2\x85"), "x y");
  EXPECT_EQ(trim_white_space("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx");
  EXPECT_EQ(trim_white_space(" \t\xE2\x80\x83 "), "");
  EXPECT_EQ(trim_white_space(""), "");
}

TEST(LowerCase, FullMappingsPerCharacter) {
  EXPECT_EQ(to_lower_per_char("NOTEPAD"), "notepad");
  EXPECT_EQ(to_lower_per_char("\xC4\xB0"), "i\xCC\x87");                 // U+0130
  EXPECT_EQ(to_lower_per_char("\xCE\xA3\xCE\xA3"), "\xCF\x83\xCF\x83");  // no final sigma
  EXPECT_EQ(to_lower_per_char("\xC3\x89t\xC3\xA9 \xF0\x90\x90\x80"),     // U+10400 -> U+10428
            "\xC3\xA9t\xC3\xA9 \xF0\x90\x90\xA8");
}

TEST(LowerCase, WholeStringAppliesFinalSigma) {
  const std::string sigma = "\xCF\x83", final_sigma = "\xCF\x82";
  // ΟΔΟΣ -> οδος with a final sigma; a lone Σ stays σ.
  EXPECT_EQ(to_lower_whole("\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3"),
            "\xCE\xBF\xCE\xB4\xCE\xBF" + final_sigma);
  EXPECT_EQ(to_lower_whole("\xCE\xA3"), sigma);
  // Σ inside a word is medial; before a blank it is final.
  EXPECT_EQ(to_lower_whole("A\xCE\xA3"
                           "B"),
            "a" + sigma + "b");
  EXPECT_EQ(to_lower_whole("A\xCE\xA3 B"), "a" + final_sigma + " b");
  // Case-ignorable characters (an apostrophe, a combining mark) are skipped
  // on both sides.
  EXPECT_EQ(to_lower_whole("A'\xCE\xA3"), "a'" + final_sigma);
  EXPECT_EQ(to_lower_whole("A\xCE\xA3\xCC\x81'B"), "a" + sigma + "\xCC\x81'b");
  EXPECT_EQ(to_lower_whole("\xC4\xB0STANBUL"), "i\xCC\x87stanbul");
}

TEST(LowerCase, IllFormedInputBecomesReplacementCharacters) {
  EXPECT_EQ(to_lower_per_char("A\xFF"), "a\xEF\xBF\xBD");
  EXPECT_EQ(to_lower_whole("\xCE\xA3\xFF"), "\xCF\x83\xEF\xBF\xBD");
}

// --- The generated tables against the Unicode Character Database. -----------

const std::filesystem::path kUcd = "/usr/share/unicode";

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line.substr(0, line.find('#')));
  for (std::string field; std::getline(stream, field, ';');) {
    const auto b = field.find_first_not_of(' ');
    const auto e = field.find_last_not_of(' ');
    fields.push_back(b == std::string::npos ? "" : field.substr(b, e - b + 1));
  }
  return fields;
}

std::set<char32_t> property_set(const std::string& file, const std::string& property) {
  std::set<char32_t> set;
  std::ifstream in(kUcd / file);
  for (std::string line; std::getline(in, line);) {
    const auto f = fields_of(line);
    if (f.size() < 2 || f[1] != property) continue;
    const auto dots = f[0].find("..");
    const char32_t first = std::stoul(f[0].substr(0, dots), nullptr, 16);
    const char32_t last =
        dots == std::string::npos ? first : std::stoul(f[0].substr(dots + 2), nullptr, 16);
    for (char32_t c = first; c <= last; ++c) set.insert(c);
  }
  return set;
}

class UnicodeDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kUcd / "UnicodeData.txt")) {
      GTEST_SKIP() << "the Unicode Character Database is not installed";
    }
  }
};

TEST_F(UnicodeDatabase, TablesAreFromTheInstalledVersion) {
  std::ifstream in(kUcd / "DerivedCoreProperties.txt");
  std::string header;
  std::getline(in, header);
  EXPECT_NE(header.find(tables::kUnicodeVersion), std::string::npos) << header;
}

TEST_F(UnicodeDatabase, WhiteSpaceMatchesPropList) {
  const std::set<char32_t> expected = property_set("PropList.txt", "White_Space");
  ASSERT_FALSE(expected.empty());
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    ASSERT_EQ(is_white_space(c), expected.count(c) == 1)
        << std::hex << static_cast<std::uint32_t>(c);
  }
}

TEST_F(UnicodeDatabase, LowerCaseMatchesUnicodeDataAndSpecialCasing) {
  std::map<char32_t, std::string> expected;
  {
    std::ifstream in(kUcd / "UnicodeData.txt");
    for (std::string line; std::getline(in, line);) {
      const auto f = fields_of(line);
      if (f.size() > 13 && !f[13].empty()) {
        expected[std::stoul(f[0], nullptr, 16)] = encode(std::stoul(f[13], nullptr, 16));
      }
    }
  }
  {
    std::ifstream in(kUcd / "SpecialCasing.txt");
    for (std::string line; std::getline(in, line);) {
      const auto f = fields_of(line);
      if (f.size() < 4 || (f.size() > 4 && !f[4].empty())) continue;  // conditional
      std::string lower;
      std::stringstream units(f[1]);
      for (std::string unit; units >> unit;) lower += encode(std::stoul(unit, nullptr, 16));
      expected[std::stoul(f[0], nullptr, 16)] = lower;
    }
  }
  ASSERT_GT(expected.size(), 1000u);
  EXPECT_EQ(expected[0x130], "i\xCC\x87");
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string in = encode(c);
    const auto it = expected.find(c);
    const std::string want = it == expected.end() ? in : it->second;
    ASSERT_EQ(to_lower_per_char(in), want) << std::hex << static_cast<std::uint32_t>(c);
    if (c != 0x03A3) {
      ASSERT_EQ(to_lower_whole(in), want) << std::hex << static_cast<std::uint32_t>(c);
    }
  }
}

TEST_F(UnicodeDatabase, FinalSigmaUsesCasedAndCaseIgnorable) {
  const std::set<char32_t> cased = property_set("DerivedCoreProperties.txt", "Cased");
  const std::set<char32_t> ignorable = property_set("DerivedCoreProperties.txt", "Case_Ignorable");
  ASSERT_FALSE(cased.empty());
  ASSERT_FALSE(ignorable.empty());
  const std::string sigma = "\xCF\x83", final_sigma = "\xCF\x82";
  // Every code point in front of a lone capital sigma: final exactly when it is
  // cased (a case-ignorable one alone gives no cased letter before it).
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string before = encode(c);
    const std::string lowered = to_lower_whole(before + "\xCE\xA3");
    const bool became_final = lowered.ends_with(final_sigma);
    ASSERT_EQ(became_final, cased.count(c) == 1) << std::hex << static_cast<std::uint32_t>(c);
    // Behind the sigma, after a cased "A": medial exactly when it is cased;
    // an ignorable one is looked through.
    if (cased.count(c) == 1 || ignorable.count(c) == 1 || c % 7 == 0) {
      const std::string after = to_lower_whole("A\xCE\xA3" + before);
      const bool medial = after.substr(1, 2) == sigma;
      ASSERT_EQ(medial, cased.count(c) == 1) << std::hex << static_cast<std::uint32_t>(c);
    }
  }
}

}  // namespace
}  // namespace uiad::unicode
