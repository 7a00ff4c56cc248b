// menus, invoke_menu and context_menu through the simulated daemon binary:
// exact response lines and the exact input, waits and pattern calls each
// request leaves in the event log.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "daemon/json.h"
#include "protocol/daemon_process.h"

namespace uiad {
namespace {

using testing::run_sim;
using testing::TempFile;
using testing::test_data_path;

const std::string kScene = test_data_path("scenes/menus.json");
const std::string kBarNote =
    R"x("note":"menu-bar items; nested items the app exposes statically are in each `items` — invoke any leaf with invoke_menu(\"Top>Item\")")x";
const std::string kNoBarNote =
    R"x("note":"no UIA menu bar found (app may use a ribbon/command-bar with no classic menus)")x";
constexpr const char* kStyleOn =
    R"({"t":0,"type":"set_window_long","hwnd":1001,"index":-20,"value":134217728,"previous":0})";

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
    lines.push_back(text.substr(start, lf - start));
  }
  return lines;
}

struct Exchange {
  std::vector<std::string> responses;  // without the ready line
  std::vector<std::string> events;     // without the start-up and exit lines
  std::string exit_line;
};

// Scans `scans` (with max_depth 1) first, then runs `requests`; returns their
// responses and the events logged after the scans.
Exchange exchange(const std::vector<std::string>& scans, const std::vector<std::string>& requests,
                  const std::string& scene = kScene) {
  std::string input;
  for (const std::string& app : scans) {
    input += R"({"cmd":"scan","max_depth":1,"app":")" + app + "\"}\n";
  }
  for (const std::string& request : requests) input += request + "\n";
  TempFile events("", "events.log");
  auto run = run_sim(scene, input, events.path());
  Exchange out;
  EXPECT_EQ(run.lines.size(), 1 + scans.size() + requests.size()) << run.output << run.error_output;
  for (std::size_t i = 1 + scans.size(); i < run.lines.size(); ++i) {
    out.responses.push_back(run.lines[i]);
  }
  std::vector<std::string> log = split_lines(events.read());
  if (!log.empty()) {
    out.exit_line = log.back();
    log.pop_back();
  }
  if (!log.empty()) log.erase(log.begin());  // the DPI awareness of start-up
  out.events = std::move(log);
  return out;
}

// The events of one invoke_menu on the notes window from `start` to `end`
// virtual ms: the no-activate style set, `inside`, then the guard's end.
std::vector<std::string> guarded(int start, int end, const std::vector<std::string>& inside) {
  const auto at = [](int t) { return R"({"t":)" + std::to_string(t) + ","; };
  std::vector<std::string> events{
      at(start) +
      R"("type":"set_window_long","hwnd":1001,"index":-20,"value":134217728,"previous":0})"};
  events.insert(events.end(), inside.begin(), inside.end());
  events.push_back(at(end - 40) + R"("type":"sleep","ms":40})");
  events.push_back(
      at(end) +
      R"("type":"set_window_long","hwnd":1001,"index":-20,"value":0,"previous":134217728})");
  return events;
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string invoke(const std::string& app, const std::string& path) {
  return R"({"cmd":"invoke_menu","app":")" + app + R"(","path":")" + path + "\"}";
}

