// Compact JSON serialization into one growing buffer. It sits on the hot path
// of large scan responses, so it appends runs of plain bytes at once and never
// allocates per value.
#include "daemon/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace uiad {
namespace {

// 0: copied as is; 'u': written as \u00xx; other: the character after '\'.
constexpr std::array<char, 256> make_escape_table() {
  std::array<char, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = 'u';
  table['"'] = '"';
  table['\\'] = '\\';
  table['\b'] = 'b';
  table['\t'] = 't';
  table['\n'] = 'n';
  table['\f'] = 'f';
  table['\r'] = 'r';
  return table;
}
constexpr std::array<char, 256> kEscape = make_escape_table();

void append_string(std::string& out, std::string_view text) {
  out.push_back('"');
  std::size_t run_start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char kind = kEscape[static_cast<unsigned char>(text[i])];
    if (kind == 0) continue;
    out.append(text.data() + run_start, i - run_start);
    run_start = i + 1;
    if (kind == 'u') {
      constexpr char kHex[] = "0123456789abcdef";
      const auto c = static_cast<unsigned char>(text[i]);
      const char escaped[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
      out.append(escaped, 6);
    } else {
      const char escaped[2] = {'\\', kind};
      out.append(escaped, 2);
    }
  }
  out.append(text.data() + run_start, text.size() - run_start);
  out.push_back('"');
}

template <class Integer>
void append_integer(std::string& out, Integer value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void append_value(std::string& out, const Json& value) {
  switch (value.type()) {
    case Json::value_t::object: {
      out.push_back('{');
      bool first = true;
      for (const auto& [key, member] : value.get_ref<const Json::object_t&>()) {
        if (!first) out.push_back(',');
        first = false;
        append_string(out, key);
        out.push_back(':');
        append_value(out, member);
      }
      out.push_back('}');
      return;
    }
    case Json::value_t::array: {
      out.push_back('[');
      bool first = true;
      for (const Json& element : value.get_ref<const Json::array_t&>()) {
        if (!first) out.push_back(',');
        first = false;
        append_value(out, element);
      }
      out.push_back(']');
      return;
    }
    case Json::value_t::string:
      append_string(out, value.get_ref<const Json::string_t&>());
      return;
    case Json::value_t::boolean:
      out.append(value.get<bool>() ? "true" : "false");
      return;
    case Json::value_t::number_integer:
      append_integer(out, value.get<std::int64_t>());
      return;
    case Json::value_t::number_unsigned:
      append_integer(out, value.get<std::uint64_t>());
      return;
    case Json::value_t::number_float:
      append_json_double(out, value.get<double>());
      return;
    case Json::value_t::binary: {
      const auto& bytes = value.get_binary();
      out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      return;
    }
    case Json::value_t::null:
    case Json::value_t::discarded:
      out.append("null");
      return;
  }
  out.append("null");
}

}  // namespace

void append_json_double(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out.append("null");
    return;
  }
  if (value == 0) {
    out.append(std::signbit(value) ? "-0.0" : "0.0");
    return;
  }
  // Shortest round-trip digits in the form d[.ddd]e±x; the value is then
  // 0.d1...dn x 10^E with E = x + 1.
  char scientific[32];
  const auto result = std::to_chars(scientific, scientific + sizeof scientific, value,
                                    std::chars_format::scientific);
  const std::string_view text(scientific, static_cast<std::size_t>(result.ptr - scientific));
  std::size_t pos = 0;
  if (text[pos] == '-') {
    out.push_back('-');
    ++pos;
  }
  char digits[24];
  int n = 0;
  while (text[pos] != 'e') {
    if (text[pos] != '.') digits[n++] = text[pos];
    ++pos;
  }
  ++pos;  // 'e'
  const bool negative_exponent = text[pos] == '-';
  ++pos;  // sign
  int exponent = 0;
  std::from_chars(text.data() + pos, text.data() + text.size(), exponent);
  const int e = (negative_exponent ? -exponent : exponent) + 1;

  if (e > 0 && e <= 16) {
    if (n <= e) {
      out.append(digits, static_cast<std::size_t>(n));
      out.append(static_cast<std::size_t>(e - n), '0');
      out.append(".0");
    } else {
      out.append(digits, static_cast<std::size_t>(e));
      out.push_back('.');
      out.append(digits + e, static_cast<std::size_t>(n - e));
    }
  } else if (e > -5 && e <= 0) {
    out.append("0.");
    out.append(static_cast<std::size_t>(-e), '0');
    out.append(digits, static_cast<std::size_t>(n));
  } else {
    out.push_back(digits[0]);
    if (n > 1) {
      out.push_back('.');
      out.append(digits + 1, static_cast<std::size_t>(n - 1));
    }
    out.push_back('e');
    out.push_back(e - 1 < 0 ? '-' : '+');
    append_integer(out, e - 1 < 0 ? 1 - e : e - 1);
  }
}

void append_json(std::string& out, const Json& value) { append_value(out, value); }

std::string serialize_json(const Json& value) {
  std::string out;
  append_value(out, value);
  return out;
}

}  // namespace uiad

namespace uiad {

void append_json_string(std::string& out, std::string_view text) { append_string(out, text); }

// The binary type never comes out of parsing text, so it can mark text that
// is already JSON.
Json raw_json(std::string text) {
  Json::binary_t::container_type bytes(text.begin(), text.end());
  return Json::binary(std::move(bytes));
}

}  // namespace uiad
