// Scene loading: validation, defaults, element templates with "repeat", and
// the synthesised elements of windows that declare none.
#include "platform/sim/scene_loader.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "platform/sim/text.h"

namespace uiad::sim {
namespace {

using Json = nlohmann::json;
using platform::Point;

// Keeps a hostile or mistaken scene from exhausting the stack: Windows itself
// nests child windows only about fifty deep. Sizes are bounded by SceneLimits.
constexpr std::size_t kMaxNesting = 256;

// ---- lone surrogates ----

// Windows texts may hold UTF-16 units without their pair, so scenes may write
// them as JSON escapes ("\ud800"), which the JSON parser refuses. Before
// parsing, each such escape is swapped for a private-use character, U+10F800
// plus the unit's offset from U+D800, and texts swap it back on becoming UTF-16.
constexpr char32_t kLoneUnitBase = 0x10F800;

// Set while a scene with lone surrogates loads (scenes may load in parallel).
thread_local bool t_scene_has_lone_units = false;

std::u16string scene_utf16(std::string_view utf8) {
  std::u16string text = utf8_to_utf16(utf8);
  if (!t_scene_has_lone_units) return text;
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    // U+10F800..U+10FFFF is the pair DBFE or DBFF, then DC00..DFFF.
    if ((text[i] == 0xDBFE || text[i] == 0xDBFF) && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      out.push_back(
          static_cast<char16_t>(0xD800 + ((text[i] - 0xDBFE) << 10) + (text[i + 1] - 0xDC00)));
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

int hex_unit(std::string_view text, std::size_t at) {
  if (at + 4 > text.size()) return -1;
  int unit = 0;
  for (std::size_t k = at; k < at + 4; ++k) {
    const char c = text[k];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

// The scene text with every lone surrogate escape swapped (see above).
// `swapped` tells whether there was one; `clash` whether the text also holds
// a character of the swap range itself, which would then be misread.
std::string swap_lone_surrogates(std::string_view json, bool& swapped, bool& clash) {
  std::string out;
  out.reserve(json.size());
  for (std::size_t i = 0; i < json.size();) {
    const auto byte = static_cast<unsigned char>(json[i]);
    if (byte == 0xF4 && i + 2 < json.size() && static_cast<unsigned char>(json[i + 1]) == 0x8F &&
        static_cast<unsigned char>(json[i + 2]) >= 0xA0) {
      clash = true;
    }
    if (json[i] != '\\' || i + 1 >= json.size()) {
      out.push_back(json[i++]);
      continue;
    }
    const int unit = json[i + 1] == 'u' ? hex_unit(json, i + 2) : -1;
    if (unit < 0xD800 || unit > 0xDFFF) {
      out.append(json, i, 2);  // any other escape, "\\" included
      i += 2;
      continue;
    }
    const int low = unit <= 0xDBFF && json.substr(i + 6, 2) == "\\u" ? hex_unit(json, i + 8) : -1;
    if (low >= 0xDC00 && low <= 0xDFFF) {
      if (unit >= 0xDBFE) clash = true;
      out.append(json, i, 12);
      i += 12;
      continue;
    }
    const char32_t carried = kLoneUnitBase + static_cast<char32_t>(unit - 0xD800) - 0x10000;
    char escape[16];
    std::snprintf(escape, sizeof escape, "\\u%04X\\u%04X",
                  static_cast<unsigned>(0xD800 + (carried >> 10)),
                  static_cast<unsigned>(0xDC00 + (carried & 0x3FF)));
    out += escape;
    swapped = true;
    i += 6;
  }
  return out;
}

// Internal only: load_scene turns it into its error message.
struct SceneError {
  std::string message;
};

[[noreturn]] void fail(const std::string& path, const std::string& problem) {
  throw SceneError{"scene: " + (path.empty() ? std::string("/") : path) + ": " + problem};
}

std::string at(const std::string& path, std::string_view key) {
  return path + "/" + std::string(key);
}
std::string at(const std::string& path, std::size_t index) {
  return path + "/" + std::to_string(index);
}

void check_keys(const Json& object, const std::string& path,
                std::initializer_list<std::string_view> allowed) {
  if (!object.is_object()) fail(path, "expected an object");
  for (const auto& [key, value] : object.items()) {
    if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
      fail(at(path, key), "unknown key '" + key + "'");
    }
  }
}

const Json* member(const Json& object, std::string_view key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::int64_t to_int(const Json& value, const std::string& path, std::int64_t min,
                    std::int64_t max) {
  if (!value.is_number_integer()) fail(path, "expected an integer");
  if (value.is_number_unsigned() && value.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) {
    fail(path, "integer out of range");
  }
  const auto v = value.get<std::int64_t>();
  if (v < min || v > max) fail(path, "integer out of range");
  return v;
}

std::int64_t int_or(const Json& object, std::string_view key, const std::string& path,
                    std::int64_t fallback, std::int64_t min = INT32_MIN,
                    std::int64_t max = INT32_MAX) {
  const Json* v = member(object, key);
  return v == nullptr ? fallback : to_int(*v, at(path, key), min, max);
}

bool to_bool(const Json& value, const std::string& path) {
  if (!value.is_boolean()) fail(path, "expected true or false");
  return value.get<bool>();
}

bool bool_or(const Json& object, std::string_view key, const std::string& path, bool fallback) {
  const Json* v = member(object, key);
  return v == nullptr ? fallback : to_bool(*v, at(path, key));
}

std::string to_string(const Json& value, const std::string& path) {
  if (!value.is_string()) fail(path, "expected a string");
  return value.get<std::string>();
}

std::optional<std::string> optional_string(const Json& object, std::string_view key,
                                           const std::string& path) {
  const Json* v = member(object, key);
  if (v == nullptr) return std::nullopt;
  return to_string(*v, at(path, key));
}

double to_double(const Json& value, const std::string& path) {
  if (!value.is_number()) fail(path, "expected a number");
  return value.get<double>();
}

platform::Hwnd to_hwnd(const Json& value, const std::string& path) {
  if (!value.is_number_integer() ||
      (!value.is_number_unsigned() && value.get<std::int64_t>() < 0)) {
    fail(path, "expected a window handle (a non-negative integer)");
  }
  return value.get<std::uint64_t>();
}

// An integer, or a string "0x...": the 32-bit pattern is what counts.
std::uint32_t to_code(const Json& value, const std::string& path) {
  if (value.is_number_integer()) {
    const auto v = value.get<std::int64_t>();
    if (value.is_number_unsigned() ? value.get<std::uint64_t>() > 0xFFFFFFFFull
                                   : (v < INT32_MIN || v > 0xFFFFFFFFll)) {
      fail(path, "code out of the 32-bit range");
    }
    return static_cast<std::uint32_t>(v);
  }
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    std::size_t used = 0;
    unsigned long long v = 0;
    try {
      v = std::stoull(text, &used, 0);
    } catch (...) {
      used = 0;
    }
    if (used == 0 || used != text.size() || v > 0xFFFFFFFFull) {
      fail(path, "expected a code such as \"0x80004005\"");
    }
    return static_cast<std::uint32_t>(v);
  }
  fail(path, "expected a code: an integer or a string such as \"0x80004005\"");
}

Rect to_rect(const Json& value, const std::string& path) {
  if (value.is_array() && value.size() == 4) {
    Rect r;
    r.left = static_cast<std::int32_t>(to_int(value[0], at(path, 0), INT32_MIN, INT32_MAX));
    r.top = static_cast<std::int32_t>(to_int(value[1], at(path, 1), INT32_MIN, INT32_MAX));
    r.right = static_cast<std::int32_t>(to_int(value[2], at(path, 2), INT32_MIN, INT32_MAX));
    r.bottom = static_cast<std::int32_t>(to_int(value[3], at(path, 3), INT32_MIN, INT32_MAX));
    return r;
  }
  if (value.is_object()) {
    check_keys(value, path, {"x", "y", "width", "height"});
    const auto x = int_or(value, "x", path, 0);
    const auto y = int_or(value, "y", path, 0);
    const auto w = int_or(value, "width", path, 0);
    const auto h = int_or(value, "height", path, 0);
    return Rect{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                static_cast<std::int32_t>(x + w), static_cast<std::int32_t>(y + h)};
  }
  fail(path, "expected [left, top, right, bottom] or {\"x\", \"y\", \"width\", \"height\"}");
}

Point to_point(const Json& value, const std::string& path) {
  if (!value.is_array() || value.size() != 2) fail(path, "expected [x, y]");
  return Point{static_cast<std::int32_t>(to_int(value[0], at(path, 0), INT32_MIN, INT32_MAX)),
               static_cast<std::int32_t>(to_int(value[1], at(path, 1), INT32_MIN, INT32_MAX))};
}

std::uint32_t to_color(const Json& value, const std::string& path) {
  if (value.is_number_integer())
    return static_cast<std::uint32_t>(to_int(value, path, 0, 0xFFFFFF));
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text.size() == 7 && text[0] == '#' &&
        text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
      return static_cast<std::uint32_t>(std::stoul(text.substr(1), nullptr, 16));
    }
  }
  fail(path, "expected a colour \"#RRGGBB\" or an integer 0xRRGGBB");
}

struct NamedValue {
  std::string_view name;
  std::int32_t value;
};

constexpr NamedValue kControlTypes[] = {
    {"button", 50000},      {"calendar", 50001},    {"checkbox", 50002},  {"combobox", 50003},
    {"edit", 50004},        {"hyperlink", 50005},   {"image", 50006},     {"listitem", 50007},
    {"list", 50008},        {"menu", 50009},        {"menubar", 50010},   {"menuitem", 50011},
    {"progressbar", 50012}, {"radiobutton", 50013}, {"scrollbar", 50014}, {"slider", 50015},
    {"spinner", 50016},     {"statusbar", 50017},   {"tab", 50018},       {"tabitem", 50019},
    {"text", 50020},        {"toolbar", 50021},     {"tooltip", 50022},   {"tree", 50023},
    {"treeitem", 50024},    {"custom", 50025},      {"group", 50026},     {"thumb", 50027},
    {"datagrid", 50028},    {"dataitem", 50029},    {"document", 50030},  {"splitbutton", 50031},
    {"window", 50032},      {"pane", 50033},        {"header", 50034},    {"headeritem", 50035},
    {"table", 50036},       {"titlebar", 50037},    {"separator", 50038}, {"semanticzoom", 50039},
    {"appbar", 50040},
};

ControlTypeId to_control_type(const Json& value, const std::string& path) {
  if (value.is_number_integer()) {
    return static_cast<ControlTypeId>(to_int(value, path, INT32_MIN, INT32_MAX));
  }
  if (value.is_string()) {
    const std::string name = value.get<std::string>();
    for (const auto& t : kControlTypes) {
      if (t.name == name) return t.value;
    }
    fail(path, "unknown control type '" + name + "'");
  }
  fail(path, "expected a control type name (\"button\") or id (50000)");
}

std::int64_t to_named(const Json& value, const std::string& path,
                      std::initializer_list<NamedValue> names, std::int64_t max) {
  if (value.is_number_integer()) return to_int(value, path, 0, max);
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    for (const auto& n : names) {
      if (n.name == text) return n.value;
    }
  }
  std::string list;
  for (const auto& n : names) list += (list.empty() ? "" : ", ") + std::string(n.name);
  fail(path, "expected one of " + list + " or a number");
}

Fault to_fault(const Json& value, const std::string& path) {
  check_keys(value, path,
             {"call", "hr", "description", "times", "pattern", "flags", "delay_ms", "hangs"});
  Fault f;
  const Json* call = member(value, "call");
  if (call == nullptr) fail(path, "a fault needs \"call\"");
  const std::string name = to_string(*call, at(path, "call"));
  const auto method = method_from_name(name);
  if (!method) fail(at(path, "call"), "unknown call '" + name + "'");
  f.method = *method;
  if (const Json* hr = member(value, "hr"))
    f.hr = static_cast<HResult>(to_code(*hr, at(path, "hr")));
  if (auto d = optional_string(value, "description", path)) f.description = scene_utf16(*d);
  f.remaining = int_or(value, "times", path, -1, 1, INT64_MAX);
  if (const Json* p = member(value, "pattern")) {
    f.pattern = static_cast<platform::PatternId>(to_named(*p, at(path, "pattern"),
                                                          {{"invoke", 10000},
                                                           {"value", 10002},
                                                           {"scroll", 10004},
                                                           {"expand_collapse", 10005},
                                                           {"selection_item", 10010},
                                                           {"text", 10014},
                                                           {"toggle", 10015}},
                                                          20000));
  }
  if (const Json* fl = member(value, "flags")) {
    f.flags = static_cast<std::uint32_t>(to_int(*fl, at(path, "flags"), 0, UINT32_MAX));
  }
  f.delay_ms = int_or(value, "delay_ms", path, 0, 0, 3'600'000);
  f.hangs = bool_or(value, "hangs", path, false);
  f.fails = member(value, "hr") != nullptr || (f.delay_ms == 0 && !f.hangs);
  return f;
}

std::vector<Fault> to_faults(const Json* value, const std::string& path) {
  std::vector<Fault> out;
  if (value == nullptr) return out;
  if (!value->is_array()) fail(path, "expected an array of faults");
  for (std::size_t i = 0; i < value->size(); ++i) out.push_back(to_fault((*value)[i], at(path, i)));
  return out;
}

// ---- element templates ----

// A text with "{var}" placeholders, split once into literal pieces (kept in
// UTF-16 and UTF-8) and the positions of the variables in the repeat scope.
struct TextTemplate {
  std::vector<std::u16string> pieces;
  std::vector<std::string> pieces8;
  std::vector<std::size_t> vars;  // index into the scope's values; pieces = vars + 1
};

TextTemplate make_text(const std::string& text, const std::vector<std::string>& scope) {
  TextTemplate t;
  std::string literal;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '{') {
      const std::size_t close = text.find('}', i + 1);
      if (close != std::string::npos) {
        const std::string_view name(text.data() + i + 1, close - i - 1);
        std::size_t found = scope.size();
        for (std::size_t k = scope.size(); k-- > 0;) {
          if (scope[k] == name) {
            found = k;
            break;
          }
        }
        if (found != scope.size()) {
          t.pieces.push_back(scene_utf16(literal));
          t.pieces8.push_back(literal);
          t.vars.push_back(found);
          literal.clear();
          i = close + 1;
          continue;
        }
      }
    }
    literal.push_back(text[i++]);
  }
  t.pieces.push_back(scene_utf16(literal));
  t.pieces8.push_back(std::move(literal));
  return t;
}