TEST(MenusCommand, ReportsTheBarsFirstTwoLevelsWithCleanedNames) {
  auto result = exchange({"notes", "ribbon", "framed"},
                         {R"({"cmd":"menus","app":"NOTES"})", R"({"cmd":"menus","app":"ribbon"})",
                          R"({"cmd":"menus","app":"framed"})", R"({"cmd":"menus","app":"nobody"})",
                          R"({"cmd":"menus"})"});
  ASSERT_EQ(result.responses.size(), 5u);
  const std::string& notes = result.responses[0];
  const std::string expected_head =
      R"({"app":"notes",)" + kBarNote +
      R"(,"ok":true,"shortcuts":[{"items":[],"path":"File"},)"
      R"({"items":["Undo","Cut","Help  Support"],"path":"Edit"},{"items":[],"path":"View"},)"
      R"({"items":["Options...","Mode","Label only","About...","Broken"],"path":"Tools"},)"
      R"({"items":["Item 1","Item 2",)";
  EXPECT_EQ(notes.substr(0, expected_head.size()), expected_head);
  // A level of 400 items is read up to its 301st.
  const Json big = Json::parse(notes)["shortcuts"][4];
  EXPECT_EQ(big["path"], "Big");
  ASSERT_EQ(big["items"].size(), 301u);
  EXPECT_EQ(big["items"][300], "Item 301");

  EXPECT_EQ(result.responses[1],
            R"({"app":"ribbon",)" + kNoBarNote + R"(,"ok":true,"shortcuts":[]})");
  // The frame's own tree has no bar; a child window's has.
  EXPECT_EQ(result.responses[2],
            R"({"app":"framed",)" + kBarNote +
                R"(,"ok":true,"shortcuts":[{"items":["New game"],"path":"Game"}]})");
  EXPECT_EQ(result.responses[3], R"({"error":"menus: no session for 'nobody'","ok":false})");
  EXPECT_EQ(result.responses[4], R"({"error":"menus: no session for ''","ok":false})");
  EXPECT_EQ(result.events, std::vector<std::string>{});
  EXPECT_EQ(result.exit_line, R"({"t":0,"type":"exit","live_references":0,"open_handles":0})");
}

TEST(InvokeMenu, StaticPathsOpenEachLevelThenActivateTheLast) {
  auto result = exchange({"notes"}, {invoke("Notes", " edit > cu "), invoke("notes", "Tools"),
                                     invoke("notes", "tools>opt"), invoke("notes", "Tools>Mode")});
  EXPECT_EQ(result.responses,
            (std::vector<std::string>{R"({"app":"notes","ok":true,"path":" edit > cu "})",
                                      R"({"app":"notes","ok":true,"path":"Tools"})",
                                      R"({"app":"notes","ok":true,"path":"tools>opt"})",
                                      R"({"app":"notes","ok":true,"path":"Tools>Mode"})"}));
  const std::vector<std::string> expected =
      concat({guarded(0, 120,
                      {R"({"t":0,"type":"uia","call":"Expand","element":"edit"})",
                       R"({"t":0,"type":"sleep","ms":80})",
                       R"({"t":80,"type":"uia","call":"Invoke","element":"cut"})"}),
              // One segment: the top-level item is activated, nothing opened first.
              guarded(120, 160, {R"({"t":120,"type":"uia","call":"Invoke","element":"tools"})"}),
              // An item that cannot expand is opened with Invoke.
              guarded(160, 280,
                      {R"({"t":160,"type":"uia","call":"Invoke","element":"tools"})",
                       R"({"t":160,"type":"sleep","ms":80})",
                       R"({"t":240,"type":"uia","call":"Invoke","element":"options"})"}),
              // Without Invoke, the item is selected.
              guarded(280, 400,
                      {R"({"t":280,"type":"uia","call":"Invoke","element":"tools"})",
                       R"({"t":280,"type":"sleep","ms":80})",
                       R"({"t":360,"type":"uia","call":"Select","element":"mode"})"})});

  EXPECT_EQ(result.events, expected);
  EXPECT_EQ(result.exit_line, R"({"t":400,"type":"exit","live_references":0,"open_handles":0})");
}

