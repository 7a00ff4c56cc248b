// invoke_menu: resolve a ">"-separated path against the static menu tree and
// drive the items found; when that fails, walk the live tree one opened level
// at a time. Runs inside the no-activate guard; the final Invoke is timed.
#include <optional>
#include <string>
#include <vector>

#include "actions/primitives.h"
#include "daemon/element_lookup.h"
#include "daemon/platform_error.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/timed_invoke.h"
#include "daemon/unicode.h"
#include "desktop/not_responding.h"
#include "desktop/window_visibility.h"
#include "menus/menu_commands.h"
#include "menus/menu_tree.h"

namespace uiad {
namespace {

using platform::Element;
using platform::Ref;

constexpr std::uint64_t kStaticOpenMs = 80;
constexpr std::uint64_t kLiveOpenMs = 160;
constexpr unsigned kFirstSegmentDepth = 5;
constexpr unsigned kWindowSearchDepth = 14;
constexpr unsigned kDesktopSearchDepth = 8;

// An error of the command's steps; nullopt is success.
using Outcome = std::optional<std::string>;

std::string error_text(platform::Platform& p, platform::HResult hr) {
  return platform_error_text(p.com, platform::failed(hr) ? hr : platform::kSOk);
}

// Pieces between ">" characters, trimmed, empty ones dropped.
std::vector<std::string> split_path(std::string_view path) {
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('>', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view piece = unicode::trim_white_space(path.substr(start, end - start));
    if (!piece.empty()) segments.emplace_back(piece);
    start = end + 1;
  }
  return segments;
}

std::string join(const std::vector<std::string>& parts, std::size_t count, const char* sep) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += sep;
    out += parts[i];
  }
  return out;
}

// Opens an item's submenu: Expand, else Invoke, each timed (an item can open
// a modal dialog instead of a submenu); failures ignored.
void open_menu_item(platform::Platform& p, Element& e) {
  if (auto expand =
          e.current_pattern_as<platform::ExpandCollapsePattern>(platform::kExpandCollapsePatternId);
      usable(expand)) {
    (void)timed_pattern_call(p, "Expand", std::move(expand.value),
                             &platform::ExpandCollapsePattern::expand);
    return;
  }
  if (auto invoke = e.current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId);
      usable(invoke)) {
    (void)timed_invoke(p, std::move(invoke.value));
  }
}

// The final step: a timed Invoke, else Select.
Outcome activate_menu_item(platform::Platform& p, Element& e) {
  if (auto invoke = e.current_pattern_as<platform::InvokePattern>(platform::kInvokePatternId);
      usable(invoke)) {
    InvokeOutcome outcome = timed_invoke(p, std::move(invoke.value));
    if (outcome.success) return std::nullopt;
    return std::move(outcome.error);
  }
  if (auto select =
          e.current_pattern_as<platform::SelectionItemPattern>(platform::kSelectionItemPatternId);
      usable(select)) {
    InvokeOutcome outcome = timed_pattern_call(p, "Select", std::move(select.value),
                                               &platform::SelectionItemPattern::select);
    if (outcome.success) return std::nullopt;
    return std::move(outcome.error);
  }
  return "element exposes neither Invoke nor SelectionItem";
}

// The first element below `start` (within `depth` levels) of one of `types`
// whose name the segment matches, outside title bars, and when `processes` is
// given, of one of those processes.
Ref<Element> find_menu_item(platform::TreeWalker& walker, Element& start, unsigned depth,
                            const std::string& segment,
                            std::initializer_list<platform::ControlTypeId> types,
                            const std::vector<std::uint32_t>* processes = nullptr) {
  using menus::Visit;
  return menus::find_first(walker, start, depth, [&](Element& e) {
    auto type = e.get_current_control_type();
    if (!type.succeeded()) return Visit::Descend;
    if (menus::is_title_bar(type.value)) return Visit::Skip;
    bool accepted = false;
    for (platform::ControlTypeId t : types) accepted = accepted || t == type.value;
    if (!accepted || !menus::menu_name_matches(menus::current_name(e), segment)) {
      return Visit::Descend;
    }
    if (processes == nullptr) return Visit::Match;
    auto owner = e.get_current_process_id();
    return owner.succeeded() &&
                   contains_process(*processes, static_cast<std::uint32_t>(owner.value))
               ? Visit::Match
               : Visit::Descend;
  });
}

