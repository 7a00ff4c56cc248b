// The supplement pass over descendant windows: what it adds, what it drops
// as empty or already seen, and the depth of container subtrees.
#include "snapshot/supplement_pass.h"

#include <gtest/gtest.h>

#include "sim_fixture.h"
#include "snapshot/element_reading.h"
#include "snapshot/snapshot_text.h"

namespace uiad {
namespace {

enum class Strategy { Current, Cached };

// Window 1's own tree has the OK button; its descendant windows expose the rest.
constexpr std::string_view kScene = R"({
  "windows": [{
    "hwnd": 1, "title": "Host", "rect": [0, 0, 800, 600],
    "element": {"children": [
      {"type": "button", "name": "OK", "rect": [10, 10, 90, 40]}]},
    "children": [
      {"hwnd": 11, "class": "Btn", "rect": [10, 10, 90, 40], "element": {"type": "button", "name": "OK"}},
      {"hwnd": 12, "class": "Box", "rect": [0, 100, 200, 124], "element": {"type": "edit", "name": "Search"},
       "children": [
         {"hwnd": 13, "class": "Box", "rect": [0, 100, 200, 124], "element": {"type": "edit", "name": "Search"}}]},
      {"hwnd": 14, "class": "Box", "rect": [0, 200, 0, 224], "element": {"type": "edit", "name": "Zero"}},
      {"hwnd": 15, "class": "Box", "rect": [0, 300, 50, 320], "element": {"type": "text"}},
      {"hwnd": 16, "class": "Box", "rect": [0, 300, 50, 320], "element": {"type": "pane", "help": "only help"}},
      {"hwnd": 17, "class": "Bar", "rect": [780, 0, 800, 600], "element": {"type": "scrollbar", "name": "Scroller"}},
      {"hwnd": 18, "class": "Gone", "rect": [0, 0, 10, 10], "faults": [{"call": "ElementFromHandle"}]},
      {"hwnd": 19, "class": "ListHost", "rect": [300, 100, 500, 400], "element": {"type": "list", "name": "Results",
       "children": [{"type": "listitem", "name": "L1", "rect": [300, 100, 500, 120], "children": [
         {"type": "group", "name": "L2", "children": [{"type": "group", "name": "L3", "children": [
         {"type": "group", "name": "L4", "children": [{"type": "group", "name": "L5", "children": [
         {"type": "group", "name": "L6", "children": [{"type": "group", "name": "L7", "children": [
         {"type": "group", "name": "L8", "children": [{"type": "group", "name": "L9", "children": [
         {"type": "group", "name": "L10"}]}]}]}]}]}]}]}]}]}]}},
      {"hwnd": 20, "class": "Row", "rect": [300, 100, 500, 120], "element": {"type": "listitem", "name": "L1"}}
    ]
  }]
})";

class SupplementPass : public testing::SimFixture, public ::testing::WithParamInterface<Strategy> {
 protected:
  struct Outcome {
    ScanLimits limits;
    std::uint64_t counter = 0;
    ElementTables tables;
    std::optional<SnapshotNode> main;
    std::vector<SupplementEntry> entries;
    std::string text;
  };

  std::unique_ptr<Outcome> scan(ScanLimits limits = {}) {
    auto out = std::make_unique<Outcome>();
    out->limits = limits;
    const bool cached = GetParam() == Strategy::Cached;
    auto root = element_of(1);
    WalkState state{automation(), out->limits, nullptr, out->counter, out->tables};
    out->main = walk_current(state, *root, 0);
    out->entries = supplement_pass(state, desktop().platform().windows, 1, cached);
    out->text = render_snapshot(out->main ? &*out->main : nullptr, out->entries,
                                duplicate_automation_ids(out->tables.element_records));
    EXPECT_EQ(out->tables.element_records.size(), out->tables.live_references.size());
    EXPECT_EQ(out->tables.element_records.size(), out->counter);
    EXPECT_EQ(out->tables.duplicate_automation_ids,
              duplicate_automation_ids(out->tables.element_records));
    return out;
  }
};

TEST_P(SupplementPass, AddsUnseenElementsAndContainerSubtrees) {
  load(kScene);
  auto out = scan();
  EXPECT_EQ(
      out->text,
      "<window e=\"name:window:Host\" label=\"Host\" title=\"Host\" pos=\"0,0\" size=\"800,600\">\n"
      "  <button e=\"name:button:OK\" label=\"OK\" pos=\"10,10\" size=\"80,30\"/>\n"
      "\n"
      "  <input e=\"name:input:Search\" label=\"Search\" pos=\"0,100\" size=\"200,24\"/>\n"
      "  <scroll e=\"name:scroll:Scroller\" label=\"Scroller\" pos=\"780,0\" size=\"20,600\"/>\n"
      "<list e=\"name:list:Results\" label=\"Results\" pos=\"300,100\" size=\"200,300\">\n"
      "  <row e=\"name:row:L1\" label=\"L1\" pos=\"300,100\" size=\"200,20\">\n"
      "    <group e=\"name:group:L2\" label=\"L2\">\n"
      "      <group e=\"name:group:L3\" label=\"L3\">\n"
      "        <group e=\"name:group:L4\" label=\"L4\">\n"
      "          <group e=\"name:group:L5\" label=\"L5\">\n"
      "            <group e=\"name:group:L6\" label=\"L6\">\n"
      "              <group e=\"name:group:L7\" label=\"L7\">\n"
      "                <group e=\"name:group:L8\" label=\"L8\"/>\n"
      "              </group>\n"
      "            </group>\n"
      "          </group>\n"
      "        </group>\n"
      "      </group>\n"
      "    </group>\n"
      "  </row>\n"
      "</list>\n"
      "  <row e=\"name:row:L1#2\" label=\"L1\" pos=\"300,100\" size=\"200,20\"/></window>")
      << out->text;
  // The subtree stopped at depth 8 although the caller allowed 100.
  EXPECT_TRUE(out->limits.truncated);
  EXPECT_EQ(out->limits.max_depth, 100u);
}

TEST_P(SupplementPass, SharesTheElementLimit) {
  load(kScene);
  // Window and OK from the walk, then room for one more.
  auto out = scan(ScanLimits{100, 3, false});
  EXPECT_EQ(out->counter, 3u);
  EXPECT_TRUE(out->limits.truncated);
  EXPECT_TRUE(out->tables.element_records.contains("name:input:Search"));
  EXPECT_FALSE(out->tables.element_records.contains("name:scroll:Scroller"));

  auto none = scan(ScanLimits{100, 0, false});
  EXPECT_EQ(none->counter, 0u);
  EXPECT_TRUE(none->entries.empty());
  EXPECT_EQ(none->text, "");
}

INSTANTIATE_TEST_SUITE_P(BothStrategies, SupplementPass,
                         ::testing::Values(Strategy::Current, Strategy::Cached),
                         [](const auto& info) {
                           return info.param == Strategy::Current ? "Current" : "Cached";
                         });

}  // namespace
}  // namespace uiad
