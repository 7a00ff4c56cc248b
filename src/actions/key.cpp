// key: a key name, one character or a run of text as posted WM_KEYDOWN/UP or
// WM_CHAR messages to a window of the application chosen by the session and
// the optional element.
#include <array>
#include <string>
#include <string_view>

#include "actions/element_commands.h"
#include "actions/primitives.h"
#include "actions/typing.h"
#include "daemon/element_lookup.h"
#include "daemon/request_fields.h"
#include "daemon/response.h"
#include "daemon/unicode.h"
#include "desktop/not_responding.h"
#include "platform/utf.h"

namespace uiad {
namespace {

using namespace actions;

constexpr std::uint32_t kMaxCount = 50;
constexpr std::uint64_t kKeyAfterUpMs = 20;
constexpr std::uint64_t kCharMs = 8;
constexpr std::uint64_t kCharAfterMs = 20;
constexpr std::uint64_t kTextAfterMs = 20;
constexpr std::uint64_t kAfterFocusClickMs = 30;

struct KeyName {
  std::string_view name;
  std::uint64_t vk;
};

constexpr std::array<KeyName, 37> kKeyNames = {{
    {"backspace", 0x08}, {"back", 0x08}, {"bksp", 0x08},     {"tab", 0x09},       {"enter", 0x0D},
    {"return", 0x0D},    {"esc", 0x1B},  {"escape", 0x1B},   {"space", 0x20},     {"pageup", 0x21},
    {"page_up", 0x21},   {"pgup", 0x21}, {"pagedown", 0x22}, {"page_down", 0x22}, {"pgdn", 0x22},
    {"end", 0x23},       {"home", 0x24}, {"left", 0x25},     {"up", 0x26},        {"right", 0x27},
    {"down", 0x28},      {"ins", 0x2D},  {"insert", 0x2D},   {"del", 0x2E},       {"delete", 0x2E},
    {"f1", 0x70},        {"f2", 0x71},   {"f3", 0x72},       {"f4", 0x73},        {"f5", 0x74},
    {"f6", 0x75},        {"f7", 0x76},   {"f8", 0x77},       {"f9", 0x78},        {"f10", 0x79},
    {"f11", 0x7A},       {"f12", 0x7B},
}};

std::optional<std::uint64_t> key_name_code(std::string_view key) {
  const std::string name = unicode::to_lower_whole(unicode::trim_white_space(key));
  for (const KeyName& k : kKeyNames) {
    if (k.name == name) return k.vk;
  }
  return std::nullopt;
}

// True when the text is exactly one Unicode scalar value.
bool is_one_character(std::string_view text) {
  std::size_t pos = 0;
  if (!text.empty()) (void)platform::decode_utf8(text, pos);
  return !text.empty() && pos == text.size();
}

}  // namespace

Json handle_key(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  const std::string* key = string_field(request, "key");
  if (key == nullptr || key->empty()) return error_response("key: missing 'key' field");
  const std::uint32_t count = count_field(request, "count", 1, kMaxCount);

  const Session* session = nullptr;
  std::optional<ElementRecord> record;
  if (target.id.empty()) {
    auto it = context.sessions.find(target.key);
    if (it == context.sessions.end()) {
      return error_response(no_session_message("key", target.key));
    }
    session = &it->second;
  } else {
    std::string error;
    auto found = lookup_element(context, target.key, target.id, "key", error);
    if (!found) return error_response(error);
    session = found->session;
    record = std::move(found->record);
  }
  if (auto hung = not_responding_error(context.platform.windows, "key", session->window)) {
    return error_response(std::move(*hung));
  }

  const std::optional<std::uint64_t> vk = key_name_code(*key);
  const bool one_character = !vk && is_one_character(*key);
  const char* kind = vk ? "key" : (one_character ? "char" : "text");
  const std::u16string units = vk ? std::u16string{} : platform::utf8_to_utf16(*key);

  platform::Platform& p = context.platform;
  soft_activate(p, *session);
  platform::Hwnd window = 0;
  if (!record) {
    window = session->chromium ? input_window(*session) : focused_child(p, session->window);
  } else if (record->native_window != 0) {
    window = record->native_window;
  } else {
    post_left_click(p, input_window(*session), record->center_x, record->center_y);
    p.clock.sleep_ms(kAfterFocusClickMs);
    window = focused_child(p, session->window);
  }

  for (std::uint32_t i = 0; i < count; ++i) {
    if (vk) {
      post_key_tap(p, window, *vk);
      p.clock.sleep_ms(kKeyAfterUpMs);
    } else if (one_character) {
      // WM_CHAR carries UTF-16 code units, so a character above U+FFFF goes
      // as its surrogate pair: two messages, paced as one character.
      for (char16_t unit : units) post_char(p, window, unit);
      p.clock.sleep_ms(kCharMs);
      p.clock.sleep_ms(kCharAfterMs);
    } else {
      post_text(p, window, units);
      p.clock.sleep_ms(kTextAfterMs);
    }
  }

  Json result = {{"count", count},   {"focused", record.has_value()},
                 {"key", *key},      {"kind", kind},
                 {"method", "post"}, {"vk", vk ? Json(*vk) : Json(nullptr)}};
  return ok_response(std::move(result));
}

}  // namespace uiad