TEST(InvokeMenu, TheLiveWalkFindsLazyItemsInTheWindowThenBelowTheDesktop) {
  auto result = exchange({"notes"}, {invoke("notes", "File>save"), invoke("notes", "file>save a"),
                                     invoke("notes", "View>Zoom O")});
  EXPECT_EQ(result.responses,
            (std::vector<std::string>{R"({"app":"notes","ok":true,"path":"File>save"})",
                                      R"({"app":"notes","ok":true,"path":"file>save a"})",
                                      R"({"app":"notes","ok":true,"path":"View>Zoom O"})"}));
  const std::vector<std::string> expected =
      concat({guarded(0, 200,
                      {R"({"t":0,"type":"uia","call":"Expand","element":"file"})",
                       R"({"t":0,"type":"add_element","element":"file_popup"})",
                       R"({"t":0,"type":"sleep","ms":160})",
                       // "save" is a prefix of both items: the first one, Save, wins. The
                       // submenu closes again, so the next path must open it anew.
                       R"({"t":160,"type":"uia","call":"Invoke","element":"save"})",
                       R"({"t":160,"type":"remove_element","element":"file_popup"})",
                       R"({"t":160,"type":"set_expand","element":"file","state":0})"}),
              guarded(200, 400,
                      {R"({"t":200,"type":"uia","call":"Expand","element":"file"})",
                       R"({"t":200,"type":"add_element","element":"file_popup"})",
                       R"({"t":200,"type":"sleep","ms":160})",
                       R"({"t":360,"type":"uia","call":"Invoke","element":"save_as"})",
                       R"({"t":360,"type":"remove_element","element":"file_popup"})",
                       R"({"t":360,"type":"set_expand","element":"file","state":0})"}),
              // The View submenu is a popup window of its own, below the desktop root.
              guarded(400, 600,
                      {R"({"t":400,"type":"uia","call":"Expand","element":"view"})",
                       R"({"t":400,"type":"create_window","hwnd":2100})",
                       R"({"t":400,"type":"sleep","ms":160})",
                       R"({"t":560,"type":"uia","call":"Invoke","element":"zoom_out"})"})});

  EXPECT_EQ(result.events, expected);
  EXPECT_EQ(result.exit_line, R"({"t":600,"type":"exit","live_references":0,"open_handles":0})");
}

TEST(InvokeMenu, EveryFailureHasItsMessageAndEndsTheGuard) {
  const std::string known = "available: [File, Edit, View, Tools, Big])";
  const std::vector<std::pair<std::string, std::string>> cases{
      {invoke("nobody", " > "), "invoke_menu: no session for 'nobody'"},
      {R"({"cmd":"invoke_menu","app":"notes"})", "invoke_menu: empty path"},
      {invoke("notes", " > >  "), "invoke_menu: empty path"},
      {invoke("notes", "Nope"),
       "invoke_menu: top menu not found: Nope (static resolve: menu path segment 'Nope' not "
       "found (top-level menu bar); " +
           known},
      // Another application's menu bar below the desktop root has a Quit item,
      // which the desktop search must not take.
      {invoke("notes", "File>Quit"),
       "invoke_menu: menu item not found: Quit (static resolve: menu path segment 'Quit' not "
       "found (under 'File'); available: [])"},
      {invoke("notes", "Edit>Cut>Deeper"),
       "invoke_menu: menu item not found: Deeper (static resolve: menu path segment 'Deeper' not "
       "found (under 'Edit>Cut'); available: [])"},
      {invoke("notes", "File>Print"),
       "invoke_menu: element exposes neither Invoke nor SelectionItem (static resolve: menu path "
       "segment 'Print' not found (under 'File'); available: [])"},
      {invoke("notes", "Tools>Label"),
       "invoke_menu: element exposes neither Invoke nor SelectionItem"},
      {invoke("notes", "Tools>Broken"), "invoke_menu: Invoke: The item refused (0x80004005)"},
      {invoke("notes", "Edit>Undo"), "invoke_menu: Invoke: 0x80040200"},
      {invoke("doomed", "close"), ""},
      {invoke("doomed", "close"),
       "invoke_menu: ElementFromHandle: The parameter is incorrect. (0x80070057) (static resolve: "
       "menu path segment 'close' not found (top-level menu bar); available: [])"},
  };
  std::vector<std::string> requests;
  for (const auto& c : cases) requests.push_back(c.first);
  auto result = exchange({"notes", "doomed"}, requests);
  ASSERT_EQ(result.responses.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string expected = cases[i].second.empty()
                                     ? R"({"app":"doomed","ok":true,"path":"close"})"
                                     : Json{{"error", cases[i].second}, {"ok", false}}.dump();
    EXPECT_EQ(result.responses[i], expected) << cases[i].first;
  }
  for (const std::string& event : result.events) {
    EXPECT_EQ(event.find("user_quit"), std::string::npos) << event;
  }
  // The first three touch no window; every other request ends its guard.
  std::size_t styles_set = 0, styles_restored = 0;
  for (const std::string& event : result.events) {
    if (event.find(R"("value":134217728,"previous":0)") != std::string::npos) ++styles_set;
    if (event.find(R"("value":0,"previous":134217728)") != std::string::npos) ++styles_restored;
  }
  // Seven on the notes window and one on the doomed window; setting or
  // restoring the style of the destroyed window fails and logs nothing.
  EXPECT_EQ(styles_set, 8u);
  EXPECT_EQ(styles_restored, 7u);
  EXPECT_NE(result.events.front().find(R"("hwnd":1001)"), std::string::npos);
  EXPECT_EQ(result.exit_line.substr(result.exit_line.find("\"type\"")),
            R"("type":"exit","live_references":0,"open_handles":0})");
}

