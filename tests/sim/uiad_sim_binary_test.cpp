// The uiad-sim executable: its arguments, its refusal of bad scenes, and the
// event log file it leaves behind for leak checks.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class SimBinary : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("uiad_sim_binary_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs uiad-sim with `args` and `input` on stdin; returns the exit status.
  int run(const std::string& args, const std::string& input = "") {
    { std::ofstream(dir_ / "in.txt") << input; }
    const std::string command = std::string(UIAD_SIM_BINARY) + " " + args + " < " +
                                (dir_ / "in.txt").string() + " > " + (dir_ / "out.txt").string() +
                                " 2> " + (dir_ / "err.txt").string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string write_scene(const std::string& text) {
    std::ofstream(dir_ / "scene.json") << text;
    return (dir_ / "scene.json").string();
  }

  fs::path dir_;
};

TEST_F(SimBinary, BadArgumentsAndBadScenesExitWithStatus2) {
  EXPECT_EQ(run("--bogus"), 2);
  EXPECT_NE(read("err.txt").find("unknown option '--bogus'"), std::string::npos);
  EXPECT_EQ(run("--events"), 2);
  EXPECT_EQ(run((dir_ / "missing.json").string()), 2);
  EXPECT_NE(read("err.txt").find("cannot read scene"), std::string::npos);
  EXPECT_EQ(run(write_scene(R"({"windws": []})")), 2);
  EXPECT_NE(read("err.txt").find("scene: /windws: unknown key 'windws'"), std::string::npos);
  EXPECT_EQ(read("out.txt"), "");
  EXPECT_EQ(run("a.json b.json"), 2);
}

TEST_F(SimBinary, ServesASceneAndEndsTheEventLogWithTheLeakCounts) {
  const auto scene = write_scene(R"({"windows": [{"hwnd": 7, "title": "Only window"}]})");
  const auto events = (dir_ / "events.jsonl").string();
  EXPECT_EQ(
      run(scene + " --events " + events, "{\"cmd\":\"foreground\"}\n{\"cmd\":\"shutdown\"}\n"), 0);
  EXPECT_EQ(
      read("out.txt"),
      "{\"event\":\"ready\",\"ok\":true}\n{\"hwnd\":7,\"ok\":true,\"title\":\"Only window\"}\n"
      "{\"event\":\"shutting_down\",\"ok\":true}\n");
  const std::string log = read("events.jsonl");
  EXPECT_NE(log.find("{\"t\":0,\"type\":\"exit\",\"live_references\":0,\"open_handles\":0}\n"),
            std::string::npos)
      << log;
}

TEST_F(SimBinary, WithoutASceneTheDemoDesktopIsServed) {
  EXPECT_EQ(run("", "{\"cmd\":\"foreground\"}\n"), 0);
  EXPECT_NE(read("out.txt").find("\"title\":\"Preferences\""), std::string::npos)
      << read("out.txt");
}

}  // namespace
