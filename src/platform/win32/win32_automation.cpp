// IUIAutomation calls forwarded one for one; every interface handed back is
// wrapped at once so that it is released exactly once.
#include "platform/win32/win32_automation.h"

#include "platform/win32/win32_cache_request.h"
#include "platform/win32/win32_element.h"
#include "platform/win32/win32_tree_walker.h"

namespace uiad::win32 {
namespace {

using platform::Ref;
using platform::Result;

Result<Ref<platform::TreeWalker>> wrap_walker(HRESULT hr, IUIAutomationTreeWalker* walker) {
  return wrap_result<Win32TreeWalker, platform::TreeWalker>(hr, walker);
}

Result<Ref<platform::Condition>> wrap_condition(HRESULT hr, IUIAutomationCondition* condition) {
  return wrap_result<Win32Condition, platform::Condition>(hr, condition);
}

}  // namespace

Result<Ref<platform::Element>> Win32Automation::element_from_handle(platform::Hwnd hwnd) {
  IUIAutomationElement* element = nullptr;
  HRESULT hr = automation_.get()->ElementFromHandle(to_handle<UIA_HWND>(hwnd), &element);
  return wrap_element(hr, element);
}

Result<Ref<platform::Element>> Win32Automation::element_from_point(platform::Point screen_point) {
  IUIAutomationElement* element = nullptr;
  POINT point{screen_point.x, screen_point.y};
  HRESULT hr = automation_.get()->ElementFromPoint(point, &element);
  return wrap_element(hr, element);
}

Result<Ref<platform::Element>> Win32Automation::get_focused_element() {
  IUIAutomationElement* element = nullptr;
  HRESULT hr = automation_.get()->GetFocusedElement(&element);
  return wrap_element(hr, element);
}

Result<Ref<platform::Element>> Win32Automation::get_root_element() {
  IUIAutomationElement* element = nullptr;
  HRESULT hr = automation_.get()->GetRootElement(&element);
  return wrap_element(hr, element);
}

Result<bool> Win32Automation::compare_elements(platform::Element& a, platform::Element& b) {
  BOOL same = FALSE;
  HRESULT hr =
      automation_.get()->CompareElements(Win32Element::raw(a), Win32Element::raw(b), &same);
  return {static_cast<platform::HResult>(hr), same != FALSE};
}

Result<Ref<platform::TreeWalker>> Win32Automation::get_control_view_walker() {
  IUIAutomationTreeWalker* walker = nullptr;
  HRESULT hr = automation_.get()->get_ControlViewWalker(&walker);
  return wrap_walker(hr, walker);
}

Result<Ref<platform::TreeWalker>> Win32Automation::get_raw_view_walker() {
  IUIAutomationTreeWalker* walker = nullptr;
  HRESULT hr = automation_.get()->get_RawViewWalker(&walker);
  return wrap_walker(hr, walker);
}

Result<Ref<platform::Condition>> Win32Automation::get_control_view_condition() {
  IUIAutomationCondition* condition = nullptr;
  HRESULT hr = automation_.get()->get_ControlViewCondition(&condition);
  return wrap_condition(hr, condition);
}

Result<Ref<platform::Condition>> Win32Automation::get_raw_view_condition() {
  IUIAutomationCondition* condition = nullptr;
  HRESULT hr = automation_.get()->get_RawViewCondition(&condition);
  return wrap_condition(hr, condition);
}

Result<Ref<platform::CacheRequest>> Win32Automation::create_cache_request() {
  IUIAutomationCacheRequest* request = nullptr;
  HRESULT hr = automation_.get()->CreateCacheRequest(&request);
  return wrap_result<Win32CacheRequest, platform::CacheRequest>(hr, request);
}

}  // namespace uiad::win32
