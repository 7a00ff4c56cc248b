// scan and probe through the simulated daemon binary: the exact response
// lines, sessions across requests, and no element reference left at exit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "daemon/json.h"
#include "protocol/daemon_process.h"

namespace uiad {
namespace {

using testing::kReadyLine;
using testing::kShuttingDownLine;
using testing::run_sim;
using testing::test_data_path;

const std::string kSettings = test_data_path("scenes/scan_settings.json");

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
    lines.push_back(text.substr(start, lf - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(ScanProtocol, ReproducesTheSettingsSnapshotByteForByte) {
  auto run = run_sim(kSettings, "{\"cmd\":\"scan\",\"app\":\"Settings\"}\n");
  ASSERT_EQ(run.lines.size(), 2u) << run.output << run.error_output;
  EXPECT_EQ(run.lines[0], kReadyLine);
  const Json response = Json::parse(run.lines[1]);
  const std::vector<std::string> expected = {
      R"(<window e="name:window:Settings" label="Settings" title="Settings" pos="100,100" size="800,600">)",
      R"(    <checkbox e="auto:chkLog" label="Enable logging" id="chkLog" pos="120,150" size="140,20" checked="true"/>)",
      R"(    <input e="auto:txtUser" label="User name" value="alice" id="txtUser" pos="120,200" size="300,24" focused="true"/>)",
      R"(  <button e="auto:btn" label="OK" class="btn" pos="600,640" size="80,30"/>)",
      R"(  <button e="auto:btn#2" label="Cancel" class="btn" pos="700,640" size="80,30"/>)",
      R"(  <text e="name:text:Ready" label="Ready" pos="100,680" size="100,20"/>)",
      "",
      R"(  <input e="name:input:Search" label="Search" pos="120,250" size="200,24"/></window>)",
  };
  EXPECT_EQ(split(response["ui_block"].get<std::string>()), expected);

  // The whole line: sorted keys, compact, the group listed under idx:2.
  EXPECT_EQ(
      run.lines[1].substr(0, run.lines[1].find("\"ui_block\"")),
      R"({"app":"settings","chromium":false,"element_count":8,"elements":{)"
      R"("auto:btn":{"cx":640,"cy":655,"enabled":true,"focused":false,"h":30,"id":"btn","name":"OK","patterns":[],"role":"button","value":"","w":80},)"
      R"("auto:btn#2":{"cx":740,"cy":655,"enabled":true,"focused":false,"h":30,"id":"btn","name":"Cancel","patterns":[],"role":"button","value":"","w":80},)"
      R"("auto:chkLog":{"cx":190,"cy":160,"enabled":true,"focused":false,"h":20,"id":"chkLog","name":"Enable logging","patterns":[],"role":"checkbox","value":"","w":140},)"
      R"("auto:txtUser":{"cx":270,"cy":212,"enabled":true,"focused":true,"h":24,"id":"txtUser","name":"User name","patterns":[],"role":"input","value":"alice","w":300},)"
      R"("idx:2":{"cx":310,"cy":190,"enabled":true,"focused":false,"h":100,"id":"","name":"","patterns":[],"role":"group","value":"","w":400},)"
      R"("name:input:Search":{"cx":220,"cy":262,"enabled":true,"focused":false,"h":24,"id":"","name":"Search","patterns":[],"role":"input","value":"","w":200},)"
      R"("name:text:Ready":{"cx":150,"cy":690,"enabled":true,"focused":false,"h":20,"id":"","name":"Ready","patterns":[],"role":"text","value":"","w":100},)"
      R"("name:window:Settings":{"cx":500,"cy":400,"enabled":true,"focused":false,"h":600,"id":"","name":"Settings","patterns":[],"role":"window","value":"","w":800}},)"
      R"("handle_count":8,"ok":true,"title":"Settings","truncated":false,)");
}

TEST(ScanProtocol, ProbeAnswersFromTheLatestSession) {
  const std::string input = R"({"cmd":"probe","app":"settings","id":"auto:btn"})"
                            "\n"
                            R"({"cmd":"scan","app":"Settings","max_elements":0})"
                            "\n"
                            R"({"cmd":"probe","app":"settings","id":""})"
                            "\n"
                            R"({"cmd":"scan","app":"Settings"})"
                            "\n"
                            R"({"cmd":"probe","app":"SETTINGS","id":"e:auto:btn#2"})"
                            "\n"
                            R"({"cmd":"probe","app":"Settings","id":"Eauto:txtUser"})"
                            "\n"
                            R"({"cmd":"probe","app":"settings","id":"auto:nothing"})"
                            "\n"
                            R"({"cmd":"probe","app":" settings","id":"auto:btn"})"
                            "\n"
                            R"({"cmd":"probe","id":"auto:btn"})"
                            "\n"
                            R"({"cmd":"scan","app":"settings","max_elements":1})"
                            "\n"
                            R"({"cmd":"probe","app":"settings","id":"auto:btn"})"
                            "\n"
                            R"({"cmd":"probe","app":"settings","id":"name:window:Settings"})"
                            "\n"
                            R"({"cmd":"shutdown"})"
                            "\n";
  auto run = run_sim(kSettings, input);
  ASSERT_EQ(run.lines.size(), 14u) << run.output << run.error_output;
  const std::string no_session = R"({"ok":true,"reason":"no_session","valid":false})";
  const std::string no_handle = R"({"ok":true,"reason":"no_handle","valid":false})";
  const std::string valid = R"({"ok":true,"valid":true})";
  EXPECT_EQ(run.lines[1], no_session);
  EXPECT_EQ(run.lines[3], no_handle);
  EXPECT_EQ(run.lines[5], valid);
  EXPECT_EQ(run.lines[6], valid);
  EXPECT_EQ(run.lines[7], no_handle);
  EXPECT_EQ(run.lines[8], no_session);
  EXPECT_EQ(run.lines[9], no_session);
  EXPECT_EQ(run.lines[11], no_handle);
  EXPECT_EQ(run.lines[12], valid);
  EXPECT_EQ(run.lines[13], kShuttingDownLine);
  EXPECT_EQ(run.exit_code, 0);
}

TEST(ScanProtocol, FailuresAreSingleErrorLines) {
  auto run = run_sim(kSettings, R"({"cmd":"scan","app":"Nowhere "})"
                                "\n"
                                R"({"cmd":"scan","app":"999999999999999999999"})"
                                "\n");
  ASSERT_EQ(run.lines.size(), 3u) << run.output;
  EXPECT_EQ(run.lines[1], R"({"error":"window not found: Nowhere ","ok":false})");
  EXPECT_EQ(run.lines[2], R"({"error":"window not found: 999999999999999999999","ok":false})");
}

TEST(ScanProtocol, WithoutAppTheSessionIsKeyedByTheForegroundTitle) {
  auto run = run_sim(kSettings, R"({"cmd":"scan","max_depth":0})"
                                "\n"
                                R"({"cmd":"probe","id":"name:window:Settings"})"
                                "\n"
                                R"({"cmd":"probe","app":"settings","id":"name:window:Settings"})"
                                "\n");
  ASSERT_EQ(run.lines.size(), 4u) << run.output;
  const Json scan = Json::parse(run.lines[1]);
  EXPECT_EQ(scan["app"], "settings");
  EXPECT_EQ(scan["truncated"], true);
  EXPECT_EQ(run.lines[2], R"({"ok":true,"reason":"no_session","valid":false})");
  EXPECT_EQ(run.lines[3], R"({"ok":true,"valid":true})");
}

TEST(ScanProtocol, EveryReferenceIsReleasedAtExit) {
  testing::TempFile events("", "events.log");
  auto run = run_sim(kSettings,
                     R"({"cmd":"scan","app":"settings"})"
                     "\n"
                     R"({"cmd":"scan","app":"Settings","strategy":"current"})"
                     "\n"
                     R"({"cmd":"scan","app":"nothing"})"
                     "\n"
                     R"({"cmd":"scan","app":"1001"})"
                     "\n",
                     events.path());
  ASSERT_EQ(run.lines.size(), 5u) << run.output;
  EXPECT_EQ(Json::parse(run.lines[4])["app"], "1001");
  const std::vector<std::string> log = split(events.read());
  ASSERT_GE(log.size(), 2u);
  // The log ends with a line feed, so the last entry is empty.
  const Json exit = Json::parse(log[log.size() - 2]);
  EXPECT_EQ(exit["type"], "exit");
  EXPECT_EQ(exit["live_references"], 0);
  EXPECT_EQ(exit["open_handles"], 0);
}

}  // namespace
}  // namespace uiad
