// Pattern objects over the shared state.
#include "platform/sim/sim_patterns.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/sim/live_count.h"
#include "platform/sim/text.h"

namespace uiad::sim {
namespace {

using platform::HResult;
using platform::Result;

constexpr HResult kUiaEElementNotEnabled = static_cast<HResult>(0x80040200u);
constexpr HResult kUiaEInvalidOperation = static_cast<HResult>(0x80131509u);
constexpr HResult kRpcEDisconnected = static_cast<HResult>(0x80010108u);

// What every pattern object holds: the element, and the cache it came from.
class Binding {
 public:
  Binding(std::shared_ptr<SimState> state, std::int32_t element,
          std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : count_(std::move(state), false), element_(element), cache_(std::move(cache)), node_(node) {}

  SimState& state() const { return *count_.state(); }
  std::int32_t element() const { return element_; }
  ElementData& data() const { return state().model.elements[element_]; }

  // A current getter: a cross-process call.
  template <class T, class Read>
  Result<T> current(Method method, Read read) const {
    std::lock_guard lock(state().mutex);
    const CallCheck check = state().check_element_call(method, element_);
    if (check.failed() || check.empty_success()) return {check.hr, T{}};
    return {platform::kSOk, read(data())};
  }

  // A cached getter: reads the snapshot, fails when the property is not in it.
  template <class T, class Read>
  Result<T> cached(Method method, std::uint32_t property, Read read) const {
    std::lock_guard lock(state().mutex);
    const CallCheck check = state().check_element_call(method, element_, 0, false);
    if (check.failed() || check.empty_success()) return {check.hr, T{}};
    if (cache_ == nullptr || (cache_->properties & property) == 0 ||
        !cache_->nodes[node_].properties_cached) {
      return {platform::kEInvalidArg, T{}};
    }
    return {platform::kSOk, read(cache_->nodes[node_].data)};
  }
  // A text field of the cached node (lock held).
  platform::WString cached_text(std::uint32_t index) const {
    return platform::WString(cache_->text(state().model, index));
  }

  // Opens a pattern method: the call checks, then disabled elements refuse.
  CallCheck begin(Method method) const {
    CallCheck check = state().check_element_call(method, element_);
    if (!check.failed() && !check.faulted && (data().flags & kEnabled) == 0) {
      check.hr = kUiaEElementNotEnabled;
    }
    return check;
  }

  EventLine call_event(Method method) const {
    return state()
        .event("uia")
        .str("call", method_name(method))
        .str("element", state().element_label(element_));
  }

  void log_failure(Method method, HResult hr) const {
    state().emit(call_event(method).str("hr", hr_text(hr)));
  }

  void fire(TriggerKind kind) const {
    TriggerEvent ev;
    ev.kind = kind;
    ev.element = element_;
    state().fire(ev);
  }

  static std::string hr_text(HResult hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
  }

 private:
  LiveCount count_;
  std::int32_t element_;
  std::shared_ptr<const CacheSnapshot> cache_;
  std::int32_t node_;
};

class SimUnknownPattern final : public platform::PatternObject {
 public:
  SimUnknownPattern(std::shared_ptr<SimState> state, std::int32_t element,
                    std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : binding_(std::move(state), element, std::move(cache), node) {}

 private:
  Binding binding_;
};

class SimInvokePattern final : public platform::InvokePattern {
 public:
  SimInvokePattern(std::shared_ptr<SimState> state, std::int32_t element,
                   std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : b_(std::move(state), element, std::move(cache), node) {}

  HResult invoke() override {
    SimState& s = b_.state();
    std::unique_lock lock(s.mutex);
    const CallCheck check = b_.begin(Method::Invoke);
    if (check.failed()) {
      b_.log_failure(Method::Invoke, check.hr);
      return check.hr;
    }
    s.emit(b_.call_event(Method::Invoke));
    b_.fire(TriggerKind::Invoke);
    if ((b_.data().flags & kHasInvokeSpec) == 0) return platform::kSOk;
    const InvokeSpec spec = s.model.invoke_specs.at(b_.element());
    ++s.invokes_in_progress;
    if (spec.blocks) {
      s.changed.wait(lock, [&] {
        if (s.closing) return true;
        if (spec.until_hidden == 0) return false;
        const std::int32_t w = s.model.index_of(spec.until_hidden);
        return w == kNone || !s.window_visible(w);
      });
    } else if (spec.delay_ms > 0) {
      s.changed.wait_for(lock, std::chrono::milliseconds(spec.delay_ms), [&] { return s.closing; });
    }
    --s.invokes_in_progress;
    if (s.closing) return kRpcEDisconnected;
    s.emit(s.event("uia_return")
               .str("call", "Invoke")
               .str("element", s.element_label(b_.element()))
               .str("hr", Binding::hr_text(spec.result)));
    return spec.result;
  }

 private:
  Binding b_;
};

class SimTogglePattern final : public platform::TogglePattern {
 public:
  SimTogglePattern(std::shared_ptr<SimState> state, std::int32_t element,
                   std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : b_(std::move(state), element, std::move(cache), node) {}

  HResult toggle() override {
    std::lock_guard lock(b_.state().mutex);
    const CallCheck check = b_.begin(Method::Toggle);
    if (check.failed()) {
      b_.log_failure(Method::Toggle, check.hr);
      return check.hr;
    }
    ElementData& d = b_.data();
    if (!check.faulted) {
      if (d.toggle == 0) {
        d.toggle = 1;
      } else if (d.toggle == 1 && (d.flags & kThreeState)) {
        d.toggle = 2;
      } else {
        d.toggle = 0;
      }
    }
    b_.state().emit(b_.call_event(Method::Toggle).num("state", d.toggle));
    b_.fire(TriggerKind::Toggle);
    return check.hr;
  }
  Result<platform::ToggleState> get_current_toggle_state() override {
    return b_.current<platform::ToggleState>(
        Method::GetCurrentToggleState,
        [](const ElementData& d) { return static_cast<platform::ToggleState>(d.toggle); });
  }
  Result<platform::ToggleState> get_cached_toggle_state() override {
    return b_.cached<platform::ToggleState>(
        Method::GetCachedToggleState, kToggleStateProperty,
        [](const ElementData& d) { return static_cast<platform::ToggleState>(d.toggle); });
  }

 private:
  Binding b_;
};

class SimValuePattern final : public platform::ValuePattern {
 public:
  SimValuePattern(std::shared_ptr<SimState> state, std::int32_t element,
                  std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : b_(std::move(state), element, std::move(cache), node) {}

  HResult set_value(const platform::WString& text) override {
    std::lock_guard lock(b_.state().mutex);
    CallCheck check = b_.begin(Method::SetValue);
    if (!check.failed() && !check.faulted && (b_.data().flags & kReadOnly)) {
      check.hr = kUiaEInvalidOperation;
    }
    if (check.failed()) {
      b_.log_failure(Method::SetValue, check.hr);
      return check.hr;
    }
    if (!check.faulted) b_.state().set_element_value(b_.element(), text);
    b_.state().emit(b_.call_event(Method::SetValue).str("value", utf16_to_utf8(text)));
    b_.fire(TriggerKind::SetValue);
    return check.hr;
  }
  Result<platform::WString> get_current_value() override {
    SimState& s = b_.state();
    return b_.current<platform::WString>(Method::GetCurrentValue,
                                         [&](const ElementData& d) { return s.text(d.value); });
  }
  Result<bool> get_current_is_read_only() override {
    return b_.current<bool>(Method::GetCurrentIsReadOnly,
                            [](const ElementData& d) { return (d.flags & kReadOnly) != 0; });
  }
  Result<platform::WString> get_cached_value() override {
    return b_.cached<platform::WString>(
        Method::GetCachedValue, kValueValueProperty,
        [&](const ElementData& d) { return b_.cached_text(d.value); });
  }

 private:
  Binding b_;
};

class SimSelectionItemPattern final : public platform::SelectionItemPattern {
 public:
  SimSelectionItemPattern(std::shared_ptr<SimState> state, std::int32_t element,
                          std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : b_(std::move(state), element, std::move(cache), node) {}

  HResult select() override {
    SimState& s = b_.state();
    std::lock_guard lock(s.mutex);
    const CallCheck check = b_.begin(Method::Select);
    if (check.failed()) {
      b_.log_failure(Method::Select, check.hr);
      return check.hr;
    }
    if (!check.faulted) {
      // Selecting one item of a single-selection container deselects the rest.
      const std::int32_t parent = s.model.links[b_.element()].parent;
      if (parent != kNone) {
        for (std::int32_t c = s.model.links[parent].first_child; c != kNone;
             c = s.model.links[c].next_sibling) {
          if (s.model.elements[c].patterns & kSelectionItemBit) {
            s.model.elements[c].flags &= static_cast<std::uint16_t>(~kSelected);
          }
        }
      }
      b_.data().flags |= kSelected;
    }
    s.emit(b_.call_event(Method::Select));
    b_.fire(TriggerKind::Select);
    return check.hr;
  }
  Result<bool> get_current_is_selected() override {
    return b_.current<bool>(Method::GetCurrentIsSelected,
                            [](const ElementData& d) { return (d.flags & kSelected) != 0; });
  }
  Result<bool> get_cached_is_selected() override {
    return b_.cached<bool>(Method::GetCachedIsSelected, kIsSelectedProperty,
                           [](const ElementData& d) { return (d.flags & kSelected) != 0; });
  }

 private:
  Binding b_;
};

class SimExpandCollapsePattern final : public platform::ExpandCollapsePattern {
 public:
  SimExpandCollapsePattern(std::shared_ptr<SimState> state, std::int32_t element,
                           std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : b_(std::move(state), element, std::move(cache), node) {}

  HResult expand() override {
    return change(Method::Expand, platform::ExpandCollapseState::Expanded);
  }
  HResult collapse() override {
    return change(Method::Collapse, platform::ExpandCollapseState::Collapsed);
  }
  Result<platform::ExpandCollapseState> get_current_expand_collapse_state() override {
    return b_.current<platform::ExpandCollapseState>(
        Method::GetCurrentExpandCollapseState,
        [](const ElementData& d) { return static_cast<platform::ExpandCollapseState>(d.expand); });
  }

 private:
  HResult change(Method method, platform::ExpandCollapseState to) {
    std::lock_guard lock(b_.state().mutex);
    CallCheck check = b_.begin(method);
    const bool leaf =
        b_.data().expand == static_cast<std::uint8_t>(platform::ExpandCollapseState::LeafNode);
    if (!check.failed() && !check.faulted && leaf) check.hr = kUiaEInvalidOperation;
    if (check.failed()) {
      b_.log_failure(method, check.hr);
      return check.hr;
    }
    if (!check.faulted) b_.data().expand = static_cast<std::uint8_t>(to);
    b_.state().emit(b_.call_event(method));
    b_.fire(method == Method::Expand ? TriggerKind::Expand : TriggerKind::Collapse);
    return check.hr;
  }

  Binding b_;
};

class SimScrollPattern final : public platform::ScrollPattern {
 public:
  SimScrollPattern(std::shared_ptr<SimState> state, std::int32_t element,
                   std::shared_ptr<const CacheSnapshot> cache, std::int32_t node)
      : b_(std::move(state), element, std::move(cache), node) {}

