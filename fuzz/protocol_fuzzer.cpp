// Feeds arbitrary bytes to the protocol layer: the whole daemon loop over an
// in-memory transport and an empty simulated desktop. Besides crashes and
// sanitizer findings it checks the protocol's promises: the ready line comes
// first, every output line is a compact JSON object in valid UTF-8, and every
// non-blank line read before the end gets exactly one response.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "daemon/json.h"
#include "daemon/main_loop.h"
#include "daemon/memory_transport.h"
#include "daemon/unicode.h"
#include "platform/sim/sim_desktop.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kReady = R"({"event":"ready","ok":true})";
constexpr std::string_view kShuttingDown = R"({"event":"shutting_down","ok":true})";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string error;
  std::unique_ptr<uiad::sim::SimDesktop> desktop =
      uiad::sim::SimDesktop::from_scene_json("{}", error);
  check(desktop != nullptr);

  // Small chunks make line ends fall across reads.
  uiad::MemoryTransport transport(input, 1 + size % 17);
  check(uiad::run_daemon(desktop->platform(), transport) == 0);
  const auto& written = transport.written();
  check(!written.empty() && written.front() == kReady);
  for (const std::string& line : written) {
    check(uiad::unicode::is_valid_utf8(line));
    const uiad::Json value = uiad::Json::parse(line, nullptr, false);
    check(value.is_object() && value.contains("ok") && value["ok"].is_boolean());
  }

  // Count the requests independently of the loop.
  uiad::MemoryTransport reader(input);
  std::size_t responses = 0;
  std::string line;
  while (reader.read_line(line) == uiad::ReadStatus::Line) {
    if (uiad::unicode::trim_white_space(line).empty()) continue;
    ++responses;
    check(responses < written.size());
    if (written[responses] == kShuttingDown) break;
  }
  check(written.size() == responses + 1);
  return 0;
}
