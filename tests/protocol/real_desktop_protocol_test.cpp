// What a real Windows desktop shows and the commands must get right: edit
// controls of every class, title bars with the system menu bar and caption
// buttons, another application's window over the target, the user's own
// foreground window, cloaked and hidden windows, applications whose frame and
// content live in two processes, elements of an exited application, and the
// lParams of posted keys. Exact responses and desktop effects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/daemon_process.h"

namespace uiad {
namespace {

using testing::Exchange;
using testing::run_after_scan;
using testing::test_data_path;

const std::string kScene = test_data_path("scenes/real_desktop.json");

struct Case {
  const char* name;
  std::vector<std::string> requests;
  std::vector<std::string> responses;
  std::vector<std::string> events;
};

// Scans `app` (one level deep) and runs the case; the scheduled windows of the
// scene appear at 100 ms, so a case's events are those after the scan up to
// that time unless it says otherwise.
void check(const std::string& app, const Case& c) {
  SCOPED_TRACE(c.name);
  std::vector<std::string> requests = c.requests;
  const Exchange s = run_after_scan(kScene, app, requests);
  EXPECT_EQ(s.responses, c.responses);
  std::vector<std::string> events;
  for (const std::string& e : s.events) {
    // The scene's own scheduled changes are not the commands' doing.
    if (e.find(R"("type":"create_window","hwnd":7)") != std::string::npos ||
        e.find(R"("type":"destroy_window","hwnd":7)") != std::string::npos) {
      continue;
    }
    events.push_back(e);
  }
  EXPECT_EQ(events, c.events);
  EXPECT_EQ(s.exit_line.substr(s.exit_line.find("\"live")),
            R"("live_references":0,"open_handles":0})");
}

std::string request(const std::string& cmd, const std::string& rest = "") {
  return R"({"cmd":")" + cmd + R"(","app":"editor")" + (rest.empty() ? "" : "," + rest) + "}";
}

std::string set_text(int t, int hwnd, const std::string& text) {
  return R"({"t":)" + std::to_string(t) + R"(,"type":"send_message","hwnd":)" +
         std::to_string(hwnd) + R"(,"msg":12,"wparam":0,"text":")" + text + "\"}";
}

std::string post(int t, int hwnd, int msg, long long wparam, long long lparam) {
  return R"({"t":)" + std::to_string(t) + R"(,"type":"post_message","hwnd":)" +
         std::to_string(hwnd) + R"(,"msg":)" + std::to_string(msg) + R"(,"wparam":)" +
         std::to_string(wparam) + R"(,"lparam":)" + std::to_string(lparam) + "}";
}

std::string sleep_at(int t, int ms) {
  return R"({"t":)" + std::to_string(t) + R"(,"type":"sleep","ms":)" + std::to_string(ms) + "}";
}

std::string style(int t, bool on) {
  return on ? R"({"t":)" + std::to_string(t) +
                  R"(,"type":"set_window_long","hwnd":1000,"index":-20,"value":134217728,"previous":0})"
            : R"({"t":)" + std::to_string(t) +
                  R"(,"type":"set_window_long","hwnd":1000,"index":-20,"value":0,"previous":134217728})";
}

std::string value_answer(const std::string& id, const std::string& label,
                         const std::string& method) {
  return R"({"id":"auto:)" + id + R"(","label":")" + label + R"(","method":")" + method +
         R"(","ok":true,"role":"input"})";
}

// WM_CHAR lParams: repeat count 1 and the US layout's set-1 scan code.
constexpr long long kCharH = 0x230001, kCharI = 0x170001, kCharZ = 0x2C0001;

TEST(RealDesktop, SetValueReplacesTheTextOfEveryKindOfEditAndNeverAppends) {
  check(
      "editor",
      {"a classic Edit gets its whole text set",
       {request("set_value", R"("id":"auto:body","text":"bob")"),
        request("attrs", R"("id":"auto:body")")},
       {value_answer("body", "Body", "settext"),
        R"({"desc":"Body","enabled":true,"focused":false,"id":"auto:body","name":"Body","ok":true,"patterns":["Value","Text"],"pos":[8,51],"role":"input","size":[392,249],"title":"Body","value":"hello"})"},
       {set_text(0, 1010, "bob")}});
  check("editor", {"an edit of another framework's class, found as the nearest edit window",
                   {request("set_value", R"("id":"auto:subject","text":"x")")},
                   {value_answer("subject", "Subject", "settext")},
                   {set_text(0, 1020, "x")}});
  check("editor", {"a custom window: emptied through its Value pattern, then typed into",
                   {request("set_value", R"("id":"auto:search","text":"hi")")},
                   {value_answer("search", "Search", "uia-clear+post")},
                   {R"({"t":0,"type":"uia","call":"SetValue","element":"9","value":""})",
                    post(0, 1030, 258, 'h', kCharH), sleep_at(0, 4),
                    post(4, 1030, 258, 'i', kCharI), sleep_at(4, 4)}});
  check("editor", {"a read-only rich edit is never overwritten: it gets typing, which it ignores",
                   {request("set_value", R"("id":"auto:log","text":"z")")},
                   {value_answer("log", "Log", "post")},
                   {post(0, 1040, 258, 'z', kCharZ), sleep_at(0, 4)}});
  // The typed text really replaced the old one: a new scan reads "bob".
  const Exchange rescanned =
      run_after_scan(kScene, "editor",
                     {request("set_value", R"("id":"auto:body","text":"bob")"),
                      R"({"cmd":"scan","app":"editor","max_depth":1})"});
  ASSERT_EQ(rescanned.responses.size(), 2u);
  EXPECT_NE(
      rescanned.responses[1].find(R"("name":"Body","patterns":[],"role":"input","value":"bob")"),
      std::string::npos)
      << rescanned.responses[1];
}