  HResult scroll(platform::ScrollAmount horizontal, platform::ScrollAmount vertical) override {
    SimState& s = b_.state();
    std::lock_guard lock(s.mutex);
    CallCheck check = b_.begin(Method::Scroll);
    ElementData& d = b_.data();
    ScrollSteps steps;
    if (auto it = s.model.scroll_steps.find(b_.element()); it != s.model.scroll_steps.end()) {
      steps = it->second;
    }
    double h = d.h_percent, v = d.v_percent;
    if (!check.failed() && !check.faulted) {
      check.hr = step(horizontal, (d.flags & kHScrollable) != 0, steps, h);
      if (!check.failed()) check.hr = step(vertical, (d.flags & kVScrollable) != 0, steps, v);
    }
    if (check.failed()) {
      b_.log_failure(Method::Scroll, check.hr);
      return check.hr;
    }
    if (!check.faulted) d.h_percent = static_cast<float>(h), d.v_percent = static_cast<float>(v);
    s.emit(b_.call_event(Method::Scroll)
               .num("horizontal_amount", static_cast<std::int64_t>(horizontal))
               .num("vertical_amount", static_cast<std::int64_t>(vertical))
               .real("horizontal", d.h_percent)
               .real("vertical", d.v_percent));
    b_.fire(TriggerKind::Scroll);
    return check.hr;
  }

