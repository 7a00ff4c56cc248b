// Messages, synthetic input, the cursor and the foreground of the simulated
// desktop. Messages take their built-in effect (WM_SETTEXT, WM_CHAR, WM_CLOSE)
// and then fire the scene's reactions; button-up messages also count as a
// click on the element under the point they carry.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_services.h"
#include "platform/sim/text.h"
#include "platform/sim/us_layout.h"

namespace uiad::sim {
namespace {

constexpr std::uint32_t kWmSetText = 0x000C;
constexpr std::uint32_t kWmGetTextLength = 0x000E;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmNcMouseMove = 0x00A0;
constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kWmChar = 0x0102;
constexpr std::uint32_t kWmMouseWheel = 0x020A;
constexpr std::uint32_t kWmMouseMove = 0x0200;
constexpr std::uint32_t kWmMouseHover = 0x02A1;
constexpr std::uint32_t kWmLButtonUp = 0x0202;
constexpr std::uint32_t kWmRButtonUp = 0x0205;
constexpr platform::Hwnd kHwndBroadcast = 0xFFFF;

constexpr std::uint32_t kMouseEventMove = 0x0001;
constexpr std::uint32_t kMouseEventVirtualDesk = 0x4000;
constexpr std::uint32_t kMouseEventAbsolute = 0x8000;

constexpr std::uint64_t kVkPrior = 0x21;
constexpr std::uint64_t kVkNext = 0x22;
constexpr std::uint64_t kVkEnd = 0x23;
constexpr std::uint64_t kVkHome = 0x24;
constexpr std::uint64_t kVkUp = 0x26;
constexpr std::uint64_t kVkDown = 0x28;

bool scrolls_vertically(const SimState& s, std::int32_t e) {
  const ElementData& d = s.model.elements[e];
  return (d.patterns & kScrollBit) != 0 && (d.flags & kVScrollable) != 0;
}

// The list a wheel or key message moves: the nearest vertically scrollable
// ancestor of `start`; for a key without one, the first one inside the
// window's own tree.
std::int32_t scroll_target(const SimState& s, std::int32_t window, std::int32_t start,
                           bool search_window) {
  for (std::int32_t e = start; e > kDesktopElement; e = s.parent(e, View::Raw)) {
    if (s.element_alive(e) && scrolls_vertically(s, e)) return e;
  }
  if (!search_window) return kNone;
  const std::int32_t root = s.model.windows[window].element;
  if (root == kNone || !s.element_alive(root)) return kNone;
  std::vector<std::int32_t> stack{root};
  while (!stack.empty()) {
    const std::int32_t e = stack.back();
    stack.pop_back();
    if (scrolls_vertically(s, e)) return e;
    std::vector<std::int32_t> children;
    for (std::int32_t c = s.first_child(e, View::Raw); c != kNone; c = s.next_sibling(c, View::Raw))
      children.push_back(c);
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return kNone;
}

// A wheel notch moves a list by its small step, a line key by the small and a
// page key by the large step; Home and End go to 0 and 100 percent.
void scroll_by_message(SimState& s, std::int32_t window, std::uint32_t msg, std::uint64_t wparam,
                       std::int64_t lparam) {
  std::int32_t start = kNone;
  double delta = 0;
  std::optional<double> to;
  std::int32_t target = kNone;
  const std::int32_t root = s.model.windows[window].element;
  if (msg == kWmMouseWheel) {
    const platform::Point screen{static_cast<std::int16_t>(lparam & 0xFFFF),
                                 static_cast<std::int16_t>((lparam >> 16) & 0xFFFF)};
    if (root != kNone && s.element_alive(root) &&
        rect_contains(s.model.elements[root].rect, screen))
      start = s.hit_test(root, screen);
    target = scroll_target(s, window, start, false);
    if (target == kNone) return;
    const auto notches = static_cast<std::int16_t>((wparam >> 16) & 0xFFFF) / 120.0;
    ScrollSteps steps;
    if (auto it = s.model.scroll_steps.find(target); it != s.model.scroll_steps.end())
      steps = it->second;
    delta = -notches * steps.small;
  } else {
    if (wparam != kVkUp && wparam != kVkDown && wparam != kVkPrior && wparam != kVkNext &&
        wparam != kVkHome && wparam != kVkEnd) {
      return;
    }
    const std::int32_t focused = s.focused_element();
    if (focused > kDesktopElement && root != kNone && s.is_self_or_ancestor(root, focused))
      start = focused;
    target = scroll_target(s, window, start, true);
    if (target == kNone) return;
    ScrollSteps steps;
    if (auto it = s.model.scroll_steps.find(target); it != s.model.scroll_steps.end())
      steps = it->second;
    switch (wparam) {
      case kVkUp:
        delta = -steps.small;
        break;
      case kVkDown:
        delta = steps.small;
        break;
      case kVkPrior:
        delta = -steps.large;
        break;
      case kVkNext:
        delta = steps.large;
        break;
      case kVkHome:
        to = 0;
        break;
      case kVkEnd:
        to = 100;
        break;
      default:
        return;
    }
  }
  ElementData& d = s.model.elements[target];
  const double v = to ? *to : std::clamp(static_cast<double>(d.v_percent) + delta, 0.0, 100.0);
  d.v_percent = static_cast<float>(v);
  s.emit(s.event("scroll_message").str("element", s.element_label(target)).real("vertical", v));
}

// Where a message lands after its built-in effect: reactions.
void deliver(SimState& s, std::int32_t window, std::uint32_t msg, std::uint64_t wparam,
             std::int64_t lparam) {
  const platform::Hwnd hwnd = s.model.windows[window].hwnd;
  if (msg == kWmChar) s.type_char(window, wparam);
  if (msg == kWmMouseWheel || msg == kWmKeyDown) scroll_by_message(s, window, msg, wparam, lparam);

  TriggerEvent ev;
  ev.kind = TriggerKind::Message;
  ev.window = hwnd;
  ev.msg = msg;
  ev.wparam = wparam;
  s.fire(ev);

  const bool hover = msg == kWmMouseMove || msg == kWmMouseHover || msg == kWmNcMouseMove;
  if (msg == kWmLButtonUp || msg == kWmRButtonUp || hover) {
    TriggerEvent click;
    click.kind = hover ? TriggerKind::Hover
                       : (msg == kWmLButtonUp ? TriggerKind::Click : TriggerKind::RightClick);
    click.window = hwnd;
    platform::Point point;
    s.lparam_hit_window(window, lparam, point);
    const std::int32_t root = s.model.windows[window].element;
    if (root != kNone && s.element_alive(root) &&
        rect_contains(s.model.elements[root].rect, point)) {
      click.element = s.hit_test(root, point);
    }
    if (hover && s.hovered_element != click.element) {
      // The pointer left the element it rested on.
      TriggerEvent leave;
      leave.kind = TriggerKind::Leave;
      leave.window = hwnd;
      leave.element = s.hovered_element;
      leave.entered = click.element;
      s.hovered_element = click.element;
      if (leave.element != kNone) s.fire(leave);
    }
    s.fire(click);
  }
  if (msg == kWmClose && s.model.windows[window].exists) {
    Action destroy;
    destroy.kind = ActionKind::DestroyWindow;
    destroy.window = hwnd;
    s.run_action(destroy);
  }
}

void move_cursor(SimState& s, platform::Point to) {
  const Rect& vs = s.model.virtual_screen;
  to.x = std::clamp(to.x, vs.left, std::max(vs.left, vs.right - 1));
  to.y = std::clamp(to.y, vs.top, std::max(vs.top, vs.bottom - 1));
  const platform::Point from = s.model.cursor;
  s.model.cursor = to;
  if (from == to) return;
  TriggerEvent ev;
  ev.kind = TriggerKind::SetCursor;
  ev.from = from;
  ev.to = to;
  s.fire(ev);
}

bool known_thread(SimState& s, std::uint32_t id) {
  return id == s.model.daemon_thread_id || s.thread(id) != nullptr;
}

platform::Hwnd alive_or_zero(SimState& s, platform::Hwnd hwnd) {
  return s.window_exists(hwnd) ? hwnd : 0;
}

}  // namespace

bool SimInput::post_message(platform::Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                            std::int64_t lparam) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  const std::int32_t w = s.model.index_of(hwnd);
  const bool faulted = s.check_window_call(Method::PostMessageW, w).faulted;
  const bool valid = w != kNone && s.model.windows[w].exists;
  EventLine line = s.event("post_message");
  line.unum("hwnd", hwnd).unum("msg", msg).unum("wparam", wparam).num("lparam", lparam);
  if (faulted || (!valid && hwnd != 0 && hwnd != kHwndBroadcast)) line.boolean("ok", false);
  s.emit(std::move(line));
  if (faulted) return false;
  if (!valid) return hwnd == 0 || hwnd == kHwndBroadcast;
  deliver(s, w, msg, wparam, lparam);
  return true;
}

std::int64_t SimInput::send_message_text(platform::Hwnd hwnd, std::uint32_t msg,
                                         std::uint64_t wparam, const platform::WString& text) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  const std::int32_t w = s.model.index_of(hwnd);
  const bool valid = !s.check_window_call(Method::SendMessageW, w).faulted && w != kNone &&
                     s.model.windows[w].exists;
  EventLine line = s.event("send_message");
  line.unum("hwnd", hwnd).unum("msg", msg).unum("wparam", wparam).str("text", utf16_to_utf8(text));
  if (!valid) line.boolean("ok", false);
  s.emit(std::move(line));
  if (!valid) return 0;
  std::int64_t result = 0;
  if (msg == kWmSetText) {
    s.set_window_text(w, text);
    result = 1;
  }
  deliver(s, w, msg, wparam, 0);
  return result;
}

