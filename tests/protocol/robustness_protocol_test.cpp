// What the daemon survives and how it behaves on hostile desktops: trees far
// deeper than the call stack, applications that stop answering, and texts
// with unpaired surrogates.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "daemon/json.h"
#include "protocol/daemon_process.h"

namespace uiad {
namespace {

using testing::kReadyLine;
using testing::run_sim;
using testing::TempFile;

// A window whose tree is a chain of 50,000 unnamed groups (transparent in the
// text) with one button at the bottom, 50,001 levels below the window.
constexpr const char* kDeepChainScene = R"({"windows": [{
  "hwnd": 100, "title": "Deep", "rect": [0, 0, 800, 600],
  "element": {"children": [
    {"type": "group", "rect": [0, 0, 800, 600], "chain": 50000,
     "children": [{"type": "button", "name": "Bottom", "rect": [10, 10, 50, 30], "focused": true}]}]}}]})";

TEST(DeepTreeProtocol, BothStrategiesScanAChainFiftyThousandLevelsDeep) {
  TempFile scene(kDeepChainScene);
  const std::string input =
      R"({"cmd":"scan","app":"Deep","max_depth":1000000})"
      "\n"
      R"({"cmd":"scan","app":"Deep","max_depth":1000000,"strategy":"current"})"
      "\n"
      R"({"cmd":"probe","app":"deep","id":"name:button:Bottom"})"
      "\n";
  testing::RunOptions options;
  options.timeout = std::chrono::milliseconds(60000);
  auto run = run_sim(scene.path(), input, options);
  ASSERT_EQ(run.lines.size(), 4u) << run.error_output << " signal " << run.signal;
  EXPECT_EQ(run.lines[0], kReadyLine);
  const std::string expected_block =
      R"(<window e="name:window:Deep" label="Deep" title="Deep" pos="0,0" size="800,600">)"
      "\n" +
      std::string(2 * 50001, ' ') +
      R"(<button e="name:button:Bottom" label="Bottom" pos="10,10" size="40,20" focused="true"/>)"
      "\n</window>";
  // Looked at as text: parsing 7 MB twice would dominate the test's time.
  const std::string block_member = "\"ui_block\":" + Json(expected_block).dump() + "}";
  for (std::size_t i : {1u, 2u}) {
    const std::string& line = run.lines[i];
    EXPECT_TRUE(line.ends_with(block_member)) << "response " << i;  // never printed: 100 kB
    EXPECT_NE(line.find(R"("element_count":50002,)"), std::string::npos) << "response " << i;
    EXPECT_NE(line.find(R"("truncated":false,)"), std::string::npos) << "response " << i;
    EXPECT_NE(line.find(R"("idx:50001":{"cx":400,"cy":300,)"), std::string::npos);
  }
  EXPECT_EQ(run.lines[3], R"({"ok":true,"valid":true})");
  EXPECT_EQ(run.exit_code, 0);
}

// The foreground window focuses nothing, so GetFocusedElement returns its
// root; the background window marks a focused element, which is not the
// focused element of the desktop.
constexpr const char* kFocusScene = R"({"windows": [
  {"hwnd": 10, "title": "Front", "rect": [0, 0, 400, 300],
   "element": {"children": [{"type": "button", "name": "Go", "rect": [10, 10, 90, 40]}]}},
  {"hwnd": 20, "title": "Back", "rect": [0, 0, 400, 300],
   "element": {"children": [{"type": "edit", "name": "Field", "rect": [10, 10, 90, 40],
                             "focused": true}]}}]})";

TEST(FocusProtocol, BothStrategiesMarkTheElementGetFocusedElementReturns) {
  TempFile scene(kFocusScene);
  std::string input;
  for (const char* app : {"Front", "Back"}) {
    for (const char* strategy : {"cache", "current"}) {
      input +=
          std::string(R"({"cmd":"scan","app":")") + app + R"(","strategy":")" + strategy + "\"}\n";
    }
  }
  auto run = run_sim(scene.path(), input);
  ASSERT_EQ(run.lines.size(), 5u) << run.output << run.error_output;
  const std::string front =
      R"(<window e="name:window:Front" label="Front" title="Front" pos="0,0" size="400,300" focused="true">)"
      "\n"
      R"(  <button e="name:button:Go" label="Go" pos="10,10" size="80,30"/>)"
      "\n</window>";
  const std::string back =
      R"(<window e="name:window:Back" label="Back" title="Back" pos="0,0" size="400,300">)"
      "\n"
      R"(  <input e="name:input:Field" label="Field" pos="10,10" size="80,30"/>)"
      "\n</window>";
  const std::string expected[] = {front, front, back, back};
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_EQ(Json::parse(run.lines[i + 1])["ui_block"], expected[i]) << "scan " << i;
}

// A desktop whose application answers slowly or not at all: `faults` lists
// the calls that take real time (delay_ms) or never return (hangs).
std::string hung_scene(const std::string& faults) {
  return R"({"faults": [)" + faults + R"(], "windows": [
    {"hwnd": 30, "title": "Hung", "rect": [0, 0, 400, 300],
     "element": {"children": [
       {"type": "button", "name": "Go", "automation_id": "go", "rect": [10, 10, 90, 40],
        "patterns": ["invoke"]},
       {"type": "checkbox", "name": "Agree", "automation_id": "agree", "rect": [10, 50, 90, 70],
        "patterns": {"toggle": {}}},
       {"type": "menubar", "name": "Application", "rect": [0, 0, 400, 10], "children": [
         {"type": "menuitem", "name": "Tools", "rect": [0, 0, 40, 10],
          "patterns": {"expand_collapse": {}}, "children": [
           {"type": "menuitem", "name": "Options", "patterns": ["invoke"]}]}]}]}}]})";
}

