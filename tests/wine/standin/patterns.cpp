// Invoke, Toggle, Value, SelectionItem, ExpandCollapse and Scroll.
#include "standin/patterns.h"

#include <algorithm>
#include <type_traits>

#include "standin/com_object.h"
#include "standin/scrolling.h"

namespace standin {
namespace {

// State shared by all pattern objects: the element and its cache, if any.
template <class I>
class Pattern : public ComObject<I> {
 public:
  Pattern(const Node& node, std::shared_ptr<const CacheData> cache)
      : node_(node), cache_(std::move(cache)) {}

 protected:
  // Checks before an action: the element is there and enabled.
  HRESULT can_act() const {
    if (!is_alive(node_)) return kElementNotAvailable;
    if (!IsWindowEnabled(node_.hwnd)) return kElementNotEnabled;
    return S_OK;
  }

  // V is the type the property is read as (bool, int, double or text).
  template <class V, class Out>
  HRESULT current(PROPERTYID id, Out* out) const {
    if (out == nullptr) return E_POINTER;
    if (!is_alive(node_)) return kElementNotAvailable;
    return convert<V>(read_property(node_, id), out);
  }
  template <class V, class Out>
  HRESULT cached(PROPERTYID id, Out* out) const {
    if (out == nullptr) return E_POINTER;
    PropertyValue value;
    if (!cache_) return E_INVALIDARG;
    if (HRESULT hr = cache_->property(id, &value); FAILED(hr)) return hr;
    return convert<V>(value, out);
  }

  const Node node_;
  const std::shared_ptr<const CacheData> cache_;

 private:
  template <class V, class Out>
  static HRESULT convert(const PropertyValue& value, Out* out) {
    const V* read = std::get_if<V>(&value);
    if constexpr (std::is_same_v<V, std::wstring>) {
      *out = make_bstr(read != nullptr ? *read : std::wstring());
      return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    } else {
      *out = read != nullptr ? static_cast<Out>(*read) : Out{};
      return S_OK;
    }
  }
};

// A SysLink activates a link on a click over it. The test application's links
// start the text, so a point just inside the top-left corner lies on the first.
void click_first_link(HWND link) {
  RECT client{};
  GetClientRect(link, &client);
  const LPARAM point = MAKELPARAM(3, std::min<LONG>(6, client.bottom / 2));
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(link, WM_LBUTTONUP, 0, point);
}

class InvokePattern final : public Pattern<IUIAutomationInvokePattern> {
 public:
  using Pattern::Pattern;
  HRESULT STDMETHODCALLTYPE Invoke() override {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    const Kind kind = kind_of(node_);
    if (kind == Kind::Hyperlink) {
      click_first_link(node_.hwnd);
    } else if (kind == Kind::MenuItem) {
      // What choosing the item does: its command goes to the window.
      const auto item = menu_item_of(node_);
      if (!item || !item->enabled) return kElementNotEnabled;
      PostMessageW(node_.hwnd, WM_COMMAND, MAKEWPARAM(item->id, 0), 0);
    } else if (kind == Kind::CaptionButton) {
      // What a click on the button does: the system command is posted.
      const auto command = caption_command(node_);
      if (!command) return kElementNotEnabled;
      PostMessageW(node_.hwnd, WM_SYSCOMMAND, *command, 0);
    } else {
      SendMessageW(node_.hwnd, BM_CLICK, 0, 0);
    }
    return S_OK;
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, kIidInvokePattern); }
};

class TogglePattern final : public Pattern<IUIAutomationTogglePattern> {
 public:
  using Pattern::Pattern;
  HRESULT STDMETHODCALLTYPE Toggle() override {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    SendMessageW(node_.hwnd, BM_CLICK, 0, 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentToggleState(int* state) override {
    return current<int>(UIA_ToggleToggleStatePropertyId, state);
  }
  HRESULT STDMETHODCALLTYPE get_CachedToggleState(int* state) override {
    return cached<int>(UIA_ToggleToggleStatePropertyId, state);
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, kIidTogglePattern); }
};

class ValuePattern final : public Pattern<IUIAutomationValuePattern> {
 public:
  using Pattern::Pattern;
  HRESULT STDMETHODCALLTYPE SetValue(BSTR text) override {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    const PropertyValue read_only = read_property(node_, UIA_ValueIsReadOnlyPropertyId);
    if (const bool* flag = std::get_if<bool>(&read_only); flag != nullptr && *flag) {
      return kInvalidOperation;
    }
    bool ok = false;
    const std::wstring copy = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    send_with_timeout(node_.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()), &ok);
    return ok ? S_OK : kElementNotAvailable;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentValue(BSTR* value) override {
    return current<std::wstring>(UIA_ValueValuePropertyId, value);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentIsReadOnly(BOOL* value) override {
    return current<bool>(UIA_ValueIsReadOnlyPropertyId, value);
  }
  HRESULT STDMETHODCALLTYPE get_CachedValue(BSTR* value) override {
    return cached<std::wstring>(UIA_ValueValuePropertyId, value);
  }
  HRESULT STDMETHODCALLTYPE get_CachedIsReadOnly(BOOL* value) override {
    return cached<bool>(UIA_ValueIsReadOnlyPropertyId, value);
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, kIidValuePattern); }
};

class SelectionItemPattern final : public Pattern<IUIAutomationSelectionItemPattern> {
 public:
  using Pattern::Pattern;
  HRESULT STDMETHODCALLTYPE Select() override {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    if (kind_of(node_) == Kind::RadioButton) {
      bool ok = false;
      if (send_with_timeout(node_.hwnd, BM_GETCHECK, 0, 0, &ok) != BST_CHECKED) {
        SendMessageW(node_.hwnd, BM_CLICK, 0, 0);
      }
      return S_OK;
    }
    return select_list_item();
  }
  HRESULT STDMETHODCALLTYPE get_CurrentIsSelected(BOOL* selected) override {
    return current<bool>(UIA_SelectionItemIsSelectedPropertyId, selected);
  }
  HRESULT STDMETHODCALLTYPE get_CachedIsSelected(BOOL* selected) override {
    return cached<bool>(UIA_SelectionItemIsSelectedPropertyId, selected);
  }
  HRESULT STDMETHODCALLTYPE AddToSelection() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentSelectionContainer(IUIAutomationElement**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CachedSelectionContainer(IUIAutomationElement**) override {
    return E_NOTIMPL;
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, kIidSelectionItemPattern); }

