// click, focus, attrs, set_value and set_focused through the simulated daemon:
// the exact response lines and the exact effects on the desktop (messages,
// their parameters and targets, pattern calls, waits, style changes, order).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "daemon/json.h"
#include "protocol/daemon_process.h"

namespace uiad {
namespace {

using testing::Exchange;
using testing::run_sim;
using testing::test_data_path;

const std::string kScene = test_data_path("scenes/actions.json");

// Scans `app` of the actions scene, then sends `requests`.
Exchange run_after_scan(const std::string& app, const std::vector<std::string>& requests) {
  return testing::run_after_scan(kScene, app, requests);
}

struct Case {
  const char* name;
  std::vector<std::string> requests;
  std::vector<std::string> responses;
  std::vector<std::string> events;
};

void check(const Case& c) {
  SCOPED_TRACE(c.name);
  const Exchange s = run_after_scan("tool", c.requests);
  EXPECT_EQ(s.responses, c.responses);
  EXPECT_EQ(s.events, c.events);
  EXPECT_EQ(s.exit_line.substr(s.exit_line.find("\"live")),
            R"("live_references":0,"open_handles":0})");
}

constexpr const char* kNoActivate =
    R"({"t":0,"type":"set_window_long","hwnd":4000,"index":-20,"value":134217728,"previous":0})";

std::string restore_style(int t) {
  return R"({"t":)" + std::to_string(t) +
         R"(,"type":"set_window_long","hwnd":4000,"index":-20,"value":0,"previous":134217728})";
}

std::string sleep_at(int t, int ms) {
  return R"({"t":)" + std::to_string(t) + R"(,"type":"sleep","ms":)" + std::to_string(ms) + "}";
}

std::string post_at(int t, int hwnd, int msg, int wparam, long long lparam) {
  return R"({"t":)" + std::to_string(t) + R"(,"type":"post_message","hwnd":)" +
         std::to_string(hwnd) + R"(,"msg":)" + std::to_string(msg) + R"(,"wparam":)" +
         std::to_string(wparam) + R"(,"lparam":)" + std::to_string(lparam) + "}";
}

TEST(ClickProtocol, ButtonWithItsOwnWindowGetsPostedClicksOnly) {
  // Centre (50,45) is (40,15) in the button's client area: lParam 15<<16 | 40.
  const std::string go =
      R"({"center_x":50,"center_y":45,"id":"auto:go","label":"Go","method":"post-hwnd","ok":true,"role":"button"})";
  check({"count 2: down, 30 ms, up, 50 ms, twice; no Invoke, no style change",
         {R"({"cmd":"click","app":"tool","id":"auto:go","count":2})"},
         {go},
         {post_at(0, 4001, 513, 1, 983080), sleep_at(0, 30), post_at(30, 4001, 514, 0, 983080),
          sleep_at(30, 50), post_at(80, 4001, 513, 1, 983080), sleep_at(80, 30),
          post_at(110, 4001, 514, 0, 983080), sleep_at(110, 50)}});
  check({"count 0 posts nothing and still names the way",
         {R"({"cmd":"focus","app":"tool","id":"e:auto:go","count":0})"},
         {go},
         {}});
}

TEST(ClickProtocol, GeneralWayActivatesThroughUiAutomation) {
  const std::string run =
      R"({"center_x":140,"center_y":45,"id":"auto:run","label":"Run","method":"uia-live","ok":true,"role":"button"})";
  const std::string invoke = R"({"t":0,"type":"uia","call":"Invoke","element":"3"})";
  check({"count 2 invokes twice, 40 ms apart, inside the no-activate guard",
         {R"({"cmd":"click","app":"tool","id":"auto:run","count":2})"},
         {run},
         {kNoActivate, invoke, sleep_at(0, 40),
          R"({"t":40,"type":"uia","call":"Invoke","element":"3"})", sleep_at(40, 40),
          restore_style(80)}});
  check(
      {"count 0 still makes the first activation; a float count means 1",
       {R"({"cmd":"click","app":"tool","id":"auto:run","count":0})",
        R"({"cmd":"click","app":"tool","id":"auto:run","count":2.0})"},
       {run, run},
       {kNoActivate, invoke, sleep_at(0, 40), restore_style(40),
        R"({"t":40,"type":"set_window_long","hwnd":4000,"index":-20,"value":134217728,"previous":0})",
        R"({"t":40,"type":"uia","call":"Invoke","element":"3"})", sleep_at(40, 40),
        restore_style(80)}});
  check(
      {"a refused Invoke goes on down the chain to Expand",
       {R"({"cmd":"click","app":"tool","id":"auto:refuses"})"},
       {R"({"center_x":350,"center_y":45,"id":"auto:refuses","label":"Refuses","method":"uia-live","ok":true,"role":"button"})"},
       {kNoActivate, R"({"t":0,"type":"uia","call":"Invoke","element":"5","hr":"0x80070005"})",
        R"({"t":0,"type":"uia","call":"Expand","element":"5"})", sleep_at(0, 40),
        restore_style(40)}});
  check(
      {"a check box toggles",
       {R"({"cmd":"click","app":"tool","id":"auto:wrap"})"},
       {R"({"center_x":250,"center_y":40,"id":"auto:wrap","label":"Wrap","method":"uia-live","ok":true,"role":"checkbox"})"},
       {kNoActivate, R"({"t":0,"type":"uia","call":"Toggle","element":"4","state":1})",
        sleep_at(0, 40), restore_style(40)}});
}

TEST(ClickProtocol, WithoutAPatternItPostsClicksAtTheCentre) {
  // (250,220) is client (250,200) of the tool window, which has no child there.
  const long long pad = (200LL << 16) | 250;
  check(
      {"count 3: activation, then three clicks each followed by 50 ms",
       {R"({"cmd":"click","app":"tool","id":"auto:pad","count":3})"},
       {R"({"center_x":250,"center_y":220,"id":"auto:pad","label":"Pad","method":"post","ok":true,"role":"text"})"},
       {kNoActivate, post_at(0, 4000, 6, 1, 0), sleep_at(0, 50), post_at(50, 4000, 513, 1, pad),
        sleep_at(50, 30), post_at(80, 4000, 514, 0, pad), sleep_at(80, 50),
        post_at(130, 4000, 513, 1, pad), sleep_at(130, 30), post_at(160, 4000, 514, 0, pad),
        sleep_at(160, 50), post_at(210, 4000, 513, 1, pad), sleep_at(210, 30),
        post_at(240, 4000, 514, 0, pad), sleep_at(240, 50), sleep_at(290, 40),
        restore_style(330)}});
  // (630,50) lies over the child window 4020 at (600,30): client (30,20).
  check(
      {"the click goes to the deepest child window under the point; count 0 sends none",
       {R"({"cmd":"click","app":"tool","id":"auto:canvas"})",
        R"({"cmd":"click","app":"tool","id":"auto:canvas","count":0})"},
       {R"({"center_x":630,"center_y":50,"id":"auto:canvas","label":"Canvas label","method":"post","ok":true,"role":"text"})",
        R"({"center_x":630,"center_y":50,"id":"auto:canvas","label":"Canvas label","method":"post","ok":true,"role":"text"})"},
       {kNoActivate, post_at(0, 4000, 6, 1, 0), sleep_at(0, 50),
        post_at(50, 4020, 513, 1, (20 << 16) | 30), sleep_at(50, 30),
        post_at(80, 4020, 514, 0, (20 << 16) | 30), sleep_at(80, 50), sleep_at(130, 40),
        restore_style(170),
        R"({"t":170,"type":"set_window_long","hwnd":4000,"index":-20,"value":134217728,"previous":0})",
        post_at(170, 4000, 6, 1, 0), sleep_at(170, 50), sleep_at(220, 40), restore_style(260)}});
}

TEST(ClickProtocol, TheForegroundTakenDuringTheClickIsGivenBack) {
  const long long grab = (195LL << 16) | 50;
  check(
      {"the application grabs the foreground when clicked; Other gets it back",
       {R"({"cmd":"click","app":"tool","id":"auto:grab"})", R"({"cmd":"foreground"})"},
       {R"({"center_x":50,"center_y":215,"id":"auto:grab","label":"Grab","method":"post","ok":true,"role":"button"})",
        R"({"hwnd":5000,"ok":true,"title":"Other"})"},
       {kNoActivate, post_at(0, 4000, 6, 1, 0), sleep_at(0, 50), post_at(50, 4000, 513, 1, grab),
        sleep_at(50, 30), post_at(80, 4000, 514, 0, grab),
        R"({"t":80,"type":"foreground","hwnd":4000})", sleep_at(80, 50), sleep_at(130, 40),
        restore_style(170),
        R"({"t":170,"type":"send_input","inputs":[{"type":0,"dx":0,"dy":0,"mouse_data":0,"flags":1}]})",
        R"({"t":170,"type":"attach_thread_input","attach":1,"attach_to":40,"attach_on":true,"ok":true})",
        R"({"t":170,"type":"set_foreground_window","hwnd":5000,"ok":true})",
        R"({"t":170,"type":"foreground","hwnd":5000})",
        R"({"t":170,"type":"attach_thread_input","attach":1,"attach_to":40,"attach_on":false,"ok":true})"}});
}

TEST(ClickProtocol, TabsAreSelectedAndClickedWhereSelectingDidNotTake) {
  const auto tab = [](const char* id, const char* label, int cx, const char* method,
                      const char* selected) {
    return std::string(R"({"center_x":)") + std::to_string(cx) + R"(,"center_y":85,"id":"auto:)" +
           id + R"(","label":")" + label + R"(","method":")" + method +
           R"(","ok":true,"role":"tab","selected":)" + selected + "}";
  };
  // Tab centres are at y 85, client y 65: lParam (65<<16) | x.
  const auto click_at = [](int x) {
    const long long lp = (65LL << 16) | x;
    return std::vector<std::string>{post_at(60, 4000, 513, 1, lp), sleep_at(60, 30),
                                    post_at(90, 4000, 514, 0, lp)};
  };
  check({"Select works: uia-select, no click; count is ignored",
         {R"({"cmd":"click","app":"tool","id":"auto:view","count":0})"},
         {tab("view", "View", 150, "uia-select", "true")},
         {kNoActivate, R"({"t":0,"type":"uia","call":"Select","element":"13"})", sleep_at(0, 60),
          sleep_at(60, 40), restore_style(100)}});
  check({"Select refused on a selected tab: nothing else is done",
         {R"({"cmd":"click","app":"tool","id":"auto:home"})"},
         {tab("home", "Home", 55, "none", "true")},
         {kNoActivate, R"({"t":0,"type":"uia","call":"Select","element":"12","hr":"0x80004005"})",
          sleep_at(0, 60), sleep_at(60, 40), restore_style(100)}});
  std::vector<std::string> stuck = {
      kNoActivate, R"({"t":0,"type":"uia","call":"Select","element":"stuck","hr":"0x80004005"})",
      sleep_at(0, 60)};
  for (auto& e : click_at(250)) stuck.push_back(e);
  for (auto& e :
       {std::string(R"({"t":90,"type":"set_selected","element":"stuck","selected":true})"),
        sleep_at(90, 80), sleep_at(170, 40), restore_style(210)})
    stuck.push_back(e);
  check({"Select refused: the posted click selects it, read again afterwards",
         {R"({"cmd":"click","app":"tool","id":"auto:stuck"})"},
         {tab("stuck", "Stuck", 250, "post-click", "true")},
         stuck});
  std::vector<std::string> fickle = {
      kNoActivate, R"({"t":0,"type":"uia","call":"Select","element":"fickle"})",
      R"({"t":0,"type":"set_selected","element":"fickle","selected":false})", sleep_at(0, 60)};
  for (auto& e : click_at(350)) fickle.push_back(e);
  for (auto& e : {sleep_at(90, 80), sleep_at(170, 40), restore_style(210)}) fickle.push_back(e);
  check({"Select accepted but not selected afterwards: a click as well",
         {R"({"cmd":"click","app":"tool","id":"auto:fickle"})"},
         {tab("fickle", "Fickle", 350, "uia-select+post-click", "false")},
         fickle});
  std::vector<std::string> bare = {kNoActivate, sleep_at(0, 60)};
  for (auto& e : click_at(455)) bare.push_back(e);
  for (auto& e : {sleep_at(90, 80), sleep_at(170, 40), restore_style(210)}) bare.push_back(e);
  check({"no SelectionItem pattern: a click, selection unknown",
         {R"({"cmd":"click","app":"tool","id":"auto:bare"})"},
         {tab("bare", "Bare", 455, "post-click", "null")},
         bare});
}

