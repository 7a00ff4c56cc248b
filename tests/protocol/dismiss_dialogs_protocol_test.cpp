// dismiss_dialogs through the simulated daemon: which dialog qualifies, which
// button is pressed, the posted click and the second's wait, and that
// sessions survive it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "protocol/daemon_process.h"

namespace uiad::testing {
namespace {

using Lines = std::vector<std::string>;

// Top of the Z order first. Every button is a child window; a click on one
// closes its dialog, except in "Sticky".
constexpr const char* kScene = R"({"windows": [
  {"hwnd": 100, "class": "#32770", "title": "Save as", "visible": false, "rect": [0, 0, 200, 100],
   "children": [{"hwnd": 101, "class": "Button", "title": "Cancel", "rect": [10, 60, 90, 90]}],
   "element": {"children": [{"type": "button", "name": "Cancel", "native_window": 101}]}},
  {"hwnd": 200, "class": "#32770", "title": "AutoSave settings", "rect": [0, 0, 200, 100],
   "children": [{"hwnd": 201, "class": "Button", "title": "OK", "rect": [10, 60, 90, 90]}],
   "element": {"children": [{"type": "button", "name": "OK", "native_window": 201}]}},
  {"hwnd": 300, "class": "#32770", "title": "Save changes?", "rect": [300, 300, 600, 400],
   "children": [{"hwnd": 301, "class": "Button", "title": "Save", "rect": [310, 360, 390, 390]},
                {"hwnd": 302, "class": "Button", "title": "Don't Save", "rect": [400, 360, 480, 390]},
                {"hwnd": 303, "class": "Button", "title": "Cancel", "rect": [490, 360, 570, 390]}],
   "element": {"children": [{"type": "text", "name": "Save changes to notes.txt?", "rect": [310, 310, 590, 330]},
     {"type": "group", "rect": [300, 350, 600, 400], "children": [
       {"type": "button", "name": "Save", "native_window": 301},
       {"type": "button", "name": "Don't Save", "native_window": 302},
       {"type": "button", "name": "Cancel", "native_window": 303}]}]}},
  {"hwnd": 400, "class": "#32770", "title": "Confirm", "rect": [300, 300, 600, 400],
   "children": [{"hwnd": 401, "class": "Button", "title": "NO", "rect": [400, 360, 480, 390]},
                {"hwnd": 402, "class": "Button", "title": "Yes", "rect": [490, 360, 570, 390]}],
   "element": {"children": [{"type": "button", "name": "NO", "native_window": 401},
                            {"type": "button", "name": "Yes", "native_window": 402}]}},
  {"hwnd": 500, "class": "#32770", "title": "Stuck", "rect": [0, 0, 200, 100],
   "children": [{"hwnd": 501, "class": "Button", "title": "OK", "rect": [10, 60, 90, 90], "enabled": false}],
   "element": {"children": [{"type": "button", "name": "OK", "native_window": 501, "enabled": false}]}},
  {"hwnd": 600, "class": "#32770", "title": "Sticky", "rect": [0, 0, 200, 100],
   "children": [{"hwnd": 601, "class": "Button", "title": "Retry", "rect": [10, 60, 90, 90]}],
   "element": {"children": [{"type": "button", "name": "Retry", "automation_id": "retry", "native_window": 601}]}},
  {"hwnd": 700, "class": "#32770", "title": "Offscreen", "rect": [-300, 0, -100, 100],
   "element": {"children": [{"type": "button", "name": "OK", "rect": [-200, 60, -120, 90]}]}}],
  "reactions": [
    {"when": {"event": "click", "within": 100}, "then": [{"action": "destroy_window", "window": 100}]},
    {"when": {"event": "click", "within": 200}, "then": [{"action": "destroy_window", "window": 200}]},
    {"when": {"event": "click", "within": 300}, "then": [{"action": "destroy_window", "window": 300}]},
    {"when": {"event": "click", "within": 400}, "then": [{"action": "destroy_window", "window": 400}]},
    {"when": {"event": "click", "within": 700}, "then": [{"action": "destroy_window", "window": 700}]}]})";

struct Case {
  const char* what;
  std::string input;
  std::string response;
  Lines events;  // posted messages, waits and closed windows, without times
};

std::string dismissed(const std::string& records) {
  return R"({"dismissed":[)" + records + R"(],"ok":true})";
}
std::string record(const std::string& button, const std::string& title) {
  return R"({"button":")" + button + R"(","title":")" + title + R"("})";
}
// The posted click at the centre of a 80 x 30 button, its wait and the second after it.
Lines click(int hwnd, bool closes) {
  const std::string h = std::to_string(hwnd);
  Lines out = {
      R"({"type":"post_message","hwnd":)" + h + R"(,"msg":513,"wparam":1,"lparam":983080})",
      R"({"type":"sleep","ms":30})",
      R"({"type":"post_message","hwnd":)" + h + R"(,"msg":514,"wparam":0,"lparam":983080})"};
  if (closes) out.push_back(R"({"type":"destroy_window","hwnd":)" + h.substr(0, 1) + "00}");
  out.push_back(R"({"type":"sleep","ms":1000})");
  return out;
}
Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Lines interesting_events(const std::string& log) {
  Lines out;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    for (const char* type : {"post_message", "sleep", "destroy_window"}) {
      const auto at = line.find(std::string(R"("type":")") + type + "\"");
      if (at == std::string::npos) continue;
      // Appended, not "{" + ...: GCC 12's optimiser warns (-Wrestrict) falsely on that.
      std::string entry = "{";
      entry.append(line, at);
      out.push_back(std::move(entry));
    }
  }
  return out;
}