TEST(InvokeMenu, NoRawViewWalkerIsReportedWithTheStaticError) {
  const TempFile scene(
      R"({"faults":[{"call":"get_RawViewWalker"}],"windows":[{"hwnd":5,"title":"W","element":)"
      R"({"children":[{"type":"menubar","children":[{"type":"menuitem","name":"File"}]}]}}]})");
  auto result = exchange({"w"}, {invoke("w", "File")}, scene.path());
  EXPECT_EQ(
      result.responses,
      std::vector<std::string>{
          R"({"error":"invoke_menu: walker: Unspecified error (0x80004005) (static resolve: )"
          R"x(menu path segment 'File' not found (top-level menu bar); available: [])","ok":false})x"});
}

TEST(InvokeMenu, AnItemOpeningAModalDialogAnswersAfterTheTimeLimitAndGivesTheForegroundBack) {
  const auto start = std::chrono::steady_clock::now();
  auto result = exchange({"notes"}, {invoke("notes", "tools>about")});
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.responses,
            std::vector<std::string>{R"({"app":"notes","ok":true,"path":"tools>about"})"});
  EXPECT_GE(elapsed, std::chrono::milliseconds(800));
  const std::vector<std::string> expected{
      kStyleOn,
      R"({"t":0,"type":"uia","call":"Invoke","element":"tools"})",
      R"({"t":0,"type":"sleep","ms":80})",
      R"({"t":80,"type":"uia","call":"Invoke","element":"about"})",
      R"({"t":80,"type":"create_window","hwnd":3000})",
      R"({"t":80,"type":"foreground","hwnd":3000})",
      R"({"t":80,"type":"sleep","ms":40})",
      R"({"t":120,"type":"set_window_long","hwnd":1001,"index":-20,"value":0,"previous":134217728})",
  };
  ASSERT_GE(result.events.size(), expected.size());
  EXPECT_EQ(
      std::vector<std::string>(result.events.begin(), result.events.begin() + expected.size()),
      expected);
  // The user's window is in front again.
  EXPECT_NE(std::find(result.events.begin(), result.events.end(),
                      R"({"t":120,"type":"foreground","hwnd":9000})"),
            result.events.end());
}

std::string context_menu(const std::string& app, const std::string& id,
                         const std::string& extra = "") {
  return R"({"cmd":"context_menu","app":")" + app + R"(","id":")" + id + "\"" + extra + "}";
}

