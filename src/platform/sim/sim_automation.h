// Simulated IUIAutomation with its tree walkers, view conditions and cache
// requests.
#pragma once

#include <memory>

#include "platform/automation.h"
#include "platform/sim/cache_snapshot.h"
#include "platform/sim/live_count.h"

namespace uiad::sim {

class SimCondition final : public platform::Condition {
 public:
  SimCondition(std::shared_ptr<SimState> state, View view)
      : count_(std::move(state), false), view_(view) {}
  View view() const { return view_; }

 private:
  LiveCount count_;
  View view_;
};

class SimCacheRequest final : public platform::CacheRequest {
 public:
  explicit SimCacheRequest(std::shared_ptr<SimState> state) : count_(std::move(state), false) {}

  platform::HResult put_tree_scope(platform::TreeScope scope) override;
  platform::HResult put_tree_filter(platform::Condition& filter) override;
  platform::HResult add_property(platform::PropertyId id) override;
  platform::HResult add_pattern(platform::PatternId id) override;

  const CacheSpec& spec() const { return spec_; }

 private:
  platform::HResult check(Method method);

  LiveCount count_;
  CacheSpec spec_;
};

class SimTreeWalker final : public platform::TreeWalker {
 public:
  SimTreeWalker(std::shared_ptr<SimState> state, View view)
      : count_(std::move(state), false), view_(view) {}

  platform::Result<platform::Ref<platform::Element>> get_first_child_element(
      platform::Element& element) override;
  platform::Result<platform::Ref<platform::Element>> get_next_sibling_element(
      platform::Element& element) override;
  platform::Result<platform::Ref<platform::Element>> get_parent_element(
      platform::Element& element) override;

 private:
  template <class Step>
  platform::Result<platform::Ref<platform::Element>> navigate(Method method,
                                                              platform::Element& from, Step step);

  LiveCount count_;
  View view_;
};

class SimAutomation final : public platform::Automation {
 public:
  explicit SimAutomation(std::shared_ptr<SimState> state) : count_(std::move(state), false) {}

  platform::Result<platform::Ref<platform::Element>> element_from_handle(
      platform::Hwnd hwnd) override;
  platform::Result<platform::Ref<platform::Element>> element_from_point(
      platform::Point screen_point) override;
  platform::Result<platform::Ref<platform::Element>> get_focused_element() override;
  platform::Result<platform::Ref<platform::Element>> get_root_element() override;
  platform::Result<bool> compare_elements(platform::Element& a, platform::Element& b) override;
  platform::Result<platform::Ref<platform::TreeWalker>> get_control_view_walker() override;
  platform::Result<platform::Ref<platform::TreeWalker>> get_raw_view_walker() override;
  platform::Result<platform::Ref<platform::Condition>> get_control_view_condition() override;
  platform::Result<platform::Ref<platform::Condition>> get_raw_view_condition() override;
  platform::Result<platform::Ref<platform::CacheRequest>> create_cache_request() override;

 private:
  template <class Find>
  platform::Result<platform::Ref<platform::Element>> element_by(Method method, Find find);

  LiveCount count_;
};

}  // namespace uiad::sim
