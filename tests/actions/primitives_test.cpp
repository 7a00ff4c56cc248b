// The input primitives over the simulated desktop: coordinate conversions, the
// child-window descent, lParam packing, SendInput records, the foreground
// hand-back and the no-activate guard, pinned by their exact event-log lines.
#include "actions/primitives.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "sim/sim_fixture.h"

namespace uiad::actions {
namespace {

using platform::Hwnd;
using Lines = std::vector<std::string>;

constexpr const char* kScene = R"({
  "daemon_thread": 1,
  "virtual_screen": [0, 0, 3840, 1080],
  "monitors": [{"rect": [0, 0, 1920, 1080], "dpi": 144}, {"rect": [1920, 0, 3840, 1080], "dpi": 192}],
  "foreground": 200,
  "windows": [
    {"hwnd": 100, "title": "Unaware", "rect": [0, 0, 800, 600], "dpi": 96, "thread": 10},
    {"hwnd": 200, "title": "Aware", "rect": [90, 90, 900, 700], "client": [100, 100, 900, 700],
     "thread": 20, "focus": 201, "children": [
       {"hwnd": 201, "class": "Edit", "rect": [110, 110, 300, 140]},
       {"hwnd": 202, "rect": [400, 100, 600, 300], "children": [
         {"hwnd": 203, "rect": [410, 110, 500, 200], "visible": false},
         {"hwnd": 204, "rect": [500, 110, 590, 200], "enabled": false},
         {"hwnd": 205, "rect": [410, 210, 590, 290]}]}]},
    {"hwnd": 300, "title": "Half", "rect": [2000, 0, 2800, 600], "dpi": 96, "thread": 30},
    {"hwnd": 400, "title": "Mine", "rect": [0, 700, 400, 900], "thread": 1,
     "ex_style": 134217728}]})";

class Primitives : public sim::testing::SimTest {
 protected:
  void SetUp() override {
    load(kScene);
    desktop_->clear_events();
  }
  platform::Platform& p() { return os(); }
  const Lines& events() { return desktop_->events(); }
};

TEST_F(Primitives, ClientPointsAreScaledToAVirtualisedWindowsDpi) {
  struct Row {
    Hwnd window;
    platform::Point in, out;
  };
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const Row rows[] = {
      {100, {300, 150}, {200, 100}},  // 96-DPI window on a 144-DPI monitor
      {200, {300, 150}, {300, 150}},  // per-monitor aware: unchanged
      {300, {3, -3}, {2, -2}},        // 1.5 and -1.5 round away from zero
      {300, {1, -1}, {1, -1}},        // 0.5 and -0.5 too
      {100, {kMax, kMin}, {1431655765, -1431655765}},
      {999, {7, 8}, {7, 8}},  // no window: no DPI, no scaling
  };
  for (const Row& r : rows) {
    EXPECT_EQ(to_window_dpi(p(), r.in.x, r.in.y, r.window), r.out) << r.window << " " << r.in.x;
  }
}

TEST_F(Primitives, PackedPointsKeepTheLow16BitsAndSignExtend) {
  EXPECT_EQ(pack_point(-1, 5), 0x0005FFFF);
  EXPECT_EQ(pack_point(5, -1), -65531);  // 0xFFFF0005 sign-extended
  EXPECT_EQ(pack_point(0x12345, 2), 0x00022345);
  // Screen (99,50) is client (-1,-50) of the aware window.
  EXPECT_EQ(client_lparam(p(), 200, 99, 50), static_cast<std::int32_t>(0xFFCEFFFF));
  // Physical client (300,150) of the unaware window reaches it as (200,100).
  EXPECT_EQ(client_lparam(p(), 100, 300, 150), (100 << 16) | 200);
}