TEST(ContextMenu, ReadsThePopupsNamedItemsAndClosesItWithEscape) {
  auto result = exchange({"notes", "ribbon"},
                         {context_menu("Notes", "e:auto:text"),
                          context_menu("ribbon", "name:tabgroup:Ribbon", R"(,"foreground":"yes")"),
                          context_menu("ribbon", "auto:nothing"), context_menu("nobody", "x")});
  EXPECT_EQ(
      result.responses,
      (std::vector<std::string>{
          R"({"count":3,"foregrounded":false,"id":"auto:text","items":[)"
          R"({"enabled":false,"name":"Undo","shortcut":"Ctrl+Z"},)"
          R"({"enabled":true,"name":"Copy","shortcut":"Ctrl+C"},)"
          R"({"enabled":true,"name":"Paste","shortcut":""}],"menu_class":"#32768","ok":true})",
          // No menu opens: ok false and no error key.
          R"({"count":0,"foregrounded":false,"id":"name:tabgroup:Ribbon","items":[],"menu_class":"","ok":false})",
          R"({"error":"context_menu: no element id=auto:nothing in 'ribbon'","ok":false})",
          R"({"error":"context_menu: no session for 'nobody'","ok":false})"}));
  const std::vector<std::string> expected{
      R"({"t":0,"type":"post_message","hwnd":1002,"msg":516,"wparam":0,"lparam":17432968})",
      R"({"t":0,"type":"sleep","ms":30})",
      R"({"t":30,"type":"post_message","hwnd":1002,"msg":517,"wparam":0,"lparam":17432968})",
      R"({"t":30,"type":"create_window","hwnd":2200})",
      R"({"t":30,"type":"sleep","ms":250})",
      // Escape goes to the popup, not to the user's foreground window (9000).
      R"({"t":280,"type":"post_message","hwnd":2200,"msg":256,"wparam":27,"lparam":65537})",
      R"({"t":280,"type":"destroy_window","hwnd":2200})",
      R"({"t":280,"type":"sleep","ms":10})",
      R"({"t":290,"type":"post_message","hwnd":2200,"msg":257,"wparam":27,"lparam":3221291009,"ok":false})",
      R"({"t":290,"type":"sleep","ms":20})",
      // Escape is sent even when no menu was found: to the application's window.
      R"({"t":310,"type":"post_message","hwnd":1100,"msg":516,"wparam":0,"lparam":0})",
      R"({"t":310,"type":"sleep","ms":30})",
      R"({"t":340,"type":"post_message","hwnd":1100,"msg":517,"wparam":0,"lparam":0})",
      R"({"t":340,"type":"sleep","ms":250})",
      R"({"t":590,"type":"post_message","hwnd":1100,"msg":256,"wparam":27,"lparam":65537})",
      R"({"t":590,"type":"sleep","ms":10})",
      R"({"t":600,"type":"post_message","hwnd":1100,"msg":257,"wparam":27,"lparam":3221291009})",
      R"({"t":600,"type":"sleep","ms":20})",
  };
  EXPECT_EQ(result.events, expected);
  EXPECT_EQ(result.exit_line, R"({"t":620,"type":"exit","live_references":0,"open_handles":0})");
}

TEST(ContextMenu, ForegroundTrueBringsTheWindowForwardAndTheUsersWindowBack) {
  auto result = exchange({"notes"}, {context_menu("notes", "auto:text", R"(,"foreground":true)")});
  ASSERT_EQ(result.responses.size(), 1u);
  EXPECT_EQ(Json::parse(result.responses[0])["foregrounded"], true);
  EXPECT_EQ(Json::parse(result.responses[0])["count"], 3);
  std::vector<std::string> foreground_and_waits;
  for (const std::string& event : result.events) {
    if (event.find(R"("type":"foreground")") != std::string::npos ||
        event.find(R"("type":"sleep")") != std::string::npos ||
        event.find(R"("msg":256)") != std::string::npos) {
      foreground_and_waits.push_back(event);
    }
  }
  EXPECT_EQ(
      foreground_and_waits,
      (std::vector<std::string>{
          R"({"t":0,"type":"foreground","hwnd":1001})", R"({"t":0,"type":"sleep","ms":60})",
          R"({"t":60,"type":"sleep","ms":30})", R"({"t":90,"type":"sleep","ms":250})",
          // Escape goes to the window now in front: the application's.
          R"({"t":340,"type":"post_message","hwnd":2200,"msg":256,"wparam":27,"lparam":65537})",
          R"({"t":340,"type":"sleep","ms":10})", R"({"t":350,"type":"sleep","ms":20})",
          R"({"t":370,"type":"foreground","hwnd":9000})"}));
}

}  // namespace
}  // namespace uiad
