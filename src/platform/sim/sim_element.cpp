// Current reads are cross-process calls on the live model; cached reads answer
// from the element's snapshot and fail for what the request did not name.
#include "platform/sim/sim_element.h"

#include "platform/sim/sim_automation.h"
#include "platform/sim/sim_patterns.h"

namespace uiad::sim {
namespace {

using platform::Result;
using platform::WString;

// Pattern ids UI Automation knows (registered); others are invalid arguments.
bool known_pattern_id(platform::PatternId id) { return id >= 10000 && id <= 10040; }

}  // namespace

SimElement::SimElement(std::shared_ptr<SimState> state, std::int32_t index,
                       std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
    : count_(std::move(state), true), index_(index), cache_(std::move(cache)), node_(node) {}

platform::Ref<platform::Element> SimElement::add_ref() {
  return std::make_unique<SimElement>(count_.state(), index_, cache_, node_);
}

template <class T, class Read>
Result<T> SimElement::current(Method method, Read read) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(method, index_);
  if (check.failed() || check.empty_success()) return {check.hr, T{}};
  return {platform::kSOk, read(s, s.model.elements[index_])};
}

template <class T, class Read>
Result<T> SimElement::cached(Method method, std::uint32_t property, Read read) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(method, index_, 0, false);
  if (check.failed() || check.empty_success()) return {check.hr, T{}};
  if (cache_ == nullptr || (cache_->properties & property) == 0 ||
      !cache_->nodes[node_].properties_cached) {
    return {platform::kEInvalidArg, T{}};
  }
  return {platform::kSOk, read(s, cache_->nodes[node_].data)};
}

WString SimElement::cached_text(const SimState& s, std::uint32_t index) const {
  return WString(cache_->text(s.model, index));
}

Result<platform::Ref<platform::Element>> SimElement::build_updated_cache(
    platform::CacheRequest& request) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(Method::BuildUpdatedCache, index_);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  auto* sim_request = dynamic_cast<SimCacheRequest*>(&request);
  if (sim_request == nullptr) return {platform::kEInvalidArg, nullptr};
  auto snapshot = build_cache_snapshot(s, index_, sim_request->spec());
  return {platform::kSOk,
          std::make_unique<SimElement>(count_.state(), index_, std::move(snapshot), 0)};
}

Result<platform::Ref<platform::ElementArray>> SimElement::get_cached_children() {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(Method::GetCachedChildren, index_, 0, false);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  if (cache_ == nullptr) return {platform::kEInvalidArg, nullptr};
  const CachedNode& node = cache_->nodes[node_];
  // Children that were not cached, and no children at all, both read as NULL.
  if (!node.children_cached || node.first_child == kNone) return {platform::kSOk, nullptr};
  std::vector<std::int32_t> nodes;
  for (std::int32_t c = node.first_child; c != kNone; c = cache_->nodes[c].next_sibling) {
    nodes.push_back(c);
  }
  return {platform::kSOk,
          std::make_unique<SimElementArray>(count_.state(), cache_, std::move(nodes))};
}

Result<platform::Ref<platform::PatternObject>> SimElement::get_current_pattern_as(
    platform::PatternId id, platform::PatternInterface iid) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(Method::GetCurrentPatternAs, index_, id);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  if (!known_pattern_id(id)) return {platform::kEInvalidArg, nullptr};
  const std::uint8_t bit = pattern_bit(id);
  if (bit == 0 || (s.model.elements[index_].patterns & bit) == 0) return {platform::kSOk, nullptr};
  if (iid != platform::PatternInterface::Unknown && iid != interface_of(id)) {
    return {platform::kENoInterface, nullptr};
  }
  return {platform::kSOk, make_pattern(count_.state(), index_, cache_, node_, iid)};
}

Result<platform::Ref<platform::PatternObject>> SimElement::get_cached_pattern_as(
    platform::PatternId id, platform::PatternInterface iid) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(Method::GetCachedPatternAs, index_, id, false);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  const std::uint8_t bit = pattern_bit(id);
  if (cache_ == nullptr || bit == 0 || (cache_->patterns & bit) == 0 ||
      !cache_->nodes[node_].properties_cached) {
    return {platform::kEInvalidArg, nullptr};
  }
  if ((cache_->nodes[node_].data.patterns & bit) == 0) return {platform::kSOk, nullptr};
  if (iid != platform::PatternInterface::Unknown && iid != interface_of(id)) {
    return {platform::kENoInterface, nullptr};
  }
  return {platform::kSOk, make_pattern(count_.state(), index_, cache_, node_, iid)};
}

