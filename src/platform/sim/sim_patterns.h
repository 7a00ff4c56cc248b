// Simulated control-pattern objects and their built-in behaviour: Toggle flips
// the state, SetValue sets the text, Select selects (and deselects the
// siblings), Expand and Collapse change the state, Scroll moves the percent.
// Every method call is logged and fires the scene's reactions.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/automation.h"
#include "platform/sim/cache_snapshot.h"

namespace uiad::sim {

// The object GetCurrentPatternAs / GetCachedPatternAs hands out for `iid`
// (the interface matches `id`, or is Unknown).
platform::Ref<platform::PatternObject> make_pattern(std::shared_ptr<SimState> state,
                                                    std::int32_t element,
                                                    std::shared_ptr<const CacheSnapshot> cache,
                                                    std::int32_t node,
                                                    platform::PatternInterface iid);

// The interface that belongs to a pattern id (Unknown for Text and the rest).
platform::PatternInterface interface_of(platform::PatternId id);

}  // namespace uiad::sim
