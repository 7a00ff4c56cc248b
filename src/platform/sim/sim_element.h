// Simulated IUIAutomationElement and IUIAutomationElementArray. An element
// object names a model element by index; one made by BuildUpdatedCache (or
// fetched from its cached children) also carries the cache snapshot.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/automation.h"
#include "platform/sim/cache_snapshot.h"
#include "platform/sim/live_count.h"

namespace uiad::sim {

class SimElement final : public platform::Element {
 public:
  SimElement(std::shared_ptr<SimState> state, std::int32_t index,
             std::shared_ptr<const CacheSnapshot> cache = nullptr, std::int32_t node = kNone);

  std::int32_t index() const { return index_; }
  // The desktop the element belongs to; an element of another is refused.
  const SimState* owner() const { return count_.state().get(); }

  platform::Ref<platform::Element> add_ref() override;
  platform::Result<platform::Ref<platform::Element>> build_updated_cache(
      platform::CacheRequest& request) override;
  platform::Result<platform::Ref<platform::ElementArray>> get_cached_children() override;
  platform::Result<platform::Ref<platform::PatternObject>> get_current_pattern_as(
      platform::PatternId id, platform::PatternInterface iid) override;
  platform::Result<platform::Ref<platform::PatternObject>> get_cached_pattern_as(
      platform::PatternId id, platform::PatternInterface iid) override;

  platform::Result<platform::WString> get_current_name() override;
  platform::Result<platform::WString> get_current_help_text() override;
  platform::Result<platform::ControlTypeId> get_current_control_type() override;
  platform::Result<platform::WString> get_current_automation_id() override;
  platform::Result<bool> get_current_is_enabled() override;
  platform::Result<platform::Hwnd> get_current_native_window_handle() override;
  platform::Result<platform::Rect> get_current_bounding_rectangle() override;
  platform::Result<platform::WString> get_current_accelerator_key() override;
  platform::Result<std::int32_t> get_current_process_id() override;

  platform::Result<platform::WString> get_cached_name() override;
  platform::Result<platform::WString> get_cached_help_text() override;
  platform::Result<platform::ControlTypeId> get_cached_control_type() override;
  platform::Result<platform::WString> get_cached_automation_id() override;
  platform::Result<bool> get_cached_is_enabled() override;
  platform::Result<platform::Hwnd> get_cached_native_window_handle() override;
  platform::Result<platform::Rect> get_cached_bounding_rectangle() override;
  platform::Result<bool> get_cached_has_keyboard_focus() override;

 private:
  template <class T, class Read>
  platform::Result<T> current(Method method, Read read);
  template <class T, class Read>
  platform::Result<T> cached(Method method, std::uint32_t property, Read read);
  // A text field of this element's cached node (lock held).
  platform::WString cached_text(const SimState& s, std::uint32_t index) const;

  LiveCount count_;
  std::int32_t index_;
  std::shared_ptr<const CacheSnapshot> cache_;
  std::int32_t node_;
};

class SimElementArray final : public platform::ElementArray {
 public:
  SimElementArray(std::shared_ptr<SimState> state, std::shared_ptr<const CacheSnapshot> cache,
                  std::vector<std::int32_t> nodes);

  platform::Result<std::int32_t> get_length() override;
  platform::Result<platform::Ref<platform::Element>> get_element(std::int32_t index) override;

 private:
  LiveCount count_;
  std::shared_ptr<const CacheSnapshot> cache_;
  std::vector<std::int32_t> nodes_;
};

}  // namespace uiad::sim
