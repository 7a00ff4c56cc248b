// Reading the optional keys of a request: a value of the wrong JSON type
// counts as absent, so the command's default applies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "daemon/json.h"

namespace uiad {

// The member's value, or nullptr when the request has no such key.
inline const Json* request_member(const Json& request, const char* name) {
  if (!request.is_object()) return nullptr;
  auto it = request.find(name);
  return it == request.end() ? nullptr : &*it;
}

// A string member, or nullptr when absent or not a string.
inline const std::string* string_field(const Json& request, const char* name) {
  const Json* v = request_member(request, name);
  return v != nullptr && v->is_string() ? &v->get_ref<const std::string&>() : nullptr;
}

inline std::string string_field_or(const Json& request, const char* name, std::string fallback) {
  const std::string* v = string_field(request, name);
  return v != nullptr ? *v : std::move(fallback);
}

// Only a JSON integer of 0 or more counts; fractions, negatives and other
// types are absent.
inline std::optional<std::uint64_t> non_negative_field(const Json& request, const char* name) {
  const Json* v = request_member(request, name);
  if (v == nullptr) return std::nullopt;
  if (v->is_number_unsigned()) return v->get<std::uint64_t>();
  if (v->is_number_integer() && v->get<std::int64_t>() >= 0) {
    return static_cast<std::uint64_t>(v->get<std::int64_t>());
  }
  return std::nullopt;
}

// A repetition count: absent or mistyped gives `fallback`, 0 counts as 1 and
// anything above `most` as `most`.
inline std::uint32_t count_field(const Json& request, const char* name, std::uint32_t fallback,
                                 std::uint32_t most) {
  const std::optional<std::uint64_t> v = non_negative_field(request, name);
  if (!v) return fallback;
  if (*v == 0) return 1;
  return *v > most ? most : static_cast<std::uint32_t>(*v);
}

// true or false only; anything else gives `fallback`.
inline bool bool_field_or(const Json& request, const char* name, bool fallback) {
  const Json* v = request_member(request, name);
  return v != nullptr && v->is_boolean() ? v->get<bool>() : fallback;
}

}  // namespace uiad
