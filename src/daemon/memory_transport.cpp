// In-memory transport: the same line splitting as standard input, over a string.
#include "daemon/memory_transport.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace uiad {

MemoryTransport::MemoryTransport(std::string input, std::size_t chunk_size, bool fail_at_end)
    : input_(std::move(input)),
      fail_at_end_(fail_at_end),
      reader_(
          [this](char* buffer, std::size_t capacity) -> long long {
            if (offset_ == input_.size()) return fail_at_end_ ? -1 : 0;
            const std::size_t n = std::min(capacity, input_.size() - offset_);
            std::memcpy(buffer, input_.data() + offset_, n);
            offset_ += n;
            return static_cast<long long>(n);
          },
          chunk_size) {}

ReadStatus MemoryTransport::read_line(std::string& line) {
  const ReadStatus status = reader_.read_line(line);
  if (status == ReadStatus::Line) ++lines_read_;
  return status;
}

void MemoryTransport::write_line(std::string_view line) { written_.emplace_back(line); }

}  // namespace uiad
