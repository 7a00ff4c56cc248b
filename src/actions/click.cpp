// click and focus: a button with a window of its own gets posted clicks, a tab
// is selected (and clicked when that did not take), everything else is
// activated through UI Automation with posted clicks as the last resort.
#include <optional>
#include <string>

#include "actions/activation.h"
#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/timed_invoke.h"
#include "desktop/not_responding.h"

namespace uiad {
namespace {

using actions::NoActivateGuard;
using platform::Element;
using platform::Hwnd;

constexpr std::uint64_t kAfterButtonClickMs = 50;
constexpr std::uint64_t kBetweenActivationsMs = 40;
constexpr std::uint64_t kAfterPostedClickMs = 50;
constexpr std::uint64_t kAfterSelectMs = 60;
constexpr std::uint64_t kAfterTabClickMs = 80;

// Posted straight to the button's own window: no descent, no activation.
void click_button_window(platform::Platform& p, const ElementRecord& r, std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::int64_t lp = actions::client_lparam(p, r.native_window, r.center_x, r.center_y);
    (void)p.input.post_message(r.native_window, actions::kWmLButtonDown, actions::kMkLButton, lp);
    p.clock.sleep_ms(actions::kButtonDownUpMs);
    (void)p.input.post_message(r.native_window, actions::kWmLButtonUp, 0, lp);
    p.clock.sleep_ms(kAfterButtonClickMs);
  }
}

std::string click_general(DaemonContext& context, const Session& s, Element* live,
                          const ElementRecord& r, std::uint64_t count) {
  platform::Platform& p = context.platform;
  const platform::Point centre{r.center_x, r.center_y};
  NoActivateGuard guard(p, s.window);
  std::string method;
  if ((live != nullptr && actions::activate_element(p, *live)) ||
      actions::activate_element_at(context, s.window, centre)) {
    for (std::uint64_t i = 1; i < count; ++i) {
      p.clock.sleep_ms(kBetweenActivationsMs);
      if (live != nullptr && actions::activate_element(p, *live)) continue;
      (void)actions::activate_element_at(context, s.window, centre);
    }
    method = live != nullptr ? "uia-live" : "uia-point";
  } else {
    actions::soft_activate(p, s);
    for (std::uint64_t i = 0; i < count; ++i) {
      actions::post_left_click(p, actions::input_window(s), r.center_x, r.center_y);
      p.clock.sleep_ms(kAfterPostedClickMs);
    }
    method = "post";
  }
  guard.end();
  return method;
}

// Selected, not selected, or unknown (no element, no pattern, a failed read).
std::optional<bool> selection_state(Element* live) {
  if (live == nullptr) return std::nullopt;
  auto item =
      live->current_pattern_as<platform::SelectionItemPattern>(platform::kSelectionItemPatternId);
  if (!platform::usable(item)) return std::nullopt;
  auto selected = item.value->get_current_is_selected();
  if (!selected.succeeded()) return std::nullopt;
  return selected.value;
}

struct TabOutcome {
  std::string method;
  std::optional<bool> selected;
};

TabOutcome click_tab(platform::Platform& p, const Session& s, Element* live,
                     const ElementRecord& r) {
  bool selected_by_uia = false;
  if (live != nullptr) {
    auto item =
        live->current_pattern_as<platform::SelectionItemPattern>(platform::kSelectionItemPatternId);
    if (platform::usable(item)) {
      selected_by_uia = timed_pattern_call(p, "Select", std::move(item.value),
                                           &platform::SelectionItemPattern::select)
                            .success;
    }
  }
  p.clock.sleep_ms(kAfterSelectMs);
  bool posted = false;
  if (selection_state(live) != true) {
    // To the deepest child of the top-level window, even in a Chromium session.
    actions::post_left_click(p, s.window, r.center_x, r.center_y);
    p.clock.sleep_ms(kAfterTabClickMs);
    posted = true;
  }
  TabOutcome outcome;
  if (selected_by_uia) {
    outcome.method = posted ? "uia-select+post-click" : "uia-select";
  } else {
    outcome.method = posted ? "post-click" : "none";
  }
  outcome.selected = selection_state(live);
  return outcome;
}

}  // namespace

Json handle_click(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "click", error);
  if (!found) return error_response(std::move(error));
  if (auto hung = not_responding_error(context.platform.windows, "click", found->session->window)) {
    return error_response(std::move(*hung));
  }
  const Session& s = *found->session;
  const ElementRecord& r = found->record;
  const std::uint64_t count = non_negative_field(request, "count").value_or(1);
  platform::Platform& p = context.platform;

  Json result = {{"center_x", r.center_x},
                 {"center_y", r.center_y},
                 {"id", target.id},
                 {"label", r.label},
                 {"role", r.role}};
  if (r.role == "button" && r.native_window != 0) {
    click_button_window(p, r, count);
    result["method"] = "post-hwnd";
  } else if (r.role == "tab") {
    Element* live = find_live_element(s, target.id);
    NoActivateGuard guard(p, s.window);
    const TabOutcome outcome = click_tab(p, s, live, r);
    guard.end();
    result["method"] = outcome.method;
    result["selected"] = outcome.selected ? Json(*outcome.selected) : Json(nullptr);
  } else {
    Element* live = find_live_element(s, target.id);
    if (live != nullptr && is_stale(*live)) {
      return error_response(stale_element_message("click", target.id));
    }
    result["method"] = click_general(context, s, live, r, count);
  }
  return ok_response(std::move(result));
}

}  // namespace uiad
