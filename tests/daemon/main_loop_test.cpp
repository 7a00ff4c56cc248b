// The daemon's life over an in-memory transport and the simulated desktop:
// start-up order and failure, the ready line, the loop's own commands, one
// response per request, what ends the loop, and the release of every
// automation object at exit.
#include "daemon/main_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "daemon/dispatch.h"
#include "daemon/memory_transport.h"
#include "daemon/response.h"
#include "platform/sim/sim_desktop.h"

namespace uiad {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kReady = R"({"event":"ready","ok":true})";
constexpr const char* kPong = R"({"ok":true,"pong":true})";
constexpr const char* kBye = R"({"event":"shutting_down","ok":true})";

class MainLoop : public ::testing::Test {
 protected:
  void load(const std::string& scene) {
    std::string error;
    desktop_ = sim::SimDesktop::from_scene_json(scene, error);
    ASSERT_NE(desktop_, nullptr) << error;
  }

  Lines run(std::string input, bool fail_at_end = false) {
    if (desktop_ == nullptr) load("{}");
    MemoryTransport transport(std::move(input), 64 * 1024, fail_at_end);
    EXPECT_EQ(run_daemon(desktop_->platform(), transport), 0);
    EXPECT_EQ(desktop_->live_references(), 0) << "every automation object is released at exit";
    lines_read_ = transport.lines_read();
    return transport.written();
  }

