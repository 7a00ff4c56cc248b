// The dynamic JSON value of requests and results. Objects are maps sorted by key
// (byte order), so our serializer writes keys in ascending UTF-8 byte order.
#pragma once

#include <nlohmann/json.hpp>

namespace uiad {

using Json = nlohmann::json;

}  // namespace uiad
