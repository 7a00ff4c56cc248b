// Current and cached tree walks with their skip rules and the raw-view fallback.
#include "snapshot/tree_walk.h"

#include <tuple>

#include "snapshot/element_reading.h"

namespace uiad {
namespace {

using platform::Element;
using platform::Ref;

// Roles whose empty control view is worth a second look through the raw view.
bool is_walk_container(std::string_view role) {
  return role == "list" || role == "group" || role == "window" || role == "toolbar" ||
         role == "tabgroup";
}

bool left_out(const ElementRecord& record) {
  return record.role == "scroll" || (record.role == "text" && record.label.empty() &&
                                     record.help.empty() && record.value.empty());
}

// Elements of a cached child array, skipping those that cannot be fetched.
std::vector<Ref<Element>> cached_children(Element& element) {
  std::vector<Ref<Element>> out;
  auto array = element.get_cached_children();
  if (!usable(array)) return out;
  auto length = array.value->get_length();
  if (!length.succeeded() || length.value <= 0) return out;
  out.reserve(
      std::min<std::size_t>(static_cast<std::size_t>(length.value), kMaxChildrenPerElement));
  for (std::int32_t i = 0; i < length.value && out.size() < kMaxChildrenPerElement; ++i) {
    auto child = array.value->get_element(i);
    if (usable(child)) out.push_back(std::move(child.value));
  }
  return out;
}

// Once a limit is hit every later sibling would hit it too, so the loops stop
// instead of visiting them one by one; the outcome is the same.
void walk_cached_children(WalkState& state, const std::vector<Ref<Element>>& children,
                          std::uint64_t depth, SnapshotNode& node) {
  node.children.reserve(children.size());
  for (const auto& child : children) {
    if (limit_reached(state, depth)) return;
    if (auto child_node = walk_cached(state, *child, depth))
      node.children.push_back(std::move(*child_node));
  }
}

// A large scan would otherwise double the table over and over, relinking
// every node each time (about two relinks per record in all); growing it
// fourfold brings that to one and a third.
constexpr std::size_t kRecordTableGrowth = 4;

void make_room_for_one(ElementRecordTable& records) {
  const auto capacity = static_cast<std::size_t>(static_cast<float>(records.bucket_count()) *
                                                 records.max_load_factor());
  if (records.size() + 1 > capacity) records.reserve((records.size() + 1) * kRecordTableGrowth);
}

}  // namespace

LiveElementTable make_live_element_table(std::vector<LiveReference>& references) {
  LiveElementTable table;
  table.reserve(references.size());
  for (LiveReference& reference : references)
    table.try_emplace(reference.entry->first, std::move(reference.element));
  return table;
}

bool limit_reached(WalkState& state, std::uint64_t depth) {
  if (depth > state.limits.max_depth ||
      (state.limits.max_elements && state.counter >= *state.limits.max_elements)) {
    state.limits.truncated = true;
    return true;
  }
  return false;
}

const ElementRecordTable::value_type& record_element(WalkState& state, ElementRecord&& record,
                                                     Element& element) {
  ++state.counter;
  ElementTables& tables = state.tables;
  ElementRecordTable& records = tables.element_records;
  // make_element_id with its table lookups folded into the insertions. A
  // try_emplace that finds its key taken moves neither key nor record; a base
  // with a hint is known to be taken, as tables only grow during a scan.
  make_room_for_one(records);
  std::string base;
  const bool may_repeat = element_id_base(record, state.counter, base);
  std::uint64_t* next = may_repeat ? tables.id_hints.find(base) : nullptr;
  ElementRecordTable::iterator entry;
  if (next == nullptr) {
    bool inserted = false;
    std::tie(entry, inserted) = records.try_emplace(std::move(base), std::move(record));
    if (!inserted) next = &tables.id_hints.next_for(base);
  }
  if (next != nullptr) {
    std::string candidate;
    for (;; ++*next) {
      make_suffixed(base, *next, candidate);
      auto [it, inserted] = records.try_emplace(std::move(candidate), std::move(record));
      if (inserted) {
        entry = it;
        break;
      }
    }
  }
  tables.live_references.push_back({&*entry, element.add_ref()});
  if (const std::string& automation_id = entry->second.automation_id; !automation_id.empty()) {
    if (!tables.automation_ids.insert(automation_id).second)
      tables.duplicate_automation_ids.insert(automation_id);
  }
  return *entry;
}

std::optional<SnapshotNode> walk_current(WalkState& state, Element& element, std::uint64_t depth) {
  if (limit_reached(state, depth)) return std::nullopt;
  ElementRecord record = read_current(state.automation, element, state.focused);
  if (left_out(record)) return std::nullopt;
  const auto& entry = record_element(state, std::move(record), element);
  SnapshotNode node{&entry.first, &entry.second, {}};

  // The walker is fetched anew for every element; a childless container swaps
  // it for the raw-view walker, which then also yields the next siblings.
  auto control = state.automation.get_control_view_walker();
  if (!usable(control)) return node;
  Ref<platform::TreeWalker> walker = std::move(control.value);
  auto child = walker->get_first_child_element(element);
  if (!usable(child) && is_walk_container(entry.second.role)) {
    auto raw = state.automation.get_raw_view_walker();
    if (!usable(raw)) return node;
    walker = std::move(raw.value);
    child = walker->get_first_child_element(element);
  }
  if (!usable(child)) return node;

  Ref<Element> current = std::move(child.value);
  for (std::size_t visited = 0; current && visited < kMaxChildrenPerElement; ++visited) {
    if (limit_reached(state, depth + 1)) break;
    if (auto child_node = walk_current(state, *current, depth + 1))
      node.children.push_back(std::move(*child_node));
    if (visited + 1 == kMaxChildrenPerElement) break;
    auto next = walker->get_next_sibling_element(*current);
    if (!next.succeeded()) break;
    current = std::move(next.value);
  }
  return node;
}

std::optional<SnapshotNode> walk_cached(WalkState& state, Element& element, std::uint64_t depth) {
  if (limit_reached(state, depth)) return std::nullopt;
  ElementRecord record = read_cached(element);
  if (left_out(record)) return std::nullopt;
  const auto& entry = record_element(state, std::move(record), element);
  SnapshotNode node{&entry.first, &entry.second, {}};

  std::vector<Ref<Element>> children = cached_children(element);
  if (!children.empty()) {
    walk_cached_children(state, children, depth + 1, node);
    return node;
  }
  if (!is_walk_container(entry.second.role)) return node;
  auto request = make_cache_request(state.automation, platform::TreeScope::Subtree, TreeView::Raw);
  if (!usable(request)) return node;
  auto raw = element.build_updated_cache(*request.value);
  if (!usable(raw)) return node;
  children = cached_children(*raw.value);
  walk_cached_children(state, children, depth + 1, node);
  return node;
}

}  // namespace uiad
