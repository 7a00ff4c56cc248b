// Feeds arbitrary bytes to the whole daemon loop over an in-memory transport
// and a fresh copy of the demo desktop, so that requests reach sessions,
// elements, menus and dialogs. Besides crashes and sanitizer findings it
// checks the protocol's promises: the ready line comes first, every output line
// is a compact JSON object in valid UTF-8, and every non-blank line read before
// the end gets exactly one response. Once the daemon has returned, every
// automation object, handle and file it took must be released.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "daemon/main_loop.h"
#include "daemon/memory_transport.h"
#include "daemon/unicode.h"
#include "platform/files.h"
#include "platform/sim/sim_desktop.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kReady = R"({"event":"ready","ok":true})";
constexpr std::string_view kShuttingDown = R"({"event":"shutting_down","ok":true})";

// A strict check of one output line: compact JSON (no white space outside
// strings), an object at the top with a boolean "ok". Hand-written because
// parsing every scan response into a tree cost more than running the daemon.
class LineChecker {
 public:
  explicit LineChecker(std::string_view line) : s_(line) {}

  bool ok() {
    if (!object(0, true) || i_ != s_.size()) return false;
    return has_ok_;
  }

 private:
  bool eat(char c) {
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool digits() {
    const std::size_t start = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    return i_ > start;
  }
  bool number() {
    eat('-');
    if (eat('0')) {
      if (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') return false;
    } else if (!digits()) {
      return false;
    }
    if (eat('.') && !digits()) return false;
    if (eat('e') || eat('E')) {
      if (!eat('+')) eat('-');
      if (!digits()) return false;
    }
    return true;
  }
  bool literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }
  bool string(std::string_view* raw = nullptr) {
    if (!eat('"')) return false;
    const std::size_t start = i_;
    while (i_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        if (raw != nullptr) *raw = s_.substr(start, i_ - start);
        ++i_;
        return true;
      }
      if (c < 0x20) return false;
      ++i_;
      if (c != '\\') continue;
      if (i_ >= s_.size()) return false;
      const char e = s_[i_++];
      if (e == 'u') {
        for (int k = 0; k < 4; ++k, ++i_) {
          if (i_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[i_]))) return false;
        }
      } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
        return false;
      }
    }
    return false;
  }
  bool value(int depth) {
    if (depth > 64 || i_ >= s_.size()) return false;
    switch (s_[i_]) {
      case '{':
        return object(depth + 1, false);
      case '[': {
        ++i_;
        if (eat(']')) return true;
        do {
          if (!value(depth + 1)) return false;
        } while (eat(','));
        return eat(']');
      }
      case '"':
        return string();
      case 't':
        return literal("true");
      case 'f':
        return literal("false");
      case 'n':
        return literal("null");
      default:
        return number();
    }
  }
  bool object(int depth, bool top) {
    if (!eat('{')) return false;
    if (eat('}')) return true;
    do {
      std::string_view key;
      if (!string(&key) || !eat(':')) return false;
      const std::size_t at = i_;
      if (!value(depth)) return false;
      const std::string_view member = s_.substr(at, i_ - at);
      if (top && key == "ok" && (member == "true" || member == "false")) has_ok_ = true;
    } while (eat(','));
    return eat('}');
  }

  std::string_view s_;
  std::size_t i_ = 0;
  bool has_ok_ = false;
};

// The simulator writes screenshots to real files, at any path a request names;
// the fuzzer must not, so its files go nowhere and only their handles count.
class DiscardingFiles final : public uiad::platform::Files {
 public:
  uiad::platform::Result<uiad::platform::Handle> create_file_for_write(
      const uiad::platform::WString& path) override {
    constexpr uiad::platform::HResult kErrorPathNotFound = 3;
    constexpr uiad::platform::HResult kErrorInvalidName = 123;
    if (path.empty()) return {kErrorPathNotFound, uiad::platform::kInvalidHandleValue};
    if (path.find(u'\0') != uiad::platform::WString::npos)
      return {kErrorInvalidName, uiad::platform::kInvalidHandleValue};
    const uiad::platform::Handle handle = next_++;
    open_.insert(handle);
    return {uiad::platform::kSOk, handle};
  }
  uiad::platform::HResult write_file(uiad::platform::Handle file,
                                     std::span<const std::uint8_t>) override {
    return open_.contains(file) ? uiad::platform::kSOk : kErrorInvalidHandle;
  }
  uiad::platform::HResult close_file(uiad::platform::Handle file) override {
    return open_.erase(file) == 1 ? uiad::platform::kSOk : kErrorInvalidHandle;
  }
  bool all_closed() const { return open_.empty(); }

 private:
  static constexpr uiad::platform::HResult kErrorInvalidHandle = 6;
  uiad::platform::Handle next_ = 0xF00;
  std::set<uiad::platform::Handle> open_;
};

const uiad::sim::SimScene& demo_scene() {
  static const std::shared_ptr<const uiad::sim::SimScene> scene = [] {
    std::string error;
    auto loaded = uiad::sim::SimScene::from_json(uiad::sim::SimDesktop::demo_scene_json(), error);
    check(loaded != nullptr);
    return loaded;
  }();
  return *scene;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::unique_ptr<uiad::sim::SimDesktop> desktop = demo_scene().make_desktop();
  desktop->keep_events_in_memory(false);
  DiscardingFiles files;
  uiad::platform::Platform& sim = desktop->platform();
  uiad::platform::Platform platform{sim.com,       sim.windows, sim.input, sim.dpi,
                                    sim.processes, sim.gdi,     files,     sim.clock};

  // Small chunks make line ends fall across reads.
  uiad::MemoryTransport transport(input, 1 + size % 17);
  check(uiad::run_daemon(platform, transport) == 0);
  check(desktop->live_references() == 0);
  check(desktop->open_handles() == 0);
  check(files.all_closed());

  const auto& written = transport.written();
  check(!written.empty() && written.front() == kReady);
  for (const std::string& line : written) {
    check(uiad::unicode::is_valid_utf8(line));
    check(LineChecker(line).ok());
  }

  // Count the requests independently of the loop, reading the input at once
  // (the default chunk would clear 64 KiB per input).
  uiad::MemoryTransport reader(input, size + 1);
  std::size_t responses = 0;
  std::string line;
  while (reader.read_line(line) == uiad::ReadStatus::Line) {
    if (uiad::unicode::trim_white_space(line).empty()) continue;
    ++responses;
    check(responses < written.size());
    if (written[responses] == kShuttingDown) break;
  }
  check(written.size() == responses + 1);
  return 0;
}
