// The UI Automation client surface the daemon uses, one method per operation of
// IUIAutomation and the element, walker, cache-request, array and pattern
// interfaces, with the same arguments and failure codes.
//
// Ownership: every object handed out is one reference (see Ref in types.h) and is
// released when its Ref is destroyed. Threading: objects are used from the
// multithreaded apartment only: the request thread, and Invoke workers which
// receive one InvokePattern each.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace uiad::platform {

// Base of every reference-counted automation object.
class AutomationObject {
 public:
  AutomationObject() = default;
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;
  virtual ~AutomationObject() = default;
};

class Condition : public AutomationObject {};

class CacheRequest : public AutomationObject {
 public:
  [[nodiscard]] virtual HResult put_tree_scope(TreeScope scope) = 0;
  [[nodiscard]] virtual HResult put_tree_filter(Condition& filter) = 0;
  [[nodiscard]] virtual HResult add_property(PropertyId id) = 0;
  [[nodiscard]] virtual HResult add_pattern(PatternId id) = 0;
};

// The interface a pattern object is asked for with GetCurrentPatternAs or
// GetCachedPatternAs. Unknown is IID_IUnknown: the object only tells that the
// pattern is there.
enum class PatternInterface {
  Unknown,
  Invoke,
  Toggle,
  Value,
  SelectionItem,
  ExpandCollapse,
  Scroll,
};

class PatternObject : public AutomationObject {};

class InvokePattern : public PatternObject {
 public:
  static constexpr PatternInterface kInterface = PatternInterface::Invoke;
  [[nodiscard]] virtual HResult invoke() = 0;
};

class TogglePattern : public PatternObject {
 public:
  static constexpr PatternInterface kInterface = PatternInterface::Toggle;
  [[nodiscard]] virtual HResult toggle() = 0;
  virtual Result<ToggleState> get_current_toggle_state() = 0;
  virtual Result<ToggleState> get_cached_toggle_state() = 0;
};

class ValuePattern : public PatternObject {
 public:
  static constexpr PatternInterface kInterface = PatternInterface::Value;
  // The text goes over as a BSTR made with SysAllocStringLen.
  [[nodiscard]] virtual HResult set_value(const WString& text) = 0;
  virtual Result<WString> get_current_value() = 0;
  virtual Result<bool> get_current_is_read_only() = 0;
  virtual Result<WString> get_cached_value() = 0;
};

class SelectionItemPattern : public PatternObject {
 public:
  static constexpr PatternInterface kInterface = PatternInterface::SelectionItem;
  [[nodiscard]] virtual HResult select() = 0;
  virtual Result<bool> get_current_is_selected() = 0;
  virtual Result<bool> get_cached_is_selected() = 0;
};

class ExpandCollapsePattern : public PatternObject {
 public:
  static constexpr PatternInterface kInterface = PatternInterface::ExpandCollapse;
  [[nodiscard]] virtual HResult expand() = 0;
  [[nodiscard]] virtual HResult collapse() = 0;
  virtual Result<ExpandCollapseState> get_current_expand_collapse_state() = 0;
};

class ScrollPattern : public PatternObject {
 public:
  static constexpr PatternInterface kInterface = PatternInterface::Scroll;
  [[nodiscard]] virtual HResult scroll(ScrollAmount horizontal, ScrollAmount vertical) = 0;
  [[nodiscard]] virtual HResult set_scroll_percent(double horizontal, double vertical) = 0;
  virtual Result<double> get_current_horizontal_scroll_percent() = 0;
  virtual Result<double> get_current_vertical_scroll_percent() = 0;
  virtual Result<bool> get_current_horizontally_scrollable() = 0;
  virtual Result<bool> get_current_vertically_scrollable() = 0;
};

class ElementArray;

class Element : public AutomationObject {
 public:
  // A second reference on the same element (AddRef).
  virtual Ref<Element> add_ref() = 0;

  virtual Result<Ref<Element>> build_updated_cache(CacheRequest& request) = 0;
  virtual Result<Ref<ElementArray>> get_cached_children() = 0;

  // GetCurrentPatternAs / GetCachedPatternAs. The object returned implements the
  // asked interface (a PatternObject only, for PatternInterface::Unknown).
  virtual Result<Ref<PatternObject>> get_current_pattern_as(PatternId id,
                                                            PatternInterface iid) = 0;
  virtual Result<Ref<PatternObject>> get_cached_pattern_as(PatternId id,
                                                           PatternInterface iid) = 0;

  virtual Result<WString> get_current_name() = 0;
  virtual Result<WString> get_current_help_text() = 0;
  virtual Result<ControlTypeId> get_current_control_type() = 0;
  virtual Result<WString> get_current_automation_id() = 0;
  virtual Result<bool> get_current_is_enabled() = 0;
  virtual Result<Hwnd> get_current_native_window_handle() = 0;
  virtual Result<Rect> get_current_bounding_rectangle() = 0;
  virtual Result<WString> get_current_accelerator_key() = 0;
  virtual Result<std::int32_t> get_current_process_id() = 0;

  virtual Result<WString> get_cached_name() = 0;
  virtual Result<WString> get_cached_help_text() = 0;
  virtual Result<ControlTypeId> get_cached_control_type() = 0;
  virtual Result<WString> get_cached_automation_id() = 0;
  virtual Result<bool> get_cached_is_enabled() = 0;
  virtual Result<Hwnd> get_cached_native_window_handle() = 0;
  virtual Result<Rect> get_cached_bounding_rectangle() = 0;
  virtual Result<bool> get_cached_has_keyboard_focus() = 0;

  // Typed forms of the two pattern calls: P is one of the pattern classes above.
  template <class P>
  Result<Ref<P>> current_pattern_as(PatternId id) {
    return downcast<P>(get_current_pattern_as(id, P::kInterface));
  }
  template <class P>
  Result<Ref<P>> cached_pattern_as(PatternId id) {
    return downcast<P>(get_cached_pattern_as(id, P::kInterface));
  }

 private:
  template <class P>
  static Result<Ref<P>> downcast(Result<Ref<PatternObject>> r) {
    return {r.hr, Ref<P>(static_cast<P*>(r.value.release()))};
  }
};

class ElementArray : public AutomationObject {
 public:
  virtual Result<std::int32_t> get_length() = 0;
  virtual Result<Ref<Element>> get_element(std::int32_t index) = 0;
};

class TreeWalker : public AutomationObject {
 public:
  virtual Result<Ref<Element>> get_first_child_element(Element& element) = 0;
  virtual Result<Ref<Element>> get_next_sibling_element(Element& element) = 0;
  virtual Result<Ref<Element>> get_parent_element(Element& element) = 0;
};

// IUIAutomation.
class Automation : public AutomationObject {
 public:
  virtual Result<Ref<Element>> element_from_handle(Hwnd hwnd) = 0;
  virtual Result<Ref<Element>> element_from_point(Point screen_point) = 0;
  virtual Result<Ref<Element>> get_focused_element() = 0;
  virtual Result<Ref<Element>> get_root_element() = 0;
  // Nonzero when both refer to the same element.
  virtual Result<bool> compare_elements(Element& a, Element& b) = 0;
  virtual Result<Ref<TreeWalker>> get_control_view_walker() = 0;
  virtual Result<Ref<TreeWalker>> get_raw_view_walker() = 0;
  virtual Result<Ref<Condition>> get_control_view_condition() = 0;
  virtual Result<Ref<Condition>> get_raw_view_condition() = 0;
  virtual Result<Ref<CacheRequest>> create_cache_request() = 0;
};

}  // namespace uiad::platform
