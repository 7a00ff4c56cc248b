// Writing the protocol's output lines: a response object, an error message or
// an event, each serialized compactly as one line. None reports a failure.
#pragma once

#include <string_view>

#include "daemon/json.h"
#include "daemon/transport.h"

namespace uiad {

void write_response(Transport& transport, const Json& response);
// {"error":message,"ok":false}
void write_error(Transport& transport, std::string_view message);
// {"event":name,"ok":true}
void write_event(Transport& transport, std::string_view name);

}  // namespace uiad
