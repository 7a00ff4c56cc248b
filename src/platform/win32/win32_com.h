// COM start-up, creation of the UI Automation object and the two sources of
// error texts (the thread's error information, the system message tables).
#pragma once

#include "platform/com.h"

namespace uiad::win32 {

class Win32Com final : public platform::Com {
 public:
  platform::HResult co_initialize_multithreaded() override;
  platform::Result<platform::Ref<platform::Automation>> create_automation() override;
  std::optional<platform::WString> take_error_info_description() override;
  platform::WString format_message(std::uint32_t code, bool from_ntdll) override;
};

}  // namespace uiad::win32
