// Element id construction and the suffix rule for repeated ids.
#include "snapshot/element_id.h"

#include <charconv>

#include "daemon/unicode.h"

namespace uiad {
namespace {

constexpr std::size_t kMaxIdTextChars = 64;

bool allowed_in_id(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

void append_number(std::string& out, std::uint64_t n) {
  char buffer[24];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
  out.append(buffer, end);
}

// sanitize_id_text appended to `out`, so an id is built in one string.
void append_sanitized(std::string& out, std::string_view text) {
  text = unicode::trim_white_space(text);
  const std::size_t start = out.size();
  bool last_replaced = false;
  for (std::size_t i = 0; i < text.size() && out.size() - start < kMaxIdTextChars;) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (allowed_in_id(c)) {
      out.push_back(static_cast<char>(c));
      last_replaced = false;
      ++i;
      continue;
    }
    if (!last_replaced) {
      out.push_back('_');
      last_replaced = true;
    }
    // Skip the whole UTF-8 sequence: one character, one replacement at most.
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  const std::string_view produced(out.data() + start, out.size() - start);
  const auto first = produced.find_first_not_of('_');
  if (first == std::string_view::npos) {
    out.resize(start);
    out.push_back('_');
    return;
  }
  const auto last = produced.find_last_not_of('_');
  out.resize(start + last + 1);
  out.erase(start, first);
}

}  // namespace

std::uint64_t& IdSuffixHints::next_for(const std::string& base) {
  return next_.try_emplace(base, 2).first->second;
}

std::uint64_t* IdSuffixHints::find(const std::string& base) {
  auto it = next_.find(base);
  return it == next_.end() ? nullptr : &it->second;
}

std::string sanitize_id_text(std::string_view text) {
  std::string out;
  append_sanitized(out, text);
  return out;
}

bool element_id_base(const ElementRecord& record, std::uint64_t counter, std::string& out) {
  out.clear();
  if (!unicode::trim_white_space(record.automation_id).empty()) {
    out += "auto:";
    append_sanitized(out, record.automation_id);
    return true;
  }
  const std::string* text = nullptr;
  if (!unicode::trim_white_space(record.label).empty()) {
    out += "name:";
    text = &record.label;
  } else if (!unicode::trim_white_space(record.help).empty()) {
    out += "help:";
    text = &record.help;
  } else {
    out += "idx:";
    append_number(out, counter);
    return false;
  }
  out += record.role;
  out += ':';
  append_sanitized(out, *text);
  return true;
}

void make_suffixed(const std::string& base, std::uint64_t n, std::string& out) {
  out.reserve(base.size() + 8);
  out.assign(base);
  out += '#';
  append_number(out, n);
}

std::string suffixed_id(const std::string& base, const ElementRecordTable& ids,
                        IdSuffixHints& hints) {
  std::uint64_t& next = hints.next_for(base);
  std::string candidate;
  for (;; ++next) {
    make_suffixed(base, next, candidate);
    if (!ids.contains(candidate)) break;
  }
  // `next` stays on the returned number: once the caller records it, the next
  // equal base checks it once and moves on.
  return candidate;
}

std::string make_element_id(const ElementRecord& record, std::uint64_t counter,
                            const ElementRecordTable& ids, IdSuffixHints& hints) {
  std::string base;
  if (!element_id_base(record, counter, base) || !ids.contains(base)) return base;
  return suffixed_id(base, ids, hints);
}

}  // namespace uiad