  HResult set_scroll_percent(double horizontal, double vertical) override {
    SimState& s = b_.state();
    std::lock_guard lock(s.mutex);
    CallCheck check = b_.begin(Method::SetScrollPercent);
    ElementData& d = b_.data();
    if (!check.failed() && !check.faulted) {
      check.hr = validate(horizontal, (d.flags & kHScrollable) != 0);
      if (!check.failed()) check.hr = validate(vertical, (d.flags & kVScrollable) != 0);
    }
    if (check.failed()) {
      b_.log_failure(Method::SetScrollPercent, check.hr);
      return check.hr;
    }
    if (!check.faulted) {
      if (horizontal != platform::kScrollPatternNoScroll)
        d.h_percent = static_cast<float>(horizontal);
      if (vertical != platform::kScrollPatternNoScroll) d.v_percent = static_cast<float>(vertical);
    }
    s.emit(b_.call_event(Method::SetScrollPercent)
               .real("horizontal", d.h_percent)
               .real("vertical", d.v_percent));
    b_.fire(TriggerKind::SetScrollPercent);
    return check.hr;
  }

  Result<double> get_current_horizontal_scroll_percent() override {
    return b_.current<double>(Method::GetCurrentHorizontalScrollPercent, [](const ElementData& d) {
      return static_cast<double>(d.h_percent);
    });
  }
  Result<double> get_current_vertical_scroll_percent() override {
    return b_.current<double>(Method::GetCurrentVerticalScrollPercent, [](const ElementData& d) {
      return static_cast<double>(d.v_percent);
    });
  }
  Result<bool> get_current_horizontally_scrollable() override {
    return b_.current<bool>(Method::GetCurrentHorizontallyScrollable,
                            [](const ElementData& d) { return (d.flags & kHScrollable) != 0; });
  }
  Result<bool> get_current_vertically_scrollable() override {
    return b_.current<bool>(Method::GetCurrentVerticallyScrollable,
                            [](const ElementData& d) { return (d.flags & kVScrollable) != 0; });
  }

