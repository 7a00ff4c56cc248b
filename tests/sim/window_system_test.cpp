// Window, process, input and DPI calls follow Win32's rules.
#include <gtest/gtest.h>

#include "sim/sim_fixture.h"

namespace uiad::sim::testing {
namespace {

constexpr const char* kDesktop = R"({
  "monitors": [{"rect": [0, 0, 1920, 1080], "dpi": 144, "handle": 900}],
  "processes": [{"pid": 40, "image": "Editor.EXE"}, {"pid": 41, "image": "guard.exe", "openable": false}],
  "foreground": 100,
  "windows": [
    {"hwnd": 100, "class": "Frame", "title": "Alpha window", "rect": [100, 100, 500, 400],
     "client": [108, 130, 492, 392], "process": 40, "thread": 7, "focus": 103, "dpi": 96,
     "children": [
       {"hwnd": 101, "class": "Panel", "rect": [108, 130, 492, 300], "children": [
         {"hwnd": 102, "class": "Button", "title": "Hidden", "rect": [120, 140, 200, 170], "visible": false},
         {"hwnd": 103, "class": "Edit", "rect": [120, 140, 300, 170]}]},
       {"hwnd": 104, "class": "Button", "title": "Off", "rect": [120, 310, 200, 340], "enabled": false},
       {"hwnd": 105, "class": "edit", "rect": [220, 310, 300, 340]}]},
    {"hwnd": 200, "title": "Beta", "visible": false, "process": 41},
    {"hwnd": 300, "title": "Gamma", "minimized": true, "rect": [0, 0, 50, 50]}
  ]})";

class SimWindowCalls : public SimTest {
 protected:
  void SetUp() override { load(kDesktop); }
  platform::WindowSystem& win() { return os().windows; }
};

TEST_F(SimWindowCalls, EnumerationIsZOrderedIncludesHiddenWindowsAndDescendsDepthFirst) {
  std::vector<platform::Hwnd> top;
  ASSERT_TRUE(win().enum_windows(top));
  EXPECT_EQ(top, (std::vector<platform::Hwnd>{100, 200, 300}));
  std::vector<platform::Hwnd> children;
  ASSERT_TRUE(win().enum_child_windows(100, children));
  EXPECT_EQ(children, (std::vector<platform::Hwnd>{101, 102, 103, 104, 105}));
  EXPECT_EQ(win().find_window_ex(100, 0, u16("EDIT")), 105u);  // class names ignore case
  EXPECT_EQ(win().find_window_ex(101, 102, std::nullopt), 103u);
  EXPECT_EQ(win().find_window_ex(101, 103, std::nullopt), 0u);
  EXPECT_EQ(win().find_window_ex(0, 0, u16("Frame")), 100u);
}

TEST_F(SimWindowCalls, TextBuffersTruncateAndGoneWindowsFail) {
  EXPECT_EQ(win().get_window_text(100, 512), u16("Alpha window"));
  EXPECT_EQ(win().get_window_text(100, 6), u16("Alpha"));
  EXPECT_EQ(win().get_window_text(100, 1), u16(""));
  EXPECT_EQ(win().get_class_name(101, 256), u16("Panel"));
  EXPECT_TRUE(win().is_window(200));
  EXPECT_FALSE(win().is_window(999));
  EXPECT_FALSE(win().get_window_rect(999).has_value());
  EXPECT_EQ(win().get_window_thread_process_id(999).thread_id, 0u);
  EXPECT_EQ(win().get_window_thread_process_id(103).process_id, 40u);
  EXPECT_EQ(win().get_window_thread_process_id(103).thread_id, 7u);
}

TEST_F(SimWindowCalls, VisibilityFollowsAncestorsAndMinimisedWindowsReportTheParkedRectangle) {
  EXPECT_FALSE(win().is_window_visible(200));
  EXPECT_FALSE(win().is_window_visible(102));
  EXPECT_TRUE(win().is_window_visible(103));
  EXPECT_TRUE(win().is_iconic(300));
  EXPECT_EQ(win().get_window_rect(300)->left, -32000);
}

