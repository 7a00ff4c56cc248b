// The activation chain; failures of single steps are not reported, only
// whether some step worked.
#include "actions/activation.h"

#include "daemon/timed_invoke.h"
#include "desktop/window_visibility.h"

namespace uiad::actions {

bool activate_element(platform::Platform& p, platform::Element& e) {
  using namespace platform;
  if (auto invoke = e.current_pattern_as<InvokePattern>(kInvokePatternId); usable(invoke)) {
    if (timed_invoke(p, std::move(invoke.value)).success) return true;
  }
  // A check box, an item or a menu can open a modal dialog as well as a
  // button: every way goes through the worker and its 800 ms rule.
  if (auto toggle = e.current_pattern_as<TogglePattern>(kTogglePatternId); usable(toggle)) {
    if (timed_pattern_call(p, "Toggle", std::move(toggle.value), &TogglePattern::toggle).success)
      return true;
  }
  if (auto item = e.current_pattern_as<SelectionItemPattern>(kSelectionItemPatternId);
      usable(item)) {
    if (timed_pattern_call(p, "Select", std::move(item.value), &SelectionItemPattern::select)
            .success)
      return true;
  }
  if (auto expand = e.current_pattern_as<ExpandCollapsePattern>(kExpandCollapsePatternId);
      usable(expand)) {
    if (timed_pattern_call(p, "Expand", std::move(expand.value), &ExpandCollapsePattern::expand)
            .success)
      return true;
  }
  return false;
}

platform::Ref<platform::Element> application_element_at(DaemonContext& context,
                                                        platform::Hwnd window,
                                                        platform::Point screen_point) {
  auto found = context.automation->element_from_point(screen_point);
  if (!platform::usable(found)) return nullptr;
  const auto owner = found.value->get_current_process_id();
  if (!owner.succeeded()) return nullptr;
  const auto processes = application_process_ids(context.platform.windows, window);
  if (!contains_process(processes, static_cast<std::uint32_t>(owner.value))) return nullptr;
  return std::move(found.value);
}

bool activate_element_at(DaemonContext& context, platform::Hwnd window,
                         platform::Point screen_point) {
  auto element = application_element_at(context, window, screen_point);
  return element != nullptr && activate_element(context.platform, *element);
}

}  // namespace uiad::actions