std::optional<TextTemplate> optional_text(const Json& object, std::string_view key,
                                          const std::string& path,
                                          const std::vector<std::string>& scope) {
  auto text = optional_string(object, key, path);
  if (!text) return std::nullopt;
  return make_text(*text, scope);
}

struct ElementTemplate {
  std::string path;
  std::optional<ControlTypeId> type;
  std::optional<TextTemplate> name, help, automation_id, accelerator, ref, value;
  std::optional<Rect> rect;
  std::optional<platform::Hwnd> native_window;
  std::optional<std::int32_t> process_id;
  bool enabled = true, focused = false, raw_only = false, present = true;
  std::uint8_t patterns = 0;
  bool read_only = false, three_state = false, selected = false;
  std::uint8_t toggle = 0, expand = 3;
  std::optional<double> h_percent, v_percent;
  std::optional<bool> h_scrollable, v_scrollable;
  std::optional<ScrollSteps> steps;
  std::optional<InvokeSpec> invoke;
  std::vector<Fault> faults;
  std::int64_t repeat = -1;
  bool chain = false;  // the copies nest instead of following each other
  std::string var = "i";
  std::int64_t start = 1;
  Point step;
  std::vector<ElementTemplate> children;
};

void parse_patterns(const Json& value, const std::string& path, ElementTemplate& t,
                    const std::vector<std::string>& scope) {
  auto add = [&](const std::string& name, const Json* spec, const std::string& spec_path) {
    const bool has_spec = spec != nullptr && !spec->is_boolean();
    if (spec != nullptr && spec->is_boolean() && !spec->get<bool>()) return;
    if (name == "invoke") {
      t.patterns |= kInvokeBit;
      if (has_spec) {
        check_keys(*spec, spec_path, {"delay_ms", "blocks", "returns_when_hidden", "hr"});
        InvokeSpec s;
        s.delay_ms = int_or(*spec, "delay_ms", spec_path, 0, 0, 3'600'000);
        s.blocks = bool_or(*spec, "blocks", spec_path, false);
        if (const Json* h = member(*spec, "returns_when_hidden")) {
          s.until_hidden = to_hwnd(*h, at(spec_path, "returns_when_hidden"));
          s.blocks = true;
        }
        if (const Json* hr = member(*spec, "hr")) {
          s.result = static_cast<HResult>(to_code(*hr, at(spec_path, "hr")));
        }
        if (s.delay_ms > 0 || s.blocks || s.result != platform::kSOk) t.invoke = s;
      }
    } else if (name == "value") {
      t.patterns |= kValueBit;
      if (has_spec) {
        check_keys(*spec, spec_path, {"value", "read_only"});
        t.value = optional_text(*spec, "value", spec_path, scope);
        t.read_only = bool_or(*spec, "read_only", spec_path, false);
      }
    } else if (name == "toggle") {
      t.patterns |= kToggleBit;
      if (has_spec) {
        check_keys(*spec, spec_path, {"state", "three_state"});
        if (const Json* s = member(*spec, "state")) {
          t.toggle = static_cast<std::uint8_t>(to_named(
              *s, at(spec_path, "state"), {{"off", 0}, {"on", 1}, {"indeterminate", 2}}, 2));
        }
        t.three_state = bool_or(*spec, "three_state", spec_path, false);
      }
    } else if (name == "selection_item") {
      t.patterns |= kSelectionItemBit;
      if (has_spec) {
        check_keys(*spec, spec_path, {"selected"});
        t.selected = bool_or(*spec, "selected", spec_path, false);
      }
    } else if (name == "expand_collapse") {
      t.patterns |= kExpandCollapseBit;
      t.expand = 0;
      if (has_spec) {
        check_keys(*spec, spec_path, {"state"});
        if (const Json* s = member(*spec, "state")) {
          t.expand = static_cast<std::uint8_t>(to_named(
              *s, at(spec_path, "state"),
              {{"collapsed", 0}, {"expanded", 1}, {"partially_expanded", 2}, {"leaf_node", 3}}, 3));
        }
      }
    } else if (name == "scroll") {
      t.patterns |= kScrollBit;
      if (has_spec) {
        check_keys(*spec, spec_path,
                   {"horizontal_percent", "vertical_percent", "horizontally_scrollable",
                    "vertically_scrollable", "large_step", "small_step"});
        if (const Json* v = member(*spec, "horizontal_percent")) {
          t.h_percent = to_double(*v, at(spec_path, "horizontal_percent"));
        }
        if (const Json* v = member(*spec, "vertical_percent")) {
          t.v_percent = to_double(*v, at(spec_path, "vertical_percent"));
        }
        if (const Json* v = member(*spec, "horizontally_scrollable")) {
          t.h_scrollable = to_bool(*v, at(spec_path, "horizontally_scrollable"));
        }
        if (const Json* v = member(*spec, "vertically_scrollable")) {
          t.v_scrollable = to_bool(*v, at(spec_path, "vertically_scrollable"));
        }
        if (member(*spec, "large_step") || member(*spec, "small_step")) {
          ScrollSteps s;
          if (const Json* v = member(*spec, "large_step"))
            s.large = to_double(*v, at(spec_path, "large_step"));
          if (const Json* v = member(*spec, "small_step"))
            s.small = to_double(*v, at(spec_path, "small_step"));
          t.steps = s;
        }
      }
    } else if (name == "text") {
      t.patterns |= kTextBit;
      if (has_spec) check_keys(*spec, spec_path, {});
    } else {
      fail(spec_path,
           "unknown pattern '" + name +
               "' (invoke, value, toggle, selection_item, expand_collapse, scroll, text)");
    }
  };
  if (value.is_array()) {
    for (std::size_t i = 0; i < value.size(); ++i)
      add(to_string(value[i], at(path, i)), nullptr, at(path, i));
  } else if (value.is_object()) {
    for (const auto& [name, spec] : value.items()) {
      if (!spec.is_object() && !spec.is_boolean())
        fail(at(path, name), "expected an object or true");
      add(name, &spec, at(path, name));
    }
  } else {
    fail(path, "expected an object of patterns or an array of pattern names");
  }
}