 private:
  static HResult step(platform::ScrollAmount amount, bool scrollable, const ScrollSteps& steps,
                      double& percent) {
    using platform::ScrollAmount;
    if (amount == ScrollAmount::NoAmount) return platform::kSOk;
    if (!scrollable) return kUiaEInvalidOperation;
    double delta = 0;
    switch (amount) {
      case ScrollAmount::LargeDecrement:
        delta = -steps.large;
        break;
      case ScrollAmount::SmallDecrement:
        delta = -steps.small;
        break;
      case ScrollAmount::LargeIncrement:
        delta = steps.large;
        break;
      case ScrollAmount::SmallIncrement:
        delta = steps.small;
        break;
      default:
        return platform::kEInvalidArg;
    }
    percent = std::clamp(percent + delta, 0.0, 100.0);
    return platform::kSOk;
  }

  static HResult validate(double percent, bool scrollable) {
    if (percent == platform::kScrollPatternNoScroll) return platform::kSOk;
    if (!scrollable) return kUiaEInvalidOperation;
    if (!(percent >= 0 && percent <= 100)) return platform::kEInvalidArg;
    return platform::kSOk;
  }

  Binding b_;
};

}  // namespace

platform::PatternInterface interface_of(platform::PatternId id) {
  using platform::PatternInterface;
  switch (id) {
    case platform::kInvokePatternId:
      return PatternInterface::Invoke;
    case platform::kTogglePatternId:
      return PatternInterface::Toggle;
    case platform::kValuePatternId:
      return PatternInterface::Value;
    case platform::kSelectionItemPatternId:
      return PatternInterface::SelectionItem;
    case platform::kExpandCollapsePatternId:
      return PatternInterface::ExpandCollapse;
    case platform::kScrollPatternId:
      return PatternInterface::Scroll;
    default:
      return PatternInterface::Unknown;
  }
}

platform::Ref<platform::PatternObject> make_pattern(std::shared_ptr<SimState> state,
                                                    std::int32_t element,
                                                    std::shared_ptr<const CacheSnapshot> cache,
                                                    std::int32_t node,
                                                    platform::PatternInterface iid) {
  using platform::PatternInterface;
  switch (iid) {
    case PatternInterface::Invoke:
      return std::make_unique<SimInvokePattern>(std::move(state), element, std::move(cache), node);
    case PatternInterface::Toggle:
      return std::make_unique<SimTogglePattern>(std::move(state), element, std::move(cache), node);
    case PatternInterface::Value:
      return std::make_unique<SimValuePattern>(std::move(state), element, std::move(cache), node);
    case PatternInterface::SelectionItem:
      return std::make_unique<SimSelectionItemPattern>(std::move(state), element, std::move(cache),
                                                       node);
    case PatternInterface::ExpandCollapse:
      return std::make_unique<SimExpandCollapsePattern>(std::move(state), element, std::move(cache),
                                                        node);
    case PatternInterface::Scroll:
      return std::make_unique<SimScrollPattern>(std::move(state), element, std::move(cache), node);
    case PatternInterface::Unknown:
      break;
  }
  return std::make_unique<SimUnknownPattern>(std::move(state), element, std::move(cache), node);
}

}  // namespace uiad::sim
