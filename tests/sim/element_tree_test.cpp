// The element forest: control view versus raw view, window trees the parent's
// view does not contain, the desktop, hit testing, focus and gone elements.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

constexpr const char* kScene = R"({
  "foreground": 1,
  "windows": [
    {"hwnd": 1, "title": "App", "rect": [0, 0, 400, 400], "process": 5,
     "children": [{"hwnd": 2, "class": "Side", "rect": [300, 0, 400, 400],
                   "element": {"type": "list", "name": "Side list", "children": [
                     {"type": "listitem", "name": "s1", "rect": [300, 0, 400, 20]}]}},
                  {"hwnd": 3, "class": "Edit", "rect": [10, 350, 200, 370]}],
     "element": {"name": "App", "children": [
       {"type": "button", "name": "A", "rect": [10, 10, 60, 40]},
       {"type": "pane", "name": "wrapper", "raw_only": true, "rect": [0, 50, 300, 300], "children": [
         {"type": "pane", "name": "inner", "raw_only": true, "rect": [0, 50, 300, 300], "children": [
           {"type": "button", "name": "B", "rect": [10, 60, 60, 90], "focused": true}]},
         {"type": "button", "name": "C", "rect": [10, 100, 60, 130]}]},
       {"type": "pane", "name": "empty raw", "raw_only": true},
       {"type": "button", "name": "D", "rect": [10, 200, 60, 230]},
       {"type": "edit", "name": "field", "native_window": 3, "patterns": ["value"]},
       {"type": "button", "name": "later", "present": false, "ref": "later"}]}},
    {"hwnd": 9, "title": "Hidden", "visible": false},
    {"hwnd": 8, "title": "Other", "rect": [500, 0, 700, 200]}
  ]})";

class SimElementTree : public SimTest {
 protected:
  void SetUp() override { load(kScene); }

  std::vector<std::string> children(platform::TreeWalker& w, Element& e) {
    std::vector<std::string> names;
    for (auto c = w.get_first_child_element(e).value; c; c = w.get_next_sibling_element(*c).value) {
      names.push_back(name_of(*c));
    }
    return names;
  }
};

TEST_F(SimElementTree, ControlViewPromotesTheChildrenOfRawOnlyElements) {
  auto app = from_handle(1);
  auto control = uia().get_control_view_walker().value;
  auto raw = uia().get_raw_view_walker().value;
  EXPECT_EQ(children(*control, *app), (std::vector<std::string>{"A", "B", "C", "D", "field"}));
  EXPECT_EQ(children(*raw, *app),
            (std::vector<std::string>{"A", "wrapper", "empty raw", "D", "field"}));
  auto b = find(*app, "B");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(uia().compare_elements(*control->get_parent_element(*b).value, *app).value);
  EXPECT_EQ(name_of(*raw->get_parent_element(*b).value), "inner");
}

TEST_F(SimElementTree, ChildWindowTreesAreReachedOnlyThroughTheirHandle) {
  auto app = from_handle(1);
  EXPECT_EQ(find(*app, "Side list"), nullptr);
  auto side = from_handle(2);
  EXPECT_EQ(name_of(*side), "Side list");
  // An element declared with a child window's handle answers for that window.
  auto field = from_handle(3);
  EXPECT_EQ(name_of(*field), "field");
  auto missing = uia().element_from_handle(12345);
  EXPECT_EQ(missing.hr, platform::kEInvalidArg);
  EXPECT_EQ(missing.value, nullptr);
}

TEST_F(SimElementTree, TheDesktopListsVisibleTopLevelWindowsInZOrder) {
  auto root = uia().get_root_element().value;
  auto control = uia().get_control_view_walker().value;
  EXPECT_EQ(children(*control, *root), (std::vector<std::string>{"App", "Other"}));
  EXPECT_EQ(control->get_parent_element(*root).value, nullptr);
}

TEST_F(SimElementTree, ElementFromPointFindsTheDeepestElementOfTheTopWindow) {
  EXPECT_EQ(name_of(*uia().element_from_point({20, 70}).value), "B");
  EXPECT_EQ(name_of(*uia().element_from_point({350, 10}).value), "s1");
  EXPECT_EQ(name_of(*uia().element_from_point({250, 390}).value), "App");
  EXPECT_EQ(name_of(*uia().element_from_point({1500, 900}).value), "Desktop 1");
}

TEST_F(SimElementTree, FocusedElementBelongsToTheForegroundWindow) {
  EXPECT_EQ(name_of(*uia().get_focused_element().value), "B");
  ASSERT_TRUE(os().input.set_foreground_window(8));
  EXPECT_EQ(name_of(*uia().get_focused_element().value), "Other");
}

TEST_F(SimElementTree, ElementsOfADestroyedWindowAreGone) {
  std::string error;
  auto d = SimDesktop::from_scene_json(R"({"windows": [{"hwnd": 1, "element": {"children": [
      {"type": "button", "name": "Close", "ref": "close", "patterns": ["invoke"]}]}}],
      "reactions": [{"when": {"event": "invoke", "element": "close"},
                     "then": [{"action": "destroy_window", "window": 1}]}]})",
                                       error);
  ASSERT_NE(d, nullptr) << error;
  auto automation = d->platform().com.create_automation().value;
  auto window = automation->element_from_handle(1).value;
  auto close = automation->get_control_view_walker().value->get_first_child_element(*window).value;
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId)
                .value->invoke(),
            platform::kSOk);
  EXPECT_FALSE(d->platform().windows.is_window(1));
  EXPECT_EQ(close->get_current_process_id().hr, platform::kUiaEElementNotAvailable);
  EXPECT_EQ(window->get_current_name().hr, platform::kUiaEElementNotAvailable);
  EXPECT_EQ(automation->element_from_handle(1).hr, platform::kEInvalidArg);
  EXPECT_EQ(d->platform().input.get_foreground_window(), 0u);
}

TEST_F(SimElementTree, AbsentElementsAreSkippedUntilAdded) {
  auto app = from_handle(1);
  EXPECT_EQ(find(*app, "later"), nullptr);
}

TEST_F(SimElementTree, PatternsAreHandedOutOnlyForTheirOwnInterface) {
  auto field = from_handle(3);
  auto as_unknown =
      field->get_current_pattern_as(platform::kValuePatternId, platform::PatternInterface::Unknown);
  EXPECT_TRUE(as_unknown.succeeded());
  EXPECT_NE(as_unknown.value, nullptr);
  EXPECT_EQ(
      field->get_current_pattern_as(platform::kValuePatternId, platform::PatternInterface::Toggle)
          .hr,
      platform::kENoInterface);
  auto missing = field->current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId);
  EXPECT_EQ(missing.hr, platform::kSOk);
  EXPECT_EQ(missing.value, nullptr);
  EXPECT_EQ(field->get_current_pattern_as(42, platform::PatternInterface::Unknown).hr,
            platform::kEInvalidArg);
}

}  // namespace
}  // namespace uiad::sim::testing
