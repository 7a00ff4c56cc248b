// scan: resolve the window, walk its tree, add descendant-window elements,
// render the text, store the session and build the result.
#include "snapshot/scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "daemon/json_writer.h"
#include "daemon/platform_error.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/app_window.h"
#include "snapshot/element_reading.h"
#include "snapshot/render_widget.h"
#include "snapshot/snapshot_text.h"
#include "snapshot/supplement_pass.h"
#include "snapshot/tree_walk.h"

namespace uiad {
namespace {

using platform::Ref;

constexpr std::uint64_t kDefaultDepth = 100;
constexpr std::string_view kCacheStrategy = "cache";
constexpr std::string_view kCurrentStrategy = "current";
constexpr int kClassNameBuffer = 256;

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

// One summary object, its keys written in byte order.
void append_element_summary(std::string& out, const ElementRecord& r) {
  auto integer = [&out](std::string_view key, std::int64_t value) {
    char digits[24];
    out.append(key);
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  };
  auto boolean = [&out](std::string_view key, bool value) {
    out.append(key);
    out.append(value ? "true" : "false");
  };
  auto text = [&out](std::string_view key, std::string_view value) {
    out.append(key);
    append_json_string(out, value);
  };
  integer("{\"cx\":", r.center_x);
  integer(",\"cy\":", r.center_y);
  boolean(",\"enabled\":", r.enabled);
  boolean(",\"focused\":", r.focused);
  integer(",\"h\":", r.height);
  text(",\"id\":", r.automation_id);
  text(",\"name\":", r.label);
  out.append(",\"patterns\":[");
  for (std::size_t i = 0; i < r.patterns.size(); ++i) {
    if (i > 0) out.push_back(',');
    append_json_string(out, r.patterns[i]);
  }
  out.push_back(']');
  text(",\"role\":", r.role);
  text(",\"value\":", r.value);
  integer(",\"w\":", r.width);
  out.push_back('}');
}

// An id with its first bytes packed big-endian, so that most comparisons of
// the sort stay inside the vector instead of chasing each id on the heap.
struct SortEntry {
  std::uint64_t prefix[3];
  const ElementRecordTable::value_type* entry;
};

SortEntry sort_entry(const ElementRecordTable::value_type& entry) {
  SortEntry e{{0, 0, 0}, &entry};
  const std::string& id = entry.first;
  const std::size_t n = std::min<std::size_t>(id.size(), sizeof e.prefix);
  for (std::size_t i = 0; i < n; ++i) {
    e.prefix[i / 8] |= std::uint64_t{static_cast<unsigned char>(id[i])} << (56 - 8 * (i % 8));
  }
  return e;
}

// Byte order of the ids. Ids hold no NUL, so the zero padding of a short id
// sorts it before every longer id that starts with it.
bool sorts_before(const SortEntry& a, const SortEntry& b) {
  for (int k = 0; k < 3; ++k) {
    if (a.prefix[k] != b.prefix[k]) return a.prefix[k] < b.prefix[k];
  }
  return a.entry->first < b.entry->first;
}

// Sorted order visits the entries all over the heap; asking for an entry's
// memory a few entries ahead overlaps those cache misses instead of taking
// them one by one.
constexpr std::size_t kPrefetchDistance = 8;

void prefetch_entry(const ElementRecordTable::value_type& entry) {
#if defined(__GNUC__) || defined(__clang__)
  const char* bytes = reinterpret_cast<const char*>(&entry);
  for (std::size_t offset = 0; offset < sizeof entry; offset += 64)
    __builtin_prefetch(bytes + offset);
#else
  (void)entry;
#endif
}

// The `elements` map, written straight to JSON text: a scan can record
// hundreds of thousands of elements, and a tree of JSON values for them costs
// several times more to build and to free than the text itself.
Json sorted_element_map(std::vector<SortEntry>& entries) {
  std::sort(entries.begin(), entries.end(), sorts_before);
  std::string out;
  out.reserve(entries.size() * 160 + 2);
  out.push_back('{');
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i + kPrefetchDistance < entries.size())
      prefetch_entry(*entries[i + kPrefetchDistance].entry);
    if (i > 0) out.push_back(',');
    append_json_string(out, entries[i].entry->first);
    out.push_back(':');
    append_element_summary(out, entries[i].entry->second);
  }
  out.push_back('}');
  return raw_json(std::move(out));
}

Json element_map(const ElementRecordTable& records) {
  std::vector<SortEntry> entries;
  entries.reserve(records.size());
  for (const auto& entry : records) entries.push_back(sort_entry(entry));
  return sorted_element_map(entries);
}

Json element_map(const std::vector<LiveReference>& recorded) {
  std::vector<SortEntry> entries;
  entries.reserve(recorded.size());
  for (const LiveReference& reference : recorded) entries.push_back(sort_entry(*reference.entry));
  return sorted_element_map(entries);
}

Json handle_scan(DaemonContext& context, const Json& request) {
  platform::Platform& platform = context.platform;
  platform::Automation& automation = *context.automation;

  const Json* app = request_member(request, "app");
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
  // records for them up front saves rehashing the whole table.
  if (auto previous = context.sessions.find(key); previous != context.sessions.end()) {
    tables.element_records.reserve(previous->second.element_records.size());
    tables.live_references.reserve(previous->second.live_elements.size());
  }

  ScanLimits limits;
  limits.max_depth = non_negative_field(request, "max_depth")
                         .value_or(non_negative_field(request, "depth").value_or(kDefaultDepth));
  limits.max_elements = non_negative_field(request, "max_elements");
  std::string strategy(render_widget ? kCurrentStrategy : kCacheStrategy);
  if (const Json* s = request_member(request, "strategy"); s && s->is_string())
    strategy = s->get<std::string>();
  const bool cached = strategy == kCacheStrategy;
  const Json* timing_member = request_member(request, "timing");
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
  session.live_elements = make_live_element_table(tables.live_references);
  // Moving the records table into the session keeps its entries in place.
  Json elements = element_map(tables.live_references);

  // Replacing the old session releases its element references.
  const Session& stored = context.sessions.insert_or_assign(key, std::move(session)).first->second;

  Json result = Json::object();
  result["app"] = std::move(key);
  result["chromium"] = stored.chromium;
  result["element_count"] = stored.element_records.size();
  result["elements"] = std::move(elements);
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
