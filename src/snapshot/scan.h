// The `scan` command: snapshot one application window, store it as the
// application's session and answer with the snapshot text and element map.
#pragma once

#include <cstdint>
#include <vector>

#include "daemon/context.h"
#include "daemon/json.h"
#include "snapshot/element_id.h"
#include "snapshot/tree_walk.h"

namespace uiad {

Json handle_scan(DaemonContext& context, const Json& request);

// The `elements` map: element id -> summary, for every record, as JSON text
// (see raw_json).
Json element_map(const ElementRecordTable& records);
// The same for the entries of a walk, in walk order: their memory is then read
// in the order it was allocated, which is faster than the table's own order.
Json element_map(const std::vector<LiveReference>& recorded);

// A duration as the milliseconds of the `timing` object: a float rounded to
// one decimal, half away from zero; null when not finite.
Json rounded_milliseconds(std::int64_t nanoseconds);

}  // namespace uiad
