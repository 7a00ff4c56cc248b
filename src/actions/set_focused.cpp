// set_focused: focus the way a user would, with a click at the recorded centre
// after telling the application it is active. Nothing is verified.
#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/response.h"
#include "desktop/not_responding.h"

namespace uiad {

Json handle_set_focused(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "set_focused", error);
  if (!found) return error_response(std::move(error));
  if (auto hung =
          not_responding_error(context.platform.windows, "set_focused", found->session->window)) {
    return error_response(std::move(*hung));
  }
  const Session& s = *found->session;
  platform::Platform& p = context.platform;
  const platform::Hwnd window = actions::input_window(s);
  actions::soft_activate(p, s);
  actions::post_left_click(p, window, found->record.center_x, found->record.center_y);
  return ok_response();
}

}  // namespace uiad