std::int64_t SimInput::send_message(platform::Hwnd hwnd, std::uint32_t msg, std::uint64_t wparam,
                                    std::int64_t lparam) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  const std::int32_t w = s.model.index_of(hwnd);
  const bool valid = !s.check_window_call(Method::SendMessageW, w).faulted && w != kNone &&
                     s.model.windows[w].exists;
  EventLine line = s.event("send_message");
  line.unum("hwnd", hwnd).unum("msg", msg).unum("wparam", wparam).num("lparam", lparam);
  if (!valid) line.boolean("ok", false);
  s.emit(std::move(line));
  if (!valid) return 0;
  const std::int64_t result =
      msg == kWmGetTextLength ? static_cast<std::int64_t>(s.model.windows[w].title.size()) : 0;
  deliver(s, w, msg, wparam, lparam);
  return result;
}

std::uint32_t SimInput::send_input(std::span<const platform::InputRecord> inputs) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  const bool faulted = s.check_call(Method::SendInput).faulted;
  std::string records = "[";
  for (const platform::InputRecord& r : inputs) {
    if (records.size() > 1) records.push_back(',');
    std::string text;
    if (r.type == platform::kInputMouse) {
      text = "{\"type\":0,\"dx\":" + std::to_string(r.dx) + ",\"dy\":" + std::to_string(r.dy) +
             ",\"mouse_data\":" + std::to_string(r.mouse_data) +
             ",\"flags\":" + std::to_string(r.flags) + "}";
    } else {
      text = "{\"type\":" + std::to_string(r.type) + ",\"vk\":" + std::to_string(r.vk) +
             ",\"scan\":" + std::to_string(r.scan) + ",\"flags\":" + std::to_string(r.flags) + "}";
    }
    records += text;
  }
  records.push_back(']');
  EventLine line = s.event("send_input");
  line.raw("inputs", records);
  if (faulted) {
    s.emit(line.boolean("ok", false));
    return 0;
  }
  s.emit(line);
  for (const platform::InputRecord& r : inputs) {
    if (r.type != platform::kInputMouse || (r.flags & kMouseEventMove) == 0) continue;
    if (r.flags & kMouseEventAbsolute) {
      Rect area = s.model.virtual_screen;
      if ((r.flags & kMouseEventVirtualDesk) == 0 && !s.model.monitors.empty()) {
        area = s.model.monitors.front().rect;
      }
      const double w = std::max(1, area.right - area.left);
      const double h = std::max(1, area.bottom - area.top);
      move_cursor(s, {area.left + static_cast<std::int32_t>(std::lround(r.dx * w / 65535.0)),
                      area.top + static_cast<std::int32_t>(std::lround(r.dy * h / 65535.0))});
    } else {
      move_cursor(s, {s.model.cursor.x + r.dx, s.model.cursor.y + r.dy});
    }
  }
  return static_cast<std::uint32_t>(inputs.size());
}