TEST(ClickProtocol, StaleOnlyOnTheGeneralWayAndAfterTheElementLeft) {
  const std::string stale =
      "element 'auto:victim' is stale \xE2\x80\x94 the UI changed since the last scan; re-scan and "
      "retry";
  const Exchange s =
      run_after_scan("tool", {R"({"cmd":"click","app":"tool","id":"auto:victim"})",
                              R"({"cmd":"focus","app":"tool","id":"auto:victim"})",
                              R"({"cmd":"set_value","app":"tool","id":"auto:victim","text":"z"})",
                              R"({"cmd":"attrs","app":"tool","id":"auto:victim"})",
                              R"({"cmd":"set_focused","app":"tool","id":"auto:victim"})",
                              R"({"cmd":"focus","app":"Tool","id":"auto:nothing"})",
                              R"({"cmd":"focus","app":" tool","id":"auto:go"})",
                              R"({"cmd":"click","app":"tool","id":"auto:go","count":0})",
                              R"({"cmd":"click","app":"tool","id":"auto:bare"})"});
  EXPECT_EQ(
      s.responses,
      (std::vector<std::string>{
          R"({"center_x":140,"center_y":215,"id":"auto:victim","label":"Victim","method":"uia-live","ok":true,"role":"button"})",
          R"({"error":"click: )" + stale + R"(","ok":false})",
          R"({"error":"set_value: )" + stale + R"(","ok":false})",
          R"({"desc":"Victim","enabled":true,"focused":false,"id":"auto:victim","name":"Victim","ok":true,"patterns":[],"pos":[100,200],"role":"button","size":[80,30],"title":"Victim","value":"v"})",
          R"({"ok":true})", R"({"error":"click: no element id=auto:nothing in 'tool'","ok":false})",
          R"({"error":"click: no session for ' tool'","ok":false})",
          // The invoke took these two away as well; their ways never test.
          R"({"center_x":50,"center_y":45,"id":"auto:go","label":"Go","method":"post-hwnd","ok":true,"role":"button"})",
          R"({"center_x":455,"center_y":85,"id":"auto:bare","label":"Bare","method":"post-click","ok":true,"role":"tab","selected":null})"}));
}