ElementTemplate parse_element(const Json& value, const std::string& path,
                              std::vector<std::string> scope, std::size_t depth = 0) {
  if (depth >= kMaxNesting)
    fail(path, "elements nest deeper than " + std::to_string(kMaxNesting) + " levels");
  check_keys(value, path,
             {"type", "name", "help", "automation_id", "accelerator_key", "rect", "enabled",
              "focused", "native_window", "process_id", "raw_only", "present", "ref", "patterns",
              "faults", "children", "repeat", "chain"});
  ElementTemplate t;
  t.path = path;
  const Json* r = member(value, "repeat");
  if (const Json* c = member(value, "chain")) {
    if (r != nullptr) fail(at(path, "chain"), "an element has \"repeat\" or \"chain\", not both");
    r = c;
    t.chain = true;
  }
  if (r != nullptr) {
    const std::string rp = at(path, t.chain ? "chain" : "repeat");
    if (r->is_number_integer()) {
      t.repeat = to_int(*r, rp, 0, 10'000'000);
    } else {
      check_keys(*r, rp, {"count", "var", "start", "step"});
      const Json* count = member(*r, "count");
      if (count == nullptr)
        fail(rp, "\"" + std::string(t.chain ? "chain" : "repeat") + "\" needs \"count\"");
      t.repeat = to_int(*count, at(rp, "count"), 0, 10'000'000);
      if (auto var = optional_string(*r, "var", rp)) {
        if (var->empty() || var->find_first_of("{}") != std::string::npos) {
          fail(at(rp, "var"), "expected a name without braces");
        }
        t.var = *var;
      }
      t.start = int_or(*r, "start", rp, 1, INT32_MIN, INT32_MAX);
      if (const Json* st = member(*r, "step")) t.step = to_point(*st, at(rp, "step"));
    }
    scope.push_back(t.var);
  }
  if (const Json* v = member(value, "type")) t.type = to_control_type(*v, at(path, "type"));
  t.name = optional_text(value, "name", path, scope);
  t.help = optional_text(value, "help", path, scope);
  t.automation_id = optional_text(value, "automation_id", path, scope);
  t.accelerator = optional_text(value, "accelerator_key", path, scope);
  t.ref = optional_text(value, "ref", path, scope);
  if (const Json* v = member(value, "rect")) t.rect = to_rect(*v, at(path, "rect"));
  if (const Json* v = member(value, "native_window"))
    t.native_window = to_hwnd(*v, at(path, "native_window"));
  if (const Json* v = member(value, "process_id")) {
    t.process_id =
        static_cast<std::int32_t>(to_int(*v, at(path, "process_id"), INT32_MIN, INT32_MAX));
  }
  t.enabled = bool_or(value, "enabled", path, true);
  t.focused = bool_or(value, "focused", path, false);
  t.raw_only = bool_or(value, "raw_only", path, false);
  t.present = bool_or(value, "present", path, true);
  if (const Json* v = member(value, "patterns")) parse_patterns(*v, at(path, "patterns"), t, scope);
  t.faults = to_faults(member(value, "faults"), at(path, "faults"));
  if (const Json* c = member(value, "children")) {
    const std::string cp = at(path, "children");
    if (!c->is_array()) fail(cp, "expected an array of elements");
    t.children.reserve(c->size());
    for (std::size_t i = 0; i < c->size(); ++i) {
      t.children.push_back(parse_element((*c)[i], at(cp, i), scope, depth + 1));
    }
  }
  return t;
}

