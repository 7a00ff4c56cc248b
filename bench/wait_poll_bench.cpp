// The daemon's own cost of one wait_for_change poll (the fingerprint: the
// foreground title, the titled-window count, the focused element's name and
// value) on a simulated desktop of 500 titled windows, without the 150 ms
// wait. The simulator's share is measured apart: the same system calls with
// their results dropped.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "actions/wait_for_change.h"
#include "sim_bed.h"

namespace {

constexpr int kWindows = 500;

// 500 titled windows; the first is the foreground window with a focused edit.
std::string scene() {
  std::string s = R"({"windows": [)";
  for (int i = 1; i <= kWindows; ++i) {
    if (i > 1) s += ",";
    s += R"({"hwnd": )" + std::to_string(i) + R"(, "title": "Window number )" + std::to_string(i) +
         R"( - Application", "rect": [0, 0, 400, 300])";
    if (i == 1) {
      s += R"(, "element": {"children": [{"type": "edit", "name": "Notes", "focused": true,
               "rect": [10, 10, 390, 290], "patterns": {"value": {"value": ")" +
           std::string(200, 'v') + R"("}}}]})";
    }
    s += "}";
  }
  return s + "]}";
}

void BM_Poll(benchmark::State& state) {
  uiad::bench::SimBed bed(scene());
  for (auto _ : state) {
    auto snapshot = uiad::take_window_snapshot(bed.context->platform, *bed.context->automation);
    benchmark::DoNotOptimize(snapshot);
  }
}
BENCHMARK(BM_Poll)->Unit(benchmark::kMicrosecond);

// The simulator alone: the calls a poll makes, results dropped.
void BM_SimulatorCallsOfAPoll(benchmark::State& state) {
  uiad::bench::SimBed bed(scene());
  auto& platform = bed.context->platform;
  auto& automation = *bed.context->automation;
  std::vector<uiad::platform::Hwnd> handles;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        platform.windows.get_window_text(platform.input.get_foreground_window(), 512));
    handles.clear();
    (void)platform.windows.enum_windows(handles);
    for (auto h : handles) benchmark::DoNotOptimize(platform.windows.get_window_text(h, 512));
    auto focused = automation.get_focused_element();
    benchmark::DoNotOptimize(focused.value->get_current_name());
    auto value = focused.value->current_pattern_as<uiad::platform::ValuePattern>(
        uiad::platform::kValuePatternId);
    benchmark::DoNotOptimize(value.value->get_current_value());
  }
}
BENCHMARK(BM_SimulatorCallsOfAPoll)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
