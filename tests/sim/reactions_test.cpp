// Built-in behaviour of patterns and messages, scene reactions, scheduled
// changes on the virtual clock, and the event log that records them.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

constexpr const char* kScene = R"({
  "foreground": 1,
  "windows": [
    {"hwnd": 1, "title": "Editor", "rect": [0, 0, 400, 300], "client": [0, 20, 400, 300], "thread": 3, "focus": 2,
     "children": [{"hwnd": 2, "class": "Edit", "title": "ab", "rect": [0, 20, 400, 200]},
                  {"hwnd": 4, "class": "Button", "title": "Go", "rect": [10, 220, 90, 250]}],
     "element": {"children": [
       {"type": "menuitem", "name": "File", "ref": "file", "patterns": {"expand_collapse": {}}, "children": [
         {"type": "menuitem", "name": "Open", "ref": "open", "present": false, "patterns": ["invoke"]}]},
       {"type": "edit", "name": "Body", "ref": "body", "native_window": 2,
        "patterns": {"value": {"value": "ab"}, "scroll": {"vertical_percent": 95, "large_step": 10}}},
       {"type": "checkbox", "name": "Wrap", "ref": "wrap", "patterns": {"toggle": {"state": "on", "three_state": true}}},
       {"type": "tabitem", "name": "T1", "ref": "t1", "patterns": {"selection_item": {"selected": true}}},
       {"type": "tabitem", "name": "T2", "ref": "t2", "patterns": {"selection_item": {}}},
       {"type": "edit", "name": "Locked", "ref": "locked", "patterns": {"value": {"value": "x", "read_only": true}}},
       {"type": "button", "name": "Go", "ref": "go", "native_window": 4, "enabled": true,
        "children": [{"type": "text", "name": "Go label", "rect": [20, 225, 80, 245]}]}]}},
    {"hwnd": 9, "class": "#32770", "title": "Saved", "exists": false, "rect": [100, 100, 200, 150]}
  ],
  "reactions": [
    {"when": {"event": "expand", "element": "file"}, "then": [{"action": "add_element", "element": "open"}]},
    {"when": {"event": "invoke", "element": "open"}, "delay_ms": 100,
     "then": [{"action": "create_window", "window": 9}, {"action": "set_foreground", "window": 9}]},
    {"when": {"event": "click", "element": "go"}, "times": 1,
     "then": [{"action": "set_title", "window": 1, "text": "Editor - clicked"}]},
    {"when": {"event": "message", "msg": 256, "wparam": 27, "within": 1},
     "then": [{"action": "destroy_window", "window": 9}]},
    {"at_ms": 500, "then": [{"action": "set_value", "element": "body", "value": "from the schedule"}]}
  ]})";

class SimReactions : public SimTest {
 protected:
  void SetUp() override {
    load(kScene);
    window_ = from_handle(1);
  }
  void TearDown() override {
    window_.reset();
    SimTest::TearDown();
  }
  template <class P>
  Ref<P> pattern(std::string_view name, platform::PatternId id) {
    auto e = find(*window_, name);
    EXPECT_NE(e, nullptr) << name;
    return e ? e->current_pattern_as<P>(id).value : nullptr;
  }
  Ref<Element> window_;
};

TEST_F(SimReactions, PatternsChangeTheirStateAndRefuseWhatTheyCannotDo) {
  auto wrap = pattern<platform::TogglePattern>("Wrap", platform::kTogglePatternId);
  ASSERT_EQ(wrap->toggle(), platform::kSOk);
  EXPECT_EQ(wrap->get_current_toggle_state().value, platform::ToggleState::Indeterminate);
  ASSERT_EQ(wrap->toggle(), platform::kSOk);
  EXPECT_EQ(wrap->get_current_toggle_state().value, platform::ToggleState::Off);

  auto t2 = pattern<platform::SelectionItemPattern>("T2", platform::kSelectionItemPatternId);
  ASSERT_EQ(t2->select(), platform::kSOk);
  EXPECT_TRUE(t2->get_current_is_selected().value);
  EXPECT_FALSE(pattern<platform::SelectionItemPattern>("T1", platform::kSelectionItemPatternId)
                   ->get_current_is_selected()
                   .value);

  auto locked = pattern<platform::ValuePattern>("Locked", platform::kValuePatternId);
  EXPECT_TRUE(locked->get_current_is_read_only().value);
  EXPECT_EQ(locked->set_value(u16("y")), static_cast<platform::HResult>(0x80131509u));
  EXPECT_EQ(locked->get_current_value().value, u16("x"));

  auto scroll = pattern<platform::ScrollPattern>("Body", platform::kScrollPatternId);
  EXPECT_FALSE(scroll->get_current_horizontally_scrollable().value);
  EXPECT_EQ(scroll->get_current_horizontal_scroll_percent().value, -1.0);
  ASSERT_EQ(
      scroll->scroll(platform::ScrollAmount::NoAmount, platform::ScrollAmount::LargeIncrement),
      platform::kSOk);
  EXPECT_EQ(scroll->get_current_vertical_scroll_percent().value, 100.0);
  EXPECT_EQ(
      scroll->scroll(platform::ScrollAmount::LargeIncrement, platform::ScrollAmount::NoAmount),
      static_cast<platform::HResult>(0x80131509u));
  ASSERT_EQ(scroll->set_scroll_percent(-1, 0), platform::kSOk);
  EXPECT_EQ(scroll->get_current_vertical_scroll_percent().value, 0.0);
  EXPECT_EQ(scroll->set_scroll_percent(-1, 101), platform::kEInvalidArg);
}

