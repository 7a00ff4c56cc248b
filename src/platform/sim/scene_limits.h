// Bounds on what a scene may make. A scene is user input: a few kilobytes with
// "repeat" can ask for any amount of memory, so the loader adds up what the
// scene would make before making any of it and refuses a scene over a bound.
#pragma once

#include <cstddef>

namespace uiad::sim {

struct SceneLimits {
  // The largest benchmark scenes make 100,000 elements.
  std::size_t max_elements = 5'000'000;
  // UTF-16 units of all element texts and refs together (512 MiB).
  std::size_t max_text_units = std::size_t{1} << 28;
  // Faults listed on elements, each copy of a repeated element counted.
  std::size_t max_element_faults = 1'000'000;
};

}  // namespace uiad::sim