// What a template makes: elements, text units (names, values, refs...) and
// element faults. The counts saturate instead of overflowing.
struct Plan {
  std::size_t elements = 0;
  std::size_t text_units = 0;
  std::size_t faults = 0;
};

constexpr std::size_t kSaturated = std::numeric_limits<std::size_t>::max();

std::size_t saturating_add(std::size_t a, std::size_t b) {
  return a > kSaturated - b ? kSaturated : a + b;
}

std::size_t saturating_mul(std::size_t a, std::size_t b) {
  return b != 0 && a > kSaturated / b ? kSaturated : a * b;
}

Plan operator+(const Plan& a, const Plan& b) {
  return {saturating_add(a.elements, b.elements), saturating_add(a.text_units, b.text_units),
          saturating_add(a.faults, b.faults)};
}

Plan operator*(const Plan& a, std::size_t n) {
  return {saturating_mul(a.elements, n), saturating_mul(a.text_units, n),
          saturating_mul(a.faults, n)};
}

// A variable's value takes at most 20 characters (an int64 in decimal).
constexpr std::size_t kMaxNumberChars = 20;

std::size_t text_units(const std::optional<TextTemplate>& t) {
  if (!t) return 0;
  std::size_t units = t->vars.size() * kMaxNumberChars;
  for (const std::u16string& piece : t->pieces) units += piece.size();
  return units;
}

Plan planned(const ElementTemplate& t) {
  // A ref is kept twice: as the key to its element and as the element's label.
  const Plan self{1,
                  text_units(t.name) + text_units(t.help) + text_units(t.automation_id) +
                      text_units(t.accelerator) + text_units(t.value) + 2 * text_units(t.ref),
                  t.faults.size()};
  Plan children;
  for (const ElementTemplate& c : t.children) children = children + planned(c);
  if (t.repeat < 0) return self + children;
  const auto copies = static_cast<std::size_t>(t.repeat);
  // A chain's children hang below its deepest copy only.
  if (t.chain) return copies == 0 ? Plan{} : self * copies + children;
  return (self + children) * copies;
}

// The values of the "repeat" variables in scope, outermost first.
struct Scope {
  std::vector<std::int64_t> values;
  Point offset;
};

// Appends the text to the model's string pool and returns its index.
std::uint32_t intern_text(DesktopModel& m, const TextTemplate& t, const Scope& scope) {
  const std::size_t before = m.text_buffer.size();
  m.text_buffer += t.pieces.front();
  for (std::size_t k = 0; k < t.vars.size(); ++k) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, scope.values[t.vars[k]]).ptr;
    for (const char* c = digits; c != end; ++c) m.text_buffer.push_back(static_cast<char16_t>(*c));
    m.text_buffer += t.pieces[k + 1];
  }
  return m.text_buffer.size() == before ? 0 : m.end_string();
}

std::string expand8(const TextTemplate& t, const Scope& scope) {
  std::string out = t.pieces8.front();
  for (std::size_t k = 0; k < t.vars.size(); ++k) {
    out += std::to_string(scope.values[t.vars[k]]);
    out += t.pieces8[k + 1];
  }
  return out;
}

