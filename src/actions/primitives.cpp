// The input primitives: exact message ids, packing, pacing and conversions.
#include "actions/primitives.h"

#include <cmath>
#include <limits>

namespace uiad::actions {
namespace {

constexpr int kMaxDescent = 32;
constexpr std::uint32_t kMapVkVkToVsc = 0;

// Scales one coordinate from monitor DPI to window DPI: halves away from zero,
// clamped to the 32-bit signed range.
std::int32_t scale(std::int32_t v, std::uint32_t window_dpi, std::uint32_t monitor_dpi) {
  if (window_dpi == 0 || monitor_dpi == 0 || window_dpi == monitor_dpi) return v;
  const double scaled =
      std::round(static_cast<double>(window_dpi) * static_cast<double>(v) / monitor_dpi);
  if (scaled >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (scaled <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(scaled);
}

}  // namespace

std::int64_t pack_point(std::int32_t x, std::int32_t y) {
  const auto low = static_cast<std::uint32_t>(x) & 0xFFFFu;
  const auto high = static_cast<std::uint32_t>(y) << 16;
  return static_cast<std::int64_t>(static_cast<std::int32_t>(low | high));
}

void force_foreground(platform::Platform& p, platform::Hwnd w) {
  platform::InputRecord nudge;
  nudge.type = platform::kInputMouse;
  nudge.flags = kMouseEventfMove;
  p.input.send_input({&nudge, 1});

  const platform::Hwnd foreground = p.input.get_foreground_window();
  const std::uint32_t owner = p.windows.get_window_thread_process_id(foreground).thread_id;
  const std::uint32_t me = p.input.get_current_thread_id();
  if (owner == me) {
    (void)p.input.set_foreground_window(w);
    return;
  }
  const bool attached = p.input.attach_thread_input(me, owner, true);
  (void)p.input.set_foreground_window(w);
  if (attached) (void)p.input.attach_thread_input(me, owner, false);
}

platform::Hwnd deepest_child_at(platform::Platform& p, platform::Hwnd root, std::int32_t sx,
                                std::int32_t sy) {
  platform::Hwnd h = root;
  for (int level = 0; level < kMaxDescent; ++level) {
    // A failed conversion leaves the point as it was, as ScreenToClient does.
    const platform::Point client =
        p.windows.screen_to_client(h, {sx, sy}).value_or(platform::Point{sx, sy});
    const platform::Hwnd c =
        p.windows.child_window_from_point_ex(h, client, kCwpSkipInvisibleAndDisabled);
    if (c == 0 || c == h) break;
    h = c;
  }
  return h;
}

platform::Point to_window_dpi(platform::Platform& p, std::int32_t x, std::int32_t y,
                              platform::Hwnd w) {
  const std::uint32_t window_dpi = p.dpi.get_dpi_for_window(w);
  const platform::Hmonitor monitor =
      p.dpi.monitor_from_window(w, platform::kMonitorDefaultToNearest);
  platform::MonitorDpi monitor_dpi;
  const auto r = p.dpi.get_dpi_for_monitor(monitor, platform::kMdtEffectiveDpi);
  if (r.succeeded()) monitor_dpi = r.value;
  return {scale(x, window_dpi, monitor_dpi.x), scale(y, window_dpi, monitor_dpi.y)};
}

std::int64_t client_lparam(platform::Platform& p, platform::Hwnd target, std::int32_t sx,
                           std::int32_t sy) {
  const platform::Point client =
      p.windows.screen_to_client(target, {sx, sy}).value_or(platform::Point{sx, sy});
  const platform::Point scaled = to_window_dpi(p, client.x, client.y, target);
  return pack_point(scaled.x, scaled.y);
}

void post_left_click(platform::Platform& p, platform::Hwnd root, std::int32_t sx, std::int32_t sy) {
  const platform::Hwnd target = deepest_child_at(p, root, sx, sy);
  const std::int64_t lp = client_lparam(p, target, sx, sy);
  (void)p.input.post_message(target, kWmLButtonDown, kMkLButton, lp);
  p.clock.sleep_ms(kButtonDownUpMs);
  (void)p.input.post_message(target, kWmLButtonUp, 0, lp);
}

void post_key_tap(platform::Platform& p, platform::Hwnd w, std::uint64_t vk) {
  (void)p.input.post_message(w, kWmKeyDown, vk, key_lparam(p, vk, false));
  p.clock.sleep_ms(kKeyDownUpMs);
  (void)p.input.post_message(w, kWmKeyUp, vk, key_lparam(p, vk, true));
}

std::int64_t key_lparam(platform::Platform& p, std::uint64_t vk, bool key_up) {
  constexpr std::int64_t kRepeatOnce = 1;
  constexpr std::int64_t kExtended = std::int64_t{1} << 24;
  constexpr std::int64_t kReleased = (std::int64_t{1} << 30) | (std::int64_t{1} << 31);
  std::int64_t lp = kRepeatOnce;
  if (vk <= 0xFF) {
    lp |=
        std::int64_t{p.input.map_virtual_key(static_cast<std::uint32_t>(vk), kMapVkVkToVsc) & 0xFF}
        << 16;
  }
  // Page Up/Down, End, Home, the arrows, Insert and Delete sit on the
  // extended part of the keyboard.
  if ((vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E) lp |= kExtended;
  if (key_up) lp |= kReleased;
  return lp;
}

std::int64_t char_lparam(platform::Platform& p, char16_t unit) {
  const std::int16_t scan = p.input.vk_key_scan(unit);
  std::int64_t lp = 1;
  if (scan != -1) {
    const auto vk = static_cast<std::uint32_t>(scan) & 0xFFu;
    lp |= std::int64_t{p.input.map_virtual_key(vk, kMapVkVkToVsc) & 0xFF} << 16;
  }
  return lp;
}

void post_char(platform::Platform& p, platform::Hwnd w, char16_t unit) {
  (void)p.input.post_message(w, kWmChar, unit, char_lparam(p, unit));
}

void post_mouse_moves(platform::Platform& p, platform::Hwnd root, std::int32_t sx, std::int32_t sy,
                      std::uint32_t count, bool non_client, std::uint64_t dwell_ms) {
  const platform::Hwnd target = deepest_child_at(p, root, sx, sy);
  const std::int64_t lp = client_lparam(p, target, sx, sy);
  if (non_client) (void)p.input.post_message(target, kWmNcMouseMove, kHtClient, lp);
  for (std::uint32_t i = 0; i < count; ++i) {
    (void)p.input.post_message(target, kWmMouseMove, 0, lp);
    p.clock.sleep_ms(kMouseMoveMs);
  }
  p.clock.sleep_ms(dwell_ms);
}

void send_absolute_move(platform::Platform& p, std::int32_t sx, std::int32_t sy) {
  const std::int64_t vx = p.input.get_system_metrics(kSmXVirtualScreen);
  const std::int64_t vy = p.input.get_system_metrics(kSmYVirtualScreen);
  std::int64_t vw = p.input.get_system_metrics(kSmCxVirtualScreen);
  std::int64_t vh = p.input.get_system_metrics(kSmCyVirtualScreen);
  if (vw < 1) vw = 1;
  if (vh < 1) vh = 1;

  platform::InputRecord move;
  move.type = platform::kInputMouse;
  move.dx = static_cast<std::int32_t>((sx - vx) * 65535 / vw);
  move.dy = static_cast<std::int32_t>((sy - vy) * 65535 / vh);
  move.flags = kMouseEventfMove | kMouseEventfVirtualDesk | kMouseEventfAbsolute;
  p.input.send_input({&move, 1});
}

void soft_activate(platform::Platform& p, const Session& s) {
  (void)p.input.post_message(s.window, kWmActivate, kWaActive, 0);
  if (s.content_window) (void)p.input.post_message(*s.content_window, kWmSetFocus, 0, 0);
  p.clock.sleep_ms(kSoftActivateMs);
}

platform::Hwnd input_window(const Session& s) {
  if (s.chromium && s.content_window) return *s.content_window;
  return s.window;
}

platform::Hwnd focused_child(platform::Platform& p, platform::Hwnd w) {
  const std::uint32_t thread = p.windows.get_window_thread_process_id(w).thread_id;
  if (thread == 0) return w;
  const auto info = p.input.get_gui_thread_info(thread);
  if (info && info->hwnd_focus != 0) return info->hwnd_focus;
  return w;
}

NoActivateGuard::NoActivateGuard(platform::Platform& p, platform::Hwnd w)
    : platform_(p), window_(w) {
  previous_foreground_ = p.input.get_foreground_window();
  previous_ex_style_ = p.windows.get_window_long(w, kGwlExStyle);
  changed_ = w != 0 && (previous_ex_style_ & kWsExNoActivate) == 0;
  if (changed_) {
    (void)p.windows.set_window_long(w, kGwlExStyle, previous_ex_style_ | kWsExNoActivate);
  }
}

NoActivateGuard::~NoActivateGuard() {
  // Only an unwinding command gets here without end(): put the style back at
  // least, without the wait or the foreground change.
  if (!ended_ && changed_) {
    (void)platform_.windows.set_window_long(window_, kGwlExStyle, previous_ex_style_);
  }
}

void NoActivateGuard::end() {
  if (ended_) return;
  ended_ = true;
  platform_.clock.sleep_ms(kGuardEndMs);
  if (changed_) (void)platform_.windows.set_window_long(window_, kGwlExStyle, previous_ex_style_);
  if (previous_foreground_ != 0 &&
      platform_.input.get_foreground_window() != previous_foreground_) {
    force_foreground(platform_, previous_foreground_);
  }
}

}  // namespace uiad::actions