TEST(AttrsProtocol, RecordedValuesAndThePatternsOfferedNow) {
  const Exchange s = run_after_scan(
      "tool", {R"({"cmd":"attrs","app":"tool","id":"auto:refuses"})",
               R"({"cmd":"attrs","app":"tool","id":"Eauto:name"})",
               R"({"cmd":"attrs","app":"tool","id":"idx:22"})", R"({"cmd":"attrs","app":"tool"})"});
  EXPECT_EQ(
      s.responses,
      (std::vector<std::string>{
          R"({"desc":"Refuses","enabled":true,"focused":false,"id":"auto:refuses","name":"Refuses","ok":true,"patterns":["Invoke","ExpandCollapse"],"pos":[310,30],"role":"button","size":[80,30],"title":"Refuses","value":""})",
          R"({"desc":"Name","enabled":true,"focused":false,"id":"auto:name","name":"Name","ok":true,"patterns":["Value"],"pos":[10,120],"role":"input","size":[290,24],"title":"Name","value":"x"})",
          R"({"desc":"","enabled":true,"focused":false,"id":"idx:22","name":"","ok":true,"patterns":["Value"],"pos":[400,400],"role":"input","size":[300,100],"title":"","value":"memo"})",
          R"({"error":"attrs: no element id= in 'tool'","ok":false})"}));
  EXPECT_TRUE(s.events.empty());
}

