// perform: a named action as posted messages at the recorded centre; no
// pattern, no real input.
#include <string>

#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "desktop/not_responding.h"

namespace uiad {
namespace {

using namespace actions;

bool is_one_of(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

// A right click at the centre relative to the window rectangle, to the window
// itself: no descent into children and no DPI step.
void post_window_right_click(platform::Platform& p, platform::Hwnd target, std::int32_t cx,
                             std::int32_t cy) {
  const platform::Rect rect = p.windows.get_window_rect(target).value_or(platform::Rect{});
  // Wraps like the 32-bit arithmetic the packing is defined in.
  const auto x = static_cast<std::int32_t>(static_cast<std::int64_t>(cx) - rect.left);
  const auto y = static_cast<std::int32_t>(static_cast<std::int64_t>(cy) - rect.top);
  const std::int64_t lp = pack_point(x, y);
  (void)p.input.post_message(target, kWmRButtonDown, 0, lp);
  p.clock.sleep_ms(kButtonDownUpMs);
  (void)p.input.post_message(target, kWmRButtonUp, 0, lp);
}

}  // namespace

Json handle_perform(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  const std::string action = string_field_or(request, "action", "");
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "perform", error);
  if (!found) return error_response(error);
  if (auto hung =
          not_responding_error(context.platform.windows, "perform", found->session->window)) {
    return error_response(std::move(*hung));
  }

  platform::Platform& p = context.platform;
  const Session& session = *found->session;
  const ElementRecord& record = found->record;
  const platform::Hwnd window = input_window(session);
  soft_activate(p, session);

  if (is_one_of(action, {"press", "invoke", "AXPress"})) {
    post_left_click(p, window, record.center_x, record.center_y);
  } else if (is_one_of(action, {"show_menu", "AXShowMenu"})) {
    post_window_right_click(p, window, record.center_x, record.center_y);
  } else if (is_one_of(action, {"increment", "AXIncrement"})) {
    post_key_tap(p, window, kVkUp);
  } else if (is_one_of(action, {"decrement", "AXDecrement"})) {
    post_key_tap(p, window, kVkDown);
  } else {
    return error_response("perform: unknown action '" + action + "'");
  }
  return ok_response({{"id", target.id}, {"label", record.label}, {"role", record.role}});
}

}  // namespace uiad