TEST(RealDesktop, MenusPassOverTheSystemMenuBarOfTheTitleBar) {
  check(
      "editor",
      {"menus lists the application's bar, not the title bar's \"System\"",
       {request("menus"), request("invoke_menu", R"("path":"File>Save")"),
        request("invoke_menu", R"("path":"Sys")")},
       {R"x({"app":"editor","note":"menu-bar items; nested items the app exposes statically are in each `items` — invoke any leaf with invoke_menu(\"Top>Item\")","ok":true,"shortcuts":[{"items":["Save"],"path":"File"}]})x",
        R"({"app":"editor","ok":true,"path":"File>Save"})",
        R"x({"error":"invoke_menu: top menu not found: Sys (static resolve: menu path segment 'Sys' not found (top-level menu bar); available: [File])","ok":false})x"},
       {style(0, true), R"({"t":0,"type":"uia","call":"Expand","element":"file_menu"})",
        sleep_at(0, 80), R"({"t":80,"type":"uia","call":"Invoke","element":"file_save"})",
        sleep_at(80, 40), style(120, false), style(120, true), sleep_at(120, 40),
        style(160, false)}});
}

TEST(RealDesktop, ContextMenuClosesItsPopupWithoutTouchingTheUsersWindow) {
  // The user's own window (2000) is in front, and the user has a popup menu of
  // their own open (2500): neither is read, neither gets the Escape.
  check(
      "editor",
      {"Escape to the popup that opened; no popup of ours: Escape to the editor itself",
       {request("context_menu", R"("id":"auto:body")"),
        request("context_menu", R"("id":"auto:search")")},
       {R"({"count":2,"foregrounded":false,"id":"auto:body","items":[{"enabled":true,"name":"Copy","shortcut":"Ctrl+C"},{"enabled":true,"name":"Paste","shortcut":"Ctrl+V"}],"menu_class":"#32768","ok":true})",
        R"({"count":0,"foregrounded":false,"id":"auto:search","items":[],"menu_class":"","ok":false})"},
       {post(0, 1010, 516, 0, 8126660), sleep_at(0, 30), post(30, 1010, 517, 0, 8126660),
        R"({"t":30,"type":"create_window","hwnd":1500})", sleep_at(30, 250),
        post(280, 1500, 256, 27, 0x00010001), R"({"t":280,"type":"destroy_window","hwnd":1500})",
        sleep_at(280, 10),
        R"({"t":290,"type":"post_message","hwnd":1500,"msg":257,"wparam":27,"lparam":3221291009,"ok":false})",
        sleep_at(290, 20), post(310, 1030, 516, 0, 1638596), sleep_at(310, 30),
        post(340, 1030, 517, 0, 1638596), sleep_at(340, 250), post(590, 1000, 256, 27, 0x00010001),
        sleep_at(590, 10), post(600, 1000, 257, 27, 0xC0010001), sleep_at(600, 20)}});
}

TEST(RealDesktop, PointFallbacksNeverActOnAnotherApplicationsWindowOverTheTarget) {
  // "Vault" (another process) covers Apply and Name. Apply has no pattern and
  // Name a read-only Value, so both commands ask for the element at the point:
  // the vault's check box and password field, which are left alone.
  check(
      "editor",
      {"click posts instead of toggling the vault's check box",
       {request("click", R"("id":"auto:apply")")},
       {R"({"center_x":200,"center_y":130,"id":"auto:apply","label":"Apply","method":"post","ok":true,"role":"button"})"},
       {style(0, true), post(0, 1000, 6, 1, 0), sleep_at(0, 50), post(50, 1010, 513, 1, 5177536),
        sleep_at(50, 30), post(80, 1010, 514, 0, 5177536), sleep_at(80, 50), sleep_at(130, 40),
        style(170, false)}});
  check("editor", {"set_value types into the editor instead of writing the vault's password field",
                   {request("set_value", R"("id":"auto:name","text":"pw")")},
                   {value_answer("name", "Name", "post")},
                   {style(0, true), post(0, 1000, 6, 1, 0), sleep_at(0, 50), sleep_at(50, 200),
                    post(250, 1000, 258, 'p', 0x190001), sleep_at(250, 4),
                    post(254, 1000, 258, 'w', 0x110001), sleep_at(254, 4), sleep_at(258, 40),
                    style(298, false)}});
}

