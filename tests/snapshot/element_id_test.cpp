// Element ids: the sanitised text, the four forms and the suffix rule.
#include "snapshot/element_id.h"

#include <gtest/gtest.h>

#include <string>

#include "snapshot/role.h"

namespace uiad {
namespace {

ElementRecord record(std::string role, std::string automation_id, std::string label = "",
                     std::string help = "") {
  ElementRecord r;
  r.role = std::move(role);
  r.automation_id = std::move(automation_id);
  r.label = std::move(label);
  r.help = std::move(help);
  return r;
}

TEST(SanitizeIdText, FoldsRunsOfOtherCharactersAndStripsUnderscores) {
  EXPECT_EQ(sanitize_id_text("Save As\u2026"), "Save_As");
  EXPECT_EQ(sanitize_id_text("a _b"), "a__b");
  EXPECT_EQ(sanitize_id_text("***"), "_");
  EXPECT_EQ(sanitize_id_text(""), "_");
  EXPECT_EQ(sanitize_id_text("  \u00a0x.y-z_1\u3000 "), "x.y-z_1");
  EXPECT_EQ(sanitize_id_text("caf\u00e9 cr\u00e8me"), "caf_cr_me");
  EXPECT_EQ(sanitize_id_text("__a__"), "a");
  EXPECT_EQ(sanitize_id_text("\xf0\x9f\x98\x80\xf0\x9f\x98\x80ok"), "ok");
}

TEST(SanitizeIdText, KeepsAtMostSixtyFourCharacters) {
  const std::string letters(100, 'q');
  EXPECT_EQ(sanitize_id_text(letters), std::string(64, 'q'));
  // The cut happens before the trailing "_" is stripped.
  EXPECT_EQ(sanitize_id_text(std::string(63, 'a') + " b"), std::string(63, 'a'));
}

TEST(MakeElementId, PicksTheFirstNonBlankSource) {
  ElementRecordTable ids;
  IdSuffixHints hints;
  EXPECT_EQ(make_element_id(record("button", "btnOk", "OK", "h"), 1, ids, hints), "auto:btnOk");
  EXPECT_EQ(make_element_id(record("button", "   ", "OK"), 2, ids, hints), "name:button:OK");
  EXPECT_EQ(make_element_id(record("button", "", "***"), 3, ids, hints), "name:button:_");
  EXPECT_EQ(make_element_id(record("input", "", " \t", "Type here"), 4, ids, hints),
            "help:input:Type_here");
  EXPECT_EQ(make_element_id(record("group", " ", " ", " "), 9, ids, hints), "idx:9");
}

TEST(MakeElementId, SuffixesCountFromTwoOnTheSameBase) {
  ElementRecordTable ids;
  IdSuffixHints hints;
  std::vector<std::string> made;
  for (int i = 0; i < 4; ++i) {
    ElementRecord r = record("button", "", "OK");
    std::string id = make_element_id(r, static_cast<std::uint64_t>(i + 1), ids, hints);
    made.push_back(id);
    ids.emplace(std::move(id), r);
  }
  EXPECT_EQ(made, (std::vector<std::string>{"name:button:OK", "name:button:OK#2",
                                            "name:button:OK#3", "name:button:OK#4"}));
  // idx ids never get a suffix, even when equal text would.
  EXPECT_EQ(make_element_id(record("group", ""), 3, ids, hints), "idx:3");
}

TEST(MakeElementId, HintNeverSkipsAFreeIdNorReturnsATakenOne) {
  ElementRecordTable ids;
  IdSuffixHints hints;
  const ElementRecord r = record("text", "", "Cell");
  ids.emplace("name:text:Cell", r);
  ids.emplace("name:text:Cell#3", r);
  EXPECT_EQ(make_element_id(r, 1, ids, hints), "name:text:Cell#2");
  // Not recorded by the caller: the same answer again.
  EXPECT_EQ(make_element_id(r, 2, ids, hints), "name:text:Cell#2");
  ids.emplace("name:text:Cell#2", r);
  EXPECT_EQ(make_element_id(r, 3, ids, hints), "name:text:Cell#4");
}

TEST(MakeElementId, ManyEqualNamesGetConsecutiveSuffixes) {
  ElementRecordTable ids;
  IdSuffixHints hints;
  const ElementRecord r = record("text", "", "Cell 7");
  constexpr int kCount = 20000;
  for (int i = 1; i <= kCount; ++i) {
    std::string id = make_element_id(r, static_cast<std::uint64_t>(i), ids, hints);
    const std::string expected =
        i == 1 ? "name:text:Cell_7" : "name:text:Cell_7#" + std::to_string(i);
    ASSERT_EQ(id, expected);
    ids.emplace(std::move(id), r);
  }
}

TEST(RoleForControlType, MapsTheTableAndDefaultsToGroup) {
  EXPECT_EQ(role_for_control_type(50000), "button");
  EXPECT_EQ(role_for_control_type(50004), "input");
  EXPECT_EQ(role_for_control_type(50014), "scroll");
  EXPECT_EQ(role_for_control_type(50023), "list");
  EXPECT_EQ(role_for_control_type(50029), "row");
  EXPECT_EQ(role_for_control_type(50030), "web");
  EXPECT_EQ(role_for_control_type(50032), "window");
  EXPECT_EQ(role_for_control_type(50035), "cell");
  EXPECT_EQ(role_for_control_type(50036), "table");
  EXPECT_EQ(role_for_control_type(50037), "group");
  EXPECT_EQ(role_for_control_type(49999), "group");
  EXPECT_EQ(role_for_control_type(0), "group");
  EXPECT_EQ(role_for_control_type(-50000), "group");
}

}  // namespace
}  // namespace uiad
