// Line splitting over a chunked byte source: LF ends a line, one CR before it
// is dropped, the last line may lack its LF, and a line that is not UTF-8 ends
// the stream as a read failure.
#include "daemon/line_reader.h"

#include <cstring>
#include <utility>

#include "daemon/unicode.h"

namespace uiad {

LineReader::LineReader(Source source, std::size_t chunk_size)
    : source_(std::move(source)), chunk_size_(chunk_size == 0 ? 1 : chunk_size) {}

bool LineReader::fill() {
  if (ended_ || failed_) return false;
  // Drop consumed bytes before growing, so a long session does not keep them.
  if (start_ > 0) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  const std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + chunk_size_);
  const long long got = source_(buffer_.data() + old_size, chunk_size_);
  if (got <= 0) {
    buffer_.resize(old_size);
    (got == 0 ? ended_ : failed_) = true;
    return false;
  }
  buffer_.resize(old_size + static_cast<std::size_t>(got));
  return true;
}

ReadStatus LineReader::read_line(std::string& line) {
  for (;;) {
    const std::size_t available = buffer_.size() - start_;
    const char* base = buffer_.data() + start_;
    const void* lf =
        available > scanned_ ? std::memchr(base + scanned_, '\n', available - scanned_) : nullptr;
    std::size_t length = 0;
    std::size_t consumed = 0;
    if (lf != nullptr) {
      length = static_cast<std::size_t>(static_cast<const char*>(lf) - base);
      consumed = length + 1;
      if (length > 0 && base[length - 1] == '\r') --length;
    } else {
      scanned_ = available;
      if (fill()) continue;
      if (failed_) return ReadStatus::ReadFailure;
      if (available == 0) return ReadStatus::End;
      // The last line has no LF. fill() may have moved the bytes.
      length = consumed = buffer_.size() - start_;
    }
    line.assign(buffer_.data() + start_, length);
    start_ += consumed;
    scanned_ = 0;
    return unicode::is_valid_utf8(line) ? ReadStatus::Line : ReadStatus::ReadFailure;
  }
}

}  // namespace uiad
