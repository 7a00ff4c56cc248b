// The supplement pass: elements reachable only through descendant windows of
// the target, recorded one by one or, for containers, as small subtrees.
#pragma once

#include <vector>

#include "platform/types.h"
#include "platform/window_system.h"
#include "snapshot/tree_walk.h"

namespace uiad {

// Containers found through a descendant window are walked this deep.
inline constexpr std::uint64_t kSupplementSubtreeDepth = 8;

struct SupplementEntry {
  enum class Kind { Single, Subtree };
  Kind kind = Kind::Single;
  SnapshotNode node;  // a Single entry has no children
};

// Visits every descendant window of `target` in EnumChildWindows order and
// records the elements that are not yet in the tables (same role, label and
// centre). `cached` selects cached reading. Shares the limits, counter and
// tables of `state`; reports nothing.
std::vector<SupplementEntry> supplement_pass(WalkState& state, platform::WindowSystem& windows,
                                             platform::Hwnd target, bool cached);

}  // namespace uiad
