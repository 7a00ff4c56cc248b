// Elements and element arrays over IUIAutomationElement and
// IUIAutomationElementArray. Each object holds exactly one reference.
#pragma once

#include "platform/automation.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

class Win32Element final : public platform::Element {
 public:
  // Takes over one reference on `element` (not NULL).
  explicit Win32Element(IUIAutomationElement* element) : element_(element) {}

  // The interface of an element this layer handed out; every Element the logic
  // passes back in is one of ours.
  static IUIAutomationElement* raw(platform::Element& element) {
    return static_cast<Win32Element&>(element).element_.get();
  }

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
  ComRef<IUIAutomationElement> element_;
};

class Win32ElementArray final : public platform::ElementArray {
 public:
  explicit Win32ElementArray(IUIAutomationElementArray* array) : array_(array) {}

  platform::Result<std::int32_t> get_length() override;
  platform::Result<platform::Ref<platform::Element>> get_element(std::int32_t index) override;

 private:
  ComRef<IUIAutomationElementArray> array_;
};

// An element result from a call that hands back an IUIAutomationElement.
inline platform::Result<platform::Ref<platform::Element>> wrap_element(
    HRESULT hr, IUIAutomationElement* element) {
  return wrap_result<Win32Element, platform::Element>(hr, element);
}

}  // namespace uiad::win32
