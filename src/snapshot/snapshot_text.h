// The snapshot text: one tag line per shown element carrying its id in an `e`
// attribute, nested by indentation, with supplement entries inserted before
// the last closing window tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "daemon/element_record.h"
#include "snapshot/element_id.h"
#include "snapshot/supplement_pass.h"
#include "snapshot/tree_walk.h"

namespace uiad {

// Automation ids that occur in two or more records; they render as `class`.
// The views point into the table. (A walk keeps the same set as it records:
// ElementTables::duplicate_automation_ids.)
DuplicateIdSet duplicate_automation_ids(const ElementRecordTable& records);

// "&", double quote, "<" and ">" as entities; everything else unchanged.
void append_escaped_attr(std::string& out, std::string_view text);
std::string escape_attr(std::string_view text);

// A group with nothing to say of its own: no line, its children shown in its place.
bool is_transparent_group(const ElementRecord& record);

// Appends one tag line without a line break.
void render_line(const ElementRecord& record, std::string_view id, std::uint64_t depth,
                 bool self_closing, const DuplicateIdSet& duplicates, std::string& out);

// Appends the node's text; returns false, with `out` unchanged, when the node
// renders empty.
bool render_node(const SnapshotNode& node, std::uint64_t depth, const DuplicateIdSet& duplicates,
                 std::string& out);

// The whole `ui_block`. `size_hint` (the number of records) sizes the buffer.
std::string render_snapshot(const SnapshotNode* main,
                            const std::vector<SupplementEntry>& supplement,
                            const DuplicateIdSet& duplicates, std::size_t size_hint = 0);

}  // namespace uiad
