// Request parsing over the JSON library's event parser, which adds the depth
// limit the library lacks and turns its exceptions into fault texts.
#include "daemon/request_parser.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

namespace uiad {
namespace {

// Walks the line and remembers the last byte the lexer looked at, so that a
// fault found by the event handler (the depth limit) has a position.
class TrackedIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackedIterator(const char* at, const char** last_read) : at_(at), last_read_(last_read) {}

  reference operator*() const {
    *last_read_ = at_;
    return *at_;
  }
  TrackedIterator& operator++() {
    ++at_;
    return *this;
  }
  TrackedIterator operator++(int) {
    TrackedIterator before = *this;
    ++at_;
    return before;
  }
  friend bool operator==(const TrackedIterator& a, const TrackedIterator& b) {
    return a.at_ == b.at_;
  }

 private:
  const char* at_;
  const char** last_read_;
};

// The library writes "[json.exception.parse_error.101] parse error at line
// L, column C: syntax error while parsing CONTEXT - DETAIL; last read:
// 'TOKEN'; expected WHAT". Keep DETAIL and the expectation: the echoed token
// may hold a cut multi-byte character, and the position is added by us.
std::string library_fault_words(std::string_view message) {
  if (message.starts_with("[json.exception.")) {
    const std::size_t end = message.find("] ");
    if (end != std::string_view::npos) message.remove_prefix(end + 2);
  }
  if (message.starts_with("parse error")) {
    const std::size_t colon = message.find(": ");
    if (colon != std::string_view::npos) message.remove_prefix(colon + 2);
  }
  std::string_view context;
  constexpr std::string_view kSyntax = "syntax error while parsing ";
  if (message.starts_with(kSyntax)) {
    const std::size_t dash = message.find(" - ");
    if (dash != std::string_view::npos) {
      context = message.substr(kSyntax.size(), dash - kSyntax.size());
      message.remove_prefix(dash + 3);
    }
  }
  std::string words;
  constexpr std::string_view kLastRead = "; last read: '";
  const std::size_t last_read = message.find(kLastRead);
  if (last_read != std::string_view::npos) {
    words.assign(message.substr(0, last_read));
    constexpr std::string_view kExpected = "'; expected ";
    const std::size_t expected = message.rfind(kExpected);
    if (expected != std::string_view::npos && expected > last_read) {
      words.append("; expected ");
      words.append(message.substr(expected + kExpected.size()));
    }
  } else {
    words.assign(message);
  }
  if (context == "value" && (words.starts_with("invalid literal") ||
                             words.ends_with("expected '[', '{', or a literal"))) {
    return "expected value";
  }
  return words;
}

struct FaultDetail {
  std::string words;
  std::size_t column = 0;  // 1-based byte column
};

// Builds the value like the library's own DOM parser and stops at the first
// fault, recording what it was and where.
class LimitedDomHandler {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  LimitedDomHandler(Json& root, const char* begin, const char* const* last_read)
      : dom_(root, false), begin_(begin), last_read_(last_read) {}

  bool null() { return scalar(dom_.null()); }
  bool boolean(bool v) { return scalar(dom_.boolean(v)); }
  bool number_integer(number_integer_t v) { return scalar(dom_.number_integer(v)); }
  bool number_unsigned(number_unsigned_t v) { return scalar(dom_.number_unsigned(v)); }
  bool number_float(number_float_t v, const string_t& s) { return scalar(dom_.number_float(v, s)); }
  bool string(string_t& v) { return scalar(dom_.string(v)); }
  bool binary(binary_t& v) { return scalar(dom_.binary(v)); }
  bool key(string_t& v) { return dom_.key(v); }

  bool start_object(std::size_t n) { return open() && dom_.start_object(n); }
  bool start_array(std::size_t n) { return open() && dom_.start_array(n); }
  bool end_object() { return close(dom_.end_object()); }
  bool end_array() { return close(dom_.end_array()); }

  template <class Exception>
  bool parse_error(std::size_t position, const std::string& /*last_token*/, const Exception& ex) {
    fault_.column = position;
    fault_.words = root_done_ ? "expected end of input" : library_fault_words(ex.what());
    return false;
  }

  const FaultDetail& fault() const { return fault_; }

 private:
  bool scalar(bool ok) {
    if (depth_ == 0) root_done_ = true;
    return ok;
  }
  bool open() {
    if (++depth_ > kMaxJsonDepth) {
      fault_.column = static_cast<std::size_t>(*last_read_ - begin_) + 1;
      fault_.words = "nesting deeper than " + std::to_string(kMaxJsonDepth) + " levels";
      return false;
    }
    return true;
  }
  bool close(bool ok) {
    if (--depth_ == 0) root_done_ = true;
    return ok;
  }

  nlohmann::detail::json_sax_dom_parser<Json> dom_;
  const char* begin_;
  const char* const* last_read_;
  int depth_ = 0;
  bool root_done_ = false;
  FaultDetail fault_;
};

}  // namespace

std::variant<Json, ParseFault> parse_request(std::string_view line) {
  Json value;
  const char* last_read = line.data();
  LimitedDomHandler handler(value, line.data(), &last_read);
  bool ok = false;
  try {
    ok = Json::sax_parse(TrackedIterator(line.data(), &last_read),
                         TrackedIterator(line.data() + line.size(), &last_read), &handler,
                         Json::input_format_t::json, true, false);
  } catch (const Json::exception& e) {
    // The handler reports every fault itself; this only guards the library.
    return ParseFault{library_fault_words(e.what()) + " at line 1 column 1"};
  }
  FaultDetail fault = handler.fault();
  if (ok) {
    // The library takes a NUL byte for the end of the text. One inside the
    // value is a fault of its own, so a NUL here follows the value.
    const void* nul = std::memchr(line.data(), '\0', line.size());
    if (nul == nullptr) return value;
    fault.words = "expected end of input";
    fault.column = static_cast<std::size_t>(static_cast<const char*>(nul) - line.data()) + 1;
  }

  // A request line holds no LF, but count them anyway so the form stays right.
  std::size_t line_number = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i + 1 < fault.column && i < line.size(); ++i) {
    if (line[i] == '\n') {
      ++line_number;
      line_start = i + 1;
    }
  }
  const std::size_t column = fault.column > line_start ? fault.column - line_start : 1;
  return ParseFault{fault.words + " at line " + std::to_string(line_number) + " column " +
                    std::to_string(column)};
}

}  // namespace uiad
