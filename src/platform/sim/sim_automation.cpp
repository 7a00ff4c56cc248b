// The automation object's calls over the shared state.
#include "platform/sim/sim_automation.h"

#include "platform/sim/sim_element.h"

namespace uiad::sim {
namespace {

using platform::Ref;
using platform::Result;

}  // namespace

platform::HResult SimCacheRequest::check(Method method) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck c = s.check_call(method);
  return c.hr;
}

platform::HResult SimCacheRequest::put_tree_scope(platform::TreeScope scope) {
  if (const auto hr = check(Method::PutTreeScope); hr != platform::kSOk) return hr;
  const auto value = static_cast<std::int32_t>(scope);
  if (value < 1 || value > 7) return platform::kEInvalidArg;
  spec_.scope = scope;
  return platform::kSOk;
}

platform::HResult SimCacheRequest::put_tree_filter(platform::Condition& filter) {
  if (const auto hr = check(Method::PutTreeFilter); hr != platform::kSOk) return hr;
  auto* condition = dynamic_cast<SimCondition*>(&filter);
  if (condition == nullptr) return platform::kEInvalidArg;
  spec_.view = condition->view();
  return platform::kSOk;
}

platform::HResult SimCacheRequest::add_property(platform::PropertyId id) {
  if (const auto hr = check(Method::AddProperty); hr != platform::kSOk) return hr;
  spec_.properties |= property_bit(id);
  return platform::kSOk;
}

platform::HResult SimCacheRequest::add_pattern(platform::PatternId id) {
  if (const auto hr = check(Method::AddPattern); hr != platform::kSOk) return hr;
  spec_.patterns |= pattern_bit(id);
  return platform::kSOk;
}

template <class Step>
Result<Ref<platform::Element>> SimTreeWalker::navigate(Method method, platform::Element& from,
                                                       Step step) {
  SimState& s = *count_.state();
  auto* element = dynamic_cast<SimElement*>(&from);
  if (element == nullptr || element->owner() != &s) return {platform::kEInvalidArg, nullptr};
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_element_call(method, element->index());
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  const std::int32_t next = step(s, element->index());
  if (next == kNone) return {platform::kSOk, nullptr};
  return {platform::kSOk, std::make_unique<SimElement>(count_.state(), next)};
}

Result<Ref<platform::Element>> SimTreeWalker::get_first_child_element(platform::Element& element) {
  return navigate(Method::GetFirstChildElement, element,
                  [this](SimState& s, std::int32_t e) { return s.first_child(e, view_); });
}

Result<Ref<platform::Element>> SimTreeWalker::get_next_sibling_element(platform::Element& element) {
  return navigate(Method::GetNextSiblingElement, element,
                  [this](SimState& s, std::int32_t e) { return s.next_sibling(e, view_); });
}

Result<Ref<platform::Element>> SimTreeWalker::get_parent_element(platform::Element& element) {
  return navigate(Method::GetParentElement, element,
                  [this](SimState& s, std::int32_t e) { return s.parent(e, view_); });
}

template <class Find>
Result<Ref<platform::Element>> SimAutomation::element_by(Method method, Find find) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(method);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  return {platform::kSOk, std::make_unique<SimElement>(count_.state(), find(s))};
}

Result<Ref<platform::Element>> SimAutomation::element_from_handle(platform::Hwnd hwnd) {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const std::int32_t w = s.model.index_of(hwnd);
  const CallCheck check = s.check_window_call(Method::ElementFromHandle, w);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  if (w == kNone || !s.model.windows[w].exists) return {platform::kEInvalidArg, nullptr};
  const std::int32_t e = s.model.windows[w].element;
  if (e == kNone || !s.element_alive(e)) return {platform::kUiaEElementNotAvailable, nullptr};
  return {platform::kSOk, std::make_unique<SimElement>(count_.state(), e)};
}

Result<Ref<platform::Element>> SimAutomation::element_from_point(platform::Point screen_point) {
  return element_by(Method::ElementFromPoint,
                    [&](SimState& s) { return s.element_at_point(screen_point); });
}

Result<Ref<platform::Element>> SimAutomation::get_focused_element() {
  return element_by(Method::GetFocusedElement, [](SimState& s) { return s.focused_element(); });
}

Result<Ref<platform::Element>> SimAutomation::get_root_element() {
  return element_by(Method::GetRootElement, [](SimState&) { return kDesktopElement; });
}

Result<bool> SimAutomation::compare_elements(platform::Element& a, platform::Element& b) {
  SimState& s = *count_.state();
  auto* sa = dynamic_cast<SimElement*>(&a);
  auto* sb = dynamic_cast<SimElement*>(&b);
  if (sa == nullptr || sb == nullptr || sa->owner() != &s || sb->owner() != &s) {
    return {platform::kEInvalidArg, false};
  }
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(Method::CompareElements);
  if (check.failed()) return {check.hr, false};
  return {platform::kSOk, sa->index() == sb->index()};
}

Result<Ref<platform::TreeWalker>> SimAutomation::get_control_view_walker() {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(Method::GetControlViewWalker);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  return {platform::kSOk, std::make_unique<SimTreeWalker>(count_.state(), View::Control)};
}

Result<Ref<platform::TreeWalker>> SimAutomation::get_raw_view_walker() {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(Method::GetRawViewWalker);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  return {platform::kSOk, std::make_unique<SimTreeWalker>(count_.state(), View::Raw)};
}

Result<Ref<platform::Condition>> SimAutomation::get_control_view_condition() {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(Method::GetControlViewCondition);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  return {platform::kSOk, std::make_unique<SimCondition>(count_.state(), View::Control)};
}

Result<Ref<platform::Condition>> SimAutomation::get_raw_view_condition() {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(Method::GetRawViewCondition);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  return {platform::kSOk, std::make_unique<SimCondition>(count_.state(), View::Raw)};
}

Result<Ref<platform::CacheRequest>> SimAutomation::create_cache_request() {
  SimState& s = *count_.state();
  std::lock_guard lock(s.mutex);
  const CallCheck check = s.check_call(Method::CreateCacheRequest);
  if (check.failed() || check.empty_success()) return {check.hr, nullptr};
  return {platform::kSOk, std::make_unique<SimCacheRequest>(count_.state())};
}

}  // namespace uiad::sim
