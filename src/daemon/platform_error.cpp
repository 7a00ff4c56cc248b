// Platform error text: the thread's COM error description, else the system
// message table's text for the code, then the code in eight hex digits.
#include "daemon/platform_error.h"

#include <cstdint>
#include <cstdio>

#include "daemon/unicode.h"

namespace uiad {
namespace {

// Codes with this bit are NTSTATUS values wrapped as HRESULTs; their texts live
// in ntdll's message table under the bare status.
constexpr std::uint32_t kNtFacilityBit = 0x10000000;

// System texts end in CR LF; some descriptions end in blanks or tabs.
void trim_trailing_space(std::string& text) {
  while (!text.empty() && (text.back() == ' ' || (text.back() >= '\t' && text.back() <= '\r'))) {
    text.pop_back();
  }
}

}  // namespace

std::string platform_error_text(platform::Com& com, platform::HResult hr) {
  const auto code = static_cast<std::uint32_t>(hr);
  std::string text;
  // Taken in every case, so that a description never outlives its failure. A
  // call that succeeded without an object left none of its own: the code 0
  // always reads as the system text.
  std::optional<platform::WString> description = com.take_error_info_description();
  if (description && code != 0) {
    text = unicode::utf16_to_utf8(*description);
  } else if (code & kNtFacilityBit) {
    text = unicode::utf16_to_utf8(com.format_message(code & ~kNtFacilityBit, true));
  } else {
    text = unicode::utf16_to_utf8(com.format_message(code, false));
  }
  trim_trailing_space(text);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  if (text.empty()) return hex;
  text += " (";
  text += hex;
  text += ')';
  return text;
}

std::string os_error_text(platform::Com& com, std::uint32_t code) {
  std::string text = unicode::utf16_to_utf8(com.format_message(code, false));
  trim_trailing_space(text);
  const std::string suffix = "(os error " + std::to_string(code) + ")";
  return text.empty() ? suffix : text + " " + suffix;
}

}  // namespace uiad
