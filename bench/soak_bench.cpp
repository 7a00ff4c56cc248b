// Soak: drives a long mixed run of requests through the daemon's real loop on
// the demo desktop and reports resident memory, the simulator's live
// automation references and its open handles at the start, the middle and the
// end. Usage: soak_bench [REQUESTS]  (default 100,000).
//
// The requests repeat one cycle (scans, clicks, values, keys, pointer, menus,
// a screenshot to a temporary file, a short wait_for_change, the desktop
// lists). Every figure is read at the same place of the cycle, so what the
// sessions hold is the same each time and any difference is growth.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "daemon/main_loop.h"
#include "daemon/transport.h"
#include "platform/sim/sim_desktop.h"

namespace {

struct Sample {
  std::uint64_t served = 0;
  double seconds = 0;
  std::int64_t rss_kib = 0;
  std::int64_t references = 0;
  std::int64_t element_references = 0;
  std::int64_t handles = 0;
};

std::int64_t resident_kib() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::vector<std::string> cycle(const std::string& shot) {
  return {
      R"({"cmd":"scan","app":"preferences"})",
      R"({"cmd":"set_value","app":"preferences","id":"auto:txtUserName","text":"carol"})",
      R"({"cmd":"key","app":"preferences","id":"auto:txtUserName","key":"bob"})",
      R"({"cmd":"attrs","app":"preferences","id":"auto:txtUserName"})",
      R"({"cmd":"click","app":"preferences","id":"auto:chkStatusBar"})",
      R"({"cmd":"probe","app":"preferences","id":"auto:1"})",
      R"({"cmd":"scan","app":"file browser"})",
      R"({"cmd":"click","app":"file browser","id":"name:tab:View"})",
      R"({"cmd":"click","app":"file browser","id":"name:tab:Home"})",
      R"({"cmd":"set_value","app":"file browser","id":"auto:SearchBox","text":"report"})",
      R"({"cmd":"scroll","app":"file browser","id":"name:row:photo.jpg","direction":"page_down"})",
      R"({"cmd":"scroll","app":"file browser","id":"name:row:photo.jpg","direction":"home"})",
      R"({"cmd":"hover","app":"file browser","id":"name:button:Up"})",
      R"({"cmd":"mouse_click","app":"file browser","id":"name:row:setup.exe","button":"right"})",
      R"({"cmd":"perform","app":"file browser","id":"name:button:Up","action":"AXPress"})",
      R"({"cmd":"scan","app":"text editor"})",
      R"({"cmd":"menus","app":"text editor"})",
      R"({"cmd":"invoke_menu","app":"text editor","path":"view>zoom in"})",
      R"({"cmd":"invoke_menu","app":"text editor","path":"Edit>Copy"})",
      R"({"cmd":"context_menu","app":"text editor","id":"auto:15"})",
      R"({"cmd":"key","app":"text editor","key":"esc"})",
      R"({"cmd":"screenshot","app":"preferences","path":")" + shot + R"("})",
      R"({"cmd":"wait_for_change","timeout_ms":50})",
      R"({"cmd":"dismiss_dialogs","titles":["download complete"],"prefer":["close"]})",
      R"({"cmd":"windows"})",
      R"({"cmd":"list_apps"})",
      R"({"cmd":"foreground"})",
  };
}

std::string command_of(std::string_view request) {
  const auto start = request.find(R"("cmd":")") + 7;
  return std::string(request.substr(start, request.find('"', start) - start));
}

// Hands out the cycle's requests until `total` are served, then shutdown;
// counts failed responses by command and takes the samples.
class SoakTransport : public uiad::Transport {
 public:
  SoakTransport(uiad::sim::SimDesktop& desktop, std::vector<std::string> requests,
                std::uint64_t total)
      : desktop_(desktop), requests_(std::move(requests)), total_(total) {
    // All three at the same place of the cycle: where the last request ends.
    const std::uint64_t place = total_ % requests_.size();
    const std::uint64_t start = place + requests_.size();
    std::uint64_t middle = total_ / 2 - (total_ / 2) % requests_.size() + place;
    if (middle <= start) middle = start;
    checkpoints_ = {start, middle, total_};
    started_ = std::chrono::steady_clock::now();
  }

