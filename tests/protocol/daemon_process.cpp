// Child-process plumbing for the protocol tests: posix_spawn with three pipes,
// one poll loop that feeds standard input while draining both outputs, and a
// deadline after which the child is killed.
#include "protocol/daemon_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace uiad::testing {
namespace {

struct Pipe {
  int read_end = -1;
  int write_end = -1;
};

Pipe make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  return {fds[0], fds[1]};
}

void close_fd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void split_lines(DaemonRun& run) {
  std::size_t start = 0;
  while (start < run.output.size()) {
    const std::size_t lf = run.output.find('\n', start);
    if (lf == std::string::npos) {
      run.lines.push_back(run.output.substr(start));
      run.output_ends_with_lf = false;
      break;
    }
    run.lines.push_back(run.output.substr(start, lf - start));
    start = lf + 1;
  }
}

}  // namespace

DaemonRun run_sim(const std::string& scene_path, const std::string& input,
                  const RunOptions& options) {
  // A daemon that exits early closes its stdin; our write must fail, not kill us.
  ::signal(SIGPIPE, SIG_IGN);

  Pipe in = make_pipe(), out = make_pipe(), err = make_pipe();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.read_end, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write_end, 1);
  posix_spawn_file_actions_adddup2(&actions, err.write_end, 2);

  std::vector<std::string> args = {UIAD_SIM_BINARY};
  if (!scene_path.empty()) args.push_back(scene_path);
  if (!options.events_path.empty()) {
    args.push_back("--events");
    args.push_back(options.events_path);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, UIAD_SIM_BINARY, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close_fd(in.read_end);
  close_fd(out.write_end);
  close_fd(err.write_end);
  DaemonRun run;
  if (spawned != 0) {
    close_fd(in.write_end);
    close_fd(out.read_end);
    close_fd(err.read_end);
    run.error_output = "posix_spawn failed: " + std::to_string(spawned);
    return run;
  }

  ::fcntl(in.write_end, F_SETFL, O_NONBLOCK);
  if (options.close_stdout_at_start) close_fd(out.read_end);
  std::size_t written = 0;
  if (input.empty()) close_fd(in.write_end);

  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  while (in.write_end >= 0 || out.read_end >= 0 || err.read_end >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      run.timed_out = true;
      break;
    }
    pollfd fds[3];
    nfds_t n = 0;
    if (in.write_end >= 0) fds[n++] = {in.write_end, POLLOUT, 0};
    if (out.read_end >= 0) fds[n++] = {out.read_end, POLLIN, 0};
    if (err.read_end >= 0) fds[n++] = {err.read_end, POLLIN, 0};
    const int ready = ::poll(fds, n, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) break;
    for (nfds_t i = 0; i < n && ready > 0; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in.write_end) {
        const ssize_t w = ::write(in.write_end, input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
          close_fd(in.write_end);
        }
      } else {
        char buffer[65536];
        const ssize_t r = ::read(fds[i].fd, buffer, sizeof buffer);
        if (r > 0) {
          (fds[i].fd == out.read_end ? run.output : run.error_output).append(buffer, r);
        } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
          close_fd(fds[i].fd == out.read_end ? out.read_end : err.read_end);
        }
      }
    }
  }
  run.input_fully_written = written == input.size();
  close_fd(in.write_end);
  close_fd(out.read_end);
  close_fd(err.read_end);

  if (run.timed_out) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  split_lines(run);
  return run;
}

std::string test_data_path(const std::string& relative) {
  return std::string(UIAD_TEST_DATA_DIR) + "/" + relative;
}

TempFile::TempFile(const std::string& contents, const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / "uiad-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  directory_ = pattern;
  path_ = directory_ + "/" + name;
  std::ofstream(path_, std::ios::binary) << contents;
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

std::string TempFile::read() const {
  std::ifstream in(path_, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

Exchange run_after_scan(const std::string& scene, const std::string& app,
                        const std::vector<std::string>& requests) {
  std::string input = R"({"cmd":"scan","app":")" + app + "\"}\n";
  for (const std::string& r : requests) input += r + "\n";
  TempFile events("", "events.log");
  const auto run = run_sim(scene, input, events.path());
  Exchange out;
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  EXPECT_GE(run.lines.size(), 2u) << run.output;
  EXPECT_NE(run.lines.at(1).find(R"("ok":true)"), std::string::npos) << run.lines.at(1);
  for (std::size_t i = 2; i < run.lines.size(); ++i) {
    if (!run.lines[i].empty()) out.responses.push_back(run.lines[i]);
  }
  std::string log = events.read();
  std::size_t start = 0;
  for (std::size_t lf; (lf = log.find('\n', start)) != std::string::npos; start = lf + 1) {
    const std::string line = log.substr(start, lf - start);
    if (line.find(R"("type":"set_dpi_awareness")") != std::string::npos) continue;
    if (line.find(R"("type":"exit")") != std::string::npos) {
      out.exit_line = line;
      continue;
    }
    out.events.push_back(line);
  }
  return out;
}

}  // namespace uiad::testing
