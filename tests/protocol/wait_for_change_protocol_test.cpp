// wait_for_change through the simulated daemon: scheduled desktop changes,
// the notification each one gives, and the exact number of 150 ms polls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/daemon_process.h"

namespace uiad::testing {
namespace {

// An editor with two fields (Name focused), a dialog that does not exist yet
// and an untitled window.
std::string scene(const std::string& name_value, const std::string& reactions) {
  return R"({"foreground": 1, "windows": [
    {"hwnd": 1, "title": "Editor", "rect": [0, 0, 400, 300], "element": {"children": [
      {"ref": "name", "type": "edit", "name": "Name", "rect": [10, 10, 200, 30], "focused": true,
       "patterns": {"value": {"value": ")" +
         name_value + R"("}}},
      {"ref": "notes", "type": "edit", "name": "Notes", "rect": [10, 40, 200, 60],
       "patterns": {"value": {"value": ""}}}]}},
    {"hwnd": 2, "title": "Saved", "exists": false, "rect": [50, 50, 250, 150]},
    {"hwnd": 3, "rect": [0, 0, 10, 10]}],
    "reactions": [)" +
         reactions + "]}";
}

struct Case {
  const char* what;
  std::string name_value;
  std::string reactions;
  std::string request;
  std::string response;
  int polls;  // 150 ms waits made
};

const std::string kUnchanged = R"({"changed":false,"notification":null,"ok":true})";
std::string changed(const char* notification) {
  return std::string(R"({"changed":true,"notification":")") + notification + R"(","ok":true})";
}
std::string at(int ms, const std::string& actions) {
  return R"({"at_ms": )" + std::to_string(ms) + R"(, "then": [)" + actions + "]}";
}
const std::string kOpenSaved = R"({"action": "create_window", "window": 2})";
std::string set_name(const std::string& value) {
  return R"({"action": "set_value", "element": "name", "value": ")" + value + R"("})";
}
const std::string k80 = std::string(80, 'x');

TEST(WaitForChangeProtocol, NotificationsAndPolls) {
  const std::vector<Case> cases = {
      {"timeout below the floor waits 150 ms", "abc", "",
       R"({"cmd":"wait_for_change","timeout_ms":10})", kUnchanged, 1},
      {"a string means 1500 ms", "abc", "", R"({"cmd":"wait_for_change","timeout_ms":"300"})",
       kUnchanged, 10},
      {"a negative number means 1500 ms", "abc", "", R"({"cmd":"wait_for_change","timeout_ms":-1})",
       kUnchanged, 10},
      {"a minute is cut to 2000 ms", "abc", "", R"({"cmd":"wait_for_change","timeout_ms":60000})",
       kUnchanged, 14},
      {"a dialog opening behind", "abc", at(400, kOpenSaved), R"({"cmd":"wait_for_change"})",
       changed("window-count"), 3},
      {"a dialog opening in front: the title wins", "abc",
       at(400, kOpenSaved + R"(, {"action": "set_foreground", "window": 2})"),
       R"({"cmd":"wait_for_change"})", changed("foreground-window"), 3},
      {"an untitled window getting a title", "abc",
       at(160, R"({"action": "set_title", "window": 3, "text": "Now titled"})"),
       R"({"cmd":"wait_for_change"})", changed("window-count"), 2},
      {"focus moving while the value changes too", "abc",
       at(400, set_name("abcd") + R"(, {"action": "focus_element", "element": "notes"})"),
       R"({"cmd":"wait_for_change"})", changed("focus-changed"), 3},
      {"the focused element going away", "abc",
       at(400, R"({"action": "remove_element", "element": "name"})"),
       R"({"cmd":"wait_for_change"})", changed("focus-changed"), 3},
      {"one keystroke: reported on the second poll", "abc", at(200, set_name("abcd")),
       R"({"cmd":"wait_for_change"})", changed("value-changed"), 3},
      {"one keystroke with one more poll left: unseen", "abc", at(200, set_name("abcd")),
       R"({"cmd":"wait_for_change","timeout_ms":300})", kUnchanged, 2},
      {"typing in progress waits until it settles", "abc",
       at(200, set_name("abcd")) + "," + at(350, set_name("abcde")), R"({"cmd":"wait_for_change"})",
       changed("value-changed"), 4},
      {"a change past the 80th character", k80 + "1", at(200, set_name(k80 + "2")),
       R"({"cmd":"wait_for_change","timeout_ms":600})", kUnchanged, 4},
      {"a change undone between two polls", "abc",
       at(200, kOpenSaved) + "," + at(250, R"({"action": "destroy_window", "window": 2})"),
       R"({"cmd":"wait_for_change","timeout_ms":450})", kUnchanged, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFile scene_file(scene(c.name_value, c.reactions));
    TempFile events("", "events.log");
    const DaemonRun run = run_sim(scene_file.path(), c.request + "\n", events.path());
    ASSERT_EQ(run.lines.size(), 2u) << run.output << run.error_output;
    EXPECT_EQ(run.lines[1], c.response);
    const std::string log = events.read();
    int polls = 0;
    for (std::size_t p = 0; (p = log.find(R"("type":"sleep","ms":150})", p)) != std::string::npos;
         ++p)
      ++polls;
    EXPECT_EQ(polls, c.polls);
    EXPECT_EQ(log.find(R"("type":"sleep","ms":)"), log.find(R"("type":"sleep","ms":150})"))
        << "only poll waits";
    EXPECT_NE(log.find(R"("live_references":0,"open_handles":0)"), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace uiad::testing
