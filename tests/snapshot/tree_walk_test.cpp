// Current and cached tree walks: skip rules, limits, the child cap, the
// raw-view fallback and what each strategy costs in cross-process calls.
#include "snapshot/tree_walk.h"

#include <gtest/gtest.h>

#include "daemon/json_writer.h"
#include "sim_fixture.h"
#include "snapshot/element_reading.h"
#include "snapshot/scan.h"
#include "snapshot/snapshot_text.h"

namespace uiad {
namespace {

enum class Strategy { Current, Cached };

class TreeWalk : public testing::SimFixture, public ::testing::WithParamInterface<Strategy> {
 protected:
  struct Outcome {
    ScanLimits limits;
    std::uint64_t counter = 0;
    ElementTables tables;
    std::optional<SnapshotNode> node;
    std::string text;  // the node rendered, for a compact view of the shape
  };

  std::unique_ptr<Outcome> walk(platform::Hwnd hwnd, ScanLimits limits = {}) {
    auto out = std::make_unique<Outcome>();
    out->limits = limits;
    auto root = element_of(hwnd);
    if (!root) return out;
    WalkState state{automation(), out->limits, nullptr, out->counter, out->tables};
    if (GetParam() == Strategy::Cached) {
      auto request =
          make_cache_request(automation(), platform::TreeScope::Subtree, TreeView::Control);
      auto cached = root->build_updated_cache(*request.value);
      EXPECT_TRUE(cached.value);
      out->node = walk_cached(state, *cached.value, 0);
    } else {
      out->node = walk_current(state, *root, 0);
    }
    if (out->node)
      render_node(*out->node, 0, duplicate_automation_ids(out->tables.element_records), out->text);
    EXPECT_EQ(out->tables.element_records.size(), out->tables.live_references.size());
    EXPECT_EQ(out->tables.element_records.size(), out->counter);
    EXPECT_EQ(out->tables.duplicate_automation_ids,
              duplicate_automation_ids(out->tables.element_records));
    return out;
  }
};

constexpr std::string_view kShapes = R"({
  "windows": [
    {"hwnd": 1, "title": "Main", "rect": [0, 0, 100, 100], "element": {"children": [
      {"type": "text", "rect": [0, 0, 5, 5], "children": [{"type": "button", "name": "Hidden"}]},
      {"type": "text", "patterns": {"value": {"value": "v"}}},
      {"type": "scrollbar", "name": "Bar", "children": [{"type": "button", "name": "Up"}]},
      {"type": "pane", "children": [{"type": "button", "name": "Raw", "raw_only": true}]},
      {"type": "button", "name": "Plain", "children": [{"type": "image", "name": "Icon", "raw_only": true}]},
      {"type": "list", "name": "L", "children": [
        {"type": "listitem", "name": "Item {i}", "repeat": {"count": 250}}]},
      {"type": "group", "children": [{"type": "custom"}]}
    ]}},
    {"hwnd": 2, "title": "Bar", "element": {"type": "scrollbar", "name": "Bar",
      "children": [{"type": "button", "name": "Up"}]}},
    {"hwnd": 3, "title": "Deep", "element": {"children": [
      {"type": "group", "name": "A", "children": [{"type": "group", "name": "B", "children": [
        {"type": "button", "name": "C"}]}]},
      {"type": "button", "name": "D"}]}},
    {"hwnd": 4, "title": "Same", "element": {"children": [
      {"type": "listitem", "name": "Same", "repeat": {"count": 30}},
      {"type": "button", "automation_id": "dup"},
      {"type": "button", "name": "Same"},
      {"type": "button", "automation_id": "dup", "name": "Same"}]}}
  ]
})";

TEST_P(TreeWalk, SkipsScrollBarsAndEmptyTextsWithTheirSubtrees) {
  load(kShapes);
  auto out = walk(1);
  const std::string& t = out->text;
  EXPECT_EQ(t.find("Hidden"), std::string::npos);
  EXPECT_EQ(t.find("Bar"), std::string::npos);
  EXPECT_EQ(t.find("Up"), std::string::npos);
  EXPECT_NE(t.find("<text e=\"idx:2\" value=\"v\"/>"), std::string::npos) << t;
  EXPECT_FALSE(out->limits.truncated);

  auto bar = walk(2);
  EXPECT_FALSE(bar->node);
  EXPECT_EQ(bar->counter, 0u);
}

TEST_P(TreeWalk, EmptyContainersLookIntoTheRawViewButOtherElementsDoNot) {
  load(kShapes);
  auto out = walk(1);
  EXPECT_TRUE(out->tables.element_records.contains("name:button:Raw")) << out->text;
  EXPECT_FALSE(out->tables.element_records.contains("name:img:Icon")) << out->text;
  // The pane is transparent: its raw child appears at the pane's children's depth.
  EXPECT_NE(out->text.find("\n    <button e=\"name:button:Raw\" label=\"Raw\"/>"),
            std::string::npos)
      << out->text;
}

