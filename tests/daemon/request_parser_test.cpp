// Parsing of request lines: strictness, fault texts and their positions, the
// nesting limit and duplicate keys.
#include "daemon/request_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace uiad {
namespace {

std::string fault_of(std::string_view line) {
  auto result = parse_request(line);
  if (const auto* fault = std::get_if<ParseFault>(&result)) return fault->text;
  return "(parsed)";
}

Json value_of(std::string_view line) {
  auto result = parse_request(line);
  EXPECT_TRUE(std::holds_alternative<Json>(result)) << line;
  return std::holds_alternative<Json>(result) ? std::get<Json>(result) : Json();
}

TEST(RequestParser, ParsesAnyJsonValue) {
  EXPECT_EQ(value_of(R"({"cmd":"ping","n":[1,2.5,"x",null,true]})"),
            Json({{"cmd", "ping"}, {"n", {1, 2.5, "x", nullptr, true}}}));
  EXPECT_EQ(value_of("[1]"), Json::array({1}));
  EXPECT_EQ(value_of(R"("text")"), Json("text"));
  EXPECT_EQ(value_of("{ \"a\" : 1 }"), Json({{"a", 1}}));
}

TEST(RequestParser, LaterDuplicateKeyWins) {
  EXPECT_EQ(value_of(R"({"cmd":"ping","cmd":"shutdown"})")["cmd"], "shutdown");
}

TEST(RequestParser, NumbersKeepTheirKind) {
  const Json v = value_of(R"([5,-3,5.0,1e2,18446744073709551615,-0])");
  EXPECT_TRUE(v[0].is_number_unsigned());
  EXPECT_TRUE(v[1].is_number_integer());
  EXPECT_TRUE(v[2].is_number_float());
  EXPECT_TRUE(v[3].is_number_float());
  EXPECT_EQ(v[4].get<std::uint64_t>(), 18446744073709551615ull);
  EXPECT_FALSE(v[5].is_number_float());
}

TEST(RequestParser, FaultsNameWhatAndWhere) {
  EXPECT_EQ(fault_of("x"), "expected value at line 1 column 1");
  EXPECT_EQ(fault_of("[1,]"), "expected value at line 1 column 4");
  EXPECT_EQ(fault_of(R"({"a":})"), "expected value at line 1 column 6");
  EXPECT_EQ(fault_of("[1"), "unexpected end of input; expected ']' at line 1 column 3");
  EXPECT_EQ(fault_of(R"("abc)"), "invalid string: missing closing quote at line 1 column 5");
}

TEST(RequestParser, TrailingTextIsOneFault) {
  EXPECT_EQ(fault_of(R"({"a":1} x)"), "expected end of input at line 1 column 9");
  EXPECT_EQ(fault_of(R"({"cmd":"ping"}{"cmd":"ping"})"),
            "expected end of input at line 1 column 15");
}

TEST(RequestParser, RawNulByteIsTrailingTextNotTheEnd) {
  // The JSON library stops at a NUL as if the text ended there.
  EXPECT_EQ(fault_of(std::string("{\"cmd\":\"ping\"}\0", 15)),
            "expected end of input at line 1 column 15");
  EXPECT_EQ(fault_of(std::string("[1] \0 x", 7)), "expected end of input at line 1 column 5");
  EXPECT_NE(fault_of(std::string("[1,\0]", 5)), "(parsed)");
  EXPECT_NE(fault_of(std::string("\0", 1)), "(parsed)");
}

TEST(RequestParser, IsStrict) {
  for (const char* line :
       {"{'cmd':'ping'}", R"({"a":1,})", "[1,2,]", R"({"a":1}//c)", "/*c*/{}", "{a:1}", "01", "+1",
        ".5", "NaN", "[1 2]", "\"a\tb\"", R"("\x41")", R"("\ud800")", "tru"}) {
    EXPECT_NE(fault_of(line), "(parsed)") << line;
  }
}

TEST(RequestParser, NumberOverflowIsAFaultNotACrash) {
  const std::string fault = fault_of("1e400");
  EXPECT_NE(fault.find("at line 1 column "), std::string::npos) << fault;
  EXPECT_NE(fault_of(R"({"cmd":"ping","n":-1e999})"), "(parsed)");
}

TEST(RequestParser, NestingLimit) {
  const std::string ok = std::string(127, '[') + std::string(127, ']');
  EXPECT_EQ(value_of(ok).dump().size(), ok.size());
  // The 128th level fails where it opens, whatever follows.
  EXPECT_EQ(fault_of(std::string(128, '[') + std::string(128, ']')),
            "nesting deeper than 127 levels at line 1 column 128");
  std::string mixed = R"({"a":)";
  for (int i = 0; i < 63; ++i) mixed += R"([{"k":)";
  mixed += "[1]";
  EXPECT_EQ(fault_of(mixed),
            "nesting deeper than 127 levels at line 1 column " + std::to_string(mixed.size() - 2));
  // Far deeper input stops at the limit instead of building the whole tree.
  EXPECT_EQ(fault_of(std::string(1000000, '[')),
            "nesting deeper than 127 levels at line 1 column 128");
}

TEST(RequestParser, ColumnsCountBytes) {
  // "é" takes two bytes, so the second comma is byte 7.
  EXPECT_EQ(fault_of("[\"\xC3\xA9\",,]"), "expected value at line 1 column 7");
}

}  // namespace
}  // namespace uiad
