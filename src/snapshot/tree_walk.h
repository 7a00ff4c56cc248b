// The walking engine of the snapshot: a UI Automation element and its
// descendants become a SnapshotNode tree, and every kept element is recorded
// under its element id, within a depth limit and an element limit.
//
// Ownership: the tables own the records and one reference per live element;
// nodes and live references point into the records table and must not outlive
// it. Single-threaded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "daemon/element_record.h"
#include "platform/automation.h"
#include "snapshot/element_id.h"

namespace uiad {

// Children after this many are ignored (without counting as truncation).
inline constexpr std::size_t kMaxChildrenPerElement = 200;

struct ScanLimits {
  std::uint64_t max_depth = 100;
  std::optional<std::uint64_t> max_elements;
  bool truncated = false;  // set when a limit kept an element out
};

using LiveElementTable = std::unordered_map<std::string, platform::Ref<platform::Element>>;

// A recorded element's reference, beside its entry in element_records.
struct LiveReference {
  const ElementRecordTable::value_type* entry = nullptr;
  platform::Ref<platform::Element> element;
};

// Automation ids (views into recorded records).
using DuplicateIdSet = std::unordered_set<std::string_view>;

// What one scan records: one live reference per record, in walk order. The
// references become a table only once the walk is over and their number is
// known, so that table is never rehashed.
struct ElementTables {
  ElementRecordTable element_records;
  std::vector<LiveReference> live_references;
  IdSuffixHints id_hints;
  // Non-empty automation ids seen once, and those seen again: kept while
  // recording so the renderer need not go over the whole table.
  DuplicateIdSet automation_ids;
  DuplicateIdSet duplicate_automation_ids;
};

// A recorded element and the recorded elements below it, in walk order.
// Destroying a tree takes no stack per level, so any depth is safe.
struct SnapshotNode {
  const std::string* id = nullptr;        // key in element_records
  const ElementRecord* record = nullptr;  // value in element_records
  std::vector<SnapshotNode> children;

  SnapshotNode() = default;
  SnapshotNode(const std::string* id_, const ElementRecord* record_,
               std::vector<SnapshotNode> children_ = {})
      : id(id_), record(record_), children(std::move(children_)) {}
  SnapshotNode(const SnapshotNode&) = default;
  SnapshotNode(SnapshotNode&&) noexcept = default;
  SnapshotNode& operator=(const SnapshotNode&) = default;
  SnapshotNode& operator=(SnapshotNode&&) noexcept = default;
  ~SnapshotNode();
};

// Everything a walk reads and advances besides the element itself.
struct WalkState {
  platform::Automation& automation;
  ScanLimits& limits;
  platform::Element* focused;  // used by current reading only; may be null
  std::uint64_t& counter;      // advanced once per recorded element
  ElementTables& tables;
};

// The references keyed by id; the entries stay, their references move out.
LiveElementTable make_live_element_table(std::vector<LiveReference>& references);

// True when a limit stops recording at `depth`; sets `truncated` then.
bool limit_reached(WalkState& state, std::uint64_t depth);

// Advances the counter, makes the element's id and records it with one new
// reference on `element`. Returns the table entry.
const ElementRecordTable::value_type& record_element(WalkState& state, ElementRecord&& record,
                                                     platform::Element& element);

// Walks over current properties with the control-view walker, falling back to
// the raw view for the children of a childless container. nullopt when the
// element was left out or a limit stopped the walk.
std::optional<SnapshotNode> walk_current(WalkState& state, platform::Element& element,
                                         std::uint64_t depth);

// Walks an element obtained from BuildUpdatedCache with a request of
// make_cache_request, reading cached values only; a childless container gets
// one raw-view BuildUpdatedCache for its children.
std::optional<SnapshotNode> walk_cached(WalkState& state, platform::Element& element,
                                        std::uint64_t depth);

}  // namespace uiad
