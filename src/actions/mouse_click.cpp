// mouse_click: posted button-down/up pairs at the recorded centre, the child
// window under it found again for every click. No pattern, no real input.
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

constexpr std::uint32_t kMaxClicks = 3;
constexpr std::uint64_t kAfterClickMs = 40;

}  // namespace

Json handle_mouse_click(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  const std::uint32_t count = count_field(request, "count", 1, kMaxClicks);
  const std::string button = string_field_or(request, "button", "left");
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "mouse_click", error);
  if (!found) return error_response(error);
  if (auto hung =
          not_responding_error(context.platform.windows, "mouse_click", found->session->window)) {
    return error_response(std::move(*hung));
  }

  platform::Platform& p = context.platform;
  const ElementRecord& record = found->record;
  const bool right = button == "right";
  const std::uint32_t down = right ? kWmRButtonDown : kWmLButtonDown;
  const std::uint32_t up = right ? kWmRButtonUp : kWmLButtonUp;
  const std::uint64_t down_wparam = right ? 0 : kMkLButton;

  const platform::Hwnd root = input_window(*found->session);
  soft_activate(p, *found->session);
  for (std::uint32_t i = 0; i < count; ++i) {
    // The window under the point may change with the click before.
    const platform::Hwnd window = deepest_child_at(p, root, record.center_x, record.center_y);
    const std::int64_t lp = client_lparam(p, window, record.center_x, record.center_y);
    (void)p.input.post_message(window, down, down_wparam, lp);
    p.clock.sleep_ms(kButtonDownUpMs);
    (void)p.input.post_message(window, up, 0, lp);
    p.clock.sleep_ms(kAfterClickMs);
  }

  return ok_response({{"button", button},
                      {"center_x", record.center_x},
                      {"center_y", record.center_y},
                      {"count", count},
                      {"id", target.id},
                      {"label", record.label},
                      {"role", record.role},
                      {"success", true},
                      {"x", record.center_x},
                      {"y", record.center_y}});
}

}  // namespace uiad
