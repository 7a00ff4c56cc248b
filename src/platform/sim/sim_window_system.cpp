// Window enumeration and information with Win32's rules: Z order, depth-first
// child enumeration, truncating text buffers, hit testing of child windows.
#include "platform/sim/sim_services.h"
#include "platform/sim/text.h"

namespace uiad::sim {
namespace {

constexpr int kGwlExStyle = -20;
constexpr int kGwlStyle = -16;
constexpr std::uint32_t kCwpSkipInvisible = 1;
constexpr std::uint32_t kCwpSkipDisabled = 2;
constexpr std::uint32_t kCwpSkipTransparent = 4;
constexpr std::int32_t kWsExTransparent = 0x20;
constexpr platform::Hwnd kHwndMessage = static_cast<platform::Hwnd>(-3);
constexpr platform::HResult kEHandle = static_cast<platform::HResult>(0x80070006u);

platform::WString truncated(const platform::WString& text, int max_count) {
  if (max_count <= 0) return {};
  if (text.size() < static_cast<std::size_t>(max_count)) return text;
  return text.substr(0, static_cast<std::size_t>(max_count) - 1);
}

void append_descendants(const DesktopModel& model, std::int32_t window,
                        std::vector<platform::Hwnd>& out) {
  for (std::int32_t c : model.windows[window].children) {
    if (!model.windows[c].exists) continue;
    out.push_back(model.windows[c].hwnd);
    append_descendants(model, c, out);
  }
}

}  // namespace

bool SimWindowSystem::enum_windows(std::vector<platform::Hwnd>& out) {
  std::lock_guard lock(state_->mutex);
  if (state_->check_call(Method::EnumWindows).faulted) return false;
  for (std::int32_t w : state_->model.top_level) {
    if (state_->model.windows[w].exists) out.push_back(state_->model.windows[w].hwnd);
  }
  return true;
}

bool SimWindowSystem::enum_child_windows(platform::Hwnd parent, std::vector<platform::Hwnd>& out) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(parent);
  if (state_->check_window_call(Method::EnumChildWindows, w).faulted) return false;
  if (w == kNone || !state_->model.windows[w].exists) return false;
  append_descendants(state_->model, w, out);
  return true;
}

platform::Hwnd SimWindowSystem::find_window_ex(platform::Hwnd parent, platform::Hwnd child_after,
                                               const std::optional<platform::WString>& class_name) {
  std::lock_guard lock(state_->mutex);
  const DesktopModel& m = state_->model;
  if (parent == kHwndMessage) return 0;
  const std::vector<std::int32_t>* order = &m.top_level;
  if (parent != 0) {
    const std::int32_t p = m.index_of(parent);
    if (p == kNone || !m.windows[p].exists) return 0;
    order = &m.windows[p].children;
  }
  std::size_t start = 0;
  if (child_after != 0) {
    const std::int32_t after = m.index_of(child_after);
    start = order->size();
    for (std::size_t i = 0; i < order->size(); ++i) {
      if ((*order)[i] == after) start = i + 1;
    }
    if (start == order->size()) return 0;
  }
  for (std::size_t i = start; i < order->size(); ++i) {
    const SimWindow& w = m.windows[(*order)[i]];
    if (!w.exists) continue;
    if (class_name && !equals_ignoring_ascii_case(w.class_name, *class_name)) continue;
    return w.hwnd;
  }
  return 0;
}

platform::WString SimWindowSystem::get_window_text(platform::Hwnd hwnd, int max_count) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (state_->check_window_call(Method::GetWindowTextW, w).faulted) return {};
  if (w == kNone || !state_->model.windows[w].exists) return {};
  return truncated(state_->model.windows[w].title, max_count);
}

platform::WString SimWindowSystem::get_class_name(platform::Hwnd hwnd, int max_count) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (state_->check_window_call(Method::GetClassNameW, w).faulted) return {};
  if (w == kNone || !state_->model.windows[w].exists) return {};
  return truncated(state_->model.windows[w].class_name, max_count);
}

std::optional<platform::Rect> SimWindowSystem::get_window_rect(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (state_->check_window_call(Method::GetWindowRect, w).faulted) return std::nullopt;
  if (w == kNone || !state_->model.windows[w].exists) return std::nullopt;
  return state_->window_rect(w);
}

bool SimWindowSystem::is_window(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  return state_->window_exists(hwnd);
}

bool SimWindowSystem::is_window_visible(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  return w != kNone && state_->window_visible(w);
}

