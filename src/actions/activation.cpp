// The activation chain; failures of single steps are not reported, only
// whether some step worked.
#include "actions/activation.h"

#include "daemon/timed_invoke.h"

namespace uiad::actions {

bool activate_element(platform::Platform& p, platform::Element& e) {
  using namespace platform;
  if (auto invoke = e.current_pattern_as<InvokePattern>(kInvokePatternId); usable(invoke)) {
    if (timed_invoke(p, std::move(invoke.value)).success) return true;
  }
  if (auto toggle = e.current_pattern_as<TogglePattern>(kTogglePatternId); usable(toggle)) {
    if (succeeded(toggle.value->toggle())) return true;
  }
  if (auto item = e.current_pattern_as<SelectionItemPattern>(kSelectionItemPatternId);
      usable(item)) {
    if (succeeded(item.value->select())) return true;
  }
  if (auto expand = e.current_pattern_as<ExpandCollapsePattern>(kExpandCollapsePatternId);
      usable(expand)) {
    if (succeeded(expand.value->expand())) return true;
  }
  return false;
}

bool activate_element_at(DaemonContext& context, platform::Point screen_point) {
  auto found = context.automation->element_from_point(screen_point);
  if (!platform::usable(found)) return false;
  return activate_element(context.platform, *found.value);
}

}  // namespace uiad::actions
