// The wire protocol end to end: the real simulated daemon, request bytes on
// its standard input, and the exact bytes of its standard output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/daemon_process.h"

namespace uiad::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kPong = R"({"ok":true,"pong":true})";
constexpr const char* kPing = "{\"cmd\":\"ping\"}";

class WireProtocol : public ::testing::Test {
 protected:
  // The daemon over an empty desktop.
  DaemonRun run(const std::string& input, const RunOptions& options = {}) {
    DaemonRun result = run_sim(empty_scene_.path(), input, options);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0) << result.error_output;
    EXPECT_EQ(result.signal, 0);
    return result;
  }

  TempFile empty_scene_{"{}"};
};

TEST_F(WireProtocol, ReadyLineFirstThenOneLinePerRequest) {
  const DaemonRun result = run(std::string(kPing) + "\n");
  EXPECT_EQ(result.output, std::string(kReadyLine) + "\n" + kPong + "\n");
}

TEST_F(WireProtocol, NoInputGivesOnlyTheReadyLine) {
  EXPECT_EQ(run("").output, std::string(kReadyLine) + "\n");
}

TEST_F(WireProtocol, LineEndsAndBlankLines) {
  // CR LF, blank lines of every kind (empty, blanks and tabs, CR only, an
  // ideographic space), and a last request without LF.
  const DaemonRun result =
      run(std::string(kPing) + "\r\n\n   \t \n\r\n\xE3\x80\x80\n \t" + kPing + " \n" + kPing);
  EXPECT_EQ(result.lines, (Lines{kReadyLine, kPong, kPong, kPong}));
  EXPECT_TRUE(result.output_ends_with_lf);
  EXPECT_EQ(result.output.find('\r'), std::string::npos);
}

TEST_F(WireProtocol, ProtocolErrors) {
  const DaemonRun result =
      run("x\n"
          "{\"cmd\":\"ping\"} {\"cmd\":\"ping\"}\n"
          "{\"cmd\":\"ping\"} x\n"
          "[\"ping\"]\n"
          "\"ping\"\n"
          "{\"app\":\"notepad\"}\n"
          "{\"cmd\":[\"ping\"]}\n"
          "{\"cmd\":\"PING\"}\n"
          "{\"cmd\":\"ping \"}\n");
  EXPECT_EQ(
      result.lines,
      (Lines{kReadyLine, R"({"error":"JSON parse: expected value at line 1 column 1","ok":false})",
             R"({"error":"JSON parse: expected end of input at line 1 column 16","ok":false})",
             R"({"error":"JSON parse: expected end of input at line 1 column 16","ok":false})",
             R"({"error":"unknown cmd: ","ok":false})", R"({"error":"unknown cmd: ","ok":false})",
             R"({"error":"unknown cmd: ","ok":false})", R"({"error":"unknown cmd: ","ok":false})",
             R"({"error":"unknown cmd: PING","ok":false})",
             R"({"error":"unknown cmd: ping ","ok":false})"}));
}

TEST_F(WireProtocol, NulByteDoesNotEndALine) {
  // Neither the ping before the NUL nor the shutdown after it is served.
  const std::string line = std::string(kPing) + std::string(1, '\0') + "{\"cmd\":\"shutdown\"}\n";
  EXPECT_EQ(
      run(line + kPing + "\n").lines,
      (Lines{kReadyLine,
             R"({"error":"JSON parse: expected end of input at line 1 column 15","ok":false})",
             kPong}));
}

TEST_F(WireProtocol, MessagesAreEscapedAsSpecified) {
  // A quotation mark, a backslash, a tab, an em dash, a control character, a
  // solidus and DEL in the echoed cmd.
  const DaemonRun result = run("{\"cmd\":\"a\\\"b\\\\c\\td\xE2\x80\x94\\u0001/\x7F\"}\n");
  EXPECT_EQ(result.lines, (Lines{kReadyLine,
                                 "{\"error\":\"unknown cmd: a\\\"b\\\\c\\td\xE2\x80\x94"
                                 "\\u0001/\x7F\",\"ok\":false}"}));
}

