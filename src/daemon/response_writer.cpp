// Output lines of the protocol, serialized by our own writer.
#include "daemon/response_writer.h"

#include <string>

#include "daemon/json_writer.h"

namespace uiad {

void write_response(Transport& transport, const Json& response) {
  transport.write_line(serialize_json(response));
}

void write_error(Transport& transport, std::string_view message) {
  write_response(transport, Json{{"error", message}, {"ok", false}});
}

void write_event(Transport& transport, std::string_view name) {
  write_response(transport, Json{{"event", name}, {"ok", true}});
}

}  // namespace uiad
