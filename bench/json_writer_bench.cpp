// Serializing a scan-sized response (100,000 element records plus a large
// text block) with our writer, against the JSON library's own dump as a
// yardstick.
#include <benchmark/benchmark.h>

#include <string>

#include "daemon/json.h"
#include "daemon/json_writer.h"

namespace {

uiad::Json scan_like_response(int elements) {
  uiad::Json records = uiad::Json::object();
  std::string ui_block;
  for (int i = 1; i <= elements; ++i) {
    const std::string id = "auto:" + std::to_string(i);
    records[id] = {{"label", "Item \"" + std::to_string(i) + "\" \xE2\x80\x94 row"},
                   {"role", "row"},
                   {"center_x", 100 + i % 700},
                   {"center_y", 200 + i % 500},
                   {"enabled", true},
                   {"patterns", {"invoke", "selection_item"}}};
    ui_block += "  [" + id + "] row \"Item " + std::to_string(i) + "\"\n";
  }
  return {{"ok", true}, {"elements", records}, {"ui_block", ui_block}, {"count", elements}};
}

void BM_SerializeScanResponse(benchmark::State& state) {
  const uiad::Json response = scan_like_response(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string line = uiad::serialize_json(response);
    bytes = line.size();
    benchmark::DoNotOptimize(line.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_SerializeScanResponse)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LibraryDumpScanResponse(benchmark::State& state) {
  const uiad::Json response = scan_like_response(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string line = response.dump();
    bytes = line.size();
    benchmark::DoNotOptimize(line.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_LibraryDumpScanResponse)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
