// Loading scenes: errors name the offending value; defaults fill what a scene
// leaves out; repeated elements expand with their variables and offsets.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

std::string load_error(std::string_view scene) {
  std::string error;
  auto desktop = SimDesktop::from_scene_json(scene, error);
  EXPECT_EQ(desktop, nullptr);
  return error;
}

TEST(SimSceneLoading, BadScenesAreRejectedWithThePathOfTheFault) {
  EXPECT_EQ(load_error("{\"windows\": ["),
            "scene: not valid JSON: parse error at line 1, column 14: syntax error while parsing "
            "value - unexpected end of input; expected '[', '{', or a literal");
  EXPECT_EQ(load_error("[]"), "scene: /: a scene is a JSON object");
  EXPECT_EQ(load_error(R"({"windws": []})"), "scene: /windws: unknown key 'windws'");
  EXPECT_EQ(load_error(R"({"windows": [{"title": "x"}]})"),
            "scene: /windows/0: a window needs \"hwnd\"");
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 5}, {"hwnd": 7, "children": [{"hwnd": 5}]}]})"),
            "scene: /windows/1/children/0/hwnd: duplicate window handle 5");
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 5, "rect": [1, 2, 3]}]})"),
            "scene: /windows/0/rect: expected [left, top, right, bottom] or {\"x\", \"y\", "
            "\"width\", \"height\"}");
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 5, "element": {"type": "buton"}}]})"),
            "scene: /windows/0/element/type: unknown control type 'buton'");
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 5, "element": {"native_window": 6}}]})"),
            "scene: /windows/0/element/native_window: no window 6");
  EXPECT_EQ(load_error(R"({"faults": [{"call": "get_CurrentNam"}]})"),
            "scene: /faults/0/call: unknown call 'get_CurrentNam'");
  EXPECT_EQ(load_error(R"({"faults": [{"call": "get_CurrentName", "hr": "0xZZ"}]})"),
            "scene: /faults/0/hr: expected a code such as \"0x80004005\"");
  EXPECT_EQ(load_error(
                R"({"reactions": [{"when": {"event": "invoke", "element": "nope"}, "then": []}]})"),
            "scene: /reactions/0/when/element: no element with ref 'nope'");
  EXPECT_EQ(
      load_error(
          R"({"reactions": [{"at_ms": 5, "then": [{"action": "destroy_window", "window": 9}]}]})"),
      "scene: /reactions/0/then/0/window: no window 9");
  EXPECT_EQ(
      load_error(
          R"({"windows": [{"hwnd": 5, "element": {"children": [{"ref": "a"}, {"ref": "a"}]}}]})"),
      "scene: /windows/0/element/children/1/ref: duplicate ref 'a'");
  EXPECT_EQ(load_error(R"({"format": 2})"), "scene: /format: this simulator reads format 1");
}

TEST(SimSceneLoading, HugeOrDeepScenesAreRefusedBeforeTheyExhaustMemoryOrStack) {
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 1, "element": {"children": [
      {"repeat": 3000, "children": [{"repeat": 3000}]}]}}]})"),
            "scene: /windows/0/element: the scene makes more than 5000000 elements");
  std::string deep = R"({"windows": [{"hwnd": 1, "element": )";
  for (int i = 0; i < 300; ++i) deep += R"({"children": [)";
  deep += "{}";
  for (int i = 0; i < 300; ++i) deep += "]}";
  deep += "}]}";
  EXPECT_NE(load_error(deep).find("elements nest deeper than 256 levels"), std::string::npos);
}

// A few kilobytes asking for tens of gigabytes through repeated texts or
// faults: refused before anything is made, not after the memory ran out.
TEST(SimSceneLoading, RepeatedTextsAndFaultsAreCountedBeforeTheSceneIsMade) {
  const std::string long_name(3000, 'N');
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 1, "element": {"children": [
      {"name": ")" + long_name +
                       R"({i}", "repeat": 4999000}]}}]})"),
            "scene: /windows/0/element: the scene's texts make more than 268435456 characters");
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 1, "element": {"children": [
      {"ref": "r)" + long_name +
                       R"({i}", "chain": 100000}]}}]})"),
            "scene: /windows/0/element: the scene's texts make more than 268435456 characters");
  std::string faults;
  for (int i = 0; i < 60; ++i) faults += std::string(i ? "," : "") + R"({"call": "Invoke"})";
  EXPECT_EQ(load_error(R"({"windows": [{"hwnd": 1, "element": {"children": [
      {"faults": [)" + faults +
                       R"(], "repeat": 4999000}]}}]})"),
            "scene: /windows/0/element: the scene's elements carry more than 1000000 faults");
}