  std::unique_ptr<sim::SimDesktop> desktop_;
  std::size_t lines_read_ = 0;
};

TEST_F(MainLoop, StartsUpAndAnnouncesReadyFirst) {
  EXPECT_EQ(run(""), (Lines{kReady}));
  ASSERT_FALSE(desktop_->events().empty());
  EXPECT_NE(desktop_->events()[0].find(R"("type":"set_dpi_awareness","context":-4)"),
            std::string::npos)
      << desktop_->events()[0];
}

TEST_F(MainLoop, AutomationFailureIsTheOnlyLine) {
  load(R"({"faults":[{"call":"CoCreateInstance","hr":"0x80040154"}]})");
  EXPECT_EQ(run("{\"cmd\":\"ping\"}\n"),
            (Lines{R"j({"error":"COM init: Class not registered (0x80040154)","ok":false})j"}));
  EXPECT_EQ(lines_read_, 0u);
  // DPI awareness came first, even though COM then failed.
  ASSERT_FALSE(desktop_->events().empty());
  EXPECT_NE(desktop_->events()[0].find("set_dpi_awareness"), std::string::npos);
}

TEST_F(MainLoop, AutomationFailureUsesTheErrorInformationDescription) {
  load(R"({"faults":[{"call":"CoCreateInstance","hr":"0x80004005","description":"Broken \r\n"}]})");
  EXPECT_EQ(run(""), (Lines{R"j({"error":"COM init: Broken (0x80004005)","ok":false})j"}));
}

TEST_F(MainLoop, AutomationSuccessWithoutObjectCountsAsFailureWithCodeZero) {
  // A description left on the thread does not describe a call that succeeded.
  load(R"({"faults":[{"call":"CoCreateInstance","hr":0,"description":"Not this one"}]})");
  EXPECT_EQ(
      run("{\"cmd\":\"ping\"}\n"),
      (Lines{
          R"j({"error":"COM init: The operation completed successfully. (0x00000000)","ok":false})j"}));
}

TEST_F(MainLoop, FailedDpiAwarenessAndApartmentAreIgnored) {
  load(R"({"faults":[{"call":"SetProcessDpiAwarenessContext","hr":"0x80070005"},)"
       R"({"call":"CoInitializeEx","hr":"0x80010106"}]})");
  EXPECT_EQ(run("{\"cmd\":\"ping\"}\n"), (Lines{kReady, kPong}));
}

TEST_F(MainLoop, PingAndBlankLines) {
  EXPECT_EQ(run("{\"cmd\":\"ping\"}\n\n \t\r\n\xE3\x80\x80\n  {\"cmd\":\"ping\"}  \r\n"
                "{\"cmd\":\"ping\"}"),
            (Lines{kReady, kPong, kPong, kPong}));
}

TEST_F(MainLoop, ProtocolErrorsAnswerAndTheLoopGoesOn) {
  EXPECT_EQ(
      run("x\n[1]\n\"ping\"\n{}\n{\"cmd\":5}\n{\"cmd\":\"Ping\"}\n{\"cmd\":\"nope\"}\n"
          "{\"cmd\":\"ping\"}{\"cmd\":\"ping\"}\n{\"cmd\":\"ping\"}\n"),
      (Lines{kReady, R"({"error":"JSON parse: expected value at line 1 column 1","ok":false})",
             R"({"error":"unknown cmd: ","ok":false})", R"({"error":"unknown cmd: ","ok":false})",
             R"({"error":"unknown cmd: ","ok":false})", R"({"error":"unknown cmd: ","ok":false})",
             R"({"error":"unknown cmd: Ping","ok":false})",
             R"({"error":"unknown cmd: nope","ok":false})",
             R"({"error":"JSON parse: expected end of input at line 1 column 15","ok":false})",
             kPong}));
}

TEST_F(MainLoop, ShutdownStopsReading) {
  EXPECT_EQ(run("{\"cmd\":\"ping\"}\n{\"cmd\":\"shutdown\"}\n{\"cmd\":\"ping\"}\n"),
            (Lines{kReady, kPong, kBye}));
  EXPECT_EQ(lines_read_, 2u);
}

TEST_F(MainLoop, LaterDuplicateCmdDecides) {
  EXPECT_EQ(run(R"({"cmd":"ping","cmd":"shutdown"})"
                "\n{\"cmd\":\"ping\"}\n"),
            (Lines{kReady, kBye}));
}

TEST_F(MainLoop, InvalidUtf8AndReadFailuresEndQuietly) {
  EXPECT_EQ(run("{\"cmd\":\"ping\"}\n{\"cmd\":\"\xFF\"}\n{\"cmd\":\"ping\"}\n"),
            (Lines{kReady, kPong}));
  EXPECT_EQ(run("{\"cmd\":\"ping\"}\n", true), (Lines{kReady, kPong}));
}

TEST_F(MainLoop, CommandsWithoutHandlerAreUnknown) {
  for (const Command& command : command_table()) {
    if (command.handler != nullptr || command.name == "ping" || command.name == "shutdown") {
      continue;
    }
    const std::string name(command.name);
    EXPECT_EQ(run("{\"cmd\":\"" + name + "\"}"),
              (Lines{kReady, "{\"error\":\"unknown cmd: " + name + "\",\"ok\":false}"}));
  }
}

TEST_F(MainLoop, DesktopCommandsWorkWithoutASession) {
  const Lines lines =
      run("{\"cmd\":\"windows\"}\n{\"cmd\":\"list_apps\"}\n{\"cmd\":\"foreground\"}\n");
  EXPECT_EQ(lines, (Lines{kReady, R"({"ok":true,"windows":[]})", R"({"apps":[],"ok":true})",
                          R"({"hwnd":0,"ok":true,"title":""})"}));
}

TEST(CommandTable, HoldsExactlyTheDaemonsCommands) {
  std::vector<std::string> names;
  for (const Command& command : command_table()) names.emplace_back(command.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "ping",        "shutdown",    "scan",           "click",           "focus",
                "attrs",       "set_value",   "set_focused",    "perform",         "key",
                "mouse_click", "hover",       "scroll",         "wait_for_change", "probe",
                "menus",       "invoke_menu", "context_menu",   "windows",         "list_apps",
                "foreground",  "screenshot",  "dismiss_dialogs"}));
  EXPECT_EQ(find_command("focus")->handler, find_command("click")->handler);
  EXPECT_EQ(find_command("ping")->handler, nullptr);
  EXPECT_EQ(find_command("shutdown")->handler, nullptr);
  EXPECT_EQ(find_command("Scan"), nullptr);
  EXPECT_EQ(find_command(""), nullptr);
}

Json throws_runtime_error(DaemonContext&, const Json&) { throw std::runtime_error("boom \xFF"); }
Json throws_something_else(DaemonContext&, const Json&) { throw 42; }
Json answers(DaemonContext&, const Json& request) { return ok_response({{"echo", request}}); }

TEST(RunHandler, EscapingExceptionsBecomeOneErrorResponse) {
  std::unique_ptr<sim::SimDesktop> desktop = sim::SimDesktop::demo();
  DaemonContext context(desktop->platform(), nullptr);
  const Json request{{"cmd", "scan"}};
  EXPECT_EQ(run_handler(throws_runtime_error, context, request, "scan"),
            error_response("scan: internal error: boom \xEF\xBF\xBD"));
  EXPECT_EQ(run_handler(throws_something_else, context, request, "scan"),
            error_response("scan: internal error"));
  EXPECT_EQ(run_handler(answers, context, request, "scan"),
            Json({{"echo", request}, {"ok", true}}));
}

}  // namespace
}  // namespace uiad
