// The daemon's own cost of click, attrs, set_value and set_focused on a large
// session: the daemon runs its real loop over the simulated desktop, with a
// transport that times each request from the moment its line is handed over
// to the moment its response line is written (parsing, the handler and the
// serializer; no pipes). The simulator's clock is virtual, so the commands'
// fixed waits cost nothing; what remains is the daemon's work plus the
// simulator's answers to its calls.
//
//   element_actions_bench [ELEMENTS] [REQUESTS]   (ELEMENTS 10000 or 100000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "daemon/main_loop.h"
#include "daemon/transport.h"
#include "platform/sim/sim_desktop.h"

namespace {

using Clock = std::chrono::steady_clock;

// Feeds the request lines and records how long each took to answer.
class TimingTransport final : public uiad::Transport {
 public:
  explicit TimingTransport(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  uiad::ReadStatus read_line(std::string& line) override {
    if (next_ == lines_.size()) return uiad::ReadStatus::End;
    line = lines_[next_++];
    started_ = Clock::now();
    return uiad::ReadStatus::Line;
  }

  void write_line(std::string_view line) override {
    if (next_ == 0) return;  // the ready line
    durations_.push_back(
        std::chrono::duration<double, std::micro>(Clock::now() - started_).count());
    if (line.find("\"ok\":true") == std::string_view::npos) {
      std::fprintf(stderr, "request %zu failed: %.200s\n", next_, std::string(line).c_str());
      std::exit(1);
    }
  }

  const std::vector<double>& durations() const { return durations_; }

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  Clock::time_point started_;
  std::vector<double> durations_;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  const long elements = argc > 1 ? std::atol(argv[1]) : 10000;
  const int requests = argc > 2 ? std::atoi(argv[2]) : 2000;
  std::string scene = read_file(elements >= 100000 ? UIAD_BENCH_DIR "/scan_tables_100k.json"
                                                   : UIAD_BENCH_DIR "/scan_tables_10k.json");
  // Every cell offers Invoke too, so click takes the UI Automation way.
  const std::string value = R"("patterns": {"value": {"value": "{r}.{c}"}})";
  scene.replace(scene.find(value), value.size(),
                R"("patterns": {"value": {"value": "{r}.{c}"}, "invoke": {}})");
  std::string error;
  auto desktop = uiad::sim::SimDesktop::from_scene_json(scene, error);
  if (!desktop) {
    std::fprintf(stderr, "scene: %s\n", error.c_str());
    return 1;
  }

  // A cell in the middle of the first table.
  const std::string target = R"("app":"ledger","id":"name:text:Cell_50#50")";
  struct Command {
    const char* name;
    std::string line;
  };
  const std::vector<Command> commands = {
      {"click (general way, Invoke)", R"({"cmd":"click",)" + target + "}"},
      {"attrs", R"({"cmd":"attrs",)" + target + "}"},
      {"set_value (Value pattern)", R"({"cmd":"set_value",)" + target + R"(,"text":"42"})"},
      {"set_focused", R"({"cmd":"set_focused",)" + target + "}"},
  };
  std::vector<std::string> lines = {R"({"cmd":"scan","app":"Ledger"})"};
  for (const Command& c : commands) lines.insert(lines.end(), requests, c.line);

  TimingTransport transport(std::move(lines));
  uiad::run_daemon(desktop->platform(), transport);
  const std::vector<double>& d = transport.durations();
  std::printf("session of %ld elements, scan %.1f ms; %d requests each, microseconds:\n", elements,
              d[0] / 1000.0, requests);
  std::printf("%-30s %10s %10s %10s\n", "command", "median", "p90", "min");
  for (std::size_t i = 0; i < commands.size(); ++i) {
    std::vector<double> part(d.begin() + 1 + static_cast<long>(i) * requests,
                             d.begin() + 1 + static_cast<long>(i + 1) * requests);
    std::printf("%-30s %10.1f %10.1f %10.1f\n", commands[i].name, percentile(part, 0.5),
                percentile(part, 0.9), percentile(part, 0.0));
  }
  return 0;
}
