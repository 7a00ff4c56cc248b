// dismiss_dialogs: find a matching dialog, read its buttons with the snapshot
// walk, choose one, post a click, wait a second; at most `passes` times.
#include "windows/dismiss_dialogs.h"

#include "actions/primitives.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/window_visibility.h"
#include "snapshot/tree_walk.h"

namespace uiad {
namespace {

constexpr std::uint64_t kDefaultPasses = 6;
constexpr std::uint64_t kWalkDepth = 30;
constexpr std::uint64_t kWalkElements = 400;
constexpr std::uint64_t kAfterDismissalMs = 1000;

// The string entries of an array member; other entries are ignored.
std::vector<std::string> string_entries(const Json& request, const char* name) {
  std::vector<std::string> out;
  const Json* array = request_member(request, name);
  if (array == nullptr || !array->is_array()) return out;
  for (const Json& entry : *array) {
    if (entry.is_string()) out.push_back(entry.get<std::string>());
  }
  return out;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

// Minimize, Maximize and Close are enabled buttons of the title bar: a posted
// click on them lands outside the client area and dismisses nothing.
bool in_title_bar(platform::TreeWalker& walker, platform::Element& button) {
  auto parent = walker.get_parent_element(button);
  if (!usable(parent)) return false;
  auto type = parent.value->get_current_control_type();
  return type.succeeded() && type.value == platform::kTitleBarControlTypeId;
}

}  // namespace

std::optional<TitledWindow> find_dialog(platform::WindowSystem& windows,
                                        const std::vector<std::string>& titles,
                                        const std::string& exclude) {
  if (titles.empty()) return std::nullopt;
  for (TitledWindow& w : list_titled_windows(windows)) {
    if (!is_shown_to_user(windows, w.hwnd)) continue;
    const std::string title = unicode::to_lower_whole(w.title);
    if (!exclude.empty() && title.find(exclude) != std::string::npos) continue;
    for (const std::string& t : titles) {
      if (title.find(t) != std::string::npos) return std::move(w);
    }
  }
  return std::nullopt;
}

std::vector<ButtonCandidate> button_candidates(platform::Automation& automation,
                                               platform::Hwnd dialog) {
  std::vector<ButtonCandidate> out;
  auto element = automation.element_from_handle(dialog);
  if (!usable(element)) return out;
  // Tables and counter of its own: the sessions and the daemon's element
  // counter stay as they were.
  ScanLimits limits;
  limits.max_depth = kWalkDepth;
  limits.max_elements = kWalkElements;
  std::uint64_t counter = 0;
  ElementTables tables;
  WalkState state{automation, limits, nullptr, counter, tables};
  (void)walk_current(state, *element.value, 0);
  auto walker = automation.get_raw_view_walker();
  for (const LiveReference& reference : tables.live_references) {
    const ElementRecord& record = reference.entry->second;
    // A button with an empty rectangle cannot be clicked; any position is
    // fine, left of or above the primary monitor included.
    if (record.role != "button" || !record.enabled || record.width <= 0 || record.height <= 0) {
      continue;
    }
    if (usable(walker) && in_title_bar(*walker.value, *reference.element)) continue;
    out.push_back({record.label, record.center_x, record.center_y});
  }
  return out;
}

const ButtonCandidate* choose_button(const std::vector<ButtonCandidate>& candidates,
                                     const std::vector<std::string>& prefer) {
  if (candidates.empty()) return nullptr;
  for (const std::string& p : prefer) {
    const std::string_view wanted = unicode::trim_white_space(p);
    for (const ButtonCandidate& c : candidates) {
      if (equal_ignoring_ascii_case(unicode::trim_white_space(c.label), wanted)) return &c;
    }
  }
  return &candidates.front();
}

Json handle_dismiss_dialogs(DaemonContext& context, const Json& request) {
  const std::uint64_t passes = non_negative_field(request, "passes").value_or(kDefaultPasses);
  std::vector<std::string> titles = string_entries(request, "titles");
  for (std::string& t : titles) t = unicode::to_lower_whole(t);
  const std::vector<std::string> prefer = string_entries(request, "prefer");
  const std::string exclude = unicode::to_lower_whole(string_field_or(request, "exclude", ""));

  platform::Platform& platform = context.platform;
  Json dismissed = Json::array();
  for (std::uint64_t pass = 0; pass < passes; ++pass) {
    const auto dialog = find_dialog(platform.windows, titles, exclude);
    if (!dialog) break;
    const auto candidates = button_candidates(*context.automation, dialog->hwnd);
    const ButtonCandidate* button = choose_button(candidates, prefer);
    if (button == nullptr) break;
    actions::post_left_click(platform, dialog->hwnd, button->center_x, button->center_y);
    dismissed.push_back(Json{{"button", button->label}, {"title", dialog->title}});
    platform.clock.sleep_ms(kAfterDismissalMs);
  }
  return ok_response(Json{{"dismissed", std::move(dismissed)}});
}

}  // namespace uiad