Result<WString> SimElement::get_current_name() {
  return current<WString>(Method::GetCurrentName,
                          [](SimState& s, const ElementData& d) { return s.text(d.name); });
}
Result<WString> SimElement::get_current_help_text() {
  return current<WString>(Method::GetCurrentHelpText,
                          [](SimState& s, const ElementData& d) { return s.text(d.help); });
}
Result<platform::ControlTypeId> SimElement::get_current_control_type() {
  return current<platform::ControlTypeId>(
      Method::GetCurrentControlType,
      [](SimState&, const ElementData& d) { return d.control_type; });
}
Result<WString> SimElement::get_current_automation_id() {
  return current<WString>(Method::GetCurrentAutomationId, [](SimState& s, const ElementData& d) {
    return s.text(d.automation_id);
  });
}
Result<bool> SimElement::get_current_is_enabled() {
  return current<bool>(Method::GetCurrentIsEnabled,
                       [](SimState&, const ElementData& d) { return (d.flags & kEnabled) != 0; });
}
Result<platform::Hwnd> SimElement::get_current_native_window_handle() {
  return current<platform::Hwnd>(Method::GetCurrentNativeWindowHandle,
                                 [](SimState&, const ElementData& d) { return d.native_window; });
}
Result<platform::Rect> SimElement::get_current_bounding_rectangle() {
  return current<platform::Rect>(Method::GetCurrentBoundingRectangle,
                                 [](SimState&, const ElementData& d) { return d.rect; });
}
Result<WString> SimElement::get_current_accelerator_key() {
  return current<WString>(Method::GetCurrentAcceleratorKey,
                          [](SimState& s, const ElementData& d) { return s.text(d.accelerator); });
}
Result<std::int32_t> SimElement::get_current_process_id() {
  return current<std::int32_t>(Method::GetCurrentProcessId,
                               [](SimState&, const ElementData& d) { return d.process_id; });
}

Result<WString> SimElement::get_cached_name() {
  return cached<WString>(
      Method::GetCachedName, kNameProperty,
      [this](SimState& s, const ElementData& d) { return cached_text(s, d.name); });
}
Result<WString> SimElement::get_cached_help_text() {
  return cached<WString>(
      Method::GetCachedHelpText, kHelpTextProperty,
      [this](SimState& s, const ElementData& d) { return cached_text(s, d.help); });
}
Result<platform::ControlTypeId> SimElement::get_cached_control_type() {
  return cached<platform::ControlTypeId>(
      Method::GetCachedControlType, kControlTypeProperty,
      [](SimState&, const ElementData& d) { return d.control_type; });
}
Result<WString> SimElement::get_cached_automation_id() {
  return cached<WString>(
      Method::GetCachedAutomationId, kAutomationIdProperty,
      [this](SimState& s, const ElementData& d) { return cached_text(s, d.automation_id); });
}
Result<bool> SimElement::get_cached_is_enabled() {
  return cached<bool>(Method::GetCachedIsEnabled, kIsEnabledProperty,
                      [](SimState&, const ElementData& d) { return (d.flags & kEnabled) != 0; });
}
Result<platform::Hwnd> SimElement::get_cached_native_window_handle() {
  return cached<platform::Hwnd>(Method::GetCachedNativeWindowHandle, kNativeWindowHandleProperty,
                                [](SimState&, const ElementData& d) { return d.native_window; });
}
Result<platform::Rect> SimElement::get_cached_bounding_rectangle() {
  return cached<platform::Rect>(Method::GetCachedBoundingRectangle, kBoundingRectangleProperty,
                                [](SimState&, const ElementData& d) { return d.rect; });
}
Result<bool> SimElement::get_cached_has_keyboard_focus() {
  return cached<bool>(Method::GetCachedHasKeyboardFocus, kHasKeyboardFocusProperty,
                      [](SimState&, const ElementData& d) { return (d.flags & kFocused) != 0; });
}

SimElementArray::SimElementArray(std::shared_ptr<SimState> state,
                                 std::shared_ptr<const CacheSnapshot> cache,
                                 std::vector<std::int32_t> nodes)
    : count_(std::move(state), false), cache_(std::move(cache)), nodes_(std::move(nodes)) {}

Result<std::int32_t> SimElementArray::get_length() {
  return {platform::kSOk, static_cast<std::int32_t>(nodes_.size())};
}

Result<platform::Ref<platform::Element>> SimElementArray::get_element(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= nodes_.size()) {
    return {platform::kEInvalidArg, nullptr};
  }
  const std::int32_t node = nodes_[static_cast<std::size_t>(index)];
  return {platform::kSOk,
          std::make_unique<SimElement>(count_.state(), cache_->nodes[node].element, cache_, node)};
}

}  // namespace uiad::sim
