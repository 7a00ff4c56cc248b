// The IUIAutomation object. Holds one reference, released when the daemon
// drops it at exit.
#pragma once

#include "platform/automation.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

class Win32Automation final : public platform::Automation {
 public:
  explicit Win32Automation(IUIAutomation* automation) : automation_(automation) {}

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
  ComRef<IUIAutomation> automation_;
};

}  // namespace uiad::win32
