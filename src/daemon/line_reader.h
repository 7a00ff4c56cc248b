// Splitting a byte stream into request lines, shared by the transports. The
// reader pulls chunks from a source and hands out one line at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "daemon/transport.h"

namespace uiad {

class LineReader {
 public:
  // Fills up to `capacity` bytes at `buffer`; returns the count, 0 at end of
  // input, or a negative number when the read failed.
  using Source = std::function<long long(char* buffer, std::size_t capacity)>;

  explicit LineReader(Source source, std::size_t chunk_size = 64 * 1024);

  [[nodiscard]] ReadStatus read_line(std::string& line);

 private:
  // Reads one more chunk into the buffer; false at end or failure.
  bool fill();

  Source source_;
  std::size_t chunk_size_;
  std::string buffer_;
  std::size_t start_ = 0;    // first unread byte of buffer_
  std::size_t scanned_ = 0;  // bytes from start_ known to hold no LF
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace uiad