bool SimWindowSystem::is_iconic(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  return w != kNone && state_->model.windows[w].exists &&
         (state_->model.windows[w].style & kWsMinimize) != 0;
}

platform::ThreadProcessId SimWindowSystem::get_window_thread_process_id(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (w == kNone || !state_->model.windows[w].exists) return {};
  return {state_->model.windows[w].thread_id, state_->model.windows[w].process_id};
}

// A child window reads as cloaked when its top-level window is, as DWM
// cloaks whole top-level windows.
platform::Result<std::uint32_t> SimWindowSystem::dwm_get_window_attribute_cloaked(
    platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  std::int32_t w = state_->model.index_of(hwnd);
  if (w == kNone || !state_->model.windows[w].exists) return {kEHandle, 0};
  while (state_->model.windows[w].parent != kNone) w = state_->model.windows[w].parent;
  return {platform::kSOk, state_->model.windows[w].cloaked};
}

// A thread that stops taking messages hangs every window it owns.
bool SimWindowSystem::is_hung_app_window(platform::Hwnd hwnd) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (w == kNone || !state_->model.windows[w].exists) return false;
  const std::uint32_t thread = state_->model.windows[w].thread_id;
  for (const SimWindow& other : state_->model.windows) {
    if (other.hung && other.thread_id == thread) return true;
  }
  return false;
}

std::int32_t SimWindowSystem::get_window_long(platform::Hwnd hwnd, int index) {
  std::lock_guard lock(state_->mutex);
  SimWindow* w = state_->model.window(hwnd);
  if (w == nullptr || !w->exists) return 0;
  if (index == kGwlExStyle) return w->ex_style;
  if (index == kGwlStyle) return static_cast<std::int32_t>(w->style);
  return 0;
}

std::int32_t SimWindowSystem::set_window_long(platform::Hwnd hwnd, int index, std::int32_t value) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t wi = state_->model.index_of(hwnd);
  auto failed = [&] {
    state_->emit(state_->event("set_window_long")
                     .unum("hwnd", hwnd)
                     .num("index", index)
                     .num("value", value)
                     .boolean("ok", false));
    return 0;
  };
  if (state_->check_window_call(Method::SetWindowLongW, wi).faulted) return failed();
  if (wi == kNone || !state_->model.windows[wi].exists) return failed();
  SimWindow& w = state_->model.windows[wi];
  std::int32_t previous = 0;
  if (index == kGwlExStyle) {
    previous = w.ex_style;
    w.ex_style = value;
  } else if (index == kGwlStyle) {
    previous = static_cast<std::int32_t>(w.style);
    w.style = static_cast<std::uint32_t>(value);
  } else {
    return failed();
  }
  state_->emit(state_->event("set_window_long")
                   .unum("hwnd", hwnd)
                   .num("index", index)
                   .num("value", value)
                   .num("previous", previous));
  state_->changed.notify_all();
  return previous;
}

platform::Hwnd SimWindowSystem::child_window_from_point_ex(platform::Hwnd parent,
                                                           platform::Point client_point,
                                                           std::uint32_t flags) {
  std::lock_guard lock(state_->mutex);
  const DesktopModel& m = state_->model;
  const std::int32_t p = m.index_of(parent);
  if (p == kNone || !m.windows[p].exists) return 0;
  const SimWindow& pw = m.windows[p];
  const platform::Point screen{pw.client.left + client_point.x, pw.client.top + client_point.y};
  if (!rect_contains(pw.client, screen)) return 0;
  for (std::int32_t c : pw.children) {
    const SimWindow& cw = m.windows[c];
    if (!cw.exists || !rect_contains(cw.rect, screen)) continue;
    if ((flags & kCwpSkipInvisible) && (cw.style & kWsVisible) == 0) continue;
    if ((flags & kCwpSkipDisabled) && (cw.style & kWsDisabled)) continue;
    if ((flags & kCwpSkipTransparent) && (cw.ex_style & kWsExTransparent)) continue;
    return cw.hwnd;
  }
  return parent;
}

std::optional<platform::Point> SimWindowSystem::screen_to_client(platform::Hwnd hwnd,
                                                                 platform::Point screen_point) {
  std::lock_guard lock(state_->mutex);
  const std::int32_t w = state_->model.index_of(hwnd);
  if (state_->check_window_call(Method::ScreenToClient, w).faulted) return std::nullopt;
  if (w == kNone || !state_->model.windows[w].exists) return std::nullopt;
  const Rect& client = state_->model.windows[w].client;
  return platform::Point{screen_point.x - client.left, screen_point.y - client.top};
}

}  // namespace uiad::sim
