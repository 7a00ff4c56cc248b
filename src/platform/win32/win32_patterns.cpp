// Control pattern objects: each holds one reference on its pattern interface
// and forwards every call unchanged.
#include "platform/win32/win32_patterns.h"

#include <limits>

#include "platform/win32/com_ref.h"

namespace uiad::win32 {
namespace {

using platform::HResult;
using platform::Result;
using platform::WString;

HResult code(HRESULT hr) { return static_cast<HResult>(hr); }

Result<bool> bool_result(HRESULT hr, BOOL value) { return {code(hr), value != FALSE}; }

class Win32UnknownPattern final : public platform::PatternObject {
 public:
  explicit Win32UnknownPattern(IUnknown* p) : p_(p) {}

 private:
  ComRef<IUnknown> p_;
};

class Win32InvokePattern final : public platform::InvokePattern {
 public:
  explicit Win32InvokePattern(IUIAutomationInvokePattern* p) : p_(p) {}
  HResult invoke() override { return code(p_.get()->Invoke()); }

 private:
  ComRef<IUIAutomationInvokePattern> p_;
};

class Win32TogglePattern final : public platform::TogglePattern {
 public:
  explicit Win32TogglePattern(IUIAutomationTogglePattern* p) : p_(p) {}
  HResult toggle() override { return code(p_.get()->Toggle()); }
  Result<platform::ToggleState> get_current_toggle_state() override {
    ::ToggleState state = ToggleState_Off;
    HRESULT hr = p_.get()->get_CurrentToggleState(&state);
    return {code(hr), static_cast<platform::ToggleState>(state)};
  }
  Result<platform::ToggleState> get_cached_toggle_state() override {
    ::ToggleState state = ToggleState_Off;
    HRESULT hr = p_.get()->get_CachedToggleState(&state);
    return {code(hr), static_cast<platform::ToggleState>(state)};
  }

 private:
  ComRef<IUIAutomationTogglePattern> p_;
};

class Win32ValuePattern final : public platform::ValuePattern {
 public:
  explicit Win32ValuePattern(IUIAutomationValuePattern* p) : p_(p) {}
  HResult set_value(const WString& text) override {
    if (text.size() > std::numeric_limits<UINT>::max()) return code(E_INVALIDARG);
    BSTR value = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                   static_cast<UINT>(text.size()));
    if (value == nullptr) return code(E_OUTOFMEMORY);
    HRESULT hr = p_.get()->SetValue(value);
    SysFreeString(value);
    return code(hr);
  }
  Result<WString> get_current_value() override {
    BSTR value = nullptr;
    HRESULT hr = p_.get()->get_CurrentValue(&value);
    return {code(hr), take_bstr(value)};
  }
  Result<bool> get_current_is_read_only() override {
    BOOL value = FALSE;
    HRESULT hr = p_.get()->get_CurrentIsReadOnly(&value);
    return bool_result(hr, value);
  }
  Result<WString> get_cached_value() override {
    BSTR value = nullptr;
    HRESULT hr = p_.get()->get_CachedValue(&value);
    return {code(hr), take_bstr(value)};
  }

 private:
  ComRef<IUIAutomationValuePattern> p_;
};

class Win32SelectionItemPattern final : public platform::SelectionItemPattern {
 public:
  explicit Win32SelectionItemPattern(IUIAutomationSelectionItemPattern* p) : p_(p) {}
  HResult select() override { return code(p_.get()->Select()); }
  Result<bool> get_current_is_selected() override {
    BOOL value = FALSE;
    HRESULT hr = p_.get()->get_CurrentIsSelected(&value);
    return bool_result(hr, value);
  }
  Result<bool> get_cached_is_selected() override {
    BOOL value = FALSE;
    HRESULT hr = p_.get()->get_CachedIsSelected(&value);
    return bool_result(hr, value);
  }

 private:
  ComRef<IUIAutomationSelectionItemPattern> p_;
};

class Win32ExpandCollapsePattern final : public platform::ExpandCollapsePattern {
 public:
  explicit Win32ExpandCollapsePattern(IUIAutomationExpandCollapsePattern* p) : p_(p) {}
  HResult expand() override { return code(p_.get()->Expand()); }
  HResult collapse() override { return code(p_.get()->Collapse()); }
  Result<platform::ExpandCollapseState> get_current_expand_collapse_state() override {
    ::ExpandCollapseState state = ExpandCollapseState_Collapsed;
    HRESULT hr = p_.get()->get_CurrentExpandCollapseState(&state);
    return {code(hr), static_cast<platform::ExpandCollapseState>(state)};
  }

