// hover: rests the pointer on an element with posted moves (or the real
// cursor when asked) and reports the top-level windows that appeared and the
// foreground before and after. It observes the foreground; it does not defend it.
#include <string>
#include <unordered_set>
#include <vector>

#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/not_responding.h"
#include "desktop/window_visibility.h"

namespace uiad {
namespace {

using namespace actions;

constexpr std::uint64_t kDefaultDwellMs = 350;
constexpr std::uint32_t kDefaultMoves = 6;
constexpr std::uint32_t kMaxMoves = 60;
constexpr std::uint64_t kAfterHoverMessageMs = 60;
constexpr int kTextBufferUnits = 256;

enum class Method { Move, MoveNc, HoverMsg, SetCursor, SendInput };

std::optional<Method> parse_method(const std::string& name) {
  if (name == "move") return Method::Move;
  if (name == "move_nc") return Method::MoveNc;
  if (name == "hover_msg") return Method::HoverMsg;
  if (name == "setcursor") return Method::SetCursor;
  if (name == "sendinput") return Method::SendInput;
  return std::nullopt;
}

// The visible top-level windows in EnumWindows order, untitled ones included.
std::vector<platform::Hwnd> visible_windows(platform::Platform& p) {
  std::vector<platform::Hwnd> all;
  (void)p.windows.enum_windows(all);
  std::vector<platform::Hwnd> visible;
  visible.reserve(all.size());
  for (platform::Hwnd h : all) {
    if (is_shown_to_user(p.windows, h)) visible.push_back(h);
  }
  return visible;
}

Json revealed_window(platform::Platform& p, platform::Hwnd h) {
  const platform::Rect r = p.windows.get_window_rect(h).value_or(platform::Rect{});
  return {{"class", unicode::utf16_to_utf8(p.windows.get_class_name(h, kTextBufferUnits))},
          {"h", static_cast<std::int64_t>(r.bottom) - r.top},
          {"title", unicode::utf16_to_utf8(p.windows.get_window_text(h, kTextBufferUnits))},
          {"w", static_cast<std::int64_t>(r.right) - r.left},
          {"x", r.left},
          {"y", r.top}};
}

}  // namespace

Json handle_hover(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  const std::string method_name = string_field_or(request, "method", "move");
  const std::uint64_t dwell_ms = non_negative_field(request, "dwell_ms").value_or(kDefaultDwellMs);
  const std::uint32_t count = count_field(request, "count", kDefaultMoves, kMaxMoves);
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "hover", error);
  if (!found) return error_response(error);
  if (auto hung = not_responding_error(context.platform.windows, "hover", found->session->window)) {
    return error_response(std::move(*hung));
  }

  platform::Platform& p = context.platform;
  const platform::Hwnd fg_before = p.input.get_foreground_window();
  const bool restore = bool_field_or(request, "restore", true);
  // Nothing is posted or moved for an unknown method, so it can be refused
  // before the window list is taken.
  const std::optional<Method> method = parse_method(method_name);
  if (!method) return error_response("hover: unknown method '" + method_name + "'");
  const bool moves_real_cursor = *method == Method::SetCursor || *method == Method::SendInput;

  // Only the handles of the first list matter: its windows are never reported.
  const std::vector<platform::Hwnd> before = visible_windows(p);
  platform::Point saved_cursor;
  if (moves_real_cursor) saved_cursor = p.input.get_cursor_pos().value_or(platform::Point{});

  const platform::Hwnd root = found->session->window;
  const std::int32_t cx = found->record.center_x;
  const std::int32_t cy = found->record.center_y;
  switch (*method) {
    case Method::HoverMsg: {
      const platform::Hwnd window = deepest_child_at(p, root, cx, cy);
      (void)p.input.post_message(window, kWmMouseMove, 0, client_lparam(p, window, cx, cy));
      p.clock.sleep_ms(dwell_ms);
      (void)p.input.post_message(window, kWmMouseHover, 0, client_lparam(p, window, cx, cy));
      p.clock.sleep_ms(kAfterHoverMessageMs);
      break;
    }
    case Method::SetCursor:
      (void)p.input.set_cursor_pos(cx, cy);
      post_mouse_moves(p, root, cx, cy, count, false, dwell_ms);
      break;
    case Method::SendInput:
      send_absolute_move(p, cx, cy);
      post_mouse_moves(p, root, cx, cy, count, false, dwell_ms);
      break;
    case Method::Move:
    case Method::MoveNc:
      post_mouse_moves(p, root, cx, cy, count, *method == Method::MoveNc, dwell_ms);
      break;
  }

  const std::vector<platform::Hwnd> after = visible_windows(p);
  const std::unordered_set<platform::Hwnd> before_set(before.begin(), before.end());
  Json revealed = Json::array();
  for (platform::Hwnd h : after) {
    if (!before_set.contains(h)) revealed.push_back(revealed_window(p, h));
  }
  if (moves_real_cursor && restore) (void)p.input.set_cursor_pos(saved_cursor.x, saved_cursor.y);
  const platform::Hwnd fg_after = p.input.get_foreground_window();

  return ok_response({{"center_x", cx},
                      {"center_y", cy},
                      {"cursor_restored", restore},
                      {"fg_after", fg_after},
                      {"fg_before", fg_before},
                      {"fg_changed", fg_before != 0 && fg_before != fg_after},
                      {"id", target.id},
                      {"label", found->record.label},
                      {"method", method_name},
                      {"moved_real_cursor", moves_real_cursor},
                      {"revealed_windows", std::move(revealed)},
                      {"role", found->record.role}});
}

}  // namespace uiad