TEST(DismissDialogsProtocol, DialogsButtonsAndPasses) {
  const std::vector<Case> cases = {
      {"no titles: nothing is looked at",
       R"({"cmd":"dismiss_dialogs","prefer":["OK"]})",
       dismissed(""),
       {}},
      {"passes 0", R"({"cmd":"dismiss_dialogs","titles":["save"],"passes":0})", dismissed(""), {}},
      {"exclusion, hidden window, preference order",
       R"({"cmd":"dismiss_dialogs","titles":[7,"SAVE"],"exclude":"AutoSave","prefer":["Don't Save","No"]})",
       dismissed(record("Don't Save", "Save changes?")), click(302, true)},
      {"preferences are trimmed and compared without ASCII case",
       R"({"cmd":"dismiss_dialogs","titles":["confirm"],"prefer":[" no\t"]})",
       dismissed(record("NO", "Confirm")), click(401, true)},
      {"without a matching preference the first button in walk order",
       R"({"cmd":"dismiss_dialogs","titles":["confirm"],"prefer":["Cancel"]})",
       dismissed(record("NO", "Confirm")), click(401, true)},
      {"an empty title matches the first visible titled window",
       R"({"cmd":"dismiss_dialogs","titles":[""],"passes":1})",
       dismissed(record("OK", "AutoSave settings")), click(201, true)},
      {"only a disabled button: stops with what was dismissed before",
       R"({"cmd":"dismiss_dialogs","titles":["confirm","stuck"]})",
       dismissed(record("NO", "Confirm")), click(401, true)},
      {"a button on a monitor left of the primary one is pressed like any other",
       R"({"cmd":"dismiss_dialogs","titles":["offscreen"]})",
       dismissed(record("OK", "Offscreen")),
       {R"({"type":"post_message","hwnd":700,"msg":513,"wparam":1,"lparam":4915340})",
        R"({"type":"sleep","ms":30})",
        R"({"type":"post_message","hwnd":700,"msg":514,"wparam":0,"lparam":4915340})",
        R"({"type":"destroy_window","hwnd":700})", R"({"type":"sleep","ms":1000})"}},
      {"a dialog that stays is pressed on every pass",
       R"({"cmd":"dismiss_dialogs","titles":["sticky"],"passes":3,"exclude":5})",
       dismissed(record("Retry", "Sticky") + "," + record("Retry", "Sticky") + "," +
                 record("Retry", "Sticky")),
       click(601, false) + click(601, false) + click(601, false)},
      {"a bad passes value means six",
       R"({"cmd":"dismiss_dialogs","titles":["sticky"],"passes":1.5})",
       dismissed(record("Retry", "Sticky") + "," + record("Retry", "Sticky") + "," +
                 record("Retry", "Sticky") + "," + record("Retry", "Sticky") + "," +
                 record("Retry", "Sticky") + "," + record("Retry", "Sticky")),
       click(601, false) + click(601, false) + click(601, false) + click(601, false) +
           click(601, false) + click(601, false)},
  };
  TempFile scene(kScene);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFile events("", "events.log");
    const DaemonRun run = run_sim(scene.path(), c.input + "\n", events.path());
    ASSERT_EQ(run.lines.size(), 2u) << run.output << run.error_output;
    EXPECT_EQ(run.lines[1], c.response);
    const std::string log = events.read();
    EXPECT_EQ(interesting_events(log), c.events);
    EXPECT_NE(log.find(R"("live_references":0,"open_handles":0)"), std::string::npos) << log;
  }
}

TEST(DismissDialogsProtocol, LeavesSessionsAlone) {
  TempFile scene(kScene);
  const DaemonRun run =
      run_sim(scene.path(), R"({"cmd":"scan","app":"Sticky"})"
                            "\n"
                            R"({"cmd":"dismiss_dialogs","titles":["sticky"],"passes":1})"
                            "\n"
                            R"({"cmd":"probe","app":"sticky","id":"auto:retry"})"
                            "\n");
  ASSERT_EQ(run.lines.size(), 4u) << run.output;
  EXPECT_EQ(run.lines[2], dismissed(record("Retry", "Sticky")));
  EXPECT_EQ(run.lines[3], R"({"ok":true,"valid":true})");
}

}  // namespace
}  // namespace uiad::testing
