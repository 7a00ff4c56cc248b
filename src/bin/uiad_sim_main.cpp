// uiad-sim: the daemon over a simulated desktop. Usage: uiad-sim [SCENE]
// [--events FILE]. Without a scene it serves the bundled demo desktop.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "daemon/main_loop.h"
#include "daemon/transport.h"
#include "platform/sim/sim_desktop.h"

namespace {

constexpr int kUsageError = 2;

int usage(const std::string& problem) {
  std::fprintf(stderr, "uiad-sim: %s\nusage: uiad-sim [SCENE] [--events FILE]\n", problem.c_str());
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // A screenshot's bitmaps are tens of megabytes, above the size glibc hands
  // back to the system at once; kept in the heap, the next capture reuses
  // them instead of faulting in fresh pages.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  std::string scene_path;
  std::string events_path;
  bool have_scene = false;
  bool have_events = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--events") {
      if (have_events) return usage("--events given twice");
      if (i + 1 >= argc) return usage("--events needs a file name");
      events_path = argv[++i];
      have_events = true;
    } else if (arg == "--help" || arg == "-h") {
      std::printf("usage: uiad-sim [SCENE] [--events FILE]\n");
      return 0;
    } else if (arg.starts_with("-") && arg != "-") {
      return usage("unknown option '" + std::string(arg) + "'");
    } else if (have_scene) {
      return usage("more than one scene given");
    } else {
      scene_path = std::string(arg);
      have_scene = true;
    }
  }

  std::unique_ptr<uiad::sim::SimDesktop> desktop;
  if (have_scene) {
    std::ifstream file(scene_path, std::ios::binary);
    if (!file) return usage("cannot read scene '" + scene_path + "'");
    std::ostringstream text;
    text << file.rdbuf();
    std::string error;
    desktop = uiad::sim::SimDesktop::from_scene_json(text.str(), error);
    if (desktop == nullptr) {
      std::fprintf(stderr, "uiad-sim: %s: %s\n", scene_path.c_str(), error.c_str());
      return kUsageError;
    }
  } else {
    desktop = uiad::sim::SimDesktop::demo();
  }
  if (have_events) {
    std::string error;
    if (!desktop->write_events_to(events_path, error)) return usage(error);
  }
  // Nothing here reads the log back; kept in memory it would grow with every
  // request for as long as the daemon runs.
  desktop->keep_events_in_memory(false);

  int status = 0;
  {
    auto transport = uiad::make_stdio_transport();
    status = uiad::run_daemon(desktop->platform(), *transport);
  }
  desktop->log_exit();
  return status;
}
