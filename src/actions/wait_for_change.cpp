// wait_for_change: a baseline fingerprint, then 150 ms polls against it until
// the deadline on the monotonic clock.
#include "actions/wait_for_change.h"

#include <algorithm>
#include <cstdint>

#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/app_window.h"
#include "desktop/window_visibility.h"

namespace uiad {
namespace {

constexpr std::uint64_t kDefaultTimeoutMs = 1500;
constexpr std::uint64_t kMinTimeoutMs = 150;
constexpr std::uint64_t kMaxTimeoutMs = 2000;
constexpr std::uint64_t kPollMs = 150;
// Large documents are not copied on every poll.
constexpr std::size_t kValueScalars = 80;

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The first `count` scalar values; an unpaired surrogate counts as one (it
// becomes U+FFFD).
std::u16string_view first_scalars(std::u16string_view text, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < count && i < text.size(); ++n) {
    const bool pair =
        is_high_surrogate(text[i]) && i + 1 < text.size() && is_low_surrogate(text[i + 1]);
    i += pair ? 2 : 1;
  }
  return text.substr(0, i);
}

void read_focused(platform::Automation& automation, WindowSnapshot& snapshot) {
  auto focused = automation.get_focused_element();
  if (!usable(focused)) return;
  if (auto name = focused.value->get_current_name(); name.succeeded())
    snapshot.focused_name = unicode::utf16_to_utf8(name.value);
  auto pattern =
      focused.value->current_pattern_as<platform::ValuePattern>(platform::kValuePatternId);
  if (!usable(pattern)) return;
  if (auto value = pattern.value->get_current_value(); value.succeeded())
    snapshot.focused_value = unicode::utf16_to_utf8(first_scalars(value.value, kValueScalars));
}

// The notification for the first field that differs, title before count
// before name; a value change counts only once two polls agree on it.
const char* notification(const WindowSnapshot& baseline, const WindowSnapshot& previous,
                         const WindowSnapshot& current) {
  if (current.foreground_title != baseline.foreground_title) return "foreground-window";
  if (current.window_count != baseline.window_count) return "window-count";
  if (current.focused_name != baseline.focused_name) return "focus-changed";
  if (current.focused_value != baseline.focused_value &&
      current.focused_value == previous.focused_value) {
    return "value-changed";
  }
  return nullptr;
}

}  // namespace

WindowSnapshot take_window_snapshot(platform::Platform& platform,
                                    platform::Automation& automation) {
  WindowSnapshot snapshot;
  snapshot.foreground_title =
      window_title(platform.windows, platform.input.get_foreground_window());
  // Only windows the user can see: hidden helper windows (every GUI thread's
  // input-method window, tool windows) come and go all the time.
  snapshot.window_count = 0;
  for (const TitledWindow& w : list_titled_windows(platform.windows)) {
    if (is_shown_to_user(platform.windows, w.hwnd)) ++snapshot.window_count;
  }
  read_focused(automation, snapshot);
  return snapshot;
}

Json handle_wait_for_change(DaemonContext& context, const Json& request) {
  const std::uint64_t timeout_ms =
      std::clamp(non_negative_field(request, "timeout_ms").value_or(kDefaultTimeoutMs),
                 kMinTimeoutMs, kMaxTimeoutMs);
  platform::Platform& platform = context.platform;
  const WindowSnapshot baseline = take_window_snapshot(platform, *context.automation);
  const std::int64_t deadline =
      platform.clock.now_ns() + static_cast<std::int64_t>(timeout_ms) * 1'000'000;
  WindowSnapshot previous = baseline;
  while (platform.clock.now_ns() < deadline) {
    platform.clock.sleep_ms(kPollMs);
    WindowSnapshot current = take_window_snapshot(platform, *context.automation);
    if (const char* what = notification(baseline, previous, current)) {
      return ok_response(Json{{"changed", true}, {"notification", what}});
    }
    previous = std::move(current);
  }
  return ok_response(Json{{"changed", false}, {"notification", nullptr}});
}

}  // namespace uiad