TEST(SetValueProtocol, ChoosesBetweenTheValuePatternTypingAndSettingTheText) {
  const auto ok = [](const char* id, const char* label, const char* method, const char* role) {
    return std::string(R"({"id":"auto:)") + id + R"(","label":")" + label + R"(","method":")" +
           method + R"(","ok":true,"role":")" + role + "\"}";
  };
  check({"an empty text through the writable Value pattern",
         {R"({"cmd":"set_value","app":"tool","id":"auto:name","text":""})"},
         {ok("name", "Name", "uia-live", "input")},
         {kNoActivate, R"({"t":0,"type":"uia","call":"SetValue","element":"17","value":""})",
          sleep_at(0, 40), restore_style(40)}});
  check({"read-only: typed into the focused child after activation and 200 ms",
         {R"({"cmd":"set_value","app":"tool","id":"auto:locked","text":"ok"})"},
         {ok("locked", "Locked", "post", "input")},
         {kNoActivate, post_at(0, 4000, 6, 1, 0), sleep_at(0, 50), sleep_at(50, 200),
          post_at(250, 4010, 258, 'o', 0x180001), sleep_at(250, 4),
          post_at(254, 4010, 258, 'k', 0x250001), sleep_at(254, 4), sleep_at(258, 40),
          restore_style(298)}});
  check({"19 pixels from an edit window: its whole text at once, no guard",
         {R"({"cmd":"set_value","app":"tool","id":"auto:near19","text":"n"})"},
         {ok("near19", "Near", "settext", "text")},
         {R"({"t":0,"type":"send_message","hwnd":4010,"msg":12,"wparam":0,"text":"n"})"}});
  check({"20 pixels is not near: the element at the point takes the value",
         {R"({"cmd":"set_value","app":"tool","id":"auto:far20","text":"f"})"},
         {ok("far20", "Far", "uia-point", "text")},
         {kNoActivate, R"({"t":0,"type":"uia","call":"SetValue","element":"25","value":"f"})",
          sleep_at(0, 40), restore_style(40)}});
  // One WM_CHAR per UTF-16 code unit: U+1F600 goes as D83D, DE00, and the
  // pair is paced as one character.
  check({"an element with its own window is typed into directly, a pair as one character",
         {"{\"cmd\":\"set_value\",\"app\":\"tool\",\"id\":\"auto:console\",\"text\":"
          "\"a\xF0\x9F\x98\x80\"}"},
         {ok("console", "Console", "post", "group")},
         {post_at(0, 4030, 258, 'a', 0x1e0001), sleep_at(0, 4), post_at(4, 4030, 258, 0xD83D, 1),
          post_at(4, 4030, 258, 0xDE00, 1), sleep_at(4, 4)}});
  check({"'text' is checked before the session",
         {R"({"cmd":"set_value","app":"nothing","id":"auto:name"})",
          R"({"cmd":"set_value","app":"tool","id":"auto:name","text":5})",
          R"({"cmd":"set_value","app":"nothing","id":"auto:name","text":"x"})"},
         {R"({"error":"set_value: missing 'text' field","ok":false})",
          R"({"error":"set_value: missing 'text' field","ok":false})",
          R"({"error":"set_value: no session for 'nothing'","ok":false})"},
         {}});
}