bool SimInput::set_cursor_pos(std::int32_t x, std::int32_t y) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  EventLine line = s.event("set_cursor_pos");
  line.num("x", x).num("y", y);
  if (s.check_call(Method::SetCursorPos).faulted) {
    s.emit(line.boolean("ok", false));
    return false;
  }
  s.emit(line);
  move_cursor(s, {x, y});
  return true;
}

std::optional<platform::Point> SimInput::get_cursor_pos() {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  if (s.check_call(Method::GetCursorPos).faulted) return std::nullopt;
  return s.model.cursor;
}

platform::Hwnd SimInput::get_foreground_window() {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  return alive_or_zero(s, s.model.foreground);
}

bool SimInput::set_foreground_window(platform::Hwnd hwnd) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  const std::int32_t w = s.model.index_of(hwnd);
  bool ok = !s.check_window_call(Method::SetForegroundWindow, w).faulted && w != kNone &&
            s.model.windows[w].exists;
  const platform::Hwnd fg = alive_or_zero(s, s.model.foreground);
  if (ok && s.model.foreground_lock && fg != 0) {
    // The foreground lock: only the foreground thread, or a thread attached
    // to its input, may hand the foreground on.
    const std::uint32_t me = s.model.daemon_thread_id;
    const std::uint32_t owner = s.model.windows[s.model.index_of(fg)].thread_id;
    ok = me == owner || s.attached_threads.count({me, owner}) > 0 ||
         s.attached_threads.count({owner, me}) > 0;
  }
  s.emit(s.event("set_foreground_window").unum("hwnd", hwnd).boolean("ok", ok));
  if (ok) s.change_foreground(hwnd);
  return ok;
}

