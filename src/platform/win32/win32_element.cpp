// Element calls forwarded one for one: BSTRs freed, BOOLs and handles and
// rectangles converted, result codes passed through unchanged.
#include "platform/win32/win32_element.h"

#include "platform/win32/win32_cache_request.h"
#include "platform/win32/win32_patterns.h"

namespace uiad::win32 {
namespace {

using platform::HResult;
using platform::Result;
using platform::WString;

HResult code(HRESULT hr) { return static_cast<HResult>(hr); }

template <class Getter>
Result<WString> read_bstr(Getter getter) {
  BSTR value = nullptr;
  HRESULT hr = getter(&value);
  return {code(hr), take_bstr(value)};
}

template <class Getter>
Result<bool> read_bool(Getter getter) {
  BOOL value = FALSE;
  HRESULT hr = getter(&value);
  return {code(hr), value != FALSE};
}

template <class Getter>
Result<platform::Hwnd> read_hwnd(Getter getter) {
  UIA_HWND value = nullptr;
  HRESULT hr = getter(&value);
  return {code(hr), from_handle(value)};
}

template <class Getter>
Result<platform::Rect> read_rect(Getter getter) {
  RECT value{};
  HRESULT hr = getter(&value);
  return {code(hr), platform::Rect{value.left, value.top, value.right, value.bottom}};
}

template <class Getter>
Result<std::int32_t> read_int(Getter getter) {
  int value = 0;
  HRESULT hr = getter(&value);
  return {code(hr), value};
}

}  // namespace

platform::Ref<platform::Element> Win32Element::add_ref() {
  element_.get()->AddRef();
  return std::make_unique<Win32Element>(element_.get());
}

Result<platform::Ref<platform::Element>> Win32Element::build_updated_cache(
    platform::CacheRequest& request) {
  IUIAutomationElement* updated = nullptr;
  HRESULT hr = element_.get()->BuildUpdatedCache(Win32CacheRequest::raw(request), &updated);
  return wrap_element(hr, updated);
}

Result<platform::Ref<platform::ElementArray>> Win32Element::get_cached_children() {
  IUIAutomationElementArray* children = nullptr;
  HRESULT hr = element_.get()->GetCachedChildren(&children);
  return wrap_result<Win32ElementArray, platform::ElementArray>(hr, children);
}

Result<platform::Ref<platform::PatternObject>> Win32Element::get_current_pattern_as(
    platform::PatternId id, platform::PatternInterface iid) {
  void* pattern = nullptr;
  HRESULT hr = element_.get()->GetCurrentPatternAs(id, pattern_iid(iid), &pattern);
  return wrap_pattern(hr, pattern, iid);
}

Result<platform::Ref<platform::PatternObject>> Win32Element::get_cached_pattern_as(
    platform::PatternId id, platform::PatternInterface iid) {
  void* pattern = nullptr;
  HRESULT hr = element_.get()->GetCachedPatternAs(id, pattern_iid(iid), &pattern);
  return wrap_pattern(hr, pattern, iid);
}

Result<WString> Win32Element::get_current_name() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CurrentName(v); });
}
Result<WString> Win32Element::get_current_help_text() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CurrentHelpText(v); });
}
Result<platform::ControlTypeId> Win32Element::get_current_control_type() {
  CONTROLTYPEID value = 0;
  HRESULT hr = element_.get()->get_CurrentControlType(&value);
  return {code(hr), value};
}
Result<WString> Win32Element::get_current_automation_id() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CurrentAutomationId(v); });
}
Result<bool> Win32Element::get_current_is_enabled() {
  return read_bool([this](BOOL* v) { return element_.get()->get_CurrentIsEnabled(v); });
}
Result<platform::Hwnd> Win32Element::get_current_native_window_handle() {
  return read_hwnd(
      [this](UIA_HWND* v) { return element_.get()->get_CurrentNativeWindowHandle(v); });
}
Result<platform::Rect> Win32Element::get_current_bounding_rectangle() {
  return read_rect([this](RECT* v) { return element_.get()->get_CurrentBoundingRectangle(v); });
}
Result<WString> Win32Element::get_current_accelerator_key() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CurrentAcceleratorKey(v); });
}
Result<std::int32_t> Win32Element::get_current_process_id() {
  return read_int([this](int* v) { return element_.get()->get_CurrentProcessId(v); });
}

Result<WString> Win32Element::get_cached_name() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CachedName(v); });
}
Result<WString> Win32Element::get_cached_help_text() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CachedHelpText(v); });
}
Result<platform::ControlTypeId> Win32Element::get_cached_control_type() {
  CONTROLTYPEID value = 0;
  HRESULT hr = element_.get()->get_CachedControlType(&value);
  return {code(hr), value};
}
Result<WString> Win32Element::get_cached_automation_id() {
  return read_bstr([this](BSTR* v) { return element_.get()->get_CachedAutomationId(v); });
}
Result<bool> Win32Element::get_cached_is_enabled() {
  return read_bool([this](BOOL* v) { return element_.get()->get_CachedIsEnabled(v); });
}
Result<platform::Hwnd> Win32Element::get_cached_native_window_handle() {
  return read_hwnd([this](UIA_HWND* v) { return element_.get()->get_CachedNativeWindowHandle(v); });
}
Result<platform::Rect> Win32Element::get_cached_bounding_rectangle() {
  return read_rect([this](RECT* v) { return element_.get()->get_CachedBoundingRectangle(v); });
}
Result<bool> Win32Element::get_cached_has_keyboard_focus() {
  return read_bool([this](BOOL* v) { return element_.get()->get_CachedHasKeyboardFocus(v); });
}

Result<std::int32_t> Win32ElementArray::get_length() {
  return read_int([this](int* v) { return array_.get()->get_Length(v); });
}

Result<platform::Ref<platform::Element>> Win32ElementArray::get_element(std::int32_t index) {
  IUIAutomationElement* element = nullptr;
  HRESULT hr = array_.get()->GetElement(index, &element);
  return wrap_element(hr, element);
}

}  // namespace uiad::win32
