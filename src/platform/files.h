// Writing a whole file (CreateFileW, WriteFile, CloseHandle). Both platforms
// write real files: the simulator's screenshots land on disk too.
#pragma once

#include <cstdint>
#include <span>

#include "platform/types.h"

namespace uiad::platform {

class Files {
 public:
  Files() = default;
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;
  virtual ~Files() = default;

  // Opens `path` for writing, creating it when missing and emptying it when it
  // exists, sharing read, write and delete. On failure `hr` holds the system
  // error code (for example 3 for a path that does not exist) as a positive
  // number and the handle is kInvalidHandleValue.
  virtual Result<Handle> create_file_for_write(const WString& path) = 0;
  // WriteFile until every byte is written, CloseHandle: 0 on success, else the
  // system error code (112 for a full disk). A failure to write or to close
  // means the file on disk is incomplete.
  [[nodiscard]] virtual HResult write_file(Handle file, std::span<const std::uint8_t> bytes) = 0;
  [[nodiscard]] virtual HResult close_file(Handle file) = 0;
};

}  // namespace uiad::platform
