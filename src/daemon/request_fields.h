// Reading request keys the way every command reads them: a key of the wrong
// type counts as absent, so the default applies.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "daemon/json.h"

namespace uiad {

// The member `name` of a request object, or null.
inline const Json* request_member(const Json& request, const char* name) {
  if (!request.is_object()) return nullptr;
  auto it = request.find(name);
  return it == request.end() ? nullptr : &*it;
}

// Only a JSON integer of 0 or more qualifies; floats, negatives and strings
// count as absent.
inline std::optional<std::uint64_t> non_negative_integer(const Json& request, const char* name) {
  const Json* v = request_member(request, name);
  if (v == nullptr) return std::nullopt;
  if (v->is_number_unsigned()) return v->get<std::uint64_t>();
  if (v->is_number_integer() && v->get<std::int64_t>() >= 0)
    return static_cast<std::uint64_t>(v->get<std::int64_t>());
  return std::nullopt;
}

// A string member, or nullopt for an absent or non-string one.
inline std::optional<std::string_view> string_field(const Json& request, const char* name) {
  const Json* v = request_member(request, name);
  if (v == nullptr || !v->is_string()) return std::nullopt;
  return std::string_view(v->get_ref<const std::string&>());
}

}  // namespace uiad
