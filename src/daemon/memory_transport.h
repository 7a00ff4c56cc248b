// A Transport over bytes in memory, for tests and the fuzzer: the input is
// served in chunks of a chosen size, and every written line is kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/line_reader.h"
#include "daemon/transport.h"

namespace uiad {

class MemoryTransport : public Transport {
 public:
  // `fail_at_end`: report a read failure instead of end of input once the
  // bytes are used up.
  explicit MemoryTransport(std::string input, std::size_t chunk_size = 64 * 1024,
                           bool fail_at_end = false);

  [[nodiscard]] ReadStatus read_line(std::string& line) override;
  void write_line(std::string_view line) override;

  // Every line written so far, without its LF.
  const std::vector<std::string>& written() const { return written_; }
  // How many lines read_line has handed out.
  std::size_t lines_read() const { return lines_read_; }

 private:
  std::string input_;
  std::size_t offset_ = 0;
  bool fail_at_end_;
  LineReader reader_;
  std::vector<std::string> written_;
  std::size_t lines_read_ = 0;
};

}  // namespace uiad