 private:
  ComRef<IUIAutomationExpandCollapsePattern> p_;
};

class Win32ScrollPattern final : public platform::ScrollPattern {
 public:
  explicit Win32ScrollPattern(IUIAutomationScrollPattern* p) : p_(p) {}
  HResult scroll(platform::ScrollAmount horizontal, platform::ScrollAmount vertical) override {
    return code(p_.get()->Scroll(static_cast<::ScrollAmount>(horizontal),
                                 static_cast<::ScrollAmount>(vertical)));
  }
  HResult set_scroll_percent(double horizontal, double vertical) override {
    return code(p_.get()->SetScrollPercent(horizontal, vertical));
  }
  Result<double> get_current_horizontal_scroll_percent() override {
    double value = 0;
    HRESULT hr = p_.get()->get_CurrentHorizontalScrollPercent(&value);
    return {code(hr), value};
  }
  Result<double> get_current_vertical_scroll_percent() override {
    double value = 0;
    HRESULT hr = p_.get()->get_CurrentVerticalScrollPercent(&value);
    return {code(hr), value};
  }
  Result<bool> get_current_horizontally_scrollable() override {
    BOOL value = FALSE;
    HRESULT hr = p_.get()->get_CurrentHorizontallyScrollable(&value);
    return bool_result(hr, value);
  }
  Result<bool> get_current_vertically_scrollable() override {
    BOOL value = FALSE;
    HRESULT hr = p_.get()->get_CurrentVerticallyScrollable(&value);
    return bool_result(hr, value);
  }

 private:
  ComRef<IUIAutomationScrollPattern> p_;
};

template <class Wrapper, class I>
Result<platform::Ref<platform::PatternObject>> wrap_as(HRESULT hr, void* pointer) {
  return wrap_result<Wrapper, platform::PatternObject>(hr, static_cast<I*>(pointer));
}

}  // namespace

const IID& pattern_iid(platform::PatternInterface iid) {
  switch (iid) {
    case platform::PatternInterface::Invoke:
      return kIidIUIAutomationInvokePattern;
    case platform::PatternInterface::Toggle:
      return kIidIUIAutomationTogglePattern;
    case platform::PatternInterface::Value:
      return kIidIUIAutomationValuePattern;
    case platform::PatternInterface::SelectionItem:
      return kIidIUIAutomationSelectionItemPattern;
    case platform::PatternInterface::ExpandCollapse:
      return kIidIUIAutomationExpandCollapsePattern;
    case platform::PatternInterface::Scroll:
      return kIidIUIAutomationScrollPattern;
    case platform::PatternInterface::Unknown:
      break;
  }
  return IID_IUnknown;
}

Result<platform::Ref<platform::PatternObject>> wrap_pattern(HRESULT hr, void* pointer,
                                                            platform::PatternInterface iid) {
  switch (iid) {
    case platform::PatternInterface::Invoke:
      return wrap_as<Win32InvokePattern, IUIAutomationInvokePattern>(hr, pointer);
    case platform::PatternInterface::Toggle:
      return wrap_as<Win32TogglePattern, IUIAutomationTogglePattern>(hr, pointer);
    case platform::PatternInterface::Value:
      return wrap_as<Win32ValuePattern, IUIAutomationValuePattern>(hr, pointer);
    case platform::PatternInterface::SelectionItem:
      return wrap_as<Win32SelectionItemPattern, IUIAutomationSelectionItemPattern>(hr, pointer);
    case platform::PatternInterface::ExpandCollapse:
      return wrap_as<Win32ExpandCollapsePattern, IUIAutomationExpandCollapsePattern>(hr, pointer);
    case platform::PatternInterface::Scroll:
      return wrap_as<Win32ScrollPattern, IUIAutomationScrollPattern>(hr, pointer);
    case platform::PatternInterface::Unknown:
      break;
  }
  return wrap_as<Win32UnknownPattern, IUnknown>(hr, pointer);
}

}  // namespace uiad::win32