// Corners at opposite ends of the 32-bit range are far apart, although their
// difference wraps round to 11 in 32-bit arithmetic.
TEST(SetValueProtocol, EditWindowsAtTheOtherEndOfTheCoordinateRangeAreNotNear) {
  testing::TempFile scene(
      R"({"windows": [{"hwnd": 10, "title": "Wide", "rect": [-2147483648, 0, 2147483647, 100], "process": 7,
      "focus": 11, "children": [{"hwnd": 11, "class": "RICHEDIT50W", "rect": [2147483642, 0, 2147483647, 10]}],
      "element": {"children": [
        {"type": "text", "name": "Far", "automation_id": "far", "rect": [-2147483643, 0, -2147483633, 10]}]}}]})");
  const Exchange s = testing::run_after_scan(
      scene.path(), "wide", {R"({"cmd":"set_value","app":"wide","id":"auto:far","text":"x"})"});
  EXPECT_EQ(s.responses,
            (std::vector<std::string>{
                R"({"id":"auto:far","label":"Far","method":"post","ok":true,"role":"text"})"}));
  // Typed into the focused child after activation, not set with WM_SETTEXT.
  ASSERT_FALSE(s.events.empty());
  for (const std::string& e : s.events) EXPECT_EQ(e.find("send_message"), std::string::npos) << e;
  EXPECT_NE(s.events[s.events.size() - 4].find(R"("hwnd":11,"msg":258,"wparam":120)"),
            std::string::npos)
      << s.events[s.events.size() - 4];
}

