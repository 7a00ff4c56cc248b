// In-process cost of the element commands on a scanned session over the
// simulator, at 10,000 and 100,000 recorded elements, so that a cost that grows
// with the session shows. The simulator's clock is virtual, so the fixed waits
// of posted input cost nothing here: what is measured is the handler with the
// simulator calls it makes (an upper bound of the daemon's own cost). hover,
// which enumerates the top-level windows twice, is also measured on a desktop
// of 500 top-level windows.
//
// Each command is one benchmark over a shared bed; add others the same way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "daemon/context.h"
#include "daemon/json.h"
#include "platform/sim/sim_desktop.h"
#include "snapshot/scan.h"

namespace {

// One window holding scrollable tables of 100-cell rows (at most 200 rows a
// table, as a scan records at most 200 children of an element), `elements`
// cells in all, plus `extra_windows` visible top-level windows of another process.
std::string scene(std::int64_t elements, int extra_windows) {
  const std::int64_t rows = std::min<std::int64_t>(200, elements / 100);
  const std::int64_t tables = elements / (rows * 100);
  std::string windows =
      R"({"hwnd": 1, "title": "Ledger", "rect": [0, 0, 1900, 1000], "process": 10, "element": {"children": [
  {"type": "table", "name": "Sheet {t}", "rect": [0, 0, 1900, 1000],
   "repeat": {"count": )" +
      std::to_string(tables) + R"(, "var": "t"},
   "patterns": {"scroll": {"vertical_percent": 50, "horizontally_scrollable": false}},
   "children": [
    {"type": "dataitem", "name": "Row {r}", "rect": [0, 0, 1900, 20],
     "repeat": {"count": )" +
      std::to_string(rows) + R"(, "var": "r", "step": [0, 20]},
     "children": [
       {"type": "text", "name": "Cell {c}", "rect": [0, 0, 19, 20],
        "repeat": {"count": 100, "var": "c", "step": [19, 0]},
        "patterns": {"value": {"value": "{r}.{c}"}}}]}]}]}})";
  for (int i = 0; i < extra_windows; ++i) {
    windows += R"(, {"hwnd": )" + std::to_string(1000 + i) +
               R"(, "class": "Other", "title": "Other )" + std::to_string(i) +
               R"(", "rect": [10, 10, 300, 200], "process": 20})";
  }
  return R"({"foreground": 1, "windows": [)" + windows + "]}";
}

struct Bed {
  std::unique_ptr<uiad::sim::SimDesktop> desktop;
  std::unique_ptr<uiad::DaemonContext> context;
  std::int64_t runs = 0;

  Bed(std::int64_t elements, int extra_windows) {
    std::string error;
    desktop = uiad::sim::SimDesktop::from_scene_json(scene(elements, extra_windows), error);
    if (!desktop) throw std::runtime_error(error);
    context = std::make_unique<uiad::DaemonContext>(
        desktop->platform(), desktop->platform().com.create_automation().value);
    const uiad::Json answer = uiad::handle_scan(*context, {{"cmd", "scan"}, {"app", "Ledger"}});
    if (answer.value("ok", false) != true) throw std::runtime_error(answer.dump());
  }

  // The event log is kept in memory; empty it now and then so it does not grow.
  void tidy() {
    if (++runs % 1024 == 0) desktop->clear_events();
  }
};

using Handler = uiad::Json (*)(uiad::DaemonContext&, const uiad::Json&);

void run(benchmark::State& state, Handler handler, const uiad::Json& request,
         int extra_windows = 0) {
  Bed bed(state.range(0), extra_windows);
  for (auto _ : state) {
    uiad::Json answer = handler(*bed.context, request);
    if (answer.value("ok", false) != true) {
      state.SkipWithError(answer.dump().c_str());
      break;
    }
    benchmark::DoNotOptimize(answer);
    bed.tidy();
  }
  state.counters["elements"] =
      static_cast<double>(bed.context->sessions.begin()->second.element_records.size());
}

const char* const kCell = "name:text:Cell_50";

void BM_Perform(benchmark::State& state) {
  run(state, uiad::handle_perform, {{"app", "ledger"}, {"id", kCell}, {"action", "press"}});
}
void BM_KeyName(benchmark::State& state) {
  run(state, uiad::handle_key, {{"app", "ledger"}, {"key", "Enter"}});
}
void BM_KeyTextIntoElement(benchmark::State& state) {
  run(state, uiad::handle_key, {{"app", "ledger"}, {"id", kCell}, {"key", "hello"}});
}
void BM_MouseClick(benchmark::State& state) {
  run(state, uiad::handle_mouse_click, {{"app", "ledger"}, {"id", kCell}, {"button", "right"}});
}
void BM_Hover(benchmark::State& state) {
  run(state, uiad::handle_hover, {{"app", "ledger"}, {"id", kCell}});
}
void BM_Hover500Windows(benchmark::State& state) {
  run(state, uiad::handle_hover, {{"app", "ledger"}, {"id", kCell}}, 500);
}
// Alternates page down and page up, so every scroll moves the table.
void BM_ScrollPattern(benchmark::State& state) {
  Bed bed(state.range(0), 0);
  const uiad::Json down = {{"app", "ledger"}, {"id", kCell}, {"direction", "down"}};
  const uiad::Json up = {{"app", "ledger"}, {"id", kCell}, {"direction", "up"}};
  bool going_down = true;
  for (auto _ : state) {
    uiad::Json answer = uiad::handle_scroll(*bed.context, going_down ? down : up);
    if (answer.value("verified", false) != true) {
      state.SkipWithError(answer.dump().c_str());
      break;
    }
    going_down = !going_down;
    bed.tidy();
  }
}
void BM_ScrollKeyRoute(benchmark::State& state) {
  run(state, uiad::handle_scroll, {{"app", "ledger"}, {"direction", "page_down"}});
}

// The simulator's share of the key routes: the messages the commands post,
// posted directly. The simulator finds the focused element and the list a key
// scrolls by looking through the window's elements, which grows with the tree.
void BM_SimulatorKeyTap(benchmark::State& state) {
  Bed bed(state.range(0), 0);
  uiad::platform::Platform& p = bed.desktop->platform();
  const std::uint64_t vk = state.range(1);
  for (auto _ : state) {
    (void)p.input.post_message(1, uiad::actions::kWmActivate, uiad::actions::kWaActive, 0);
    uiad::actions::post_key_tap(p, 1, vk);
    bed.tidy();
  }
}
void BM_SimulatorTyping(benchmark::State& state) {
  Bed bed(state.range(0), 0);
  uiad::platform::Platform& p = bed.desktop->platform();
  for (auto _ : state) {
    (void)p.input.post_message(1, uiad::actions::kWmActivate, uiad::actions::kWaActive, 0);
    uiad::actions::post_left_click(p, 1, 940, 10);
    for (char c : std::string("hello")) {
      (void)p.input.post_message(1, uiad::actions::kWmChar, static_cast<unsigned char>(c), 0);
    }
    bed.tidy();
  }
}

constexpr std::int64_t kSmall = 10'000;
constexpr std::int64_t kLarge = 100'000;

}  // namespace

BENCHMARK(BM_Perform)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyName)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyTextIntoElement)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MouseClick)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hover)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hover500Windows)->Arg(kSmall)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollPattern)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollKeyRoute)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SimulatorKeyTap)
    ->Args({kSmall, 0x0D})
    ->Args({kLarge, 0x0D})
    ->Args({kSmall, 0x22})
    ->Args({kLarge, 0x22})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SimulatorTyping)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
