// scan: resolve the window, walk its tree, add descendant-window elements,
// render the text, store the session and build the result.
#include "snapshot/scan.h"

#include <algorithm>
#include <cmath>

#include "daemon/platform_error.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "snapshot/element_reading.h"
#include "snapshot/render_widget.h"
#include "snapshot/snapshot_text.h"
#include "snapshot/supplement_pass.h"
#include "snapshot/tree_walk.h"
#include "windows/app_window.h"

namespace uiad {
namespace {

using platform::Ref;

constexpr std::uint64_t kDefaultDepth = 100;
constexpr std::string_view kCacheStrategy = "cache";
constexpr std::string_view kCurrentStrategy = "current";
constexpr int kClassNameBuffer = 256;

template <class T>
bool usable(const platform::Result<Ref<T>>& r) {
  return r.succeeded() && r.value != nullptr;
}

const Json* member(const Json& request, const char* name) {
  if (!request.is_object()) return nullptr;
  auto it = request.find(name);
  return it == request.end() ? nullptr : &*it;
}

// Only a JSON integer of 0 or more qualifies; floats, negatives and strings
// count as absent.
std::optional<std::uint64_t> non_negative_integer(const Json& request, const char* name) {
  const Json* v = member(request, name);
  if (v == nullptr) return std::nullopt;
  if (v->is_number_unsigned()) return v->get<std::uint64_t>();
  if (v->is_number_integer() && v->get<std::int64_t>() >= 0)
    return static_cast<std::uint64_t>(v->get<std::int64_t>());
  return std::nullopt;
}

// A failed call, or a success without an object (code 0), as error text.
std::string error_text(platform::Platform& platform, platform::HResult hr) {
  return platform_error_text(platform.com, platform::failed(hr) ? hr : platform::kSOk);
}

std::vector<EditWindow> find_edit_windows(platform::WindowSystem& windows, platform::Hwnd target) {
  std::vector<EditWindow> edits;
  std::vector<platform::Hwnd> handles;
  static_cast<void>(windows.enum_child_windows(target, handles));
  for (platform::Hwnd hwnd : handles) {
    const platform::WString class_name = windows.get_class_name(hwnd, kClassNameBuffer);
    if (class_name.empty() || class_name.find(u"EDIT") == platform::WString::npos) continue;
    const platform::Rect rect = windows.get_window_rect(hwnd).value_or(platform::Rect{});
    edits.push_back({hwnd, rect.left, rect.top});
  }
  return edits;
}

std::string root_element_error(FoundBy found_by, const Json* app, const std::string& text) {
  switch (found_by) {
    case FoundBy::Foreground:
      return "foreground: " + text;
    case FoundBy::Handle:
      return "window id " + app->get<std::string>() + ": " + text;
    case FoundBy::Title:
      break;
  }
  return "ElementFromHandle: " + text;
}

}  // namespace

Json rounded_milliseconds(std::int64_t ns) {
  const double seconds =
      static_cast<double>(ns / 1000000000) + static_cast<double>(ns % 1000000000) / 1e9;
  const double tenths = std::round(seconds * 1000.0 * 10.0) / 10.0;
  if (!std::isfinite(tenths)) return nullptr;
  return tenths;
}

Json element_summary(const ElementRecord& r) {
  Json summary = Json::object();
  auto& s = summary.get_ref<Json::object_t&>();
  // Keys go in already sorted, so every insertion lands at the end.
  s.emplace_hint(s.end(), "cx", r.center_x);
  s.emplace_hint(s.end(), "cy", r.center_y);
  s.emplace_hint(s.end(), "enabled", r.enabled);
  s.emplace_hint(s.end(), "focused", r.focused);
  s.emplace_hint(s.end(), "h", r.height);
  s.emplace_hint(s.end(), "id", r.automation_id);
  s.emplace_hint(s.end(), "name", r.label);
  s.emplace_hint(s.end(), "patterns", r.patterns);
  s.emplace_hint(s.end(), "role", r.role);
  s.emplace_hint(s.end(), "value", r.value);
  s.emplace_hint(s.end(), "w", r.width);
  return summary;
}

Json element_map(const ElementRecordTable& records) {
  // In key order every insertion goes at the end of the map: no searching.
  std::vector<const ElementRecordTable::value_type*> entries;
  entries.reserve(records.size());
  for (const auto& entry : records) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  Json elements = Json::object();
  auto& map = elements.get_ref<Json::object_t&>();
  for (const auto* entry : entries)
    map.emplace_hint(map.end(), entry->first, element_summary(entry->second));
  return elements;
}

Json handle_scan(DaemonContext& context, const Json& request) {
  platform::Platform& platform = context.platform;
  platform::Automation& automation = *context.automation;

  const Json* app = member(request, "app");
  std::string error;
  const auto resolved = resolve_app_window(platform, app ? *app : Json(), error);
  if (!resolved) return error_response(error);
  auto root = automation.element_from_handle(resolved->hwnd);
  if (!usable(root))
    return error_response(
        root_element_error(resolved->found_by, app, error_text(platform, root.hr)));

  const std::string title = window_title(platform.windows, resolved->hwnd);
  const std::optional<platform::Hwnd> render_widget =
      find_render_widget(platform.windows, resolved->hwnd);

  std::string key = app && app->is_string() && !app->get_ref<const std::string&>().empty()
                        ? unicode::to_lower_whole(app->get_ref<const std::string&>())
                        : unicode::to_lower_whole(title);

  context.element_counter = 0;
  ElementTables tables;
  // A rescan usually finds about as many elements as the last one: sizing the
  // tables for them up front saves rehashing the whole table several times.
  if (auto previous = context.sessions.find(key); previous != context.sessions.end()) {
    tables.element_records.reserve(previous->second.element_records.size());
    tables.live_elements.reserve(previous->second.live_elements.size());
  }

  ScanLimits limits;
  limits.max_depth = non_negative_integer(request, "max_depth")
                         .value_or(non_negative_integer(request, "depth").value_or(kDefaultDepth));
  limits.max_elements = non_negative_integer(request, "max_elements");
  std::string strategy(render_widget ? kCurrentStrategy : kCacheStrategy);
  if (const Json* s = member(request, "strategy"); s && s->is_string())
    strategy = s->get<std::string>();
  const bool cached = strategy == kCacheStrategy;
  const Json* timing_member = member(request, "timing");
  const bool timing = timing_member && timing_member->is_boolean() && timing_member->get<bool>();

  Ref<platform::Element> focused;
  if (auto f = automation.get_focused_element(); usable(f)) focused = std::move(f.value);

  WalkState state{automation, limits, focused.get(), context.element_counter, tables};
  const std::int64_t walk_start = platform.clock.now_ns();
  std::optional<SnapshotNode> main_node;
  if (cached) {
    auto cache_request =
        make_cache_request(automation, platform::TreeScope::Subtree, TreeView::Control);
    if (!usable(cache_request))
      return error_response("BuildUpdatedCache: " + error_text(platform, cache_request.hr));
    auto cached_root = root.value->build_updated_cache(*cache_request.value);
    if (!usable(cached_root))
      return error_response("BuildUpdatedCache: " + error_text(platform, cached_root.hr));
    main_node = walk_cached(state, *cached_root.value, 0);
  } else {
    main_node = walk_current(state, *root.value, 0);
  }
  const std::int64_t walk_end = platform.clock.now_ns();
  const std::vector<SupplementEntry> supplement =
      supplement_pass(state, platform.windows, resolved->hwnd, cached);
  const std::int64_t supplement_end = platform.clock.now_ns();

  std::string ui_block =
      render_snapshot(main_node ? &*main_node : nullptr, supplement,
                      tables.duplicate_automation_ids, tables.element_records.size());

  Session session;
  session.window = resolved->hwnd;
  session.content_window = render_widget;
  session.chromium = render_widget.has_value();
  if (!session.chromium) session.edit_windows = find_edit_windows(platform.windows, resolved->hwnd);
  session.element_records = std::move(tables.element_records);
  session.live_elements = std::move(tables.live_elements);

  // Replacing the old session releases its element references.
  const Session& stored = context.sessions.insert_or_assign(key, std::move(session)).first->second;

  Json result = Json::object();
  result["app"] = std::move(key);
  result["chromium"] = stored.chromium;
  result["element_count"] = stored.element_records.size();
  result["elements"] = element_map(stored.element_records);
  result["handle_count"] = stored.live_elements.size();
  if (timing) {
    result["timing"] = Json{{"build_ms", rounded_milliseconds(walk_end - walk_start)},
                            {"strategy", strategy},
                            {"supplement_ms", rounded_milliseconds(supplement_end - walk_end)}};
  }
  result["title"] = title;
  result["truncated"] = limits.truncated;
  result["ui_block"] = std::move(ui_block);
  return ok_response(std::move(result));
}

}  // namespace uiad
