// scroll: the scroll pattern of the element's nearest scrollable ancestor,
// verified by reading the position before and after; without one, a posted
// wheel notch at the element's centre, or a posted navigation key.
#include <cmath>
#include <optional>
#include <string>

#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/platform_error.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "desktop/not_responding.h"

namespace uiad {
namespace {

using namespace actions;
using platform::ScrollAmount;

constexpr int kMaxAncestors = 10;
constexpr double kNoEffectPercent = 0.5;
constexpr std::int32_t kWheelNotch = 120;

bool is_horizontal(const std::string& direction) {
  return direction == "left" || direction == "right";
}

bool is_home(const std::string& d) { return d == "home" || d == "top"; }
bool is_end(const std::string& d) { return d == "end" || d == "bottom"; }

// What the scroll pattern is asked to do for a direction.
struct PatternStep {
  bool set_percent = false;  // SetScrollPercent(-1, vertical) instead of Scroll
  double vertical_percent = 0;
  ScrollAmount horizontal = ScrollAmount::NoAmount;
  ScrollAmount vertical = ScrollAmount::NoAmount;
};

std::optional<PatternStep> pattern_step(const std::string& d) {
  if (d == "up" || d == "page_up")
    return PatternStep{false, 0, ScrollAmount::NoAmount, ScrollAmount::LargeDecrement};
  if (d == "down" || d == "page_down")
    return PatternStep{false, 0, ScrollAmount::NoAmount, ScrollAmount::LargeIncrement};
  if (d == "left")
    return PatternStep{false, 0, ScrollAmount::LargeDecrement, ScrollAmount::NoAmount};
  if (d == "right")
    return PatternStep{false, 0, ScrollAmount::LargeIncrement, ScrollAmount::NoAmount};
  if (is_home(d)) return PatternStep{true, 0.0, ScrollAmount::NoAmount, ScrollAmount::NoAmount};
  if (is_end(d)) return PatternStep{true, 100.0, ScrollAmount::NoAmount, ScrollAmount::NoAmount};
  return std::nullopt;
}

std::optional<std::uint64_t> navigation_key(const std::string& d) {
  if (d == "up") return kVkUp;
  if (d == "down") return kVkDown;
  if (d == "page_up") return kVkPrior;
  if (d == "page_down") return kVkNext;
  if (is_home(d)) return kVkHome;
  if (is_end(d)) return kVkEnd;
  return std::nullopt;
}

// Wheel delta of a direction; every direction without its own scrolls one notch down.
std::int32_t wheel_delta(const std::string& d) {
  if (d == "up") return kWheelNotch;
  if (d == "page_up") return 3 * kWheelNotch;
  if (d == "page_down") return -3 * kWheelNotch;
  return -kWheelNotch;
}

const char* edge_word(const std::string& d) {
  const bool end = d == "down" || d == "page_down" || d == "right" || is_end(d);
  return end ? "end" : "start";
}

double read_percent(platform::ScrollPattern& pattern, bool horizontal) {
  const auto r = horizontal ? pattern.get_current_horizontal_scroll_percent()
                            : pattern.get_current_vertical_scroll_percent();
  return r.succeeded() ? r.value : -1.0;
}

// The scroll pattern of the element or of one of its nearest 9 ancestors
// (raw view) that scrolls on the axis; null when there is none or a step fails.
platform::Ref<platform::ScrollPattern> find_scrollable(platform::Automation& automation,
                                                       platform::Element& element,
                                                       bool horizontal) {
  auto walker = automation.get_raw_view_walker();
  if (!platform::usable(walker)) return nullptr;
  platform::Ref<platform::Element> e = element.add_ref();
  for (int i = 0; i < kMaxAncestors && e != nullptr; ++i) {
    auto pattern = e->current_pattern_as<platform::ScrollPattern>(platform::kScrollPatternId);
    if (platform::usable(pattern)) {
      const auto scrollable = horizontal ? pattern.value->get_current_horizontally_scrollable()
                                         : pattern.value->get_current_vertically_scrollable();
      if (scrollable.succeeded() && scrollable.value) return std::move(pattern.value);
    }
    auto parent = walker.value->get_parent_element(*e);
    if (!platform::usable(parent)) return nullptr;
    e = std::move(parent.value);
  }
  return nullptr;
}

Json scroll_with_pattern(DaemonContext& context, const Session& session,
                         platform::ScrollPattern& pattern, const std::string& direction,
                         const std::string& id) {
  platform::Platform& p = context.platform;
  const bool horizontal = is_horizontal(direction);
  const double from = read_percent(pattern, horizontal);
  const std::optional<PatternStep> step = pattern_step(direction);
  if (!step) return error_response("scroll: unknown direction '" + direction + "'");

  NoActivateGuard guard(p, session.window);
  const platform::HResult hr =
      step->set_percent
          ? pattern.set_scroll_percent(platform::kScrollPatternNoScroll, step->vertical_percent)
          : pattern.scroll(step->horizontal, step->vertical);
  guard.end();
  if (platform::failed(hr)) {
    return error_response("scroll: ScrollPattern failed: " + platform_error_text(p.com, hr));
  }

  const double to = read_percent(pattern, horizontal);
  if (std::fabs(to - from) > kNoEffectPercent) {
    return ok_response({{"direction", direction},
                        {"from_pct", from},
                        {"id", id},
                        {"to_pct", to},
                        {"verified", true}});
  }
  return error_response("scroll: '" + direction + "' had no effect \u2014 already at the " +
                        edge_word(direction) + " (nothing scrolled)");
}

}  // namespace

Json handle_scroll(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  const std::string direction = string_field_or(request, "direction", "down");
  auto found = context.sessions.find(target.key);
  if (found == context.sessions.end()) {
    return error_response(no_session_message("scroll", target.key));
  }
  const Session& session = found->second;
  if (auto hung = not_responding_error(context.platform.windows, "scroll", session.window)) {
    return error_response(std::move(*hung));
  }

  if (!target.id.empty() && context.automation != nullptr) {
    if (platform::Element* live = find_live_element(session, target.id); live != nullptr) {
      auto pattern = find_scrollable(*context.automation, *live, is_horizontal(direction));
      if (pattern) return scroll_with_pattern(context, session, *pattern, direction, target.id);
    }
  }

  platform::Platform& p = context.platform;
  const ElementRecord* record = nullptr;
  if (!target.id.empty()) {
    auto it = session.element_records.find(target.id);
    if (it != session.element_records.end()) record = &it->second;
  }
  soft_activate(p, session);
  if (record != nullptr) {
    const std::int32_t cx = record->center_x;
    const std::int32_t cy = record->center_y;
    const platform::Hwnd window = deepest_child_at(p, session.window, cx, cy);
    if (is_home(direction)) {
      post_key_tap(p, window, kVkHome);
    } else if (is_end(direction)) {
      post_key_tap(p, window, kVkEnd);
    } else {
      // The delta sits in the high word of the low 32 bits; the point stays a screen point.
      const auto wparam =
          static_cast<std::uint64_t>(static_cast<std::uint32_t>(wheel_delta(direction)) << 16);
      (void)p.input.post_message(window, kWmMouseWheel, wparam, pack_point(cx, cy));
    }
  } else {
    const std::optional<std::uint64_t> vk = navigation_key(direction);
    if (!vk) return error_response("scroll: unknown direction '" + direction + "'");
    post_key_tap(p, input_window(session), *vk);
  }
  return ok_response({{"direction", direction}, {"id", target.id}, {"verified", false}});
}

}  // namespace uiad
