// Supplement pass over descendant windows with its drop rules and dedupe set.
#include "snapshot/supplement_pass.h"

#include <deque>
#include <functional>
#include <string_view>
#include <unordered_set>

#include "snapshot/element_reading.h"

namespace uiad {
namespace {

using platform::Element;
using platform::Ref;

struct DedupeKey {
  std::string_view role;
  std::string_view label;
  std::int32_t center_x;
  std::int32_t center_y;
  friend bool operator==(const DedupeKey&, const DedupeKey&) = default;
};

struct DedupeKeyHash {
  std::size_t operator()(const DedupeKey& k) const {
    std::size_t h = std::hash<std::string_view>{}(k.label);
    h = h * 31 + std::hash<std::string_view>{}(k.role);
    h = h * 31 + static_cast<std::uint32_t>(k.center_x);
    return h * 31 + static_cast<std::uint32_t>(k.center_y);
  }
};

// The set refers to strings of recorded records (stable inside the table) and
// to copies it keeps for the tuples it adds itself.
class DedupeSet {
 public:
  explicit DedupeSet(const ElementRecordTable& records) {
    set_.reserve(records.size() + 16);
    for (const auto& [id, r] : records) set_.insert({r.role, r.label, r.center_x, r.center_y});
  }

  // False when the tuple was already there; otherwise adds it.
  bool insert(const ElementRecord& r) {
    if (set_.contains({r.role, r.label, r.center_x, r.center_y})) return false;
    const auto& owned = owned_.emplace_back(r.role, r.label);
    set_.insert({owned.first, owned.second, r.center_x, r.center_y});
    return true;
  }

 private:
  std::deque<std::pair<std::string, std::string>> owned_;
  std::unordered_set<DedupeKey, DedupeKeyHash> set_;
};

bool dropped_as_empty(const ElementRecord& r) {
  if (!r.label.empty() || !r.value.empty()) return false;
  return r.role == "text" || r.role == "window" || r.role == "scroll" || r.role == "group";
}

bool is_supplement_container(std::string_view role) {
  return role == "list" || role == "table" || role == "menubar" || role == "tabgroup";
}

std::optional<SnapshotNode> walk_container(WalkState& state, Element& subject, bool cached) {
  // The subtree has its own depth limit; the element limit and flag are shared.
  const std::uint64_t saved_depth = state.limits.max_depth;
  state.limits.max_depth = kSupplementSubtreeDepth;
  std::optional<SnapshotNode> node;
  bool walked = false;
  if (cached) {
    auto request =
        make_cache_request(state.automation, platform::TreeScope::Subtree, TreeView::Control);
    if (usable(request)) {
      auto subtree = subject.build_updated_cache(*request.value);
      if (usable(subtree)) {
        node = walk_cached(state, *subtree.value, 0);
        walked = true;
      }
    }
  }
  if (!walked) node = walk_current(state, subject, 0);
  state.limits.max_depth = saved_depth;
  return node;
}

}  // namespace

std::vector<SupplementEntry> supplement_pass(WalkState& state, platform::WindowSystem& windows,
                                             platform::Hwnd target, bool cached) {
  std::vector<SupplementEntry> entries;
  std::vector<platform::Hwnd> handles;
  static_cast<void>(windows.enum_child_windows(target, handles));
  if (handles.empty()) return entries;

  // Built only now: a window without descendants never pays for the set.
  DedupeSet seen(state.tables.element_records);

  Ref<platform::CacheRequest> element_request;
  if (cached) {
    auto request =
        make_cache_request(state.automation, platform::TreeScope::Element, TreeView::Control);
    if (usable(request)) element_request = std::move(request.value);
  }
  const bool use_cache = element_request != nullptr;

  for (platform::Hwnd hwnd : handles) {
    if (state.limits.max_elements && state.counter >= *state.limits.max_elements) {
      state.limits.truncated = true;
      break;
    }
    auto element = state.automation.element_from_handle(hwnd);
    if (!usable(element)) continue;

    Ref<Element> cached_element;
    if (use_cache) {
      auto c = element.value->build_updated_cache(*element_request);
      if (usable(c)) cached_element = std::move(c.value);
    }
    Element& subject = cached_element ? *cached_element : *element.value;
    ElementRecord record = cached_element ? read_cached(subject)
                                          : read_current(state.automation, subject, state.focused);

    if (dropped_as_empty(record)) continue;
    if (record.width <= 0 || record.height <= 0) continue;
    if (!seen.insert(record)) continue;

    if (is_supplement_container(record.role)) {
      if (auto node = walk_container(state, subject, use_cache))
        entries.push_back({SupplementEntry::Kind::Subtree, std::move(*node)});
      continue;
    }
    const auto& entry = record_element(state, std::move(record), subject);
    entries.push_back(
        {SupplementEntry::Kind::Single, SnapshotNode{&entry.first, &entry.second, {}}});
  }
  return entries;
}

}  // namespace uiad