TEST_F(Primitives, TheDescentSkipsHiddenAndDisabledChildrenAndStopsAt32Levels) {
  struct Row {
    platform::Point screen;
    Hwnd found;
  };
  const Row rows[] = {
      {{450, 150}, 202},  // over the invisible 203: its parent
      {{550, 150}, 202},  // over the disabled 204
      {{450, 250}, 205}, {{200, 120}, 201}, {{800, 600}, 200},  // over no child
      {{50, 50}, 200},                                          // outside the client area
  };
  for (const Row& r : rows) EXPECT_EQ(deepest_child_at(p(), 200, r.screen.x, r.screen.y), r.found);

  // 40 nested windows under a root: the 32nd descendant comes back.
  std::string nested = R"({"hwnd": 1040, "rect": [0, 0, 100, 100]})";
  for (int h = 1039; h >= 1001; --h) {
    nested = R"({"hwnd": )" + std::to_string(h) + R"(, "rect": [0, 0, 100, 100], "children": [)" +
             nested + "]}";
  }
  load(R"({"windows": [{"hwnd": 1000, "rect": [0, 0, 100, 100], "children": [)" + nested + "]}]}");
  EXPECT_EQ(deepest_child_at(p(), 1000, 50, 50), 1032u);
}

TEST_F(Primitives, KeyAndCharacterLParamsAreWhatTheSystemWouldPost) {
  struct KeyCase {
    std::uint64_t vk;
    bool up;
    std::int64_t lparam;
  };
  // Repeat count 1, the set-1 scan code, bit 24 for the extended navigation
  // keys, bits 30 and 31 on release; no scan code for a key the layout lacks.
  for (const KeyCase& k : {KeyCase{0x1B, false, 0x00010001}, KeyCase{0x1B, true, 0xC0010001},
                           KeyCase{0x0D, false, 0x001C0001}, KeyCase{0x23, false, 0x014F0001},
                           KeyCase{0x26, true, 0xC1480001}, KeyCase{0x2E, false, 0x01530001},
                           KeyCase{0x21, false, 0x01490001}, KeyCase{0x41, false, 0x001E0001},
                           KeyCase{0x7B, false, 0x00580001}, KeyCase{0xE5, false, 0x00000001}}) {
    EXPECT_EQ(key_lparam(p(), k.vk, k.up), k.lparam) << k.vk << (k.up ? " up" : " down");
  }
  struct CharCase {
    char16_t unit;
    std::int64_t lparam;
  };
  for (const CharCase& c :
       {CharCase{u'a', 0x1E0001}, CharCase{u'A', 0x1E0001}, CharCase{u'!', 0x020001},
        CharCase{u' ', 0x390001}, CharCase{u'\r', 0x1C0001}, CharCase{u'?', 0x350001},
        CharCase{u'\u00e9', 1}, CharCase{0xD83D, 1}}) {
    EXPECT_EQ(char_lparam(p(), c.unit), c.lparam) << static_cast<int>(c.unit);
  }
}

TEST_F(Primitives, PostedInputHasItsExactMessagesAndPacing) {
  post_left_click(p(), 200, 450, 250);  // 205: client (40,40)
  post_key_tap(p(), 201, 0x41);
  post_mouse_moves(p(), 200, 200, 120, 2, true, 100);  // 201: client (90,10)
  EXPECT_EQ(
      events(),
      (Lines{
          R"({"t":0,"type":"post_message","hwnd":205,"msg":513,"wparam":1,"lparam":2621480})",
          R"({"t":0,"type":"sleep","ms":30})",
          R"({"t":30,"type":"post_message","hwnd":205,"msg":514,"wparam":0,"lparam":2621480})",
          R"({"t":30,"type":"post_message","hwnd":201,"msg":256,"wparam":65,"lparam":1966081})",
          R"({"t":30,"type":"sleep","ms":10})",
          R"({"t":40,"type":"post_message","hwnd":201,"msg":257,"wparam":65,"lparam":3223191553})",
          R"({"t":40,"type":"post_message","hwnd":201,"msg":160,"wparam":1,"lparam":655450})",
          R"({"t":40,"type":"post_message","hwnd":201,"msg":512,"wparam":0,"lparam":655450})",
          R"({"t":40,"type":"sleep","ms":16})",
          R"({"t":56,"type":"post_message","hwnd":201,"msg":512,"wparam":0,"lparam":655450})",
          R"({"t":56,"type":"sleep","ms":16})", R"({"t":72,"type":"sleep","ms":100})"}));
}