  // Selects the item alone and tells the parent as a click on it would.
  HRESULT select_list_item() const {
    const HWND list = node_.hwnd;
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    bool ok = false;
    if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
      send_with_timeout(list, LB_SETSEL, FALSE, -1, &ok);
      send_with_timeout(list, LB_SETSEL, TRUE, node_.item, &ok);
      send_with_timeout(list, LB_SETCARETINDEX, node_.item, FALSE, &ok);
    } else {
      send_with_timeout(list, LB_SETCURSEL, node_.item, 0, &ok);
    }
    if (!ok) return kElementNotAvailable;
    if (style & LBS_NOTIFY) {
      send_with_timeout(GetParent(list), WM_COMMAND,
                        MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list),
                        &ok);
    }
    return S_OK;
  }
};

class ExpandCollapsePattern final : public Pattern<IUIAutomationExpandCollapsePattern> {
 public:
  using Pattern::Pattern;
  HRESULT STDMETHODCALLTYPE Expand() override { return show(TRUE); }
  HRESULT STDMETHODCALLTYPE Collapse() override { return show(FALSE); }
  HRESULT STDMETHODCALLTYPE get_CurrentExpandCollapseState(int* state) override {
    return current<int>(UIA_ExpandCollapseExpandCollapseStatePropertyId, state);
  }
  HRESULT STDMETHODCALLTYPE get_CachedExpandCollapseState(int* state) override {
    return cached<int>(UIA_ExpandCollapseExpandCollapseStatePropertyId, state);
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, kIidExpandCollapsePattern); }
  HRESULT show(BOOL dropped) const {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    bool ok = false;
    send_with_timeout(node_.hwnd, CB_SHOWDROPDOWN, dropped, 0, &ok);
    return ok ? S_OK : kElementNotAvailable;
  }
};

class ScrollPattern final : public Pattern<IUIAutomationScrollPattern> {
 public:
  using Pattern::Pattern;
  HRESULT STDMETHODCALLTYPE Scroll(int horizontal, int vertical) override {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    return scroll_by(node_, horizontal, vertical);
  }
  HRESULT STDMETHODCALLTYPE SetScrollPercent(double horizontal, double vertical) override {
    if (HRESULT hr = can_act(); FAILED(hr)) return hr;
    return scroll_to_percent(node_, horizontal, vertical);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentHorizontalScrollPercent(double* v) override {
    return current<double>(UIA_ScrollHorizontalScrollPercentPropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentVerticalScrollPercent(double* v) override {
    return current<double>(UIA_ScrollVerticalScrollPercentPropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentHorizontalViewSize(double* v) override {
    return current<double>(UIA_ScrollHorizontalViewSizePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentVerticalViewSize(double* v) override {
    return current<double>(UIA_ScrollVerticalViewSizePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentHorizontallyScrollable(BOOL* v) override {
    return current<bool>(UIA_ScrollHorizontallyScrollablePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentVerticallyScrollable(BOOL* v) override {
    return current<bool>(UIA_ScrollVerticallyScrollablePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CachedHorizontalScrollPercent(double* v) override {
    return cached<double>(UIA_ScrollHorizontalScrollPercentPropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CachedVerticalScrollPercent(double* v) override {
    return cached<double>(UIA_ScrollVerticalScrollPercentPropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CachedHorizontalViewSize(double* v) override {
    return cached<double>(UIA_ScrollHorizontalViewSizePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CachedVerticalViewSize(double* v) override {
    return cached<double>(UIA_ScrollVerticalViewSizePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CachedHorizontallyScrollable(BOOL* v) override {
    return cached<bool>(UIA_ScrollHorizontallyScrollablePropertyId, v);
  }
  HRESULT STDMETHODCALLTYPE get_CachedVerticallyScrollable(BOOL* v) override {
    return cached<bool>(UIA_ScrollVerticallyScrollablePropertyId, v);
  }

 private:
  bool answers(REFIID riid) const override { return IsEqualIID(riid, kIidScrollPattern); }
};

}  // namespace

IUnknown* create_pattern(const Node& node, PATTERNID pattern, std::shared_ptr<const CacheData> cache) {
  switch (pattern) {
    case UIA_InvokePatternId:
      return new InvokePattern(node, std::move(cache));
    case UIA_TogglePatternId:
      return new TogglePattern(node, std::move(cache));
    case UIA_ValuePatternId:
      return new ValuePattern(node, std::move(cache));
    case UIA_SelectionItemPatternId:
      return new SelectionItemPattern(node, std::move(cache));
    case UIA_ExpandCollapsePatternId:
      return new ExpandCollapsePattern(node, std::move(cache));
    case UIA_ScrollPatternId:
      return new ScrollPattern(node, std::move(cache));
    default:
      return nullptr;
  }
}

}  // namespace standin
