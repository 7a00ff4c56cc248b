// COM calls of the daemon, each passing its result code through unchanged.
#include "platform/win32/win32_com.h"

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"
#include "platform/win32/win32_automation.h"

namespace uiad::win32 {

platform::HResult Win32Com::co_initialize_multithreaded() {
  return static_cast<platform::HResult>(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
}

platform::Result<platform::Ref<platform::Automation>> Win32Com::create_automation() {
  IUIAutomation* automation = nullptr;
  HRESULT hr = CoCreateInstance(kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER,
                                kIidIUIAutomation, reinterpret_cast<void**>(&automation));
  return wrap_result<Win32Automation, platform::Automation>(hr, automation);
}

std::optional<platform::WString> Win32Com::take_error_info_description() {
  IErrorInfo* raw_info = nullptr;
  // S_FALSE (no error object) also leaves raw_info NULL.
  if (GetErrorInfo(0, &raw_info) != S_OK || raw_info == nullptr) return std::nullopt;
  ComRef<IErrorInfo> info(raw_info);
  BSTR description = nullptr;
  HRESULT hr = info.get()->GetDescription(&description);
  platform::WString text = take_bstr(description);
  if (FAILED(hr)) return std::nullopt;
  return text;
}

platform::WString Win32Com::format_message(std::uint32_t code, bool from_ntdll) {
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  HMODULE module = nullptr;
  if (from_ntdll) {
    module = GetModuleHandleW(L"ntdll.dll");
    flags |= FORMAT_MESSAGE_FROM_HMODULE;
  }
  LPWSTR buffer = nullptr;
  // With ALLOCATE_BUFFER the "buffer" argument receives the address of the
  // allocated text.
  DWORD length =
      FormatMessageW(flags, module, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  platform::WString text;
  if (buffer != nullptr) {
    text.assign(reinterpret_cast<const char16_t*>(buffer), length);
    LocalFree(buffer);
  }
  return text;
}

}  // namespace uiad::win32
