// OpenProcess, GetModuleBaseNameW (kernel32's K32 entry, so no psapi.dll) and
// CloseHandle.
#include "platform/win32/win32_processes.h"

#include <string>

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"
// psapi.h needs the Windows types first.
#include <psapi.h>

namespace uiad::win32 {

platform::Handle Win32Processes::open_process(std::uint32_t access, bool inherit,
                                              std::uint32_t process_id) {
  return from_handle(OpenProcess(access, inherit ? TRUE : FALSE, process_id));
}

namespace {

// The file name part of the process image path, cut like GetModuleBaseNameW
// cuts a long name (max_count - 1 units); empty when the path cannot be read.
platform::WString image_base_name(HANDLE process, int max_count) {
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return {};
  path.resize(size);
  std::size_t slash = path.find_last_of(L"\\/");
  std::wstring base = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (base.size() >= static_cast<std::size_t>(max_count)) base.resize(max_count - 1);
  return platform::WString(reinterpret_cast<const char16_t*>(base.data()), base.size());
}

}  // namespace

platform::WString Win32Processes::get_module_base_name(platform::Handle process, int max_count) {
  if (max_count <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(max_count), L'\0');
  DWORD length = K32GetModuleBaseNameW(to_handle<HANDLE>(process), nullptr, buffer.data(),
                                       static_cast<DWORD>(max_count));
  if (length > static_cast<DWORD>(max_count)) length = static_cast<DWORD>(max_count);
  if (length > 0) {
    return platform::WString(reinterpret_cast<const char16_t*>(buffer.data()), length);
  }
  // GetModuleBaseNameW reads the target's memory and so needs PROCESS_VM_READ,
  // which a PROCESS_QUERY_LIMITED_INFORMATION handle (the only kind the daemon
  // opens, and the only kind most other users' processes grant) lacks. The
  // image path is readable with that handle and ends in the same name.
  return image_base_name(to_handle<HANDLE>(process), max_count);
}

bool Win32Processes::close_handle(platform::Handle handle) {
  return CloseHandle(to_handle<HANDLE>(handle)) != FALSE;
}

}  // namespace uiad::win32
