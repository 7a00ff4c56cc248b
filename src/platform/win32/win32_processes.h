// Process information over kernel32.
#pragma once

#include "platform/processes.h"

namespace uiad::win32 {

class Win32Processes final : public platform::Processes {
 public:
  platform::Handle open_process(std::uint32_t access, bool inherit,
                                std::uint32_t process_id) override;
  platform::WString get_module_base_name(platform::Handle process, int max_count) override;
  bool close_handle(platform::Handle handle) override;
};

}  // namespace uiad::win32