TEST_F(SimReactions, ValuesFollowSetValueSetTextAndTypedCharacters) {
  auto body = pattern<platform::ValuePattern>("Body", platform::kValuePatternId);
  ASSERT_EQ(body->set_value(u16("hello")), platform::kSOk);
  EXPECT_EQ(os().windows.get_window_text(2, 100), u16("hello"));
  EXPECT_EQ(os().input.send_message_text(2, 0x000C, 0, u16("replaced")), 1);
  EXPECT_EQ(body->get_current_value().value, u16("replaced"));
  EXPECT_TRUE(os().input.post_message(2, 0x0102, '!', 0));
  EXPECT_TRUE(os().input.post_message(2, 0x0102, 0x1F600, 0));
  EXPECT_EQ(body->get_current_value().value, u"replaced!\U0001F600");
  EXPECT_TRUE(os().input.post_message(2, 0x0102, 0x08, 0));  // backspace takes the whole pair
  EXPECT_EQ(body->get_current_value().value, u16("replaced!"));
  EXPECT_FALSE(os().input.post_message(77, 0x0102, 'x', 0));
}

TEST_F(SimReactions, ExpandRevealsItemsAndADelayedInvokeOpensADialog) {
  EXPECT_EQ(find(*window_, "Open"), nullptr);
  ASSERT_EQ(pattern<platform::ExpandCollapsePattern>("File", platform::kExpandCollapsePatternId)
                ->expand(),
            platform::kSOk);
  auto open = pattern<platform::InvokePattern>("Open", platform::kInvokePatternId);
  ASSERT_NE(open, nullptr);
  ASSERT_EQ(open->invoke(), platform::kSOk);
  EXPECT_FALSE(os().windows.is_window(9));  // 100 ms later, on the virtual clock
  os().clock.sleep_ms(99);
  EXPECT_FALSE(os().windows.is_window(9));
  os().clock.sleep_ms(1);
  EXPECT_TRUE(os().windows.is_window(9));
  EXPECT_EQ(os().input.get_foreground_window(), 9u);
  std::vector<platform::Hwnd> top;
  ASSERT_TRUE(os().windows.enum_windows(top));
  EXPECT_EQ(top.front(), 9u);
  // Escape to any window of the editor closes the dialog; the foreground returns.
  EXPECT_TRUE(os().input.post_message(2, 0x0100, 27, 0));
  EXPECT_FALSE(os().windows.is_window(9));
  EXPECT_EQ(os().input.get_foreground_window(), 1u);
}

TEST_F(SimReactions, APostedClickHitsTheElementUnderItsPoint) {
  // Client point (40, 10) of the button window is screen (50, 230): its label.
  const std::int64_t lparam = 40 | (10 << 16);
  EXPECT_TRUE(os().input.post_message(4, 0x0201, 1, lparam));
  EXPECT_TRUE(os().input.post_message(4, 0x0202, 0, lparam));
  EXPECT_EQ(os().windows.get_window_text(1, 100), u16("Editor - clicked"));
  EXPECT_EQ(desktop_->events().back(),
            R"({"t":0,"type":"set_title","hwnd":1,"text":"Editor - clicked"})");
}

TEST_F(SimReactions, TheLogCarriesVirtualTimeAndScheduledChangesApplyOnTheWay) {
  desktop_->clear_events();
  EXPECT_EQ(os().clock.now_ns(), 0);
  EXPECT_TRUE(os().input.post_message(1, 0x0201, 1, 65537));
  os().clock.sleep_ms(30);
  EXPECT_TRUE(os().input.post_message(1, 0x0202, 0, 65537));
  os().clock.sleep_ms(1000);
  EXPECT_EQ(os().clock.now_ns(), 1'030'000'000);
  EXPECT_EQ(desktop_->now_ms(), 1030);
  const std::vector<std::string> expected{
      R"({"t":0,"type":"post_message","hwnd":1,"msg":513,"wparam":1,"lparam":65537})",
      R"({"t":0,"type":"sleep","ms":30})",
      R"({"t":30,"type":"post_message","hwnd":1,"msg":514,"wparam":0,"lparam":65537})",
      R"({"t":30,"type":"sleep","ms":1000})",
      R"({"t":500,"type":"set_value","element":"body","value":"from the schedule"})",
  };
  EXPECT_EQ(desktop_->events(), expected);
  EXPECT_EQ(os().windows.get_window_text(2, 100), u16("from the schedule"));
}

TEST_F(SimReactions, PatternCallsAreLoggedWithTheirOutcome) {
  desktop_->clear_events();
  auto wrap = pattern<platform::TogglePattern>("Wrap", platform::kTogglePatternId);
  ASSERT_EQ(wrap->toggle(), platform::kSOk);
  auto locked = pattern<platform::ValuePattern>("Locked", platform::kValuePatternId);
  EXPECT_NE(locked->set_value(u16("y")), platform::kSOk);
  const std::vector<std::string> expected{
      R"({"t":0,"type":"uia","call":"Toggle","element":"wrap","state":2})",
      R"({"t":0,"type":"uia","call":"SetValue","element":"locked","hr":"0x80131509"})",
  };
  EXPECT_EQ(desktop_->events(), expected);
}

}  // namespace
}  // namespace uiad::sim::testing