// The count made up front must match what loading makes: a scene exactly at a
// bound loads, one unit more is refused.
TEST(SimSceneLoading, LimitsAdmitASceneExactlyAtEachBound) {
  // The desktop, the root, 3 chained groups with 2 elements below the last,
  // 2 rows of 2 cells.
  const std::string scene = R"({"windows": [{"hwnd": 1, "element": {"name": "w", "children": [
      {"name": "ab", "faults": [{"call": "Invoke"}], "chain": 3, "children": [
        {"name": "c{i}", "repeat": 2}]},
      {"help": "row", "repeat": 2, "children": [{"automation_id": "id", "repeat": 2}]}]}}]})";
  auto loads = [&](SceneLimits limits) {
    std::string error;
    return SimDesktop::from_scene_json(scene, error, limits) != nullptr;
  };
  EXPECT_TRUE(loads({.max_elements = 13}));
  EXPECT_FALSE(loads({.max_elements = 12}));
  // "w", 3 x "ab", 2 x ("c" + a number of at most 20), 2 x "row", 4 x "id".
  EXPECT_TRUE(loads({.max_text_units = 1 + 6 + 42 + 6 + 8}));
  EXPECT_FALSE(loads({.max_text_units = 1 + 6 + 42 + 6 + 8 - 1}));
  EXPECT_TRUE(loads({.max_element_faults = 3}));
  EXPECT_FALSE(loads({.max_element_faults = 2}));

  std::string error;
  EXPECT_EQ(SimDesktop::from_scene_json(scene, error, {.max_elements = 12}), nullptr);
  EXPECT_EQ(error, "scene: /windows/0/element: the scene makes more than 12 elements");
}

TEST(SimSceneLoading, TheDemoDesktopLoadsAndHasAForegroundWindow) {
  auto demo = SimDesktop::demo();
  ASSERT_NE(demo, nullptr);
  EXPECT_NE(demo->platform().input.get_foreground_window(), 0u);
  std::vector<platform::Hwnd> windows;
  ASSERT_TRUE(demo->platform().windows.enum_windows(windows));
  EXPECT_GE(windows.size(), 5u);
  bool invisible_titled = false;
  for (auto h : windows) {
    invisible_titled |= !demo->platform().windows.is_window_visible(h) &&
                        !demo->platform().windows.get_window_text(h, 512).empty();
  }
  EXPECT_TRUE(invisible_titled);
}

class SimSceneDefaults : public SimTest {};

TEST_F(SimSceneDefaults, WindowsWithoutElementsGetOneFromClassTitleAndRectangle) {
  load(R"({"windows": [{"hwnd": 10, "title": "Main", "rect": [0, 0, 400, 300], "process": 77,
                        "children": [{"hwnd": 11, "class": "Edit", "title": "typed", "rect": [10, 10, 200, 30]},
                                     {"hwnd": 12, "class": "Button", "title": "Go", "rect": [10, 40, 60, 60]}]}]})");
  auto main = from_handle(10);
  EXPECT_EQ(name_of(*main), "Main");
  EXPECT_EQ(main->get_current_control_type().value, platform::kWindowControlTypeId);
  EXPECT_EQ(main->get_current_process_id().value, 77);
  EXPECT_EQ(main->get_current_native_window_handle().value, 10u);

  auto edit = from_handle(11);
  EXPECT_EQ(edit->get_current_control_type().value, platform::kEditControlTypeId);
  auto value = edit->current_pattern_as<platform::ValuePattern>(platform::kValuePatternId);
  ASSERT_NE(value.value, nullptr);
  EXPECT_EQ(value.value->get_current_value().value, u"typed");
  EXPECT_EQ((platform::Rect{10, 10, 200, 30}), edit->get_current_bounding_rectangle().value);

  auto button = from_handle(12);
  EXPECT_EQ(button->get_current_control_type().value, platform::kButtonControlTypeId);
  EXPECT_NE(button->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId).value,
            nullptr);

  // The child windows' elements are their own trees: the parent lists none.
  auto walker = uia().get_raw_view_walker().value;
  EXPECT_EQ(walker->get_first_child_element(*main).value, nullptr);
  auto parent = walker->get_parent_element(*edit).value;
  ASSERT_NE(parent, nullptr);
  EXPECT_TRUE(uia().compare_elements(*parent, *main).value);
}

TEST_F(SimSceneDefaults, ForegroundDefaultsToTheTopmostVisibleWindow) {
  load(R"({"windows": [{"hwnd": 1, "visible": false, "title": "hidden"},
                       {"hwnd": 2, "minimized": true}, {"hwnd": 3}, {"hwnd": 4}]})");
  EXPECT_EQ(os().input.get_foreground_window(), 3u);
}

TEST_F(SimSceneDefaults, RepeatExpandsNamesRefsAndOffsetsInNestedLevels) {
  load(
      R"({"windows": [{"hwnd": 1, "rect": [0, 0, 500, 500], "element": {"type": "table", "children": [
      {"type": "dataitem", "name": "Row {r}", "rect": [0, 0, 500, 20],
       "repeat": {"count": 3, "var": "r", "step": [0, 20]},
       "children": [{"type": "text", "name": "R{r}C{c}", "ref": "cell_{r}_{c}", "rect": [0, 0, 50, 20],
                     "repeat": {"count": 4, "var": "c", "start": 0, "step": [50, 0]}}]}]}}],
      "reactions": [{"when": {"event": "invoke", "element": "cell_3_2"}, "then": []}]})");
  auto table = from_handle(1);
  auto walker = uia().get_control_view_walker().value;
  int rows = 0;
  Ref<Element> last_row;
  for (auto row = walker->get_first_child_element(*table).value; row;
       row = walker->get_next_sibling_element(*row).value) {
    ++rows;
    last_row = row->add_ref();
  }
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(name_of(*last_row), "Row 3");
  auto cell = find(*table, "R3C2");
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ((platform::Rect{100, 40, 150, 60}), cell->get_current_bounding_rectangle().value);
}

}  // namespace
}  // namespace uiad::sim::testing