// Two edit windows equally near: the first in enumeration order wins, which
// here is not the one with the lower handle.
TEST(SetValueProtocol, OfEquallyNearEditWindowsTheFirstListedGetsTheText) {
  testing::TempFile scene(
      R"({"windows": [{"hwnd": 10, "title": "Two", "rect": [0, 0, 400, 300], "process": 7,
      "children": [{"hwnd": 12, "class": "RICHEDIT50W", "rect": [100, 100, 200, 120]},
                   {"hwnd": 11, "class": "RICHEDIT50W", "rect": [120, 100, 220, 120]}],
      "element": {"children": [
        {"type": "text", "name": "Mid", "automation_id": "mid", "rect": [110, 100, 130, 110]}]}}]})");
  const Exchange s = testing::run_after_scan(
      scene.path(), "two", {R"({"cmd":"set_value","app":"two","id":"auto:mid","text":"t"})"});
  EXPECT_EQ(s.responses,
            (std::vector<std::string>{
                R"({"id":"auto:mid","label":"Mid","method":"settext","ok":true,"role":"text"})"}));
  EXPECT_EQ(s.events,
            (std::vector<std::string>{
                R"({"t":0,"type":"send_message","hwnd":12,"msg":12,"wparam":0,"text":"t"})"}));
}

TEST(SetValueProtocol, TheNextScanShowsTheNewTexts) {
  const Exchange s =
      run_after_scan("tool", {R"({"cmd":"set_value","app":"tool","id":"auto:name","text":"bob"})",
                              R"({"cmd":"set_value","app":"tool","id":"auto:locked","text":"!"})",
                              R"({"cmd":"scan","app":"tool"})"});
  ASSERT_EQ(s.responses.size(), 3u);
  const Json scan = Json::parse(s.responses[2]);
  EXPECT_EQ(scan["elements"]["auto:name"]["value"], "bob");
  EXPECT_EQ(scan["elements"]["auto:locked"]["value"], "fixed");
  EXPECT_EQ(scan["elements"]["idx:22"]["value"], "memo!");
}

TEST(SetValueProtocol, AChromiumSessionIsTypedIntoItsContentWindow) {
  const Exchange s = run_after_scan(
      "browser", {R"({"cmd":"set_value","app":"browser","id":"auto:q","text":"hi"})"});
  EXPECT_EQ(
      s.responses,
      (std::vector<std::string>{
          R"({"id":"auto:q","label":"Search","method":"uia-clear+post","ok":true,"role":"input"})"}));
  // Emptied through its Value pattern first, so the typing replaces the text;
  // the page still sees every character typed.
  EXPECT_EQ(s.events, (std::vector<std::string>{
                          post_at(0, 6000, 6, 1, 0), post_at(0, 6001, 7, 0, 0), sleep_at(0, 50),
                          R"({"t":50,"type":"uia","call":"SetValue","element":"23","value":""})",
                          post_at(50, 6001, 258, 'h', 0x230001), sleep_at(50, 4),
                          post_at(54, 6001, 258, 'i', 0x170001), sleep_at(54, 4)}));
}

TEST(SetFocusedProtocol, ActivatesThenClicksAndAnswersOkOnly) {
  // Centre (155,132) is client (155,112) of the tool window.
  const long long lp = (112LL << 16) | 155;
  check({"soft activation, then a click at the recorded centre",
         {R"({"cmd":"set_focused","app":"tool","id":"auto:name"})"},
         {R"({"ok":true})"},
         {post_at(0, 4000, 6, 1, 0), sleep_at(0, 50), post_at(50, 4000, 513, 1, lp),
          sleep_at(50, 30), post_at(80, 4000, 514, 0, lp)}});
}

