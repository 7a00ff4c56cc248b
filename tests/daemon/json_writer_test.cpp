// The output conventions every response line relies on: key order, escapes,
// integer and floating-point forms.
#include "daemon/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace uiad {
namespace {

TEST(JsonWriter, ObjectsAreCompactWithKeysInByteOrder) {
  Json result;
  result["role"] = "button";
  result["ok"] = true;
  result["method"] = "uia-invoke";
  result["label"] = "OK";
  result["id"] = "name:button:OK";
  result["center_y"] = 20;
  result["center_x"] = 10;
  EXPECT_EQ(serialize_json(result),
            R"({"center_x":10,"center_y":20,"id":"name:button:OK","label":"OK",)"
            R"("method":"uia-invoke","ok":true,"role":"button"})");
  // Byte order: upper case before lower case, a prefix first, UTF-8 after ASCII.
  Json keys{{"b", 1}, {"a", 2}, {"ab", 3}, {"B", 4}, {"\xC3\xA9", 5}, {"", 6}};
  EXPECT_EQ(serialize_json(keys), R"({"":6,"B":4,"a":2,"ab":3,"b":1,"é":5})");
}

TEST(JsonWriter, ArraysKeepOrderAndNestedValuesAreCompact) {
  Json value = Json::array(
      {3, Json::array(), Json::object(), nullptr, false, "x", Json{{"k", Json::array({1, 2})}}});
  EXPECT_EQ(serialize_json(value), R"([3,[],{},null,false,"x",{"k":[1,2]}])");
}

TEST(JsonWriter, StringEscapes) {
  EXPECT_EQ(serialize_json("say \"hi\"\\\t \xE2\x80\x94"), R"("say \"hi\"\\\t )"
                                                           "\xE2\x80\x94\"");
  EXPECT_EQ(serialize_json("\b\f\n\r"), R"("\b\f\n\r")");
  EXPECT_EQ(serialize_json(std::string("\x00\x01\x1F\x0B", 4)), R"("\u0000\u0001\u001f\u000b")");
  // Solidus, DEL and non-ASCII stay raw.
  EXPECT_EQ(serialize_json("a/b\x7F\xF0\x9F\x98\x80"), "\"a/b\x7F\xF0\x9F\x98\x80\"");
  EXPECT_EQ(serialize_json(""), R"("")");
}

TEST(JsonWriter, Integers) {
  EXPECT_EQ(serialize_json(0), "0");
  EXPECT_EQ(serialize_json(-42), "-42");
  EXPECT_EQ(serialize_json(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(serialize_json(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
}

struct DoubleCase {
  double value;
  const char* text;
};

TEST(JsonWriter, FloatingPointForms) {
  const DoubleCase cases[] = {
      {100.0, "100.0"},
      {1e15, "1000000000000000.0"},
      {1e16, "1e+16"},
      {1234567890123456.0, "1234567890123456.0"},
      {12345678901234567.0, "1.2345678901234568e+16"},
      {12.34, "12.34"},
      {0.5, "0.5"},
      {0.001234, "0.001234"},
      {0.00001, "0.00001"},
      {0.000012, "0.000012"},
      {1e-6, "1e-6"},
      {1.5e-7, "1.5e-7"},
      {1.234e33, "1.234e+33"},
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {0.1 + 0.2, "0.30000000000000004"},
      {-2.5, "-2.5"},
      {-1e16, "-1e+16"},
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {std::nan(""), "null"},
      {std::numeric_limits<double>::infinity(), "null"},
      {-std::numeric_limits<double>::infinity(), "null"},
  };
  for (const DoubleCase& c : cases) {
    EXPECT_EQ(serialize_json(c.value), c.text) << c.text;
  }
}

TEST(JsonWriter, AppendsToAnExistingBuffer) {
  std::string out = "prefix:";
  append_json(out, Json{{"a", 1.0}});
  EXPECT_EQ(out, R"(prefix:{"a":1.0})");
}

}  // namespace
}  // namespace uiad

namespace uiad {
namespace {

TEST(RawJson, IsSplicedAsItStandsAmongOrdinaryMembers) {
  std::string elements = "{";
  append_json_string(elements, "name:button:\"OK\"");
  elements += ":{\"cx\":1}}";
  Json result = {{"b", raw_json(elements)}, {"a", 1.0}, {"c", raw_json("[]")}};
  EXPECT_EQ(serialize_json(result), R"({"a":1.0,"b":{"name:button:\"OK\"":{"cx":1}},"c":[]})");
  EXPECT_EQ(Json::parse(serialize_json(result))["b"]["name:button:\"OK\""]["cx"], 1);
}

}  // namespace
}  // namespace uiad
