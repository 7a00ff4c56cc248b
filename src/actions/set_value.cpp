// set_value: the Value pattern where it can work, else typed characters or a
// native edit control's whole text set at once.
#include <cstdlib>
#include <optional>
#include <string>

#include "actions/activation.h"
#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "actions/typing.h"
#include "daemon/element_lookup.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/not_responding.h"

namespace uiad {
namespace {

// A recorded top-left corner this close (Manhattan, strictly below) to an edit
// window's top-left corner belongs to that window.
constexpr std::int64_t kNearEditPixels = 20;
constexpr std::uint64_t kBeforeFocusedTypingMs = 200;

bool set_value_uia(platform::Element& e, const platform::WString& text) {
  auto value = e.current_pattern_as<platform::ValuePattern>(platform::kValuePatternId);
  if (!platform::usable(value)) return false;
  // A failing read counts as writable.
  const auto read_only = value.value->get_current_is_read_only();
  if (read_only.succeeded() && read_only.value) return false;
  return platform::succeeded(value.value->set_value(text));
}

// The first of the nearest edit windows, if it is near enough. Distances are
// 64-bit: in 32 bits two far-apart extreme corners could wrap round to "near".
std::optional<EditWindow> nearest_edit_window(const Session& s, const ElementRecord& r) {
  if (s.edit_windows.empty()) return std::nullopt;
  const std::int64_t x0 = std::int64_t{r.center_x} - r.width / 2;
  const std::int64_t y0 = std::int64_t{r.center_y} - r.height / 2;
  const EditWindow* best = nullptr;
  std::int64_t best_distance = 0;
  for (const EditWindow& w : s.edit_windows) {
    const std::int64_t distance = std::llabs(w.left - x0) + std::llabs(w.top - y0);
    if (best == nullptr || distance < best_distance) {
      best = &w;
      best_distance = distance;
    }
  }
  if (best_distance < kNearEditPixels) return *best;
  return std::nullopt;
}

// Edit controls of every kind have "edit" in their class name, in some letter
// case: Edit, RichEdit20W, RICHEDIT50W, WindowsForms10.EDIT.app.0.*.
bool is_writable_edit_window(platform::Platform& p, platform::Hwnd hwnd) {
  constexpr int kClassNameUnits = 256;
  constexpr int kGwlStyle = -16;
  constexpr std::int32_t kEsReadOnly = 0x0800;
  const std::string class_name =
      unicode::utf16_to_utf8(p.windows.get_class_name(hwnd, kClassNameUnits));
  std::string lower;
  for (char c : class_name) lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
  if (lower.find("edit") == std::string::npos) return false;
  return (p.windows.get_window_long(hwnd, kGwlStyle) & kEsReadOnly) == 0;
}

// Typed characters land at the caret, after whatever the field holds, so the
// field is emptied first where its Value pattern allows; a page still sees
// every character typed.
std::string clear_then_type(platform::Platform& p, platform::Element* live, platform::Hwnd target,
                            const platform::WString& text) {
  const bool cleared = live != nullptr && set_value_uia(*live, u"");
  actions::post_text(p, target, text);
  return cleared ? "uia-clear+post" : "post";
}

// The ways without UI Automation; answers the method taken.
std::string type_text(platform::Platform& p, const Session& s, const ElementRecord& r,
                      platform::Element* live, const platform::WString& text) {
  if (s.chromium) {
    actions::soft_activate(p, s);
    return clear_then_type(p, live, actions::input_window(s), text);
  }
  // An edit control's whole text is replaced at once, as "set" means. A
  // read-only one gets the characters a user could type, which it ignores.
  if (const auto edit = nearest_edit_window(s, r)) {
    if (!is_writable_edit_window(p, edit->hwnd)) {
      actions::post_text(p, edit->hwnd, text);
      return "post";
    }
    (void)p.input.send_message_text(edit->hwnd, actions::kWmSetText, 0, text);
    return "settext";
  }
  if (r.native_window != 0) {
    if (!is_writable_edit_window(p, r.native_window)) {
      return clear_then_type(p, live, r.native_window, text);
    }
    (void)p.input.send_message_text(r.native_window, actions::kWmSetText, 0, text);
    return "settext";
  }
  actions::soft_activate(p, s);
  p.clock.sleep_ms(kBeforeFocusedTypingMs);
  actions::post_text(p, actions::focused_child(p, s.window), text);
  return "post";
}

}  // namespace

Json handle_set_value(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  const std::string* text_field = string_field(request, "text");
  if (text_field == nullptr) return error_response("set_value: missing 'text' field");
  const platform::WString text = unicode::utf8_to_utf16(*text_field);
  std::string error;
  const auto found = lookup_element(context, target.key, target.id, "set_value", error);
  if (!found) return error_response(std::move(error));
  if (auto hung =
          not_responding_error(context.platform.windows, "set_value", found->session->window)) {
    return error_response(std::move(*hung));
  }
  const Session& s = *found->session;
  const ElementRecord& r = found->record;
  platform::Platform& p = context.platform;

  platform::Element* live = find_live_element(s, target.id);
  if (live != nullptr && is_stale(*live)) {
    return error_response(stale_element_message("set_value", target.id));
  }
  std::string method;
  if (s.chromium || r.native_window != 0 || nearest_edit_window(s, r)) {
    method = type_text(p, s, r, live, text);
  } else {
    actions::NoActivateGuard guard(p, s.window);
    if (live != nullptr && set_value_uia(*live, text)) {
      method = "uia-live";
    } else if (auto at_point =
                   actions::application_element_at(context, s.window, {r.center_x, r.center_y});
               at_point != nullptr && set_value_uia(*at_point, text)) {
      method = "uia-point";
    } else {
      // Nothing to clear with here: the live element and the one at the point
      // both refused the Value pattern.
      method = type_text(p, s, r, nullptr, text);
    }
    guard.end();
  }
  return ok_response(
      {{"id", target.id}, {"label", r.label}, {"method", std::move(method)}, {"role", r.role}});
}

}  // namespace uiad
