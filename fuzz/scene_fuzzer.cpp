// Feeds arbitrary bytes to the scene loader. Scene files are user input: a
// scene either loads into a desktop or is refused with a message, and neither
// may crash, hang or exhaust memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/sim/sim_desktop.h"

namespace {

// The bounds are checked by the same code whatever their size; small ones keep
// an input that asks for millions of elements at milliseconds.
constexpr uiad::sim::SceneLimits kLimits{
    .max_elements = 50'000, .max_text_units = 4'000'000, .max_element_faults = 50'000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view scene(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::unique_ptr<uiad::sim::SimDesktop> desktop =
      uiad::sim::SimDesktop::from_scene_json(scene, error, kLimits);
  if (desktop == nullptr && !error.starts_with("scene: ")) std::abort();
  if (desktop != nullptr && (desktop->live_references() != 0 || desktop->open_handles() != 0))
    std::abort();
  return 0;
}
