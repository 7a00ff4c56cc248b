// Elements: current reads from Win32, cached reads from the CacheData.
#include "standin/element.h"

#include "standin/element_array.h"
#include "standin/patterns.h"

namespace standin {

bool Element::answers(REFIID riid) const {
  return any_of(riid, {&IID_IUIAutomationElement, &kIidStandinElement});
}

HRESULT Element::read(bool cached, PROPERTYID id, PropertyValue* value) const {
  if (cached) return cache_ ? cache_->property(id, value) : E_INVALIDARG;
  if (!is_alive(node_)) return kElementNotAvailable;
  *value = read_property(node_, id);
  return S_OK;
}

HRESULT Element::string_property(bool cached, PROPERTYID id, BSTR* out) const {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  PropertyValue value;
  if (HRESULT hr = read(cached, id, &value); FAILED(hr)) return hr;
  const std::wstring* text = std::get_if<std::wstring>(&value);
  *out = make_bstr(text != nullptr ? *text : std::wstring());
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT Element::bool_property(bool cached, PROPERTYID id, BOOL* out) const {
  if (out == nullptr) return E_POINTER;
  *out = FALSE;
  PropertyValue value;
  if (HRESULT hr = read(cached, id, &value); FAILED(hr)) return hr;
  const bool* flag = std::get_if<bool>(&value);
  *out = flag != nullptr && *flag;
  return S_OK;
}

HRESULT Element::int_property(bool cached, PROPERTYID id, int* out) const {
  if (out == nullptr) return E_POINTER;
  *out = 0;
  PropertyValue value;
  if (HRESULT hr = read(cached, id, &value); FAILED(hr)) return hr;
  const int* number = std::get_if<int>(&value);
  *out = number != nullptr ? *number : 0;
  return S_OK;
}

HRESULT Element::rect_property(bool cached, PROPERTYID id, RECT* out) const {
  if (out == nullptr) return E_POINTER;
  *out = RECT{};
  PropertyValue value;
  if (HRESULT hr = read(cached, id, &value); FAILED(hr)) return hr;
  if (const RECT* rect = std::get_if<RECT>(&value)) *out = *rect;
  return S_OK;
}

HRESULT Element::hwnd_property(bool cached, UIA_HWND* out) const {
  int handle = 0;
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (HRESULT hr = int_property(cached, UIA_NativeWindowHandlePropertyId, &handle); FAILED(hr)) {
    return hr;
  }
  // Sign-extended, as handles widen on 64-bit Windows.
  *out = reinterpret_cast<UIA_HWND>(static_cast<intptr_t>(handle));
  return S_OK;
}

HRESULT Element::pattern_as(bool cached, PATTERNID id, REFIID riid, void** pattern) const {
  if (pattern == nullptr) return E_POINTER;
  *pattern = nullptr;
  if (cached) {
    if (!cache_ || !cache_->has_pattern_entry(id)) return E_INVALIDARG;
    if (!cache_->supports(id)) return S_OK;
  } else {
    if (!is_alive(node_)) return kElementNotAvailable;
    if (!supports_pattern(node_, id)) return S_OK;  // UI Automation's answer: no object
  }
  Ptr<IUnknown> object(create_pattern(node_, id, cached ? cache_ : nullptr));
  if (!object) return S_OK;
  return object->QueryInterface(riid, pattern);
}

HRESULT Element::BuildUpdatedCache(IUIAutomationCacheRequest* request,
                                   IUIAutomationElement** updated) {
  if (updated == nullptr) return E_POINTER;
  *updated = nullptr;
  CacheSpec spec;
  if (HRESULT hr = spec_of(request, &spec); FAILED(hr)) return hr;
  if (!is_alive(node_)) return kElementNotAvailable;
  *updated = new Element(node_, build_cache(node_, spec));
  return S_OK;
}

HRESULT Element::GetCurrentPropertyValue(PROPERTYID id, VARIANT* value) {
  return GetCurrentPropertyValueEx(id, FALSE, value);
}

HRESULT Element::GetCurrentPropertyValueEx(PROPERTYID id, BOOL, VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  VariantInit(value);
  PropertyValue read_value;
  if (HRESULT hr = read(false, id, &read_value); FAILED(hr)) return hr;
  return to_variant(read_value, value);
}

HRESULT Element::GetCachedPropertyValue(PROPERTYID id, VARIANT* value) {
  return GetCachedPropertyValueEx(id, FALSE, value);
}

HRESULT Element::GetCachedPropertyValueEx(PROPERTYID id, BOOL, VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  VariantInit(value);
  PropertyValue read_value;
  if (HRESULT hr = read(true, id, &read_value); FAILED(hr)) return hr;
  return to_variant(read_value, value);
}

HRESULT Element::GetCurrentPatternAs(PATTERNID id, REFIID riid, void** pattern) {
  return pattern_as(false, id, riid, pattern);
}

HRESULT Element::GetCachedPatternAs(PATTERNID id, REFIID riid, void** pattern) {
  return pattern_as(true, id, riid, pattern);
}

HRESULT Element::GetCurrentPattern(PATTERNID id, IUnknown** pattern) {
  return pattern_as(false, id, IID_IUnknown, reinterpret_cast<void**>(pattern));
}

HRESULT Element::GetCachedPattern(PATTERNID id, IUnknown** pattern) {
  return pattern_as(true, id, IID_IUnknown, reinterpret_cast<void**>(pattern));
}

HRESULT Element::GetCachedChildren(IUIAutomationElementArray** children) {
  if (children == nullptr) return E_POINTER;
  *children = nullptr;
  if (!cache_ || !cache_->children_cached) return E_INVALIDARG;
  // UI Automation answers an element without cached children with no array.
  if (cache_->children.empty()) return S_OK;
  std::vector<Ptr<IUIAutomationElement>> elements;
  for (const auto& [node, data] : cache_->children) {
    elements.emplace_back(new Element(node, data));
  }
  *children = new ElementArray(std::move(elements));
  return S_OK;
}

HRESULT Element::get_CurrentProcessId(int* value) {
  return int_property(false, UIA_ProcessIdPropertyId, value);
}
HRESULT Element::get_CurrentControlType(CONTROLTYPEID* value) {
  return int_property(false, UIA_ControlTypePropertyId, value);
}
HRESULT Element::get_CurrentName(BSTR* value) {
  return string_property(false, UIA_NamePropertyId, value);
}
HRESULT Element::get_CurrentAcceleratorKey(BSTR* value) {
  return string_property(false, UIA_AcceleratorKeyPropertyId, value);
}
HRESULT Element::get_CurrentAccessKey(BSTR* value) {
  return string_property(false, UIA_AccessKeyPropertyId, value);
}
HRESULT Element::get_CurrentHasKeyboardFocus(BOOL* value) {
  return bool_property(false, UIA_HasKeyboardFocusPropertyId, value);
}
HRESULT Element::get_CurrentIsKeyboardFocusable(BOOL* value) {
  return bool_property(false, UIA_IsKeyboardFocusablePropertyId, value);
}
HRESULT Element::get_CurrentIsEnabled(BOOL* value) {
  return bool_property(false, UIA_IsEnabledPropertyId, value);
}
HRESULT Element::get_CurrentAutomationId(BSTR* value) {
  return string_property(false, UIA_AutomationIdPropertyId, value);
}
HRESULT Element::get_CurrentClassName(BSTR* value) {
  return string_property(false, UIA_ClassNamePropertyId, value);
}
HRESULT Element::get_CurrentHelpText(BSTR* value) {
  return string_property(false, UIA_HelpTextPropertyId, value);
}
HRESULT Element::get_CurrentIsControlElement(BOOL* value) {
  return bool_property(false, UIA_IsControlElementPropertyId, value);
}
HRESULT Element::get_CurrentIsContentElement(BOOL* value) {
  return bool_property(false, UIA_IsContentElementPropertyId, value);
}
HRESULT Element::get_CurrentIsPassword(BOOL* value) {
  return bool_property(false, UIA_IsPasswordPropertyId, value);
}
HRESULT Element::get_CurrentNativeWindowHandle(UIA_HWND* value) { return hwnd_property(false, value); }
HRESULT Element::get_CurrentIsOffscreen(BOOL* value) {
  return bool_property(false, UIA_IsOffscreenPropertyId, value);
}
HRESULT Element::get_CurrentFrameworkId(BSTR* value) {
  return string_property(false, UIA_FrameworkIdPropertyId, value);
}
HRESULT Element::get_CurrentBoundingRectangle(RECT* value) {
  return rect_property(false, UIA_BoundingRectanglePropertyId, value);
}

HRESULT Element::get_CachedProcessId(int* value) {
  return int_property(true, UIA_ProcessIdPropertyId, value);
}
HRESULT Element::get_CachedControlType(CONTROLTYPEID* value) {
  return int_property(true, UIA_ControlTypePropertyId, value);
}
HRESULT Element::get_CachedName(BSTR* value) {
  return string_property(true, UIA_NamePropertyId, value);
}
HRESULT Element::get_CachedAcceleratorKey(BSTR* value) {
  return string_property(true, UIA_AcceleratorKeyPropertyId, value);
}
HRESULT Element::get_CachedAccessKey(BSTR* value) {
  return string_property(true, UIA_AccessKeyPropertyId, value);
}
HRESULT Element::get_CachedHasKeyboardFocus(BOOL* value) {
  return bool_property(true, UIA_HasKeyboardFocusPropertyId, value);
}
HRESULT Element::get_CachedIsKeyboardFocusable(BOOL* value) {
  return bool_property(true, UIA_IsKeyboardFocusablePropertyId, value);
}
HRESULT Element::get_CachedIsEnabled(BOOL* value) {
  return bool_property(true, UIA_IsEnabledPropertyId, value);
}
HRESULT Element::get_CachedAutomationId(BSTR* value) {
  return string_property(true, UIA_AutomationIdPropertyId, value);
}
HRESULT Element::get_CachedClassName(BSTR* value) {
  return string_property(true, UIA_ClassNamePropertyId, value);
}
HRESULT Element::get_CachedHelpText(BSTR* value) {
  return string_property(true, UIA_HelpTextPropertyId, value);
}
HRESULT Element::get_CachedIsControlElement(BOOL* value) {
  return bool_property(true, UIA_IsControlElementPropertyId, value);
}
HRESULT Element::get_CachedIsContentElement(BOOL* value) {
  return bool_property(true, UIA_IsContentElementPropertyId, value);
}
HRESULT Element::get_CachedIsPassword(BOOL* value) {
  return bool_property(true, UIA_IsPasswordPropertyId, value);
}
HRESULT Element::get_CachedNativeWindowHandle(UIA_HWND* value) { return hwnd_property(true, value); }
HRESULT Element::get_CachedIsOffscreen(BOOL* value) {
  return bool_property(true, UIA_IsOffscreenPropertyId, value);
}
HRESULT Element::get_CachedFrameworkId(BSTR* value) {
  return string_property(true, UIA_FrameworkIdPropertyId, value);
}
HRESULT Element::get_CachedBoundingRectangle(RECT* value) {
  return rect_property(true, UIA_BoundingRectanglePropertyId, value);
}

HRESULT node_of(IUIAutomationElement* element, Node* node) {
  if (element == nullptr) return E_POINTER;
  void* own = nullptr;
  if (FAILED(element->QueryInterface(kIidStandinElement, &own)) || own == nullptr) {
    return E_INVALIDARG;
  }
  Ptr<Element> ours(static_cast<Element*>(static_cast<IUIAutomationElement*>(own)));
  *node = ours->node();
  return S_OK;
}

HRESULT hand_out_element(const Node& node, IUIAutomationCacheRequest* request,
                         IUIAutomationElement** out) {
  std::shared_ptr<const CacheData> cache;
  if (request != nullptr) {
    CacheSpec spec;
    if (HRESULT hr = spec_of(request, &spec); FAILED(hr)) return hr;
    cache = build_cache(node, spec);
  }
  *out = new Element(node, std::move(cache));
  return S_OK;
}

}  // namespace standin