TEST_F(WireProtocol, NestingLimitIsAParseError) {
  const std::string ok =
      "{\"cmd\":\"ping\",\"x\":" + std::string(126, '[') + std::string(126, ']') + "}";
  const std::string deep =
      "{\"cmd\":\"ping\",\"x\":" + std::string(127, '[') + std::string(127, ']') + "}";
  EXPECT_EQ(
      run(ok + "\n" + deep + "\n").lines,
      (Lines{
          kReadyLine, kPong,
          R"({"error":"JSON parse: nesting deeper than 127 levels at line 1 column 145","ok":false})"}));
}

TEST_F(WireProtocol, LongLinesAreOneRequest) {
  const std::string padding(3 * 1024 * 1024, 'p');
  EXPECT_EQ(run("{\"pad\":\"" + padding + "\",\"cmd\":\"ping\"}\n" + kPing + "\n").lines,
            (Lines{kReadyLine, kPong, kPong}));
}

TEST_F(WireProtocol, DuplicateCmdKeyMeansTheLaterOne) {
  const DaemonRun result =
      run("{\"cmd\":\"ping\",\"cmd\":\"shutdown\"}\n" + std::string(kPing) + "\n");
  EXPECT_EQ(result.lines, (Lines{kReadyLine, kShuttingDownLine}));
}

TEST_F(WireProtocol, NothingIsServedAfterShutdown) {
  std::string after;
  for (int i = 0; i < 1000; ++i) after += std::string(kPing) + "\nx\n";
  const DaemonRun result = run(std::string(kPing) + "\n{\"cmd\":\"shutdown\"}\n" + after);
  EXPECT_EQ(result.output,
            std::string(kReadyLine) + "\n" + kPong + "\n" + kShuttingDownLine + "\n");
}

TEST_F(WireProtocol, InvalidUtf8EndsTheDaemonLikeEndOfInput) {
  for (const char* bad : {"{\"cmd\":\"\xFF\"}", "\xC0\xAF", "{\"cmd\":\"\xED\xA0\x80\"}",
                          "{\"cmd\":\"ping\"}\xE2\x80"}) {
    const DaemonRun result = run(std::string(kPing) + "\n" + bad + "\n" + kPing + "\n");
    EXPECT_EQ(result.lines, (Lines{kReadyLine, kPong})) << bad;
  }
}

TEST_F(WireProtocol, ClosedStandardOutputDoesNotStopTheDaemon) {
  // Far more input than a pipe holds: the daemon must keep reading and
  // executing after its writes start failing, then exit normally.
  std::string input;
  for (int i = 0; i < 20000; ++i) input += std::string(kPing) + "\n{\"cmd\":\"windows\"}\n";
  RunOptions options;
  options.close_stdout_at_start = true;
  const DaemonRun result = run(input, options);
  EXPECT_TRUE(result.input_fully_written);
}

TEST_F(WireProtocol, FailedAutomationStartUpIsTheOnlyLine) {
  const TempFile scene(R"({"faults":[{"call":"CoCreateInstance","hr":"0x80040154"}]})");
  const DaemonRun result = run_sim(scene.path(), std::string(kPing) + "\n");
  EXPECT_EQ(result.output,
            R"j({"error":"COM init: Class not registered (0x80040154)","ok":false})j"
            "\n");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_FALSE(result.timed_out);
}

TEST_F(WireProtocol, DesktopCommandsAnswerBeforeAnyScan) {
  const DaemonRun result =
      run("{\"cmd\":\"windows\"}\n{\"cmd\":\"list_apps\"}\n{\"cmd\":\"foreground\"}\n");
  ASSERT_EQ(result.lines.size(), 4u);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_NE(result.lines[i].find("\"ok\":true"), std::string::npos) << result.lines[i];
  }
}

}  // namespace
}  // namespace uiad::testing
