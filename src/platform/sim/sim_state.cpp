// Element views, window rules, effects, reactions and the virtual clock of the
// simulated desktop.
#include "platform/sim/sim_state.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "platform/sim/text.h"

namespace uiad::sim {
namespace {

constexpr int kMaxReactionDepth = 16;

Rect minimized_rect() { return Rect{-32000, -32000, -31840, -31972}; }

std::int64_t area_of_overlap(const Rect& a, const Rect& b) {
  const std::int64_t w = std::min<std::int64_t>(a.right, b.right) - std::max(a.left, b.left);
  const std::int64_t h = std::min<std::int64_t>(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

std::int64_t distance_to(const Rect& r, const Rect& window) {
  const std::int64_t cx = (static_cast<std::int64_t>(window.left) + window.right) / 2;
  const std::int64_t cy = (static_cast<std::int64_t>(window.top) + window.bottom) / 2;
  const std::int64_t dx = cx < r.left ? r.left - cx : (cx >= r.right ? cx - r.right + 1 : 0);
  const std::int64_t dy = cy < r.top ? r.top - cy : (cy >= r.bottom ? cy - r.bottom + 1 : 0);
  return dx * dx + dy * dy;
}

}  // namespace

bool rect_contains(const Rect& rect, platform::Point point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

SimState::SimState(DesktopModel desktop) : model(std::move(desktop)) {
  for (std::size_t i = 0; i < model.reactions.size(); ++i) {
    const Reaction& r = model.reactions[i];
    if (!r.trigger) {
      schedule_.push_back(
          {r.at_ms * 1'000'000, schedule_sequence_++, static_cast<std::int32_t>(i)});
    }
  }
  std::sort(schedule_.begin(), schedule_.end(), [](const Scheduled& a, const Scheduled& b) {
    return a.due_ns != b.due_ns ? a.due_ns < b.due_ns : a.sequence < b.sequence;
  });
}

SimState::~SimState() {
  for (auto& [value, entry] : handles) {
    if (entry.file != nullptr) std::fclose(entry.file);
  }
}

// ---- calls ----

Fault* SimState::find_fault(std::unordered_multimap<std::int32_t, Fault>& faults, std::int32_t key,
                            Method method, platform::PatternId pattern,
                            std::optional<std::uint32_t> flags) {
  auto [begin, end] = faults.equal_range(key);
  for (auto it = begin; it != end; ++it) {
    Fault& f = it->second;
    if (f.method != method || f.remaining == 0) continue;
    if (f.pattern != 0 && f.pattern != pattern) continue;
    if (f.flags && (!flags || *f.flags != *flags)) continue;
    return &f;
  }
  return nullptr;
}

Fault* SimState::find_global_fault(Method method, platform::PatternId pattern,
                                   std::optional<std::uint32_t> flags) {
  for (Fault& f : model.global_faults) {
    if (f.method != method || f.remaining == 0) continue;
    if (f.pattern != 0 && f.pattern != pattern) continue;
    if (f.flags && (!flags || *f.flags != *flags)) continue;
    return &f;
  }
  return nullptr;
}

CallCheck SimState::finish_check(Method method, Fault* fault) {
  // Cross-process calls replace the thread's error information; local calls
  // leave it alone unless a fault speaks for them.
  if (fault == nullptr) {
    if (is_cross_process(method)) error_info_slot().reset();
    return {};
  }
  if (fault->remaining > 0) --fault->remaining;
  error_info_slot() = fault->description;
  return {fault->hr, true};
}

void SimState::stall(Fault*& fault) {
  if (fault == nullptr || (fault->delay_ms <= 0 && !fault->hangs)) return;
  const bool hangs = fault->hangs;
  const auto delay = std::chrono::milliseconds(fault->delay_ms);
  if (!fault->fails) {
    if (fault->remaining > 0) --fault->remaining;
    fault = nullptr;
  }
  // The caller holds the lock; waiting releases it, so other threads (an
  // abandoned Invoke worker, say) go on while this call hangs.
  std::unique_lock lock(mutex, std::adopt_lock);
  if (hangs) {
    changed.wait(lock, [this] { return closing; });
  } else {
    changed.wait_for(lock, delay, [this] { return closing; });
  }
  lock.release();
}

std::optional<std::u16string>& SimState::error_info_slot() {
  const std::thread::id me = std::this_thread::get_id();
  for (auto& [id, info] : error_info_) {
    if (id == me) return info;
  }
  error_info_.emplace_back(me, std::nullopt);
  return error_info_.back().second;
}

CallCheck SimState::check_element_call(Method method, std::int32_t element,
                                       platform::PatternId pattern, bool require_alive) {
  const bool cross_process = is_cross_process(method);
  // Cached reads dominate big walks: nothing can fail them without a fault.
  if (!cross_process && !require_alive && model.global_faults.empty() &&
      (element < 0 || (model.elements[element].flags & kHasFaults) == 0)) {
    return {};
  }
  if (cross_process) ++calls[static_cast<std::size_t>(method)];
  Fault* fault = nullptr;
  if (element >= 0 && (model.elements[element].flags & kHasFaults)) {
    fault = find_fault(model.element_faults, element, method, pattern, std::nullopt);
  }
  if (fault == nullptr) fault = find_global_fault(method, pattern, std::nullopt);
  stall(fault);
  if (fault == nullptr && require_alive && element >= 0 && !element_alive(element)) {
    error_info_slot().reset();
    return {platform::kUiaEElementNotAvailable, false};
  }
  return finish_check(method, fault);
}

CallCheck SimState::check_window_call(Method method, std::int32_t window,
                                      std::optional<std::uint32_t> flags) {
  if (is_cross_process(method)) ++calls[static_cast<std::size_t>(method)];
  Fault* fault = nullptr;
  if (window >= 0 && model.windows[window].has_faults) {
    fault = find_fault(model.window_faults, window, method, 0, flags);
  }
  if (fault == nullptr) fault = find_global_fault(method, 0, flags);
  stall(fault);
  return finish_check(method, fault);
}

CallCheck SimState::check_call(Method method) {
  if (is_cross_process(method)) ++calls[static_cast<std::size_t>(method)];
  Fault* fault = find_global_fault(method, 0, std::nullopt);
  stall(fault);
  return finish_check(method, fault);
}

std::optional<std::u16string> SimState::take_error_info() {
  std::optional<std::u16string> out;
  std::swap(out, error_info_slot());
  return out;
}

// ---- elements ----

bool SimState::in_tree(std::int32_t element) const {
  if ((model.elements[element].flags & kPresent) == 0) return false;
  const std::int32_t w = model.links[element].window;
  return w == kNone || model.windows[w].exists;
}

bool SimState::element_alive(std::int32_t element) const {
  // Every call checks this, so in a deep tree the walk to the root would make
  // a scan quadratic: what was found alive stays so until the tree changes.
  if (alive_at_.size() < model.elements.size()) alive_at_.resize(model.elements.size(), 0);
  std::int32_t e = element;
  for (; e > kDesktopElement; e = model.links[e].parent) {
    if (alive_at_[e] == tree_generation_) break;
    if (!in_tree(e)) return false;
    if (model.elements[e].flags & (kDetached | kTopLevelRoot)) {
      alive_at_[e] = tree_generation_;
      break;
    }
  }
  for (std::int32_t a = element; a != e; a = model.links[a].parent) alive_at_[a] = tree_generation_;
  return true;
}

std::int32_t SimState::next_top_level_root(std::size_t start) const {
  for (std::size_t i = start; i < model.top_level.size(); ++i) {
    const SimWindow& w = model.windows[model.top_level[i]];
    if (!w.exists || (w.style & kWsVisible) == 0 || w.element == kNone) continue;
    if ((model.elements[w.element].flags & kTopLevelRoot) == 0 || !in_tree(w.element)) continue;
    return w.element;
  }
  return kNone;
}

std::int32_t SimState::first_control_child(std::int32_t element) const {
  // Depth first through raw-only elements, in a loop: they may nest deeply.
  std::int32_t c = first_child(element, View::Raw);
  while (c != kNone) {
    if ((model.elements[c].flags & kRawOnly) == 0) return c;
    if (const std::int32_t inner = first_child(c, View::Raw); inner != kNone) {
      c = inner;
      continue;
    }
    for (;;) {
      if (const std::int32_t s = next_sibling(c, View::Raw); s != kNone) {
        c = s;
        break;
      }
      c = model.links[c].parent;
      if (c == element || c <= kDesktopElement) return kNone;
    }
  }
  return kNone;
}

std::int32_t SimState::first_child(std::int32_t element, View view) const {
  if (view == View::Control) return first_control_child(element);
  if (element == kDesktopElement) return next_top_level_root(0);
  std::int32_t c = model.links[element].first_child;
  while (c != kNone && !in_tree(c)) c = model.links[c].next_sibling;
  return c;
}

std::int32_t SimState::next_sibling(std::int32_t element, View view) const {
  if (element == kDesktopElement) return kNone;
  if (view == View::Raw) {
    const ElementData& d = model.elements[element];
    if (d.flags & kTopLevelRoot) {
      const std::int32_t window = model.links[element].window;
      auto it = std::find(model.top_level.begin(), model.top_level.end(), window);
      if (it == model.top_level.end()) return kNone;
      return next_top_level_root(static_cast<std::size_t>(it - model.top_level.begin()) + 1);
    }
    if (d.flags & kDetached) return kNone;
    std::int32_t s = model.links[element].next_sibling;
    while (s != kNone && !in_tree(s)) s = model.links[s].next_sibling;
    return s;
  }
  // Control view: raw-only elements are transparent, their children promoted.
  for (std::int32_t current = element;;) {
    for (std::int32_t s = next_sibling(current, View::Raw); s != kNone;
         s = next_sibling(s, View::Raw)) {
      if ((model.elements[s].flags & kRawOnly) == 0) return s;
      const std::int32_t inner = first_control_child(s);
      if (inner != kNone) return inner;
    }
    if (model.elements[current].flags & (kDetached | kTopLevelRoot)) return kNone;
    const std::int32_t p = model.links[current].parent;
    if (p <= kDesktopElement || (model.elements[p].flags & kRawOnly) == 0) return kNone;
    current = p;
  }
}

std::int32_t SimState::parent(std::int32_t element, View view) const {
  if (element == kDesktopElement) return kNone;
  std::int32_t p = model.links[element].parent;
  if (view == View::Control) {
    while (p > kDesktopElement && (model.elements[p].flags & kRawOnly)) p = model.links[p].parent;
  }
  return p;
}

bool SimState::is_self_or_ancestor(std::int32_t ancestor, std::int32_t element) const {
  for (std::int32_t e = element; e != kNone; e = model.links[e].parent) {
    if (e == ancestor) return true;
    if (e == kDesktopElement) break;
  }
  return false;
}

std::int32_t SimState::hit_test(std::int32_t root, platform::Point point) const {
  std::int32_t current = root;
  for (;;) {
    std::int32_t found = kNone;
    for (std::int32_t c = first_child(current, View::Raw); c != kNone;
         c = next_sibling(c, View::Raw)) {
      if (rect_contains(model.elements[c].rect, point)) {
        found = c;
        break;
      }
    }
    if (found == kNone) return current;
    current = found;
  }
}

std::int32_t SimState::element_at_point(platform::Point point) const {
  std::int32_t window = kNone;
  for (std::int32_t w : model.top_level) {
    const SimWindow& sw = model.windows[w];
    // A cloaked window is not drawn, so nothing of it is under a point.
    if (sw.exists && (sw.style & kWsVisible) && !(sw.style & kWsMinimize) && sw.cloaked == 0 &&
        rect_contains(sw.rect, point)) {
      window = w;
      break;
    }
  }
  if (window == kNone) return kDesktopElement;
  for (bool descended = true; descended;) {
    descended = false;
    for (std::int32_t c : model.windows[window].children) {
      const SimWindow& sc = model.windows[c];
      if (sc.exists && (sc.style & kWsVisible) && rect_contains(sc.rect, point)) {
        window = c;
        descended = true;
        break;
      }
    }
  }
  for (std::int32_t w = window; w != kNone; w = model.windows[w].parent) {
    const std::int32_t e = model.windows[w].element;
    if (e != kNone && element_alive(e)) return hit_test(e, point);
  }
  return kDesktopElement;
}

std::int32_t SimState::top_level_window_of_element(std::int32_t element) const {
  if (element <= kDesktopElement) return kNone;
  std::int32_t w = model.links[element].window;
  if (w == kNone) return kNone;
  return top_level_of(w);
}

std::int32_t SimState::focused_element() const {
  const std::int32_t fg = model.index_of(model.foreground);
  if (fg == kNone || !model.windows[fg].exists) return kDesktopElement;
  for (std::size_t e = 1; e < model.elements.size(); ++e) {
    if ((model.elements[e].flags & kFocused) == 0) continue;
    const auto index = static_cast<std::int32_t>(e);
    if (top_level_window_of_element(index) == fg && element_alive(index)) return index;
  }
  const std::int32_t root = model.windows[fg].element;
  return root != kNone && element_alive(root) ? root : kDesktopElement;
}

std::string SimState::element_label(std::int32_t element) const {
  auto it = model.ref_of_element.find(element);
  if (it != model.ref_of_element.end()) return it->second;
  return std::to_string(element);
}

// ---- windows ----

bool SimState::window_exists(Hwnd hwnd) const {
  const std::int32_t w = model.index_of(hwnd);
  return w != kNone && model.windows[w].exists;
}

bool SimState::window_visible(std::int32_t window) const {
  for (std::int32_t w = window; w != kNone; w = model.windows[w].parent) {
    if (!model.windows[w].exists || (model.windows[w].style & kWsVisible) == 0) return false;
  }
  return true;
}

Rect SimState::window_rect(std::int32_t window) const {
  const SimWindow& w = model.windows[window];
  if (w.parent == kNone && (w.style & kWsMinimize)) return minimized_rect();
  return w.rect;
}

std::int32_t SimState::top_level_of(std::int32_t window) const {
  while (window != kNone && model.windows[window].parent != kNone) {
    window = model.windows[window].parent;
  }
  return window;
}

bool SimState::is_self_or_descendant_window(std::int32_t window, Hwnd ancestor) const {
  for (std::int32_t w = window; w != kNone; w = model.windows[w].parent) {
    if (model.windows[w].hwnd == ancestor) return true;
  }
  return false;
}

const SimMonitor* SimState::monitor_of(std::int32_t window, std::uint32_t flags) const {
  if (model.monitors.empty()) return nullptr;
  const Rect r = window_rect(window);
  const SimMonitor* best = nullptr;
  std::int64_t best_area = 0;
  for (const SimMonitor& m : model.monitors) {
    const std::int64_t area = area_of_overlap(m.rect, r);
    if (area > best_area) best = &m, best_area = area;
  }
  if (best != nullptr) return best;
  if (flags == 1) return &model.monitors.front();  // MONITOR_DEFAULTTOPRIMARY
  if (flags != 2) return nullptr;                  // MONITOR_DEFAULTTONULL
  std::int64_t best_distance = std::numeric_limits<std::int64_t>::max();
  for (const SimMonitor& m : model.monitors) {
    const std::int64_t d = distance_to(m.rect, r);
    if (d < best_distance) best = &m, best_distance = d;
  }
  return best;
}

std::uint32_t SimState::window_dpi(std::int32_t window) const {
  for (std::int32_t w = window; w != kNone; w = model.windows[w].parent) {
    if (model.windows[w].dpi != 0) return model.windows[w].dpi;
  }
  const SimMonitor* m = monitor_of(top_level_of(window), 2);
  return m != nullptr ? m->dpi_x : 96;
}

SimThread* SimState::thread(std::uint32_t id) {
  for (SimThread& t : model.threads) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

platform::Hwnd SimState::lparam_hit_window(std::int32_t window, std::int64_t lparam,
                                           platform::Point& screen_point) const {
  // The point a posted mouse message carries is in the window's own DPI.
  const auto x = static_cast<std::int16_t>(lparam & 0xFFFF);
  const auto y = static_cast<std::int16_t>((lparam >> 16) & 0xFFFF);
  const SimWindow& w = model.windows[window];
  const std::uint32_t wd = window_dpi(window);
  const SimMonitor* m = monitor_of(top_level_of(window), 2);
  double fx = x, fy = y;
  if (m != nullptr && wd != 0 && wd != m->dpi_x) fx = fx * m->dpi_x / wd;
  if (m != nullptr && wd != 0 && wd != m->dpi_y) fy = fy * m->dpi_y / wd;
  screen_point = {w.client.left + static_cast<std::int32_t>(std::lround(fx)),
                  w.client.top + static_cast<std::int32_t>(std::lround(fy))};
  return w.hwnd;
}

// ---- effects ----

void SimState::emit(const EventLine& line) {
  if (log.wanted()) log.add(line.finish());
}

void SimState::raise_window(std::int32_t window) {
  std::vector<std::int32_t>& order = model.windows[window].parent == kNone
                                         ? model.top_level
                                         : model.windows[model.windows[window].parent].children;
  auto it = std::find(order.begin(), order.end(), window);
  if (it != order.end()) std::rotate(order.begin(), it, it + 1);
}

void SimState::change_foreground(Hwnd hwnd) {
  std::int32_t window = model.index_of(hwnd);
  if (window != kNone) window = top_level_of(window);
  const Hwnd top = window == kNone ? 0 : model.windows[window].hwnd;
  if (top == model.foreground && (top == 0 || window_exists(top))) return;
  model.foreground = top;
  if (window != kNone) {
    raise_window(window);
    if (SimThread* t = thread(model.windows[window].thread_id)) t->active = top;
  }
  emit(event("foreground").unum("hwnd", top));
  TriggerEvent ev;
  ev.kind = TriggerKind::Foreground;
  ev.window = top;
  fire(ev);
}

void SimState::foreground_fallback(std::int32_t leaving) {
  if (model.foreground != model.windows[leaving].hwnd) return;
  for (std::int32_t w : model.top_level) {
    const SimWindow& sw = model.windows[w];
    if (w != leaving && sw.exists && (sw.style & kWsVisible) && !(sw.style & kWsMinimize)) {
      change_foreground(sw.hwnd);
      return;
    }
  }
  change_foreground(0);
}

void SimState::set_window_exists(std::int32_t window, bool exists) {
  SimWindow& w = model.windows[window];
  w.exists = exists;
  ++tree_generation_;
  if (!exists) {
    for (SimThread& t : model.threads) {
      if (t.focus == w.hwnd) t.focus = 0;
      if (t.active == w.hwnd) t.active = 0;
    }
  }
  for (std::int32_t c : w.children) set_window_exists(c, exists);
}

void SimState::set_element_value(std::int32_t element, std::u16string value) {
  ElementData& d = model.elements[element];
  const Hwnd native = d.native_window;
  model.set_text(d.value, value);
  const std::int32_t w = model.index_of(native);
  if (w != kNone && contains_ignoring_ascii_case(model.windows[w].class_name, u"edit")) {
    model.windows[w].title = model.text(d.value);
  }
}

void SimState::set_window_text(std::int32_t window, std::u16string text) {
  SimWindow& w = model.windows[window];
  const std::u16string old = w.title;
  w.title = text;
  auto it = model.elements_of_window.find(w.hwnd);
  if (it == model.elements_of_window.end()) return;
  for (std::int32_t e : it->second) {
    ElementData& d = model.elements[e];
    if (d.patterns & kValueBit) {
      model.set_text(d.value, text);
    } else if (d.control_type == platform::kWindowControlTypeId && model.text(d.name) == old) {
      model.set_text(d.name, text);
    }
  }
}

void SimState::type_char(std::int32_t window, std::uint64_t code) {
  const Hwnd hwnd = model.windows[window].hwnd;
  std::int32_t target = kNone;
  if (auto it = model.elements_of_window.find(hwnd); it != model.elements_of_window.end()) {
    for (std::int32_t e : it->second) {
      if (model.elements[e].patterns & kValueBit) {
        target = e;
        break;
      }
    }
  }
  if (target == kNone && model.windows[window].parent == kNone) {
    for (std::size_t e = 1; e < model.elements.size(); ++e) {
      const ElementData& d = model.elements[e];
      const auto index = static_cast<std::int32_t>(e);
      if ((d.flags & kFocused) && (d.patterns & kValueBit) &&
          top_level_window_of_element(index) == window && element_alive(index)) {
        target = index;
        break;
      }
    }
  }
  const bool edit_window = contains_ignoring_ascii_case(model.windows[window].class_name, u"edit");
  if (target != kNone && (model.elements[target].flags & kReadOnly)) return;
  std::u16string text = target != kNone ? this->text(model.elements[target].value)
                                        : (edit_window ? model.windows[window].title : u"");
  if (target == kNone && !edit_window) return;
  if (code == 0x08) {
    if (!text.empty()) {
      const bool pair = text.size() >= 2 && text.back() >= 0xDC00 && text.back() <= 0xDFFF &&
                        text[text.size() - 2] >= 0xD800 && text[text.size() - 2] <= 0xDBFF;
      text.resize(text.size() - (pair ? 2 : 1));
    }
  } else if (code < 0x20 && code != '\t') {
    return;
  } else if (code < 0x10000) {
    text.push_back(static_cast<char16_t>(code));
  } else if (code <= 0x10FFFF) {
    const std::uint64_t c = code - 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    return;
  }
  if (target != kNone) {
    set_element_value(target, text);
  } else {
    model.windows[window].title = text;
  }
}

void SimState::focus_element(std::int32_t element) {
  const std::int32_t top = top_level_window_of_element(element);
  for (std::size_t e = 1; e < model.elements.size(); ++e) {
    ElementData& d = model.elements[e];
    if ((d.flags & kFocused) && top_level_window_of_element(static_cast<std::int32_t>(e)) == top) {
      d.flags &= static_cast<std::uint16_t>(~kFocused);
    }
  }
  model.elements[element].flags |= kFocused;
}

bool SimState::matches(const Trigger& trigger, const TriggerEvent& event) const {
  if (trigger.kind != event.kind) return false;
  if (trigger.kind == TriggerKind::SetCursor) {
    std::optional<Rect> area = trigger.rect;
    if (trigger.element != kNone) area = model.elements[trigger.element].rect;
    return !area || (!rect_contains(*area, event.from) && rect_contains(*area, event.to));
  }
  if (trigger.element != kNone &&
      (event.element == kNone || !is_self_or_ancestor(trigger.element, event.element))) {
    return false;
  }
  // Moving within the element is not leaving it.
  if (trigger.kind == TriggerKind::Leave && trigger.element != kNone && event.entered != kNone &&
      is_self_or_ancestor(trigger.element, event.entered)) {
    return false;
  }
  if (trigger.window != 0 && trigger.window != event.window) return false;
  if (trigger.within != 0) {
    const std::int32_t w = model.index_of(event.window);
    if (w == kNone || !is_self_or_descendant_window(w, trigger.within)) return false;
  }
  if (trigger.msg >= 0 && trigger.msg != event.msg) return false;
  if (trigger.wparam && *trigger.wparam != event.wparam) return false;
  return true;
}

void SimState::fire(const TriggerEvent& event) {
  if (fire_depth_ >= kMaxReactionDepth) return;
  ++fire_depth_;
  for (std::size_t i = 0; i < model.reactions.size(); ++i) {
    Reaction& r = model.reactions[i];
    if (!r.trigger || r.remaining == 0 || !matches(*r.trigger, event)) continue;
    if (r.remaining > 0) --r.remaining;
    if (r.delay_ms > 0) {
      schedule_.push_back(
          {now_ns + r.delay_ms * 1'000'000, schedule_sequence_++, static_cast<std::int32_t>(i)});
      std::stable_sort(
          schedule_.begin(), schedule_.end(), [](const Scheduled& a, const Scheduled& b) {
            return a.due_ns != b.due_ns ? a.due_ns < b.due_ns : a.sequence < b.sequence;
          });
    } else {
      run_reaction(static_cast<std::int32_t>(i));
    }
  }
  --fire_depth_;
}

void SimState::run_reaction(std::int32_t reaction) {
  // Copied: an action may fire further reactions while this one runs.
  const std::vector<Action> actions = model.reactions[reaction].actions;
  for (const Action& a : actions) run_action(a);
}

void SimState::run_action(const Action& a) {
  const std::int32_t w = model.index_of(a.window);
  ElementData* d = a.element >= 0 ? &model.elements[a.element] : nullptr;
  auto element_event = [&](std::string_view type) {
    return event(type).str("element", element_label(a.element));
  };
  switch (a.kind) {
    case ActionKind::ShowWindow:
      model.windows[w].style |= kWsVisible;
      emit(event("show_window").unum("hwnd", a.window));
      break;
    case ActionKind::HideWindow:
      model.windows[w].style &= ~kWsVisible;
      emit(event("hide_window").unum("hwnd", a.window));
      if (model.windows[w].parent == kNone) foreground_fallback(w);
      break;
    case ActionKind::CreateWindow:
      set_window_exists(w, true);
      raise_window(w);
      emit(event("create_window").unum("hwnd", a.window));
      break;
    case ActionKind::DestroyWindow:
      if (!model.windows[w].exists) break;
      set_window_exists(w, false);
      emit(event("destroy_window").unum("hwnd", a.window));
      if (model.windows[w].parent == kNone) foreground_fallback(w);
      break;
    case ActionKind::MinimizeWindow:
      model.windows[w].style |= kWsMinimize;
      emit(event("minimize_window").unum("hwnd", a.window));
      foreground_fallback(w);
      break;
    case ActionKind::RestoreWindow:
      model.windows[w].style &= ~kWsMinimize;
      emit(event("restore_window").unum("hwnd", a.window));
      break;
    case ActionKind::SetForeground:
      change_foreground(a.window);
      break;
    case ActionKind::SetFocus:
      if (SimThread* t = thread(model.windows[w].thread_id)) t->focus = a.window;
      emit(event("set_focus").unum("hwnd", a.window));
      break;
    case ActionKind::FocusElement:
      focus_element(a.element);
      emit(element_event("focus_element"));
      break;
    case ActionKind::SetTitle:
      set_window_text(w, a.text);
      emit(event("set_title").unum("hwnd", a.window).str("text", utf16_to_utf8(a.text)));
      break;
    case ActionKind::SetRect: {
      SimWindow& sw = model.windows[w];
      sw.client = {sw.client.left - sw.rect.left + a.rect.left,
                   sw.client.top - sw.rect.top + a.rect.top,
                   sw.client.right - sw.rect.right + a.rect.right,
                   sw.client.bottom - sw.rect.bottom + a.rect.bottom};
      sw.rect = a.rect;
      emit(event("set_rect").unum("hwnd", a.window));
      break;
    }
    case ActionKind::SetValue:
      set_element_value(a.element, a.text);
      emit(element_event("set_value").str("value", utf16_to_utf8(a.text)));
      break;
    case ActionKind::SetName:
      model.set_text(d->name, a.text);
      emit(element_event("set_name").str("name", utf16_to_utf8(a.text)));
      break;
    case ActionKind::SetToggle:
      d->toggle = static_cast<std::uint8_t>(a.number);
      emit(element_event("set_toggle").num("state", a.number));
      break;
    case ActionKind::SetExpand:
      d->expand = static_cast<std::uint8_t>(a.number);
      emit(element_event("set_expand").num("state", a.number));
      break;
    case ActionKind::SetSelected:
      if (a.number) {
        d->flags |= kSelected;
      } else {
        d->flags &= static_cast<std::uint16_t>(~kSelected);
      }
      emit(element_event("set_selected").boolean("selected", a.number != 0));
      break;
    case ActionKind::SetEnabled:
      if (d != nullptr) {
        d->flags = a.number ? (d->flags | kEnabled) : (d->flags & ~kEnabled);
        emit(element_event("set_enabled").boolean("enabled", a.number != 0));
      } else {
        SimWindow& sw = model.windows[w];
        sw.style = a.number ? (sw.style & ~kWsDisabled) : (sw.style | kWsDisabled);
        emit(event("set_enabled").unum("hwnd", a.window).boolean("enabled", a.number != 0));
      }
      break;
    case ActionKind::SetScroll:
      d->h_percent = static_cast<float>(a.h);
      d->v_percent = static_cast<float>(a.v);
      emit(element_event("set_scroll").real("horizontal", a.h).real("vertical", a.v));
      break;
    case ActionKind::AddElement:
      d->flags |= kPresent;
      ++tree_generation_;
      emit(element_event("add_element"));
      break;
    case ActionKind::RemoveElement:
      d->flags &= static_cast<std::uint16_t>(~kPresent);
      ++tree_generation_;
      emit(element_event("remove_element"));
      break;
  }
  changed.notify_all();
}

void SimState::advance(std::uint64_t ms) {
  const std::int64_t target =
      now_ns + static_cast<std::int64_t>(std::min<std::uint64_t>(ms, 1ull << 40)) * 1'000'000;
  while (!schedule_.empty() && schedule_.front().due_ns <= target) {
    const Scheduled next = schedule_.front();
    schedule_.erase(schedule_.begin());
    now_ns = std::max(now_ns, next.due_ns);
    run_reaction(next.reaction);
  }
  now_ns = target;
}

std::uint64_t SimState::new_handle(HandleEntry entry) {
  const std::uint64_t value = next_handle;
  next_handle += 4;
  handles.emplace(value, std::move(entry));
  return value;
}

}  // namespace uiad::sim
