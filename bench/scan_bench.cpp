// In-process cost of a cached scan over the simulator, split so that the
// daemon's own work per element can be told from the simulator's: the
// simulator alone (cache build plus every cached read and reference a scan
// makes), the walk with records and ids (tables freed each time), the phases
// after the walk, a whole scan until its response line is ready, and a whole
// scan with the freeing of its response.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "daemon/context.h"
#include "daemon/json_writer.h"
#include "platform/sim/sim_desktop.h"
#include "snapshot/element_reading.h"
#include "snapshot/scan.h"
#include "snapshot/snapshot_text.h"
#include "snapshot/tree_walk.h"

namespace {

using uiad::platform::Element;

const char* scene_file(std::int64_t elements) {
  return elements >= 100000 ? UIAD_BENCH_DIR "/scan_tables_100k.json"
                            : UIAD_BENCH_DIR "/scan_tables_10k.json";
}

struct Bed {
  std::unique_ptr<uiad::sim::SimDesktop> desktop;
  std::unique_ptr<uiad::DaemonContext> context;
  std::int64_t elements = 0;

  explicit Bed(std::int64_t size) {
    std::ifstream in(scene_file(size), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    desktop = uiad::sim::SimDesktop::from_scene_json(text.str(), error);
    if (!desktop) throw std::runtime_error(error);
    context = std::make_unique<uiad::DaemonContext>(
        desktop->platform(), desktop->platform().com.create_automation().value);
  }

  uiad::platform::Ref<Element> cached_root() {
    auto& automation = *context->automation;
    auto root = automation.element_from_handle(1).value;
    auto request = uiad::make_cache_request(automation, uiad::platform::TreeScope::Subtree,
                                            uiad::TreeView::Control)
                       .value;
    return root->build_updated_cache(*request).value;
  }
};

// Exactly the cached calls a scan makes of one element, results dropped.
std::int64_t sim_reads(Element& e) {
  std::int64_t count = 1;
  benchmark::DoNotOptimize(e.get_cached_bounding_rectangle());
  if (auto v = e.cached_pattern_as<uiad::platform::ValuePattern>(uiad::platform::kValuePatternId)
                   .value) {
    benchmark::DoNotOptimize(v->get_cached_value());
  }
  benchmark::DoNotOptimize(e.get_cached_has_keyboard_focus());
  benchmark::DoNotOptimize(
      e.cached_pattern_as<uiad::platform::TogglePattern>(uiad::platform::kTogglePatternId));
  benchmark::DoNotOptimize(e.cached_pattern_as<uiad::platform::SelectionItemPattern>(
      uiad::platform::kSelectionItemPatternId));
  benchmark::DoNotOptimize(e.get_cached_name());
  benchmark::DoNotOptimize(e.get_cached_help_text());
  benchmark::DoNotOptimize(e.get_cached_control_type());
  benchmark::DoNotOptimize(e.get_cached_automation_id());
  benchmark::DoNotOptimize(e.get_cached_is_enabled());
  benchmark::DoNotOptimize(e.get_cached_native_window_handle());
  auto add_ref = e.add_ref();  // a scan keeps one reference per element
  auto children = e.get_cached_children().value;
  if (!children) return count;
  const std::int32_t n = children->get_length().value;
  for (std::int32_t i = 0; i < n; ++i) count += sim_reads(*children->get_element(i).value);
  return count;
}

void report(benchmark::State& state, std::int64_t elements) {
  state.counters["elements"] = static_cast<double>(elements);
  state.counters["us_per_element"] = benchmark::Counter(
      static_cast<double>(elements) * static_cast<double>(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SimulatorOnly(benchmark::State& state) {
  Bed bed(state.range(0));
  std::int64_t elements = 0;
  for (auto _ : state) {
    auto root = bed.cached_root();
    elements = sim_reads(*root);
  }
  report(state, elements);
}

void BM_WalkCached(benchmark::State& state) {
  Bed bed(state.range(0));
  std::int64_t elements = 0;
  for (auto _ : state) {
    auto root = bed.cached_root();
    uiad::ScanLimits limits;
    std::uint64_t counter = 0;
    uiad::ElementTables tables;
    uiad::WalkState walk{*bed.context->automation, limits, nullptr, counter, tables};
    benchmark::DoNotOptimize(uiad::walk_cached(walk, *root, 0));
    elements = static_cast<std::int64_t>(counter);
  }
  report(state, elements);
}

// The phases of a scan after the walk, each over the same finished walk.
struct WalkedBed : Bed {
  uiad::ScanLimits limits;
  std::uint64_t counter = 0;
  uiad::ElementTables tables;
  std::optional<uiad::SnapshotNode> node;

  explicit WalkedBed(std::int64_t size) : Bed(size) {
    auto root = cached_root();
    uiad::WalkState walk{*context->automation, limits, nullptr, counter, tables};
    node = uiad::walk_cached(walk, *root, 0);
  }
};

void BM_RenderSnapshot(benchmark::State& state) {
  WalkedBed bed(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(uiad::render_snapshot(
        &*bed.node, {}, bed.tables.duplicate_automation_ids, bed.tables.element_records.size()));
  }
  report(state, static_cast<std::int64_t>(bed.counter));
}

void BM_ElementMap(benchmark::State& state) {
  WalkedBed bed(state.range(0));
  for (auto _ : state) {
    auto elements = std::make_unique<uiad::Json>(uiad::element_map(bed.tables.element_records));
    state.PauseTiming();
    elements.reset();
    state.ResumeTiming();
  }
  report(state, static_cast<std::int64_t>(bed.counter));
}

void BM_SerializeResponse(benchmark::State& state) {
  Bed bed(state.range(0));
  const uiad::Json response = uiad::handle_scan(*bed.context, {{"cmd", "scan"}, {"app", "Ledger"}});
  for (auto _ : state) benchmark::DoNotOptimize(uiad::serialize_json(response));
  report(state, response["element_count"].get<std::int64_t>());
}

// Until the response line is ready: what the client waits for. The response
// value is freed outside the timing, as the daemon frees it after writing.
void BM_ScanToLine(benchmark::State& state) {
  Bed bed(state.range(0));
  const uiad::Json request = {{"cmd", "scan"}, {"app", "Ledger"}};
  std::int64_t elements = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto response = std::make_unique<uiad::Json>(uiad::handle_scan(*bed.context, request));
    const std::string line = uiad::serialize_json(*response);
    state.PauseTiming();
    elements = (*response)["element_count"].get<std::int64_t>();
    bytes = line.size();
    response.reset();
    state.ResumeTiming();
  }
  report(state, elements);
  state.counters["response_bytes"] = static_cast<double>(bytes);
}

// Everything one scan costs the daemon, freeing its response included.
void BM_ScanFullCost(benchmark::State& state) {
  Bed bed(state.range(0));
  const uiad::Json request = {{"cmd", "scan"}, {"app", "Ledger"}};
  std::int64_t elements = 0;
  for (auto _ : state) {
    uiad::Json response = uiad::handle_scan(*bed.context, request);
    benchmark::DoNotOptimize(uiad::serialize_json(response));
    elements = response["element_count"].get<std::int64_t>();
  }
  report(state, elements);
}

}  // namespace

BENCHMARK(BM_SimulatorOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkCached)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderSnapshot)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElementMap)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerializeResponse)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanToLine)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFullCost)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
