// CreateFileW, WriteFile and CloseHandle for the files the daemon writes.
#include "platform/win32/win32_files.h"

#include <algorithm>

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

platform::Result<platform::Handle> Win32Files::create_file_for_write(
    const platform::WString& path) {
  // CreateFileW would stop at an embedded NUL and write to a shorter path than
  // the one asked for.
  if (path.find(u'\0') != platform::WString::npos) {
    return {static_cast<platform::HResult>(ERROR_INVALID_NAME), platform::kInvalidHandleValue};
  }
  HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return {static_cast<platform::HResult>(GetLastError()), platform::kInvalidHandleValue};
  }
  return {platform::kSOk, from_handle(file)};
}

platform::HResult Win32Files::write_file(platform::Handle file,
                                         std::span<const std::uint8_t> bytes) {
  // WriteFile takes at most a DWORD of bytes per call and may write fewer.
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(to_handle<HANDLE>(file), bytes.data(), chunk, &written, nullptr)) {
      return static_cast<platform::HResult>(GetLastError());
    }
    // A success that wrote nothing would loop for ever.
    if (written == 0) return static_cast<platform::HResult>(ERROR_WRITE_FAULT);
    bytes = bytes.subspan(std::min<std::size_t>(written, bytes.size()));
  }
  return platform::kSOk;
}

platform::HResult Win32Files::close_file(platform::Handle file) {
  if (CloseHandle(to_handle<HANDLE>(file))) return platform::kSOk;
  return static_cast<platform::HResult>(GetLastError());
}

}  // namespace uiad::win32