Rect shifted(Rect r, Point by) {
  return Rect{r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

class Loader {
 public:
  explicit Loader(const SceneLimits& limits) : limits_(limits) {}
  DesktopModel load(const Json& scene);

 private:
  void load_window(const Json& value, const std::string& path, std::int32_t parent,
                   std::uint32_t parent_thread, std::uint32_t parent_pid, std::size_t depth = 0);
  void instantiate(const ElementTemplate& t, std::int32_t parent, std::int32_t window,
                   const Scope& scope, std::int32_t* root_out);
  std::int32_t add_element(const ElementTemplate& t, std::int32_t parent, std::int32_t window,
                           const Scope& scope);
  void synthesise(std::int32_t window);
  Reaction load_reaction(const Json& value, const std::string& path);
  Action load_action(const Json& value, const std::string& path);
  std::int32_t element_ref(const Json& value, const std::string& path);
  platform::Hwnd window_ref(const Json& value, const std::string& path);

  SceneLimits limits_;
  DesktopModel m_;
  // Element templates of windows, loaded once every window is known.
  std::vector<std::pair<std::int32_t, ElementTemplate>> trees_;
  std::set<std::int32_t> own_tree_;
  std::vector<std::pair<std::int32_t, platform::Hwnd>> thread_focus_;
  std::vector<Fault> pending_window_faults_;
};

void Loader::load_window(const Json& value, const std::string& path, std::int32_t parent,
                         std::uint32_t parent_thread, std::uint32_t parent_pid, std::size_t depth) {
  if (depth >= kMaxNesting)
    fail(path, "windows nest deeper than " + std::to_string(kMaxNesting) + " levels");
  check_keys(value, path,
             {"hwnd",    "class",  "title",    "rect",    "client",  "visible",  "minimized",
              "enabled", "style",  "ex_style", "process", "thread",  "focus",    "dpi",
              "color",   "exists", "cloaked",  "hung",    "element", "children", "faults"});
  const Json* hwnd = member(value, "hwnd");
  if (hwnd == nullptr) fail(path, "a window needs \"hwnd\"");
  SimWindow w;
  w.hwnd = to_hwnd(*hwnd, at(path, "hwnd"));
  if (w.hwnd == 0) fail(at(path, "hwnd"), "a window handle is not 0");
  if (m_.window_index.count(w.hwnd)) {
    fail(at(path, "hwnd"), "duplicate window handle " + std::to_string(w.hwnd));
  }
  w.parent = parent;
  if (auto c = optional_string(value, "class", path)) w.class_name = scene_utf16(*c);
  if (auto t = optional_string(value, "title", path)) w.title = scene_utf16(*t);
  if (const Json* r = member(value, "rect")) w.rect = to_rect(*r, at(path, "rect"));
  w.client = w.rect;
  if (const Json* r = member(value, "client")) w.client = to_rect(*r, at(path, "client"));
  w.style = parent == kNone ? 0x00CF0000u : kWsChild;
  if (const Json* s = member(value, "style")) {
    w.style = static_cast<std::uint32_t>(to_int(*s, at(path, "style"), 0, UINT32_MAX));
  } else {
    w.style |= kWsVisible;
  }
  auto set_bit = [&](std::string_view key, std::uint32_t bit, bool on_means_set) {
    if (const Json* v = member(value, key)) {
      const bool on = to_bool(*v, at(path, key));
      w.style = (on == on_means_set) ? (w.style | bit) : (w.style & ~bit);
    }
  };
  set_bit("visible", kWsVisible, true);
  set_bit("minimized", kWsMinimize, true);
  set_bit("enabled", kWsDisabled, false);
  w.ex_style = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(int_or(value, "ex_style", path, 0, INT32_MIN, UINT32_MAX)));
  w.process_id =
      static_cast<std::uint32_t>(int_or(value, "process", path, parent_pid, 0, UINT32_MAX));
  const std::uint32_t default_thread = parent == kNone ? w.process_id : parent_thread;
  w.thread_id =
      static_cast<std::uint32_t>(int_or(value, "thread", path, default_thread, 0, UINT32_MAX));
  w.dpi = static_cast<std::uint32_t>(int_or(value, "dpi", path, 0, 0, 10000));
  // A child window shows its parent's background unless it has its own.
  w.color = parent == kNone ? 0xF0F0F0 : m_.windows[parent].color;
  if (const Json* c = member(value, "color")) w.color = to_color(*c, at(path, "color"));
  w.exists = bool_or(value, "exists", path, true);
  if (bool_or(value, "cloaked", path, false)) w.cloaked = kDwmCloakedShell;
  w.hung = bool_or(value, "hung", path, false);

  const auto index = static_cast<std::int32_t>(m_.windows.size());
  m_.window_index.emplace(w.hwnd, index);
  if (parent == kNone) {
    m_.top_level.push_back(index);
  } else {
    m_.windows[parent].children.push_back(index);
  }
  const std::uint32_t thread = w.thread_id, pid = w.process_id;
  m_.windows.push_back(std::move(w));

  if (const Json* f = member(value, "focus"))
    thread_focus_.emplace_back(index, to_hwnd(*f, at(path, "focus")));
  for (Fault& f : to_faults(member(value, "faults"), at(path, "faults"))) {
    m_.windows[index].has_faults = true;
    m_.window_faults.emplace(index, std::move(f));
  }
  if (const Json* e = member(value, "element")) {
    own_tree_.insert(index);
    trees_.emplace_back(index, parse_element(*e, at(path, "element"), {}));
  }
  if (const Json* c = member(value, "children")) {
    const std::string cp = at(path, "children");
    if (!c->is_array()) fail(cp, "expected an array of windows");
    for (std::size_t i = 0; i < c->size(); ++i)
      load_window((*c)[i], at(cp, i), index, thread, pid, depth + 1);
  }
}

std::int32_t Loader::add_element(const ElementTemplate& t, std::int32_t parent, std::int32_t window,
                                 const Scope& scope) {
  if (m_.elements.size() >= limits_.max_elements) {
    fail(t.path, "the scene makes more than " + std::to_string(limits_.max_elements) + " elements");
  }
  const auto index = static_cast<std::int32_t>(m_.elements.size());
  ElementData d;
  ElementLinks l;
  l.parent = parent;
  l.window = window;
  const SimWindow* tree_window = &m_.windows[window];
  if (t.native_window) {
    d.native_window = *t.native_window;
    const std::int32_t nw = m_.index_of(*t.native_window);
    if (nw == kNone)
      fail(at(t.path, "native_window"), "no window " + std::to_string(*t.native_window));
    // Destroying that window takes the element along.
    if (nw != window) {
      l.window = nw;
      tree_window = &m_.windows[nw];
    }
    if (m_.windows[nw].element == kNone && !own_tree_.count(nw)) m_.windows[nw].element = index;
  }
  d.control_type = t.type.value_or(platform::kPaneControlTypeId);
  if (t.name) d.name = intern_text(m_, *t.name, scope);
  if (t.help) d.help = intern_text(m_, *t.help, scope);
  if (t.automation_id) d.automation_id = intern_text(m_, *t.automation_id, scope);
  if (t.accelerator) d.accelerator = intern_text(m_, *t.accelerator, scope);
  if (t.value) d.value = intern_text(m_, *t.value, scope);
  if (t.rect) {
    d.rect = shifted(*t.rect, scope.offset);
  } else if (t.native_window) {
    d.rect = tree_window->rect;
  }
  d.process_id = t.process_id.value_or(static_cast<std::int32_t>(tree_window->process_id));
  d.flags = kPresent;
  if (t.enabled) d.flags |= kEnabled;
  if (t.focused) d.flags |= kFocused;
  if (t.raw_only) d.flags |= kRawOnly;
  if (!t.present) d.flags &= static_cast<std::uint16_t>(~kPresent);
  if (t.read_only) d.flags |= kReadOnly;
  if (t.three_state) d.flags |= kThreeState;
  if (t.selected) d.flags |= kSelected;
  d.patterns = t.patterns;
  d.toggle = t.toggle;
  d.expand = t.expand;
  if (t.patterns & kScrollBit) {
    const bool hs = t.h_scrollable.value_or(t.h_percent.has_value() && *t.h_percent >= 0);
    const bool vs = t.v_scrollable.value_or(t.v_percent.has_value() && *t.v_percent >= 0);
    if (hs) d.flags |= kHScrollable;
    if (vs) d.flags |= kVScrollable;
    d.h_percent = static_cast<float>(hs ? t.h_percent.value_or(0) : -1);
    d.v_percent = static_cast<float>(vs ? t.v_percent.value_or(0) : -1);
    if (t.steps) m_.scroll_steps.emplace(index, *t.steps);
  }
  if (t.invoke) {
    d.flags |= kHasInvokeSpec;
    m_.invoke_specs.emplace(index, *t.invoke);
  }
  if (!t.faults.empty()) {
    d.flags |= kHasFaults;
    for (const Fault& f : t.faults) m_.element_faults.emplace(index, f);
  }
  if (t.ref) {
    const std::string ref = expand8(*t.ref, scope);
    if (!m_.element_refs.emplace(ref, index).second)
      fail(at(t.path, "ref"), "duplicate ref '" + ref + "'");
    m_.ref_of_element.emplace(index, ref);
  }
  m_.elements.push_back(d);
  m_.links.push_back(l);
  if (parent != kNone && parent != kDesktopElement) {
    ElementLinks& p = m_.links[parent];
    if (p.last_child == kNone) {
      p.first_child = index;
    } else {
      m_.links[p.last_child].next_sibling = index;
    }
    p.last_child = index;
  }
  return index;
}

void Loader::instantiate(const ElementTemplate& t, std::int32_t parent, std::int32_t window,
                         const Scope& scope, std::int32_t* root_out) {
  auto one = [&](const Scope& s) {
    const std::int32_t index = add_element(t, parent, window, s);
    if (root_out != nullptr && *root_out == kNone) *root_out = index;
    const std::int32_t child_window = m_.links[index].window;
    for (const ElementTemplate& c : t.children) instantiate(c, index, child_window, s, nullptr);
  };
  if (t.repeat < 0) {
    one(scope);
    return;
  }
  Scope inner = scope;
  inner.values.push_back(0);
  auto copy_scope = [&](std::int64_t k) {
    inner.values.back() = t.start + k;
    inner.offset = Point{scope.offset.x + static_cast<std::int32_t>(k * t.step.x),
                         scope.offset.y + static_cast<std::int32_t>(k * t.step.y)};
  };
  if (!t.chain) {
    for (std::int64_t k = 0; k < t.repeat; ++k) {
      copy_scope(k);
      one(inner);
    }
    return;
  }
  // A loop, not recursion: chains are meant to be far deeper than the stack.
  std::int32_t link = parent, link_window = window;
  for (std::int64_t k = 0; k < t.repeat; ++k) {
    copy_scope(k);
    link = add_element(t, link, link_window, inner);
    if (root_out != nullptr && *root_out == kNone) *root_out = link;
    link_window = m_.links[link].window;
  }
  if (t.repeat == 0) return;
  for (const ElementTemplate& c : t.children) instantiate(c, link, link_window, inner, nullptr);
}

// UI Automation gives every window an element; for a window the scene does
// not describe, one is made from its class, title and rectangle.
void Loader::synthesise(std::int32_t window) {
  const SimWindow& w = m_.windows[window];
  ElementTemplate t;
  t.path = "";
  t.native_window = w.hwnd;
  t.rect = w.rect;
  t.enabled = (w.style & kWsDisabled) == 0;
  const std::u16string& cls = w.class_name;
  if (w.parent == kNone || cls == u"#32770") {
    t.type = platform::kWindowControlTypeId;
    t.name = make_text(utf16_to_utf8(w.title), {});
  } else if (contains_ignoring_ascii_case(cls, u"edit")) {
    t.type = platform::kEditControlTypeId;
    t.patterns = kValueBit;
    t.value = make_text(utf16_to_utf8(w.title), {});
  } else if (equals_ignoring_ascii_case(cls, u"Button")) {
    t.type = platform::kButtonControlTypeId;
    t.name = make_text(utf16_to_utf8(w.title), {});
    t.patterns = kInvokeBit;
  } else if (equals_ignoring_ascii_case(cls, u"Static")) {
    t.type = platform::kTextControlTypeId;
    t.name = make_text(utf16_to_utf8(w.title), {});
  } else if (equals_ignoring_ascii_case(cls, u"#32768")) {
    t.type = platform::kMenuControlTypeId;
  } else {
    t.type = platform::kPaneControlTypeId;
    t.name = make_text(utf16_to_utf8(w.title), {});
  }
  const std::int32_t index = add_element(t, kNone, window, Scope{});
  m_.windows[window].element = index;
  m_.elements[index].flags |= w.parent == kNone ? kTopLevelRoot : kDetached;
}

std::int32_t Loader::element_ref(const Json& value, const std::string& path) {
  const std::string ref = to_string(value, path);
  auto it = m_.element_refs.find(ref);
  if (it == m_.element_refs.end()) fail(path, "no element with ref '" + ref + "'");
  return it->second;
}

platform::Hwnd Loader::window_ref(const Json& value, const std::string& path) {
  const platform::Hwnd h = to_hwnd(value, path);
  if (m_.index_of(h) == kNone) fail(path, "no window " + std::to_string(h));
  return h;
}

Action Loader::load_action(const Json& value, const std::string& path) {
  if (!value.is_object()) fail(path, "expected an action object");
  const Json* kind = member(value, "action");
  if (kind == nullptr) fail(path, "an action needs \"action\"");
  const std::string name = to_string(*kind, at(path, "action"));
  Action a;
  struct Spec {
    std::string_view name;
    ActionKind kind;
    bool window;
    bool element;
  };
  static constexpr Spec kActions[] = {
      {"show_window", ActionKind::ShowWindow, true, false},
      {"hide_window", ActionKind::HideWindow, true, false},
      {"create_window", ActionKind::CreateWindow, true, false},
      {"destroy_window", ActionKind::DestroyWindow, true, false},
      {"minimize_window", ActionKind::MinimizeWindow, true, false},
      {"restore_window", ActionKind::RestoreWindow, true, false},
      {"set_foreground", ActionKind::SetForeground, true, false},
      {"set_focus", ActionKind::SetFocus, true, false},
      {"focus_element", ActionKind::FocusElement, false, true},
      {"set_title", ActionKind::SetTitle, true, false},
      {"set_rect", ActionKind::SetRect, true, false},
      {"set_value", ActionKind::SetValue, false, true},
      {"set_name", ActionKind::SetName, false, true},
      {"set_toggle", ActionKind::SetToggle, false, true},
      {"set_expand", ActionKind::SetExpand, false, true},
      {"set_selected", ActionKind::SetSelected, false, true},
      {"set_enabled", ActionKind::SetEnabled, false, false},
      {"set_scroll", ActionKind::SetScroll, false, true},
      {"add_element", ActionKind::AddElement, false, true},
      {"remove_element", ActionKind::RemoveElement, false, true},
  };
  const Spec* spec = nullptr;
  for (const Spec& s : kActions) {
    if (s.name == name) spec = &s;
  }
  if (spec == nullptr) fail(at(path, "action"), "unknown action '" + name + "'");
  a.kind = spec->kind;
  switch (a.kind) {
    case ActionKind::SetTitle:
      check_keys(value, path, {"action", "window", "text"});
      break;
    case ActionKind::SetRect:
      check_keys(value, path, {"action", "window", "rect"});
      break;
    case ActionKind::SetValue:
      check_keys(value, path, {"action", "element", "value"});
      break;
    case ActionKind::SetName:
      check_keys(value, path, {"action", "element", "name"});
      break;
    case ActionKind::SetToggle:
    case ActionKind::SetExpand:
      check_keys(value, path, {"action", "element", "state"});
      break;
    case ActionKind::SetSelected:
      check_keys(value, path, {"action", "element", "selected"});
      break;
    case ActionKind::SetEnabled:
      check_keys(value, path, {"action", "element", "window", "enabled"});
      break;
    case ActionKind::SetScroll:
      check_keys(value, path, {"action", "element", "horizontal_percent", "vertical_percent"});
      break;
    default:
      if (spec->window) {
        check_keys(value, path, {"action", "window"});
      } else {
        check_keys(value, path, {"action", "element"});
      }
  }
  auto need = [&](std::string_view key) -> const Json& {
    const Json* v = member(value, key);
    if (v == nullptr) fail(path, "action '" + name + "' needs \"" + std::string(key) + "\"");
    return *v;
  };
  if (spec->window) a.window = window_ref(need("window"), at(path, "window"));
  if (spec->element) a.element = element_ref(need("element"), at(path, "element"));
  switch (a.kind) {
    case ActionKind::SetForeground:
      break;
    case ActionKind::SetTitle:
      a.text = scene_utf16(to_string(need("text"), at(path, "text")));
      break;
    case ActionKind::SetRect:
      a.rect = to_rect(need("rect"), at(path, "rect"));
      break;
    case ActionKind::SetValue:
      a.text = scene_utf16(to_string(need("value"), at(path, "value")));
      break;
    case ActionKind::SetName:
      a.text = scene_utf16(to_string(need("name"), at(path, "name")));
      break;
    case ActionKind::SetToggle:
      a.number = to_named(need("state"), at(path, "state"),
                          {{"off", 0}, {"on", 1}, {"indeterminate", 2}}, 2);
      break;
    case ActionKind::SetExpand:
      a.number = to_named(
          need("state"), at(path, "state"),
          {{"collapsed", 0}, {"expanded", 1}, {"partially_expanded", 2}, {"leaf_node", 3}}, 3);
      break;
    case ActionKind::SetSelected:
      a.number = to_bool(need("selected"), at(path, "selected"));
      break;
    case ActionKind::SetEnabled:
      if (const Json* e = member(value, "element")) {
        a.element = element_ref(*e, at(path, "element"));
      } else if (const Json* w = member(value, "window")) {
        a.window = window_ref(*w, at(path, "window"));
      } else {
        fail(path, "action 'set_enabled' needs \"element\" or \"window\"");
      }
      a.number = to_bool(need("enabled"), at(path, "enabled"));
      break;
    case ActionKind::SetScroll:
      if (const Json* h = member(value, "horizontal_percent")) {
        a.h = to_double(*h, at(path, "horizontal_percent"));
      } else {
        a.h = m_.elements[a.element].h_percent;
      }
      if (const Json* v = member(value, "vertical_percent")) {
        a.v = to_double(*v, at(path, "vertical_percent"));
      } else {
        a.v = m_.elements[a.element].v_percent;
      }
      break;
    default:
      break;
  }
  return a;
}

Reaction Loader::load_reaction(const Json& value, const std::string& path) {
  check_keys(value, path, {"when", "at_ms", "then", "times", "delay_ms"});
  Reaction r;
  const Json* when = member(value, "when");
  const Json* at_ms = member(value, "at_ms");
  if ((when == nullptr) == (at_ms == nullptr))
    fail(path, "a reaction has either \"when\" or \"at_ms\"");
  if (at_ms != nullptr) {
    r.at_ms = to_int(*at_ms, at(path, "at_ms"), 0, INT64_MAX / 2'000'000);
  } else {
    const std::string wp = at(path, "when");
    check_keys(*when, wp, {"event", "element", "window", "within", "msg", "wparam", "rect"});
    const Json* ev = member(*when, "event");
    if (ev == nullptr) fail(wp, "\"when\" needs \"event\"");
    const std::string name = to_string(*ev, at(wp, "event"));
    struct Kind {
      std::string_view name;
      TriggerKind kind;
    };
    static constexpr Kind kKinds[] = {
        {"invoke", TriggerKind::Invoke},
        {"toggle", TriggerKind::Toggle},
        {"select", TriggerKind::Select},
        {"expand", TriggerKind::Expand},
        {"collapse", TriggerKind::Collapse},
        {"set_value", TriggerKind::SetValue},
        {"scroll", TriggerKind::Scroll},
        {"set_scroll_percent", TriggerKind::SetScrollPercent},
        {"message", TriggerKind::Message},
        {"click", TriggerKind::Click},
        {"right_click", TriggerKind::RightClick},
        {"hover", TriggerKind::Hover},
        {"leave", TriggerKind::Leave},
        {"set_cursor", TriggerKind::SetCursor},
        {"foreground", TriggerKind::Foreground},
    };
    Trigger t;
    bool found = false;
    for (const Kind& k : kKinds) {
      if (k.name == name) t.kind = k.kind, found = true;
    }
    if (!found) fail(at(wp, "event"), "unknown event '" + name + "'");
    const bool element_event = t.kind <= TriggerKind::SetScrollPercent ||
                               t.kind == TriggerKind::Click || t.kind == TriggerKind::RightClick ||
                               t.kind == TriggerKind::Hover || t.kind == TriggerKind::Leave ||
                               t.kind == TriggerKind::SetCursor;
    if (const Json* e = member(*when, "element")) {
      if (!element_event) fail(at(wp, "element"), "event '" + name + "' names no element");
      t.element = element_ref(*e, at(wp, "element"));
    }
    if (const Json* w = member(*when, "window")) t.window = window_ref(*w, at(wp, "window"));
    if (const Json* w = member(*when, "within")) t.within = window_ref(*w, at(wp, "within"));
    if (const Json* msg = member(*when, "msg")) {
      if (t.kind != TriggerKind::Message) fail(at(wp, "msg"), "only a message event has \"msg\"");
      t.msg = to_int(*msg, at(wp, "msg"), 0, UINT32_MAX);
    }
    if (const Json* wparam = member(*when, "wparam")) {
      if (t.kind != TriggerKind::Message)
        fail(at(wp, "wparam"), "only a message event has \"wparam\"");
      if (!wparam->is_number_integer()) fail(at(wp, "wparam"), "expected an integer");
      t.wparam = wparam->get<std::uint64_t>();
    }
    if (const Json* rect = member(*when, "rect")) {
      if (t.kind != TriggerKind::SetCursor)
        fail(at(wp, "rect"), "only a set_cursor event has \"rect\"");
      t.rect = to_rect(*rect, at(wp, "rect"));
    }
    r.trigger = t;
  }
  r.remaining = int_or(value, "times", path, -1, 1, INT64_MAX);
  r.delay_ms = int_or(value, "delay_ms", path, 0, 0, INT64_MAX / 2'000'000);
  const Json* then = member(value, "then");
  if (then == nullptr || !then->is_array())
    fail(path, "a reaction needs \"then\": an array of actions");
  for (std::size_t i = 0; i < then->size(); ++i) {
    r.actions.push_back(load_action((*then)[i], at(at(path, "then"), i)));
  }
  return r;
}

DesktopModel Loader::load(const Json& scene) {
  check_keys(scene, "",
             {"format", "monitors", "virtual_screen", "cursor", "foreground", "daemon_thread",
              "foreground_lock", "processes", "threads", "windows", "reactions", "messages",
              "ntdll_messages", "faults", "desktop_name"});
  if (const Json* f = member(scene, "format")) {
    if (to_int(*f, "/format", 0, INT32_MAX) != 1) fail("/format", "this simulator reads format 1");
  }
  // Monitors and the virtual screen.
  if (const Json* ms = member(scene, "monitors")) {
    if (!ms->is_array() || ms->empty()) fail("/monitors", "expected a non-empty array of monitors");
    for (std::size_t i = 0; i < ms->size(); ++i) {
      const std::string p = at("/monitors", i);
      const Json& v = (*ms)[i];
      check_keys(v, p, {"rect", "dpi", "dpi_x", "dpi_y", "handle"});
      SimMonitor mon;
      const Json* r = member(v, "rect");
      if (r == nullptr) fail(p, "a monitor needs \"rect\"");
      mon.rect = to_rect(*r, at(p, "rect"));
      const auto dpi = int_or(v, "dpi", p, 96, 1, 10000);
      mon.dpi_x = static_cast<std::uint32_t>(int_or(v, "dpi_x", p, dpi, 1, 10000));
      mon.dpi_y = static_cast<std::uint32_t>(int_or(v, "dpi_y", p, dpi, 1, 10000));
      mon.handle = static_cast<platform::Hmonitor>(
          int_or(v, "handle", p, 0x10001 + 2 * static_cast<std::int64_t>(i), 1, INT64_MAX));
      m_.monitors.push_back(mon);
    }
  } else {
    m_.monitors.push_back(SimMonitor{0x10001, Rect{0, 0, 1920, 1080}, 96, 96});
  }
  Rect vs = m_.monitors.front().rect;
  for (const SimMonitor& mon : m_.monitors) {
    vs = Rect{std::min(vs.left, mon.rect.left), std::min(vs.top, mon.rect.top),
              std::max(vs.right, mon.rect.right), std::max(vs.bottom, mon.rect.bottom)};
  }
  m_.virtual_screen = vs;
  if (const Json* v = member(scene, "virtual_screen"))
    m_.virtual_screen = to_rect(*v, "/virtual_screen");
  if (const Json* c = member(scene, "cursor")) m_.cursor = to_point(*c, "/cursor");
  m_.daemon_thread_id =
      static_cast<std::uint32_t>(int_or(scene, "daemon_thread", "", 1, 1, UINT32_MAX));
  m_.foreground_lock = bool_or(scene, "foreground_lock", "", false);

  if (const Json* ps = member(scene, "processes")) {
    if (!ps->is_array()) fail("/processes", "expected an array of processes");
    for (std::size_t i = 0; i < ps->size(); ++i) {
      const std::string p = at("/processes", i);
      const Json& v = (*ps)[i];
      check_keys(v, p, {"pid", "image", "openable"});
      SimProcess proc;
      const Json* pid = member(v, "pid");
      if (pid == nullptr) fail(p, "a process needs \"pid\"");
      proc.pid = static_cast<std::uint32_t>(to_int(*pid, at(p, "pid"), 1, UINT32_MAX));
      for (const SimProcess& other : m_.processes) {
        if (other.pid == proc.pid)
          fail(at(p, "pid"), "duplicate process " + std::to_string(proc.pid));
      }
      if (auto image = optional_string(v, "image", p)) proc.image = scene_utf16(*image);
      proc.openable = bool_or(v, "openable", p, true);
      m_.processes.push_back(std::move(proc));
    }
  }

  // The desktop: element 0.
  {
    ElementData desktop;
    desktop.control_type = platform::kPaneControlTypeId;
    desktop.name = m_.intern(scene_utf16(member(scene, "desktop_name")
                                             ? to_string(scene["desktop_name"], "/desktop_name")
                                             : "Desktop 1"));
    desktop.rect = m_.virtual_screen;
    m_.elements.push_back(desktop);
    m_.links.push_back(ElementLinks{});
  }

  if (const Json* ws = member(scene, "windows")) {
    if (!ws->is_array()) fail("/windows", "expected an array of windows");
    for (std::size_t i = 0; i < ws->size(); ++i)
      load_window((*ws)[i], at("/windows", i), kNone, 0, 0);
  }
  // Counted before anything is made, so an oversized scene is refused at once
  // rather than after it has taken the memory.
  Plan plan{m_.elements.size(), 0, 0};  // the desktop element
  for (const auto& [window, tree] : trees_) {
    plan = plan + planned(tree);
    if (plan.elements > limits_.max_elements) {
      fail(tree.path,
           "the scene makes more than " + std::to_string(limits_.max_elements) + " elements");
    }
    if (plan.text_units > limits_.max_text_units) {
      fail(tree.path, "the scene's texts make more than " + std::to_string(limits_.max_text_units) +
                          " characters");
    }
    if (plan.faults > limits_.max_element_faults) {
      fail(tree.path, "the scene's elements carry more than " +
                          std::to_string(limits_.max_element_faults) + " faults");
    }
  }
  for (auto& [window, tree] : trees_) {
    const SimWindow& w = m_.windows[window];
    if (!tree.type)
      tree.type = w.parent == kNone ? platform::kWindowControlTypeId : platform::kPaneControlTypeId;
    if (!tree.name) tree.name = make_text(utf16_to_utf8(w.title), {});
    if (!tree.rect) tree.rect = w.rect;
    if (!tree.native_window) tree.native_window = w.hwnd;
    if (tree.repeat >= 0) {
      fail(at(tree.path, tree.chain ? "chain" : "repeat"),
           "a window's root element does not repeat");
    }
    std::int32_t root = kNone;
    instantiate(tree, kNone, window, Scope{}, &root);
    m_.windows[window].element = root;
    m_.elements[root].flags |= w.parent == kNone ? kTopLevelRoot : kDetached;
    // A root naming another window still belongs to this one.
    m_.links[root].window = window;
  }
  for (std::size_t w = 0; w < m_.windows.size(); ++w) {
    if (m_.windows[w].element == kNone) synthesise(static_cast<std::int32_t>(w));
  }
  // Detached trees hang below the element of their nearest ancestor window.
  for (std::size_t w = 0; w < m_.windows.size(); ++w) {
    const std::int32_t root = m_.windows[w].element;
    if (m_.elements[root].flags & kTopLevelRoot) {
      m_.links[root].parent = kDesktopElement;
    } else if (m_.elements[root].flags & kDetached) {
      m_.links[root].parent = m_.windows[m_.windows[w].parent].element;
    }
  }

  for (std::size_t e = 1; e < m_.elements.size(); ++e) {
    if (m_.elements[e].native_window != 0) {
      m_.elements_of_window[m_.elements[e].native_window].push_back(static_cast<std::int32_t>(e));
    }
  }

  // Threads: those declared, then one per thread id the windows use.
  if (const Json* ts = member(scene, "threads")) {
    if (!ts->is_array()) fail("/threads", "expected an array of threads");
    for (std::size_t i = 0; i < ts->size(); ++i) {
      const std::string p = at("/threads", i);
      const Json& v = (*ts)[i];
      check_keys(v, p, {"id", "focus", "active", "capture", "menu_owner"});
      SimThread t;
      const Json* id = member(v, "id");
      if (id == nullptr) fail(p, "a thread needs \"id\"");
      t.id = static_cast<std::uint32_t>(to_int(*id, at(p, "id"), 1, UINT32_MAX));
      if (const Json* f = member(v, "focus")) t.focus = window_ref(*f, at(p, "focus"));
      if (const Json* f = member(v, "active")) t.active = window_ref(*f, at(p, "active"));
      if (const Json* f = member(v, "capture")) t.capture = window_ref(*f, at(p, "capture"));
      if (const Json* f = member(v, "menu_owner"))
        t.menu_owner = window_ref(*f, at(p, "menu_owner"));
      m_.threads.push_back(t);
    }
  }
  auto thread_of = [&](std::uint32_t id) -> SimThread* {
    for (SimThread& t : m_.threads) {
      if (t.id == id) return &t;
    }
    return nullptr;
  };
  for (const SimWindow& w : m_.windows) {
    if (w.thread_id != 0 && thread_of(w.thread_id) == nullptr)
      m_.threads.push_back(SimThread{w.thread_id});
  }
  for (const auto& [window, focus] : thread_focus_) {
    if (m_.index_of(focus) == kNone)
      fail("/windows", "focus names no window " + std::to_string(focus));
    if (SimThread* t = thread_of(m_.windows[window].thread_id)) t->focus = focus;
  }

  if (const Json* fg = member(scene, "foreground")) {
    if (!fg->is_null()) {
      m_.foreground = window_ref(*fg, "/foreground");
      if (m_.windows[m_.index_of(m_.foreground)].parent != kNone) {
        fail("/foreground", "the foreground window is a top-level window");
      }
    }
  } else {
    for (std::int32_t w : m_.top_level) {
      const SimWindow& sw = m_.windows[w];
      if (sw.exists && (sw.style & kWsVisible) && !(sw.style & kWsMinimize)) {
        m_.foreground = sw.hwnd;
        break;
      }
    }
  }
  for (SimThread& t : m_.threads) {
    if (t.active != 0) continue;
    for (std::int32_t w : m_.top_level) {
      if (m_.windows[w].thread_id != t.id) continue;
      if (t.active == 0 || m_.windows[w].hwnd == m_.foreground) t.active = m_.windows[w].hwnd;
    }
  }

  for (Fault& f : to_faults(member(scene, "faults"), "/faults"))
    m_.global_faults.push_back(std::move(f));

  for (const char* key : {"messages", "ntdll_messages"}) {
    const Json* ms = member(scene, key);
    if (ms == nullptr) continue;
    const std::string p = std::string("/") + key;
    if (!ms->is_object()) fail(p, "expected an object of code: text");
    for (const auto& [code, text] : ms->items()) {
      const std::uint32_t c = to_code(Json(code), at(p, code));
      auto& table = std::string_view(key) == "messages" ? m_.messages : m_.ntdll_messages;
      table[c] = scene_utf16(to_string(text, at(p, code)));
    }
  }

  if (const Json* rs = member(scene, "reactions")) {
    if (!rs->is_array()) fail("/reactions", "expected an array of reactions");
    for (std::size_t i = 0; i < rs->size(); ++i)
      m_.reactions.push_back(load_reaction((*rs)[i], at("/reactions", i)));
  }
  return std::move(m_);
}

}  // namespace