// The static resolution: one node per segment, or the error naming the level
// that has no match and what it holds.
Outcome resolve_static(const menus::MenuTree& tree, const std::vector<std::string>& segments,
                       std::vector<const menus::MenuNode*>& chain) {
  const std::vector<menus::MenuNode>* level = &tree.items;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const menus::MenuNode* match = nullptr;
    for (const menus::MenuNode& node : *level) {
      if (menus::menu_name_matches(node.name, segments[i])) {
        match = &node;
        break;
      }
    }
    if (match == nullptr) {
      const std::string where =
          i == 0 ? std::string("top-level menu bar") : "under '" + join(segments, i, ">") + "'";
      std::string names;
      for (const menus::MenuNode& node : *level) {
        if (!names.empty()) names += ", ";
        names += node.name;
      }
      return "menu path segment '" + segments[i] + "' not found (" + where + "); available: [" +
             names + "]";
    }
    chain.push_back(match);
    level = &match->children;
  }
  return std::nullopt;
}

Outcome run_static(platform::Platform& p, const menus::MenuTree& tree,
                   const std::vector<const menus::MenuNode*>& chain) {
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    open_menu_item(p, *tree.node_elements[chain[i]->element_index]);
    p.clock.sleep_ms(kStaticOpenMs);
  }
  return activate_menu_item(p, *tree.node_elements[chain.back()->element_index]);
}

Outcome run_live(DaemonContext& context, platform::Hwnd window,
                 const std::vector<std::string>& segments) {
  platform::Platform& p = context.platform;
  platform::Automation& automation = *context.automation;
  auto root = automation.element_from_handle(window);
  if (!usable(root)) return "ElementFromHandle: " + error_text(p, root.hr);
  auto walker_result = automation.get_raw_view_walker();
  if (!usable(walker_result)) return "walker: " + error_text(p, walker_result.hr);
  platform::TreeWalker& walker = *walker_result.value;

  // A packaged application's frame belongs to a host process and its popups to
  // the process of its content window.
  const std::vector<std::uint32_t> processes = application_process_ids(p.windows, window);
  Ref<Element> bar = menus::find_menu_bar(automation, p.windows, window);
  Element& start = bar ? *bar : *root.value;
  Ref<Element> current =
      find_menu_item(walker, start, kFirstSegmentDepth, segments[0],
                     {platform::kMenuBarControlTypeId, platform::kMenuItemControlTypeId});
  if (!current) return "top menu not found: " + segments[0];
  for (std::size_t i = 1; i < segments.size(); ++i) {
    open_menu_item(p, *current);
    p.clock.sleep_ms(kLiveOpenMs);
    Ref<Element> found;
    if (auto fresh = automation.element_from_handle(window); usable(fresh)) {
      found = find_menu_item(walker, *fresh.value, kWindowSearchDepth, segments[i],
                             {platform::kMenuItemControlTypeId});
    }
    if (!found) {
      // Popup menus are top-level windows of their own. Only the application's
      // own count: every other window's menu bar is below the desktop root too,
      // and activating another application's item is never what was asked.
      if (auto desktop = automation.get_root_element(); usable(desktop)) {
        found = find_menu_item(walker, *desktop.value, kDesktopSearchDepth, segments[i],
                               {platform::kMenuItemControlTypeId}, &processes);
      }
    }
    if (!found) return "menu item not found: " + segments[i];
    current = std::move(found);
  }
  return activate_menu_item(p, *current);
}

// Everything between beginning and ending the guard; every element reference
// is released when this returns.
Outcome invoke_path(DaemonContext& context, platform::Hwnd window,
                    const std::vector<std::string>& segments) {
  const menus::MenuTree tree =
      menus::read_menu_tree(*context.automation, context.platform.windows, window);
  std::vector<const menus::MenuNode*> chain;
  const Outcome static_error = resolve_static(tree, segments, chain);
  if (!static_error) return run_static(context.platform, tree, chain);
  Outcome live_error = run_live(context, window, segments);
  if (!live_error) return std::nullopt;
  return *live_error + " (static resolve: " + *static_error + ")";
}

}  // namespace

Json handle_invoke_menu(DaemonContext& context, const Json& request) {
  const std::string key = app_key(request);
  const std::string path = string_field_or(request, "path", "");
  auto session = context.sessions.find(key);
  if (session == context.sessions.end()) {
    return error_response(no_session_message("invoke_menu", key));
  }
  const std::vector<std::string> segments = split_path(path);
  if (segments.empty()) return error_response("invoke_menu: empty path");
  if (auto hung =
          not_responding_error(context.platform.windows, "invoke_menu", session->second.window)) {
    return error_response(std::move(*hung));
  }

  const platform::Hwnd window = session->second.window;
  actions::NoActivateGuard guard(context.platform, window);
  const Outcome error = invoke_path(context, window, segments);
  guard.end();
  if (error) return error_response("invoke_menu: " + *error);
  return ok_response({{"app", key}, {"path", path}});
}

}  // namespace uiad
