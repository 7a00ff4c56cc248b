// The `scan` command: snapshot one application window, store it as the
// application's session and answer with the snapshot text and element map.
#pragma once

#include <cstdint>

#include "daemon/context.h"
#include "daemon/json.h"
#include "snapshot/element_id.h"

namespace uiad {

Json handle_scan(DaemonContext& context, const Json& request);

// One element's summary in the `elements` map of the scan result.
Json element_summary(const ElementRecord& record);

// The `elements` map: element id -> summary, for every record.
Json element_map(const ElementRecordTable& records);

// A duration as the milliseconds of the `timing` object: a float rounded to
// one decimal, half away from zero; null when not finite.
Json rounded_milliseconds(std::int64_t nanoseconds);

}  // namespace uiad