TEST_F(SimWindowCalls, ChildWindowFromPointSkipsInvisibleAndDisabledChildren) {
  constexpr std::uint32_t kSkip = 3;
  // Client point (12, 10) is screen (120, 140): the hidden button lies over the edit.
  EXPECT_EQ(win().child_window_from_point_ex(100, {12, 10}, kSkip), 101u);
  EXPECT_EQ(win().child_window_from_point_ex(101, {12, 10}, kSkip), 103u);
  EXPECT_EQ(win().child_window_from_point_ex(101, {12, 10}, 0), 102u);
  // Over the disabled button: the parent answers.
  EXPECT_EQ(win().child_window_from_point_ex(100, {12, 180}, kSkip), 100u);
  EXPECT_EQ(win().child_window_from_point_ex(100, {12, 180}, 0), 104u);
  EXPECT_EQ(win().child_window_from_point_ex(100, {-5, 0}, kSkip), 0u);
  EXPECT_EQ(win().screen_to_client(100, {120, 140}), (platform::Point{12, 10}));
  EXPECT_FALSE(win().screen_to_client(999, {0, 0}).has_value());
}

TEST_F(SimWindowCalls, ExtendedStyleChangesAreReadBackAndLogged) {
  constexpr int kGwlExStyle = -20;
  EXPECT_EQ(win().set_window_long(100, kGwlExStyle, 0x08000000), 0);
  EXPECT_EQ(win().get_window_long(100, kGwlExStyle), 0x08000000);
  EXPECT_EQ(win().set_window_long(100, kGwlExStyle, 0), 0x08000000);
  EXPECT_EQ(
      desktop_->events().back(),
      R"({"t":0,"type":"set_window_long","hwnd":100,"index":-20,"value":0,"previous":134217728})");
}

TEST_F(SimWindowCalls, ProcessesOpenCloseAndNameTheirImage) {
  auto& p = os().processes;
  EXPECT_EQ(p.open_process(0x1000, false, 41), 0u);  // not openable
  EXPECT_EQ(p.open_process(0x1000, false, 12345), 0u);
  const auto h = p.open_process(0x1000, false, 40);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(desktop_->open_handles(), 1);
  EXPECT_EQ(p.get_module_base_name(h, 260), u16("Editor.EXE"));
  EXPECT_EQ(p.get_module_base_name(h, 4), u16("Edi"));
  EXPECT_TRUE(p.close_handle(h));
  EXPECT_FALSE(p.close_handle(h));
}

TEST_F(SimWindowCalls, GuiThreadInfoAndDpiOfVirtualisedWindows) {
  auto info = os().input.get_gui_thread_info(7);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->hwnd_focus, 103u);
  EXPECT_EQ(info->hwnd_active, 100u);
  EXPECT_FALSE(os().input.get_gui_thread_info(12345).has_value());
  EXPECT_EQ(os().dpi.get_dpi_for_window(103), 96u);  // inherited from its top-level window
  const auto monitor = os().dpi.monitor_from_window(100, 2);
  EXPECT_EQ(monitor, 900u);
  EXPECT_EQ(os().dpi.get_dpi_for_monitor(monitor, 0).value.x, 144u);
  EXPECT_EQ(os().dpi.get_dpi_for_window(200), 144u);
  EXPECT_TRUE(os().dpi.set_process_dpi_awareness_context(-4));
  EXPECT_FALSE(os().dpi.set_process_dpi_awareness_context(-4));
}

TEST_F(SimWindowCalls, ForegroundMovesAndAbsoluteInputMovesTheCursor) {
  auto& in = os().input;
  EXPECT_FALSE(in.set_foreground_window(999));
  EXPECT_TRUE(in.set_foreground_window(103));  // a child activates its top-level window
  EXPECT_EQ(in.get_foreground_window(), 100u);
  platform::InputRecord move;
  move.dx = 32767;
  move.dy = 32767;
  move.flags = 0xC001;
  EXPECT_EQ(in.send_input({&move, 1}), 1u);
  EXPECT_EQ(in.get_cursor_pos(), (platform::Point{960, 540}));
  EXPECT_EQ(
      desktop_->events().back(),
      R"({"t":0,"type":"send_input","inputs":[{"type":0,"dx":32767,"dy":32767,"mouse_data":0,"flags":49153}]})");
  EXPECT_EQ(in.get_system_metrics(78), 1920);
}