TEST(RealDesktop, ElementsOfAnExitedApplicationAreStaleWhateverCodeTheTransportGives) {
  // RPC_E_DISCONNECTED, RPC_S_SERVER_UNAVAILABLE, CO_E_OBJNOTCONNECTED.
  const std::string stale =
      " is stale \u2014 the UI changed since the last scan; re-scan and retry";
  check("editor", {"no point fallback, no posted click",
                   {request("click", R"("id":"auto:gone1")"),
                    request("set_value", R"("id":"auto:gone2","text":"a")"),
                    request("click", R"("id":"auto:gone3")")},
                   {R"({"error":"click: element 'auto:gone1')" + stale + R"(","ok":false})",
                    R"({"error":"set_value: element 'auto:gone2')" + stale + R"(","ok":false})",
                    R"({"error":"click: element 'auto:gone3')" + stale + R"(","ok":false})"},
                   {}});
}

TEST(RealDesktop, PostedKeysCarryTheLParamTheSystemWouldGive) {
  // End: scan code 0x4F, extended; the release adds the previous-state and
  // transition bits. "A" is typed by Shift+A (scan 0x1E); "é" by no US key.
  check(
      "editor",
      {"key names and characters",
       {request("key", R"("id":"auto:body","key":"End")"),
        request("key", R"("id":"auto:body","key":"A")"),
        request("key", R"("id":"auto:body","key":"é")")},
       {R"({"count":1,"focused":true,"key":"End","kind":"key","method":"post","ok":true,"vk":35})",
        R"({"count":1,"focused":true,"key":"A","kind":"char","method":"post","ok":true,"vk":null})",
        R"({"count":1,"focused":true,"key":"é","kind":"char","method":"post","ok":true,"vk":null})"},
       {post(0, 1000, 6, 1, 0), sleep_at(0, 50), post(50, 1010, 256, 35, 0x014F0001),
        sleep_at(50, 10), post(60, 1010, 257, 35, 0xC14F0001), sleep_at(60, 20),
        post(80, 1000, 6, 1, 0), sleep_at(80, 50), post(130, 1010, 258, 'A', 0x1E0001),
        sleep_at(130, 8), sleep_at(138, 20), post(158, 1000, 6, 1, 0), sleep_at(158, 50),
        post(208, 1010, 258, 0xE9, 1), sleep_at(208, 8), sleep_at(216, 20)}});
}

TEST(RealDesktop, WindowsTheUserCannotSeeAreNeitherListedNorCountedNorPreferred) {
  // "Inbox - Mail" is cloaked (another virtual desktop); at 100 ms a hidden
  // "Default IME" window and a cloaked "Calendar" appear, and the IME window
  // goes again at 200 ms.
  const testing::DaemonRun run =
      testing::run_sim(kScene, R"({"cmd":"windows"})"
                               "\n"
                               R"({"cmd":"list_apps"})"
                               "\n"
                               R"({"cmd":"wait_for_change","timeout_ms":300})"
                               "\n"
                               R"({"cmd":"scan","app":"mail","max_depth":0})"
                               "\n"
                               R"({"cmd":"scan","app":"inbox","max_depth":0})"
                               "\n");
  ASSERT_EQ(run.lines.size(), 6u) << run.output;
  EXPECT_EQ(
      run.lines[1],
      R"({"ok":true,"windows":[{"id":"3000","pos":[100,100],"size":[200,100],"title":"Vault"},{"id":"2000","pos":[900,0],"size":[300,300],"title":"User notes"},{"id":"1000","pos":[0,0],"size":[800,600],"title":"Report - Editor"},{"id":"4000","pos":[1000,400],"size":[600,500],"title":"Photos"},{"id":"5100","pos":[1200,600],"size":[300,200],"title":"Mail settings"},{"id":"6000","pos":[-400,100],"size":[300,150],"title":"Alert"},{"id":"6100","pos":[1300,100],"size":[300,150],"title":"Notice"},{"id":"8000","pos":[1300,300],"size":[300,200],"title":"Frozen report"}]})");
  EXPECT_EQ(
      run.lines[2],
      R"({"apps":[{"name":"Vault","process":"vault"},{"name":"User notes","process":"usernotes"},{"name":"Report - Editor","process":"editor"},{"name":"Photos","process":"ApplicationFrameHost"},{"name":"Mail settings","process":"mail"},{"name":"Alert","process":"editor"},{"name":"Notice","process":"editor"},{"name":"Frozen report","process":"frozen"}],"ok":true})");
  EXPECT_EQ(run.lines[3], R"({"changed":false,"notification":null,"ok":true})");
  // A shown window wins over the cloaked one above it; the cloaked one is
  // still found when nothing else matches.
  EXPECT_NE(run.lines[4].find(R"("title":"Mail settings")"), std::string::npos) << run.lines[4];
  EXPECT_NE(run.lines[5].find(R"("title":"Inbox - Mail")"), std::string::npos) << run.lines[5];
}

