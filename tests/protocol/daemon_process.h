// Runs the simulated daemon binary as a child process for protocol tests:
// writes the request bytes to its standard input, closes it, collects all of
// standard output and standard error and the exit status. A run that does not
// end within the timeout is killed and reported as timed out, so a hang fails
// the test instead of blocking the suite.
//
//   DaemonRun run = run_sim(scene_path("demo.json"), "{\"cmd\":\"ping\"}\n");
//   EXPECT_EQ(run.lines, (std::vector<std::string>{kReadyLine, R"({"ok":true,"pong":true})"}));
//   EXPECT_EQ(run.exit_code, 0);
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace uiad::testing {

inline constexpr const char* kReadyLine = R"({"event":"ready","ok":true})";
inline constexpr const char* kShuttingDownLine = R"({"event":"shutting_down","ok":true})";

struct DaemonRun {
  std::string output;               // standard output, byte for byte
  std::vector<std::string> lines;   // `output` split at LF; a last line without LF is kept
  bool output_ends_with_lf = true;  // false when the last byte of a non-empty output is not LF
  std::string error_output;         // standard error
  int exit_code = -1;               // exit status; -1 when the process did not exit normally
  int signal = 0;                   // the signal that ended the process, or 0
  bool timed_out = false;
  bool input_fully_written = false;  // the daemon accepted every input byte before ending
};

struct RunOptions {
  std::string events_path;  // passed as --events when not empty
  std::chrono::milliseconds timeout{30000};
  // Close our end of the daemon's standard output before writing anything, as a
  // client that stops reading would.
  bool close_stdout_at_start = false;
};

// Runs UIAD_SIM_BINARY with `scene_path` (no scene argument when empty: the
// bundled demo desktop) and `input` as its whole standard input.
DaemonRun run_sim(const std::string& scene_path, const std::string& input,
                  const RunOptions& options = {});
inline DaemonRun run_sim(const std::string& scene_path, const std::string& input,
                         const std::string& events_path) {
  RunOptions options;
  options.events_path = events_path;
  return run_sim(scene_path, input, options);
}

// What a session of element commands after one scan produced.
struct Exchange {
  std::vector<std::string> responses;  // after the ready line and the scan
  std::vector<std::string> events;     // without the start-up line and the exit line
  std::string exit_line;
};

// Scans `app` of `scene`, then sends `requests`, one per line, with the event
// log on; expects a clean exit and a successful scan.
Exchange run_after_scan(const std::string& scene, const std::string& app,
                        const std::vector<std::string>& requests);

// A file under UIAD_TEST_DATA_DIR.
std::string test_data_path(const std::string& relative);

// A file holding `contents` in a fresh temporary directory, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& contents, const std::string& name = "scene.json");
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  const std::string& path() const { return path_; }
  // The file's current contents (for example an event log the daemon wrote).
  std::string read() const;

 private:
  std::string directory_;
  std::string path_;
};

}  // namespace uiad::testing