  uiad::ReadStatus read_line(std::string& line) override {
    if (samples_.size() < checkpoints_.size() && served_ == checkpoints_[samples_.size()])
      take_sample();
    if (served_ > total_) return uiad::ReadStatus::End;
    if (served_ == total_) {
      line = R"({"cmd":"shutdown"})";
      ++served_;
      return uiad::ReadStatus::Line;
    }
    last_ = &requests_[served_ % requests_.size()];
    line = *last_;
    ++served_;
    return uiad::ReadStatus::Line;
  }

  void write_line(std::string_view line) override {
    if (last_ != nullptr && line.find(R"("ok":false)") != std::string_view::npos) {
      ++failures_[command_of(*last_)];
      if (first_failure_.empty()) first_failure_ = std::string(line.substr(0, 300));
    }
  }

  const std::vector<Sample>& samples() const { return samples_; }
  const std::map<std::string, std::uint64_t>& failures() const { return failures_; }
  const std::string& first_failure() const { return first_failure_; }
  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }

 private:
  void take_sample() {
    samples_.push_back({served_, seconds(), resident_kib(), desktop_.live_references(),
                        desktop_.live_element_references(), desktop_.open_handles()});
  }

  uiad::sim::SimDesktop& desktop_;
  std::vector<std::string> requests_;
  std::uint64_t total_;
  std::uint64_t served_ = 0;
  const std::string* last_ = nullptr;
  std::vector<std::uint64_t> checkpoints_;
  std::vector<Sample> samples_;
  std::map<std::string, std::uint64_t> failures_;
  std::string first_failure_;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // As uiad-sim runs: freed screenshot buffers stay in the heap.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  const std::uint64_t total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000;
  char dir_template[] = "/tmp/uiad-soak-XXXXXX";
  if (mkdtemp(dir_template) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::filesystem::path dir(dir_template);
  const std::vector<std::string> requests = cycle((dir / "shot.bmp").string());
  if (total < 3 * requests.size()) {
    std::fprintf(stderr, "soak_bench: at least %zu requests\n", 3 * requests.size());
    return 2;
  }

  std::unique_ptr<uiad::sim::SimDesktop> desktop = uiad::sim::SimDesktop::demo();
  desktop->keep_events_in_memory(false);  // as uiad-sim, which never reads them
  SoakTransport transport(*desktop, requests, total);
  const int status = uiad::run_daemon(desktop->platform(), transport);
  const double seconds = transport.seconds();
  std::filesystem::remove_all(dir);

  std::printf("%llu requests (a cycle of %zu) in %.2f s, %.0f requests/s\n",
              static_cast<unsigned long long>(total), requests.size(), seconds, total / seconds);
  std::printf("%-8s %10s %10s %12s %12s %8s\n", "sample", "requests", "rss KiB", "references",
              "of elements", "handles");
  const char* names[] = {"start", "middle", "end"};
  for (std::size_t i = 0; i < transport.samples().size(); ++i) {
    const Sample& s = transport.samples()[i];
    std::printf("%-8s %10llu %10lld %12lld %12lld %8lld\n", names[i],
                static_cast<unsigned long long>(s.served), static_cast<long long>(s.rss_kib),
                static_cast<long long>(s.references), static_cast<long long>(s.element_references),
                static_cast<long long>(s.handles));
  }
  std::printf("%-8s %10s %10lld %12lld %12lld %8lld\n", "exit", "",
              static_cast<long long>(resident_kib()),
              static_cast<long long>(desktop->live_references()),
              static_cast<long long>(desktop->live_element_references()),
              static_cast<long long>(desktop->open_handles()));
  for (const auto& [command, count] : transport.failures())
    std::printf("failed: %s x %llu\n", command.c_str(), static_cast<unsigned long long>(count));
  if (!transport.first_failure().empty())
    std::printf("first failure: %s\n", transport.first_failure().c_str());
  return status == 0 && transport.failures().empty() ? 0 : 1;
}
