// Building the one response object of a request. A handler returns the whole
// object; the loop writes it as one line.
#pragma once

#include <string>

#include "daemon/json.h"

namespace uiad {

// {"ok":true} plus the given result keys (an object, possibly empty).
inline Json ok_response(Json result = Json::object()) {
  result["ok"] = true;
  return result;
}

// {"error":message,"ok":false}.
inline Json error_response(std::string message) {
  return Json{{"error", std::move(message)}, {"ok", false}};
}

}  // namespace uiad
