// Building cache snapshots over the filtered element tree.
#include "platform/sim/cache_snapshot.h"

#include <utility>

namespace uiad::sim {

std::uint32_t property_bit(platform::PropertyId id) {
  switch (id) {
    case platform::kNamePropertyId:
      return kNameProperty;
    case platform::kHelpTextPropertyId:
      return kHelpTextProperty;
    case platform::kControlTypePropertyId:
      return kControlTypeProperty;
    case platform::kBoundingRectanglePropertyId:
      return kBoundingRectangleProperty;
    case platform::kAutomationIdPropertyId:
      return kAutomationIdProperty;
    case platform::kIsEnabledPropertyId:
      return kIsEnabledProperty;
    case platform::kNativeWindowHandlePropertyId:
      return kNativeWindowHandleProperty;
    case platform::kHasKeyboardFocusPropertyId:
      return kHasKeyboardFocusProperty;
    case platform::kValueValuePropertyId:
      return kValueValueProperty;
    case platform::kToggleToggleStatePropertyId:
      return kToggleStateProperty;
    case platform::kSelectionItemIsSelectedPropertyId:
      return kIsSelectedProperty;
    case platform::kAcceleratorKeyPropertyId:
      return kAcceleratorKeyProperty;
    case platform::kProcessIdPropertyId:
      return kProcessIdProperty;
    default:
      return 0;
  }
}

std::uint8_t pattern_bit(platform::PatternId id) {
  switch (id) {
    case platform::kInvokePatternId:
      return kInvokeBit;
    case platform::kValuePatternId:
      return kValueBit;
    case platform::kTogglePatternId:
      return kToggleBit;
    case platform::kSelectionItemPatternId:
      return kSelectionItemBit;
    case platform::kExpandCollapsePatternId:
      return kExpandCollapseBit;
    case platform::kScrollPatternId:
      return kScrollBit;
    case platform::kTextPatternId:
      return kTextBit;
    default:
      return 0;
  }
}

std::shared_ptr<const CacheSnapshot> build_cache_snapshot(const SimState& state, std::int32_t root,
                                                          const CacheSpec& spec) {
  const auto scope = static_cast<std::int32_t>(spec.scope);
  const bool children = (scope & static_cast<std::int32_t>(platform::TreeScope::Children)) != 0;
  const bool descendants =
      (scope & static_cast<std::int32_t>(platform::TreeScope::Descendants)) != 0;

  auto snapshot = std::make_shared<CacheSnapshot>();
  snapshot->properties = spec.properties;
  snapshot->patterns = spec.patterns;
  // HasKeyboardFocus: exactly the element GetFocusedElement returns, as on
  // Windows; the scene's flag only says which element its window focuses.
  const std::int32_t focused =
      (spec.properties & kHasKeyboardFocusProperty) != 0 ? state.focused_element() : kNone;
  auto copy_text = [&](std::uint32_t& field) {
    if ((field & DesktopModel::kSlotBit) == 0) return;
    snapshot->texts.emplace_back(state.model.text(field));
    field = DesktopModel::kSlotBit | static_cast<std::uint32_t>(snapshot->texts.size() - 1);
  };
  auto data_of = [&](std::int32_t element) {
    ElementData data = state.model.elements[element];
    data.flags = static_cast<std::uint16_t>(element == focused ? data.flags | kFocused
                                                               : data.flags & ~kFocused);
    for (std::uint32_t* field :
         {&data.name, &data.help, &data.automation_id, &data.accelerator, &data.value}) {
      copy_text(*field);
    }
    return data;
  };
  std::vector<CachedNode>& nodes = snapshot->nodes;
  nodes.push_back({data_of(root), root, kNone, kNone,
                   (scope & static_cast<std::int32_t>(platform::TreeScope::Element)) != 0,
                   children || descendants});
  if (!children && !descendants) return snapshot;

  // Node indices whose children are still to be read.
  std::vector<std::int32_t> pending{0};
  while (!pending.empty()) {
    const std::int32_t node = pending.back();
    pending.pop_back();
    const bool deeper = descendants;
    std::int32_t previous = kNone;
    for (std::int32_t c = state.first_child(nodes[node].element, spec.view); c != kNone;
         c = state.next_sibling(c, spec.view)) {
      const auto index = static_cast<std::int32_t>(nodes.size());
      nodes.push_back({data_of(c), c, kNone, kNone, true, deeper});
      if (previous == kNone) {
        nodes[node].first_child = index;
      } else {
        nodes[previous].next_sibling = index;
      }
      previous = index;
      if (deeper) pending.push_back(index);
    }
  }
  return snapshot;
}

}  // namespace uiad::sim