TEST(RealDesktop, DismissDialogsPressesClientButtonsOnlyAndOnEveryMonitor) {
  const testing::TempFile events("", "events.log");
  const testing::DaemonRun run =
      testing::run_sim(kScene,
                       R"({"cmd":"dismiss_dialogs","titles":["alert"]})"
                       "\n"
                       R"({"cmd":"dismiss_dialogs","titles":["notice"],"passes":2})"
                       "\n",
                       events.path());
  ASSERT_EQ(run.lines.size(), 3u) << run.output;
  // OK sits on the monitor left of the primary one (centre -160,215): it is
  // pressed, and the title bar's Close is not a candidate.
  EXPECT_EQ(run.lines[1], R"({"dismissed":[{"button":"OK","title":"Alert"}],"ok":true})");
  // A dialog whose only button is its caption's Close has nothing to press.
  EXPECT_EQ(run.lines[2], R"({"dismissed":[],"ok":true})");
  const std::string log = events.read();
  EXPECT_NE(log.find(post(0, 6000, 513, 1, 5505256)), std::string::npos) << log;
  EXPECT_EQ(log.find(R"("hwnd":6100)"), std::string::npos) << log;
}

TEST(RealDesktop, InvokeMenuFindsThePopupOfAnAppHostedInAnotherProcess) {
  // The frame window belongs to the host process (40), the popup that File
  // opens to the application's own process (41), which owns the frame's
  // content window.
  const testing::TempFile events("", "events.log");
  const testing::DaemonRun run =
      testing::run_sim(kScene,
                       R"({"cmd":"scan","app":"photos","max_depth":1})"
                       "\n"
                       R"({"cmd":"invoke_menu","app":"photos","path":"File>Open"})"
                       "\n",
                       events.path());
  ASSERT_EQ(run.lines.size(), 3u) << run.output;
  EXPECT_EQ(run.lines[2], R"({"app":"photos","ok":true,"path":"File>Open"})");
  EXPECT_NE(events.read().find(R"("type":"uia","call":"Invoke","element":"photos_open")"),
            std::string::npos);
}

TEST(RealDesktop, AnApplicationThatStoppedTakingMessagesIsNotActedOn) {
  // Its GUI thread takes no messages: a style change or a sent message would
  // block the daemon, posted input would land long after the request.
  const std::string hung = "'Frozen report' is not responding";
  auto frozen = [](const std::string& cmd, const std::string& rest) {
    return R"({"cmd":")" + cmd + R"(","app":"frozen")" + rest + "}";
  };
  const Exchange s = run_after_scan(
      kScene, "frozen",
      {frozen("click", R"(,"id":"auto:save")"),
       frozen("set_value", R"(,"id":"auto:draft","text":"x")"),
       frozen("key", R"(,"key":"Enter")"), frozen("mouse_click", R"(,"id":"auto:save")"),
       frozen("hover", R"(,"id":"auto:save")"), frozen("perform", R"(,"id":"auto:save")"),
       frozen("set_focused", R"(,"id":"auto:draft")"), frozen("scroll", R"(,"id":"auto:draft")"),
       frozen("context_menu", R"(,"id":"auto:draft")"), frozen("invoke_menu", R"(,"path":"File")"),
       frozen("screenshot", R"(,"path":"never-written.bmp")")});
  std::vector<std::string> expected;
  for (const char* cmd : {"click", "set_value", "key", "mouse_click", "hover", "perform",
                          "set_focused", "scroll", "context_menu", "invoke_menu", "screenshot"}) {
    expected.push_back(R"({"error":")" + std::string(cmd) + ": " + hung + R"(","ok":false})");
  }
  EXPECT_EQ(s.responses, expected);
  std::vector<std::string> effects;
  for (const std::string& e : s.events) {
    if (e.find(R"("hwnd":7)") == std::string::npos) effects.push_back(e);
  }
  EXPECT_EQ(effects, std::vector<std::string>{});
}

}  // namespace
}  // namespace uiad
