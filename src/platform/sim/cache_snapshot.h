// What BuildUpdatedCache captured: a copy of the state of every element in the
// requested scope and view, with the property and pattern sets the request
// named. Immutable once built and shared by all cached elements made from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop_model.h"
#include "platform/sim/sim_state.h"
#include "platform/types.h"

namespace uiad::sim {

// Bits of the cacheable properties.
inline constexpr std::uint32_t kNameProperty = 1 << 0;
inline constexpr std::uint32_t kHelpTextProperty = 1 << 1;
inline constexpr std::uint32_t kControlTypeProperty = 1 << 2;
inline constexpr std::uint32_t kBoundingRectangleProperty = 1 << 3;
inline constexpr std::uint32_t kAutomationIdProperty = 1 << 4;
inline constexpr std::uint32_t kIsEnabledProperty = 1 << 5;
inline constexpr std::uint32_t kNativeWindowHandleProperty = 1 << 6;
inline constexpr std::uint32_t kHasKeyboardFocusProperty = 1 << 7;
inline constexpr std::uint32_t kValueValueProperty = 1 << 8;
inline constexpr std::uint32_t kToggleStateProperty = 1 << 9;
inline constexpr std::uint32_t kIsSelectedProperty = 1 << 10;
inline constexpr std::uint32_t kAcceleratorKeyProperty = 1 << 11;
inline constexpr std::uint32_t kProcessIdProperty = 1 << 12;

// The bit of a property id; 0 for a property the simulator does not cache.
std::uint32_t property_bit(platform::PropertyId id);
// The pattern bit of a pattern id; 0 for an id the simulator does not model.
std::uint8_t pattern_bit(platform::PatternId id);

struct CachedNode {
  ElementData data;
  std::int32_t element = kNone;
  std::int32_t first_child = kNone;  // node indices
  std::int32_t next_sibling = kNone;
  bool properties_cached = true;
  bool children_cached = false;
};

struct CacheSnapshot {
  std::uint32_t properties = 0;
  std::uint8_t patterns = 0;
  std::vector<CachedNode> nodes;  // node 0 is the element the cache was built on
  // Texts the nodes held in slots, copied: a slot changes in place later, and
  // the cache keeps the text of its moment. A node's field names its copy
  // with DesktopModel::kSlotBit set.
  std::vector<std::u16string> texts;

  // A text field of a cached node.
  std::u16string_view text(const DesktopModel& model, std::uint32_t index) const {
    if (index & DesktopModel::kSlotBit) return texts[index & ~DesktopModel::kSlotBit];
    return model.text(index);
  }
};

struct CacheSpec {
  platform::TreeScope scope = platform::TreeScope::Element;
  View view = View::Control;
  std::uint32_t properties = 0;
  std::uint8_t patterns = 0;
};

// Lock held.
std::shared_ptr<const CacheSnapshot> build_cache_snapshot(const SimState& state, std::int32_t root,
                                                          const CacheSpec& spec);

}  // namespace uiad::sim
