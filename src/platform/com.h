// COM start-up, the UI Automation object and the sources of error texts.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/automation.h"
#include "platform/types.h"

namespace uiad::platform {

class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  virtual ~Com() = default;

  // CoInitializeEx(NULL, COINIT_MULTITHREADED) on the calling thread.
  virtual HResult co_initialize_multithreaded() = 0;
  // CoCreateInstance(CLSID_CUIAutomation, NULL, CLSCTX_INPROC_SERVER,
  // IID_IUIAutomation).
  virtual Result<Ref<Automation>> create_automation() = 0;

  // GetErrorInfo on the calling thread, then the object's description; nullopt
  // when the last failing call left no error-information object. Consumes it.
  virtual std::optional<WString> take_error_info_description() = 0;
  // FormatMessageW with FORMAT_MESSAGE_FROM_SYSTEM (and, with `from_ntdll`,
  // FORMAT_MESSAGE_FROM_HMODULE over ntdll.dll), ALLOCATE_BUFFER and
  // IGNORE_INSERTS; empty when there is no text.
  virtual WString format_message(std::uint32_t code, bool from_ntdll) = 0;
};

}  // namespace uiad::platform
