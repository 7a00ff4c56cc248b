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

SnapshotNode::~SnapshotNode() {
  auto has_grandchildren = [](const SnapshotNode& n) {
    for (const SnapshotNode& c : n.children) {
      if (!c.children.empty()) return true;
    }
    return false;
  };
  if (!has_grandchildren(*this)) return;
  // Detach every node that has children and free them one by one; each then
  // holds only childless nodes, whose destructors return at once.
  std::vector<SnapshotNode> pending;
  auto detach_parents = [&](SnapshotNode& n) {
    for (SnapshotNode& c : n.children) {
      if (!c.children.empty()) pending.emplace_back(nullptr, nullptr, std::move(c.children));
    }
  };
  detach_parents(*this);
  while (!pending.empty()) {
    SnapshotNode n = std::move(pending.back());
    pending.pop_back();
    detach_parents(n);
  }
}

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

namespace {

// The walks keep their own stack of open elements instead of recursing, so
// a tree of any depth costs heap, not call stack. Each step makes the same
// platform calls, in the same order, as the recursive description.

struct CurrentFrame {
  SnapshotNode node;
  std::uint64_t depth = 0;
  Ref<platform::TreeWalker> walker;
  Ref<Element> current;  // the child to visit next; null when done
  std::size_t visited = 0;
};

// Reads and records one element and finds its first child. nullopt when the
// element is left out or a limit stops it.
std::optional<CurrentFrame> enter_current(WalkState& state, Element& element, std::uint64_t depth) {
  if (limit_reached(state, depth)) return std::nullopt;
  ElementRecord record = read_current(state.automation, element, state.focused);
  if (left_out(record)) return std::nullopt;
  const auto& entry = record_element(state, std::move(record), element);
  CurrentFrame frame{SnapshotNode{&entry.first, &entry.second, {}}, depth, {}, {}, 0};

  // The walker is fetched anew for every element; a childless container swaps
  // it for the raw-view walker, which then also yields the next siblings.
  auto control = state.automation.get_control_view_walker();
  if (!usable(control)) return frame;
  frame.walker = std::move(control.value);
  auto child = frame.walker->get_first_child_element(element);
  if (!usable(child) && is_walk_container(entry.second.role)) {
    auto raw = state.automation.get_raw_view_walker();
    if (!usable(raw)) return frame;
    frame.walker = std::move(raw.value);
    child = frame.walker->get_first_child_element(element);
  }
  if (usable(child)) frame.current = std::move(child.value);
  return frame;
}

// Moves to the next sibling once the current child has been walked.
void advance_current(CurrentFrame& frame) {
  if (++frame.visited == kMaxChildrenPerElement) {
    frame.current = nullptr;
    return;
  }
  auto next = frame.walker->get_next_sibling_element(*frame.current);
  frame.current = next.succeeded() ? std::move(next.value) : nullptr;
}

struct CachedFrame {
  SnapshotNode node;
  std::uint64_t depth = 0;
  Ref<Element> raw;  // holds the raw-view cache the children come from
  std::vector<Ref<Element>> children;
  std::size_t next = 0;
};

std::optional<CachedFrame> enter_cached(WalkState& state, Element& element, std::uint64_t depth) {
  if (limit_reached(state, depth)) return std::nullopt;
  ElementRecord record = read_cached(element);
  if (left_out(record)) return std::nullopt;
  const auto& entry = record_element(state, std::move(record), element);
  CachedFrame frame{SnapshotNode{&entry.first, &entry.second, {}}, depth, {}, {}, 0};

  frame.children = cached_children(element);
  if (frame.children.empty() && is_walk_container(entry.second.role)) {
    auto request =
        make_cache_request(state.automation, platform::TreeScope::Subtree, TreeView::Raw);
    if (!usable(request)) return frame;
    auto raw = element.build_updated_cache(*request.value);
    if (!usable(raw)) return frame;
    frame.raw = std::move(raw.value);
    frame.children = cached_children(*frame.raw);
  }
  frame.node.children.reserve(frame.children.size());
  return frame;
}

// Drives a walk: `enter` opens a frame for an element, `next_child` names the
// top frame's next child (null when it is done) and `advance` moves past it.
template <typename Frame, typename Enter, typename NextChild, typename Advance>
std::optional<SnapshotNode> walk(WalkState& state, Element& element, std::uint64_t depth,
                                 Enter enter, NextChild next_child, Advance advance) {
  std::optional<Frame> first = enter(state, element, depth);
  if (!first) return std::nullopt;
  std::vector<Frame> stack;
  stack.push_back(std::move(*first));
  for (;;) {
    Frame& top = stack.back();
    // Once a limit is hit every later sibling would hit it too, so the
    // element is done instead of visiting them one by one.
    Element* child = next_child(top);
    if (child != nullptr && !limit_reached(state, top.depth + 1)) {
      if (std::optional<Frame> opened = enter(state, *child, top.depth + 1)) {
        stack.push_back(std::move(*opened));
      } else {
        advance(top);
      }
      continue;
    }
    SnapshotNode done = std::move(top.node);
    stack.pop_back();
    if (stack.empty()) return done;
    stack.back().node.children.push_back(std::move(done));
    advance(stack.back());
  }
}

}  // namespace

std::optional<SnapshotNode> walk_current(WalkState& state, Element& element, std::uint64_t depth) {
  return walk<CurrentFrame>(
      state, element, depth, enter_current, [](CurrentFrame& f) { return f.current.get(); },
      advance_current);
}

std::optional<SnapshotNode> walk_cached(WalkState& state, Element& element, std::uint64_t depth) {
  return walk<CachedFrame>(
      state, element, depth, enter_cached,
      [](CachedFrame& f) {
        return f.next < f.children.size() ? f.children[f.next].get() : nullptr;
      },
      [](CachedFrame& f) { ++f.next; });
}

}  // namespace uiad
