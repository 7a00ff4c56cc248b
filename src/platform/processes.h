// Process information (kernel32, psapi), mirrored call for call. Handles from
// open_process must be given back with close_handle before the response.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace uiad::platform {

inline constexpr std::uint32_t kProcessQueryLimitedInformation = 0x1000;

class Processes {
 public:
  Processes() = default;
  Processes(const Processes&) = delete;
  Processes& operator=(const Processes&) = delete;
  virtual ~Processes() = default;

  // OpenProcess: 0 (NULL) or kInvalidHandleValue on failure.
  virtual Handle open_process(std::uint32_t access, bool inherit, std::uint32_t process_id) = 0;
  // GetModuleBaseNameW with a NULL module into a buffer of `max_count` units;
  // empty when nothing could be read. That call needs PROCESS_VM_READ, which a
  // limited-information handle lacks, so the Windows implementation falls back
  // to the file part of QueryFullProcessImageNameW when it returns 0.
  virtual WString get_module_base_name(Handle process, int max_count) = 0;
  virtual bool close_handle(Handle handle) = 0;
};

}  // namespace uiad::platform