TEST_P(TreeWalk, VisitsAtMostTwoHundredChildrenWithoutTruncating) {
  load(kShapes);
  auto out = walk(1);
  const auto& records = out->tables.element_records;
  EXPECT_TRUE(records.contains("name:row:Item_200"));
  EXPECT_FALSE(records.contains("name:row:Item_201"));
  EXPECT_FALSE(out->limits.truncated);
  // window, value text, pane, Raw, Plain, list, 200 items, group, custom.
  EXPECT_EQ(records.size(), 208u);
  // idx numbers follow the walk order.
  EXPECT_TRUE(records.contains("idx:3"));
  EXPECT_TRUE(records.contains("idx:207"));
  EXPECT_TRUE(records.contains("idx:208"));
}

TEST_P(TreeWalk, DepthLimitKeepsTheTopAndReportsTruncation) {
  load(kShapes);
  auto zero = walk(3, ScanLimits{0, std::nullopt, false});
  EXPECT_EQ(zero->counter, 1u);
  EXPECT_TRUE(zero->limits.truncated);
  auto two = walk(3, ScanLimits{2, std::nullopt, false});
  EXPECT_EQ(two->text,
            "<window e=\"name:window:Deep\" label=\"Deep\" title=\"Deep\">\n"
            "  <group e=\"name:group:A\" label=\"A\">\n"
            "    <group e=\"name:group:B\" label=\"B\"/>\n"
            "  </group>\n"
            "  <button e=\"name:button:D\" label=\"D\"/>\n"
            "</window>");
  EXPECT_TRUE(two->limits.truncated);
  auto enough = walk(3, ScanLimits{3, std::nullopt, false});
  EXPECT_EQ(enough->counter, 5u);
  EXPECT_FALSE(enough->limits.truncated);
}

TEST_P(TreeWalk, ElementLimitIsHard) {
  load(kShapes);
  auto none = walk(3, ScanLimits{100, 0, false});
  EXPECT_FALSE(none->node);
  EXPECT_TRUE(none->limits.truncated);
  EXPECT_EQ(none->counter, 0u);
  auto three = walk(3, ScanLimits{100, 3, false});
  EXPECT_EQ(three->counter, 3u);
  EXPECT_TRUE(three->limits.truncated);
  EXPECT_TRUE(three->tables.element_records.contains("name:group:B"));
  EXPECT_FALSE(three->tables.element_records.contains("name:button:C"));
  EXPECT_FALSE(three->tables.element_records.contains("name:button:D"));
  auto exact = walk(3, ScanLimits{100, 5, false});
  EXPECT_EQ(exact->counter, 5u);
  EXPECT_FALSE(exact->limits.truncated);
}

TEST_P(TreeWalk, RepeatedIdsGetConsecutiveSuffixesPerBase) {
  load(kShapes);
  auto out = walk(4);
  const auto& records = out->tables.element_records;
  EXPECT_EQ(records.size(), 34u);
  EXPECT_TRUE(records.contains("name:row:Same"));
  for (int n = 2; n <= 30; ++n)
    EXPECT_TRUE(records.contains("name:row:Same#" + std::to_string(n))) << n;
  EXPECT_FALSE(records.contains("name:row:Same#31"));
  EXPECT_EQ(records.at("name:row:Same#30").role, "row");
  EXPECT_EQ(records.at("name:button:Same").role, "button");
  EXPECT_TRUE(records.contains("auto:dup"));
  EXPECT_EQ(records.at("auto:dup#2").label, "Same");
  EXPECT_EQ(out->tables.duplicate_automation_ids, DuplicateIdSet{"dup"});
}

TEST_P(TreeWalk, TablesHoldOneReferencePerRecordedElement) {
  load(kShapes);
  const auto before = desktop().live_element_references();
  auto out = walk(1);
  EXPECT_EQ(desktop().live_element_references() - before,
            static_cast<std::int64_t>(out->tables.live_references.size()));
  out.reset();
  EXPECT_EQ(desktop().live_element_references(), before);
}

// The references of a walk turn into the session's table and the walk-order
// element map without losing, doubling or reordering anything.
TEST_P(TreeWalk, LiveReferencesBecomeOneTableEntryPerRecord) {
  load(kShapes);
  auto out = walk(1);
  ASSERT_GT(out->tables.element_records.size(), 100u);
  EXPECT_EQ(serialize_json(element_map(out->tables.live_references)),
            serialize_json(element_map(out->tables.element_records)));
  const auto before = desktop().live_element_references();
  LiveElementTable live = make_live_element_table(out->tables.live_references);
  EXPECT_EQ(desktop().live_element_references(), before);
  EXPECT_EQ(live.size(), out->tables.element_records.size());
  for (const auto& [id, element] : live) {
    EXPECT_TRUE(out->tables.element_records.contains(id)) << id;
    EXPECT_NE(element, nullptr) << id;
  }
}

INSTANTIATE_TEST_SUITE_P(BothStrategies, TreeWalk,
                         ::testing::Values(Strategy::Current, Strategy::Cached),
                         [](const auto& info) {
                           return info.param == Strategy::Current ? "Current" : "Cached";
                         });

}  // namespace
}  // namespace uiad