std::optional<DesktopModel> load_scene(std::string_view scene_json, std::string& error,
                                       const SceneLimits& limits) {
  bool lone_units = false, clash = false;
  const std::string swapped = swap_lone_surrogates(scene_json, lone_units, clash);
  if (lone_units && clash) {
    error = "scene: a scene with lone surrogates (\\ud800) cannot also hold U+10F800 to U+10FFFF";
    return std::nullopt;
  }
  t_scene_has_lone_units = lone_units;
  struct Reset {
    ~Reset() { t_scene_has_lone_units = false; }
  } reset;
  Json scene;
  try {
    scene = Json::parse(swapped.begin(), swapped.end());
  } catch (const Json::exception& e) {
    std::string what = e.what();
    if (const auto close = what.find("] ");
        what.starts_with("[json.exception.") && close != std::string::npos) {
      what = what.substr(close + 2);
    }
    error = "scene: not valid JSON: " + what;
    return std::nullopt;
  }
  try {
    if (!scene.is_object()) fail("", "a scene is a JSON object");
    return Loader(limits).load(scene);
  } catch (const SceneError& e) {
    error = e.message;
  } catch (const Json::exception& e) {
    error = std::string("scene: ") + e.what();
  } catch (const std::exception& e) {
    error = std::string("scene: ") + e.what();
  }
  return std::nullopt;
}

}  // namespace uiad::sim