std::uint32_t SimInput::get_current_thread_id() {
  std::lock_guard lock(state_->mutex);
  return state_->model.daemon_thread_id;
}

bool SimInput::attach_thread_input(std::uint32_t attach, std::uint32_t attach_to, bool attach_on) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  bool ok = !s.check_call(Method::AttachThreadInput).faulted && attach != attach_to &&
            known_thread(s, attach) && known_thread(s, attach_to);
  if (ok && attach_on) {
    s.attached_threads.insert({attach, attach_to});
  } else if (ok) {
    ok = s.attached_threads.erase({attach, attach_to}) > 0;
  }
  s.emit(s.event("attach_thread_input")
             .unum("attach", attach)
             .unum("attach_to", attach_to)
             .boolean("attach_on", attach_on)
             .boolean("ok", ok));
  return ok;
}

std::optional<platform::GuiThreadInfo> SimInput::get_gui_thread_info(std::uint32_t thread_id) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  if (s.check_call(Method::GetGUIThreadInfo).faulted) return std::nullopt;
  SimThread* t = s.thread(thread_id);
  if (t == nullptr) return std::nullopt;
  return platform::GuiThreadInfo{alive_or_zero(s, t->active), alive_or_zero(s, t->focus),
                                 alive_or_zero(s, t->capture), alive_or_zero(s, t->menu_owner)};
}

std::int32_t SimInput::get_system_metrics(int index) {
  SimState& s = *state_;
  std::lock_guard lock(s.mutex);
  const Rect& vs = s.model.virtual_screen;
  const Rect primary = s.model.monitors.empty() ? Rect{} : s.model.monitors.front().rect;
  switch (index) {
    case 0:
      return primary.right - primary.left;  // SM_CXSCREEN
    case 1:
      return primary.bottom - primary.top;  // SM_CYSCREEN
    case 76:
      return vs.left;  // SM_XVIRTUALSCREEN
    case 77:
      return vs.top;  // SM_YVIRTUALSCREEN
    case 78:
      return vs.right - vs.left;  // SM_CXVIRTUALSCREEN
    case 79:
      return vs.bottom - vs.top;  // SM_CYVIRTUALSCREEN
    case 80:
      return static_cast<std::int32_t>(s.model.monitors.size());  // SM_CMONITORS
    default:
      return 0;
  }
}

// The simulated desktop types on the US layout whatever the scene says.
std::uint32_t SimInput::map_virtual_key(std::uint32_t code, std::uint32_t map_type) {
  return us_map_virtual_key(code, map_type);
}

std::int16_t SimInput::vk_key_scan(char16_t ch) { return us_vk_key_scan(ch); }

}  // namespace uiad::sim