// In a Chromium session posted clicks of the general way and of set_focused go
// to the content window (after WM_SETFOCUS to it), a tab's click to the
// top-level window. Both points lie above the content window, so each target
// shows in the message's window and in its client lParam.
TEST(ClickProtocol, AChromiumSessionClicksItsContentWindowButTabsTheTopLevelWindow) {
  testing::TempFile scene(
      R"({"windows": [{"hwnd": 60, "class": "BrowserWindow", "title": "Web", "rect": [0, 0, 800, 600],
      "process": 6, "children": [{"hwnd": 61, "class": "Chrome_RenderWidgetHostHWND", "rect": [0, 100, 800, 600]}],
      "element": {"children": [
        {"type": "tabitem", "name": "Page", "automation_id": "page", "rect": [10, 10, 110, 40]},
        {"type": "text", "name": "Menu", "automation_id": "menu", "rect": [700, 10, 760, 40]}]}}]})");
  const Exchange s =
      testing::run_after_scan(scene.path(), "web",
                              {R"({"cmd":"click","app":"web","id":"auto:page"})",
                               R"({"cmd":"click","app":"web","id":"auto:menu"})",
                               R"({"cmd":"set_focused","app":"web","id":"auto:menu"})"});
  EXPECT_EQ(
      s.responses,
      (std::vector<std::string>{
          R"({"center_x":60,"center_y":25,"id":"auto:page","label":"Page","method":"post-click","ok":true,"role":"tab","selected":null})",
          R"({"center_x":730,"center_y":25,"id":"auto:menu","label":"Menu","method":"post","ok":true,"role":"text"})",
          R"({"ok":true})"}));
  const std::string guard_on =
      R"(,"type":"set_window_long","hwnd":60,"index":-20,"value":134217728,"previous":0})";
  const std::string guard_off =
      R"(,"type":"set_window_long","hwnd":60,"index":-20,"value":0,"previous":134217728})";
  const long long tab = (25LL << 16) | 60;     // client (60,25) of 60
  const long long menu = -(75LL << 16) + 730;  // client (730,-75) of 61
  EXPECT_EQ(
      s.events,
      (std::vector<std::string>{
          "{\"t\":0" + guard_on, sleep_at(0, 60), post_at(60, 60, 513, 1, tab), sleep_at(60, 30),
          post_at(90, 60, 514, 0, tab), sleep_at(90, 80), sleep_at(170, 40),
          "{\"t\":210" + guard_off,
          // general way: no pattern anywhere, so activation and clicks
          "{\"t\":210" + guard_on, post_at(210, 60, 6, 1, 0), post_at(210, 61, 7, 0, 0),
          sleep_at(210, 50), post_at(260, 61, 513, 1, menu), sleep_at(260, 30),
          post_at(290, 61, 514, 0, menu), sleep_at(290, 50), sleep_at(340, 40),
          "{\"t\":380" + guard_off,
          // set_focused
          post_at(380, 60, 6, 1, 0), post_at(380, 61, 7, 0, 0), sleep_at(380, 50),
          post_at(430, 61, 513, 1, menu), sleep_at(430, 30), post_at(460, 61, 514, 0, menu)}));
  EXPECT_EQ(s.exit_line.substr(s.exit_line.find("\"live")),
            R"("live_references":0,"open_handles":0})");
}

// The worker stays in an Invoke that waits for its dialog; the click answers
// after the 800 ms limit and the daemon ends normally with the worker blocked.
TEST(ClickProtocol, ABlockingInvokeAnswersAfter800msAndTheWorkerIsAbandonedAtExit) {
  testing::TempFile events("", "events.log");
  const auto start = std::chrono::steady_clock::now();
  const auto run = run_sim(kScene,
                           R"({"cmd":"scan","app":"tool"})"
                           "\n"
                           R"({"cmd":"click","app":"tool","id":"auto:slow"})"
                           "\n"
                           R"({"cmd":"windows"})"
                           "\n",
                           events.path());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(run.lines.size(), 4u) << run.output << run.error_output;
  EXPECT_EQ(
      run.lines[2],
      R"({"center_x":50,"center_y":265,"id":"auto:slow","label":"Slow","method":"uia-live","ok":true,"role":"button"})");
  EXPECT_NE(run.lines[3].find(R"("title":"Busy")"), std::string::npos) << run.lines[3];
  EXPECT_GE(elapsed, std::chrono::milliseconds(800));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.error_output, "");  // no sanitizer report, no crash
  // The blocked worker still holds its pattern when the daemon ends.
  EXPECT_NE(events.read().find(R"("type":"exit","live_references":1,"open_handles":0)"),
            std::string::npos);
}

}  // namespace
}  // namespace uiad