struct HangCase {
  const char* name;
  std::string faults;
  std::vector<std::string> requests;
  std::vector<std::string> responses;  // each a part of its response line
  std::chrono::milliseconds at_least;
};

TEST(HungApplicationProtocol, SlowCallsHoldTheLoopAndTheDaemonStillExitsCleanly) {
  const std::string scan = R"({"cmd":"scan","app":"Hung"})";
  const std::string ping = R"({"cmd":"ping"})";
  const std::string pong = R"({"ok":true,"pong":true})";
  const std::string scanned = R"("title":"Hung","truncated":false,)";
  const HangCase cases[] = {
      {"a slow BuildUpdatedCache holds the scan and the ping behind it",
       R"({"call": "BuildUpdatedCache", "delay_ms": 400, "times": 1})",
       {scan, ping},
       {scanned, pong},
       std::chrono::milliseconds(400)},
      {"a slow EnumWindows holds the windows command",
       R"({"call": "EnumWindows", "delay_ms": 300})",
       {R"({"cmd":"windows"})", ping},
       {R"({"ok":true,"windows":[{"id":"30","pos":[0,0],"size":[400,300],"title":"Hung"}]})", pong},
       std::chrono::milliseconds(300)},
      {"a slow call with a result fails after its delay",
       R"({"call": "ElementFromHandle", "delay_ms": 200, "hr": "0x80004005"})",
       {scan},
       {R"x({"error":"ElementFromHandle: Unspecified error (0x80004005)","ok":false})x"},
       std::chrono::milliseconds(200)},
      {"an Invoke that never returns answers after the timed wait",
       R"({"call": "Invoke", "hangs": true})",
       {scan, R"({"cmd":"click","app":"hung","id":"auto:go"})", ping},
       {scanned, R"({"center_x":50,"center_y":25,"id":"auto:go","label":"Go","method":"uia-live",)",
        pong},
       std::chrono::milliseconds(800)},
      {"a Toggle that never returns (a check box opening a modal dialog) answers like Invoke",
       R"({"call": "Toggle", "hangs": true})",
       {scan, R"({"cmd":"click","app":"hung","id":"auto:agree"})", ping},
       {scanned,
        R"({"center_x":50,"center_y":60,"id":"auto:agree","label":"Agree","method":"uia-live",)",
        pong},
       std::chrono::milliseconds(800)},
      {"an Expand that never returns opens the menu after the timed wait",
       R"({"call": "Expand", "hangs": true})",
       {scan, R"({"cmd":"invoke_menu","app":"hung","path":"Tools>Options"})", ping},
       {scanned, R"({"app":"hung","ok":true,"path":"Tools>Options"})", pong},
       std::chrono::milliseconds(800)},
  };
  for (const HangCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFile scene(hung_scene(c.faults));
    std::string input;
    for (const std::string& r : c.requests) input += r + "\n";
    const auto start = std::chrono::steady_clock::now();
    auto run = run_sim(scene.path(), input);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(run.lines.size(), c.responses.size() + 1) << run.output << run.error_output;
    for (std::size_t i = 0; i < c.responses.size(); ++i)
      EXPECT_NE(run.lines[i + 1].find(c.responses[i]), std::string::npos) << run.lines[i + 1];
    EXPECT_GE(elapsed, c.at_least);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.error_output, "");
  }
}

TEST(HungApplicationProtocol, ACallThatNeverReturnsStopsTheDaemon) {
  TempFile scene(hung_scene(R"({"call": "GetFocusedElement", "hangs": true})"));
  testing::RunOptions options;
  options.timeout = std::chrono::milliseconds(1500);
  auto run =
      run_sim(scene.path(), "{\"cmd\":\"scan\",\"app\":\"Hung\"}\n{\"cmd\":\"ping\"}\n", options);
  EXPECT_TRUE(run.timed_out);
  EXPECT_EQ(run.lines, std::vector<std::string>{kReadyLine});
}

TEST(SurrogateProtocol, UnpairedUnitsReachTheClientAsReplacementCharacters) {
  TempFile scene(R"({"windows": [{"hwnd": 40, "title": "Caf\ud800", "rect": [0, 0, 400, 300],
    "element": {"children": [
      {"type": "button", "name": "\udc00Go\ud83d\ude00", "automation_id": "b\udbff",
       "help": "h\udfff", "rect": [10, 10, 90, 40]}]}}]})");
  auto run = run_sim(scene.path(), "{\"cmd\":\"windows\"}\n{\"cmd\":\"scan\",\"app\":\"caf\"}\n");
  ASSERT_EQ(run.lines.size(), 3u) << run.output << run.error_output;
  EXPECT_EQ(run.lines[1],
            "{\"ok\":true,\"windows\":[{\"id\":\"40\",\"pos\":[0,0],\"size\":[400,300],"
            "\"title\":\"Caf\xEF\xBF\xBD\"}]}");
  const Json scan = Json::parse(run.lines[2]);
  EXPECT_EQ(scan["title"], "Caf\xEF\xBF\xBD");
  // Element ids keep only their safe characters, so U+FFFD drops out of them.
  EXPECT_EQ(
      scan["ui_block"],
      "<window e=\"name:window:Caf\" label=\"Caf\xEF\xBF\xBD\" "
      "title=\"Caf\xEF\xBF\xBD\" pos=\"0,0\" size=\"400,300\" focused=\"true\">\n"
      "  <button e=\"auto:b\" label=\"\xEF\xBF\xBDGo\xF0\x9F\x98\x80\" "
      "help=\"h\xEF\xBF\xBD\" id=\"b\xEF\xBF\xBD\" pos=\"10,10\" size=\"80,30\"/>\n</window>");
}

}  // namespace
}  // namespace uiad