TEST_F(Primitives, AbsoluteMovesScaleOverTheWholeVirtualScreen) {
  send_absolute_move(p(), 1920, 540);
  load(R"({"windows": []})");
  desktop_->clear_events();
  send_absolute_move(p(), 960, 540);  // one 1920x1080 monitor
  send_absolute_move(p(), -10, 0);    // truncates toward zero
  EXPECT_EQ(
      events(),
      (Lines{
          R"({"t":0,"type":"send_input","inputs":[{"type":0,"dx":32767,"dy":32767,"mouse_data":0,"flags":49153}]})",
          R"({"t":0,"type":"send_input","inputs":[{"type":0,"dx":-341,"dy":0,"mouse_data":0,"flags":49153}]})"}));
}

TEST_F(Primitives, ForceForegroundAttachesOnlyToAnotherThread) {
  force_foreground(p(), 100);  // the foreground (200) belongs to thread 20
  force_foreground(p(), 400);  // 100 belongs to thread 10
  desktop_->clear_events();
  force_foreground(p(), 200);  // 400 is the daemon's own thread's
  EXPECT_EQ(
      events(),
      (Lines{
          R"({"t":0,"type":"send_input","inputs":[{"type":0,"dx":0,"dy":0,"mouse_data":0,"flags":1}]})",
          R"({"t":0,"type":"set_foreground_window","hwnd":200,"ok":true})",
          R"({"t":0,"type":"foreground","hwnd":200})"}));
}

TEST_F(Primitives, TheGuardSetsAndRestoresTheStyleAndGivesTheForegroundBack) {
  {
    NoActivateGuard guard(p(), 100);
    ASSERT_TRUE(p().input.set_foreground_window(100));
    guard.end();
  }
  EXPECT_EQ(
      events(),
      (Lines{
          R"({"t":0,"type":"set_window_long","hwnd":100,"index":-20,"value":134217728,"previous":0})",
          R"({"t":0,"type":"set_foreground_window","hwnd":100,"ok":true})",
          R"({"t":0,"type":"foreground","hwnd":100})", R"({"t":0,"type":"sleep","ms":40})",
          R"({"t":40,"type":"set_window_long","hwnd":100,"index":-20,"value":0,"previous":134217728})",
          R"({"t":40,"type":"send_input","inputs":[{"type":0,"dx":0,"dy":0,"mouse_data":0,"flags":1}]})",
          R"({"t":40,"type":"attach_thread_input","attach":1,"attach_to":10,"attach_on":true,"ok":true})",
          R"({"t":40,"type":"set_foreground_window","hwnd":200,"ok":true})",
          R"({"t":40,"type":"foreground","hwnd":200})",
          R"({"t":40,"type":"attach_thread_input","attach":1,"attach_to":10,"attach_on":false,"ok":true})"}));

  // A style that already has the flag is left alone; with no foreground at the
  // start nothing is brought back.
  load(std::string(kScene).replace(std::string(kScene).find(R"("foreground": 200)"), 17,
                                   R"("foreground": null)"));
  desktop_->clear_events();
  {
    NoActivateGuard guard(p(), 400);
    ASSERT_TRUE(p().input.set_foreground_window(400));
    guard.end();
  }
  EXPECT_EQ(events(), (Lines{R"({"t":0,"type":"set_foreground_window","hwnd":400,"ok":true})",
                             R"({"t":0,"type":"foreground","hwnd":400})",
                             R"({"t":0,"type":"sleep","ms":40})"}));
}

TEST_F(Primitives, InputGoesToTheFocusWindowOrTheContentWindow) {
  EXPECT_EQ(focused_child(p(), 200), 201u);
  EXPECT_EQ(focused_child(p(), 100), 100u);  // its thread has no focus window
  EXPECT_EQ(focused_child(p(), 999), 999u);  // no window, no thread
  Session s;
  s.window = 200;
  s.content_window = 205;
  EXPECT_EQ(input_window(s), 200u);
  s.chromium = true;
  EXPECT_EQ(input_window(s), 205u);
  soft_activate(p(), s);
  EXPECT_EQ(events(),
            (Lines{R"({"t":0,"type":"post_message","hwnd":200,"msg":6,"wparam":1,"lparam":0})",
                   R"({"t":0,"type":"post_message","hwnd":205,"msg":7,"wparam":0,"lparam":0})",
                   R"({"t":0,"type":"sleep","ms":50})"}));
}

}  // namespace
}  // namespace uiad::actions