TEST(SimForegroundLock, OnlyAnAttachedThreadMayTakeTheForeground) {
  std::string error;
  auto d = SimDesktop::from_scene_json(R"({"foreground_lock": true, "daemon_thread": 1,
      "windows": [{"hwnd": 1, "thread": 10}, {"hwnd": 2, "thread": 20}]})",
                                       error);
  ASSERT_NE(d, nullptr) << error;
  auto& in = d->platform().input;
  EXPECT_FALSE(in.set_foreground_window(2));
  EXPECT_TRUE(in.attach_thread_input(1, 10, true));
  EXPECT_TRUE(in.set_foreground_window(2));
  EXPECT_TRUE(in.attach_thread_input(1, 10, false));
  EXPECT_FALSE(in.attach_thread_input(1, 10, false));
  EXPECT_FALSE(in.attach_thread_input(1, 99, true));
  EXPECT_EQ(in.get_foreground_window(), 2u);
}

}  // namespace
}  // namespace uiad::sim::testing

namespace uiad::sim::testing {
namespace {

class SimWindowLifecycle : public SimTest {};

TEST_F(SimWindowLifecycle, ClosingAWindowTakesItsChildrenFocusAndForegroundAlong) {
  load(R"({"foreground": 1, "windows": [
      {"hwnd": 1, "thread": 5, "focus": 2, "children": [{"hwnd": 2, "class": "Edit"}]},
      {"hwnd": 3, "minimized": true}, {"hwnd": 4, "visible": false}, {"hwnd": 6}]})");
  EXPECT_EQ(os().input.send_message(1, 0x0010, 0, 0), 0);  // WM_CLOSE
  EXPECT_FALSE(os().windows.is_window(1));
  EXPECT_FALSE(os().windows.is_window(2));
  EXPECT_EQ(os().input.get_gui_thread_info(5)->hwnd_focus, 0u);
  // The foreground passes over the minimised and the hidden window.
  EXPECT_EQ(os().input.get_foreground_window(), 6u);
  std::vector<platform::Hwnd> children;
  EXPECT_FALSE(os().windows.enum_child_windows(1, children));
  EXPECT_FALSE(os().input.post_message(2, 0x0102, 'x', 0));
  EXPECT_EQ(
      desktop_->events().back(),
      R"({"t":0,"type":"post_message","hwnd":2,"msg":258,"wparam":120,"lparam":0,"ok":false})");
}

TEST_F(SimWindowLifecycle, ReactionsFireAsOftenAsAllowedAndCursorTriggersNeedAnEntry) {
  load(R"({"windows": [{"hwnd": 1, "title": "Main", "rect": [0, 0, 500, 500]},
                       {"hwnd": 2, "title": "Tip", "visible": false}],
           "reactions": [{"when": {"event": "set_cursor", "rect": [100, 100, 200, 200]}, "times": 1,
                          "then": [{"action": "show_window", "window": 2}]},
                         {"when": {"event": "message", "window": 1, "msg": 512},
                          "then": [{"action": "hide_window", "window": 2}]}]})");
  ASSERT_TRUE(os().input.set_cursor_pos(50, 50));
  EXPECT_FALSE(os().windows.is_window_visible(2));
  ASSERT_TRUE(os().input.set_cursor_pos(150, 150));
  EXPECT_TRUE(os().windows.is_window_visible(2));
  ASSERT_TRUE(os().input.post_message(1, 0x0200, 0, 0));
  EXPECT_FALSE(os().windows.is_window_visible(2));
  ASSERT_TRUE(os().input.set_cursor_pos(50, 50));
  ASSERT_TRUE(os().input.set_cursor_pos(150, 150));
  EXPECT_FALSE(os().windows.is_window_visible(2));  // fired its one time already
  // The cursor stays on the virtual screen.
  ASSERT_TRUE(os().input.set_cursor_pos(5000, -10));
  EXPECT_EQ(os().input.get_cursor_pos(), (platform::Point{1919, 0}));
}

}  // namespace
}  // namespace uiad::sim::testing
