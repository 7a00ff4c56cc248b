// Real files on the host for the simulated Files interface, with the Win32
// error codes the daemon would see on Windows.
#include <cerrno>
#include <cstdio>

#include "platform/sim/sim_services.h"
#include "platform/sim/text.h"

namespace uiad::sim {
namespace {

constexpr platform::HResult kErrorFileNotFound = 2;
constexpr platform::HResult kErrorPathNotFound = 3;
constexpr platform::HResult kErrorAccessDenied = 5;
constexpr platform::HResult kErrorInvalidHandle = 6;
constexpr platform::HResult kErrorGenFailure = 31;
constexpr platform::HResult kErrorDiskFull = 112;
constexpr platform::HResult kErrorInvalidName = 123;
constexpr platform::HResult kErrorFilenameTooLong = 206;

platform::HResult win32_error_of(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case ENAMETOOLONG:
      return kErrorFilenameTooLong;
    case ENOSPC:
      return kErrorDiskFull;
    case EINVAL:
      return kErrorInvalidName;
    default:
      return kErrorGenFailure;
  }
}

std::FILE* open_for_write(const platform::WString& path) {
#ifdef _WIN32
  std::wstring wide(path.begin(), path.end());
  return _wfopen(wide.c_str(), L"wb");
#else
  // Backslashes separate directories on the Windows side of the protocol.
  std::string utf8 = utf16_to_utf8(path);
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  return std::fopen(utf8.c_str(), "wb");
#endif
}

}  // namespace

platform::Result<platform::Handle> SimFiles::create_file_for_write(const platform::WString& path) {
  std::lock_guard lock(state_->mutex);
  const CallCheck check = state_->check_call(Method::CreateFileW);
  const std::string utf8 = utf16_to_utf8(path);
  auto fail = [&](platform::HResult code) -> platform::Result<platform::Handle> {
    state_->emit(state_->event("create_file").str("path", utf8).num("error", code));
    return {code, platform::kInvalidHandleValue};
  };
  if (check.faulted) return fail(check.hr);
  if (path.empty()) return fail(kErrorPathNotFound);
  if (path.find(u'\0') != platform::WString::npos) return fail(kErrorInvalidName);
  errno = 0;
  std::FILE* file = open_for_write(path);
  if (file == nullptr) return fail(errno == 0 ? kErrorFileNotFound : win32_error_of(errno));
  HandleEntry entry;
  entry.kind = HandleKind::File;
  entry.file = file;
  entry.path = utf8;
  state_->emit(state_->event("create_file").str("path", utf8));
  return {platform::kSOk, state_->new_handle(std::move(entry))};
}

platform::HResult SimFiles::write_file(platform::Handle file, std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(state_->mutex);
  if (const CallCheck check = state_->check_call(Method::WriteFile); check.faulted) return check.hr;
  auto it = state_->handles.find(file);
  if (it == state_->handles.end() || it->second.kind != HandleKind::File)
    return kErrorInvalidHandle;
  // Flushed at once, so that a full disk shows at this call as it would with
  // WriteFile, not later at the close.
  errno = 0;
  const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), it->second.file);
  const bool flushed = std::fflush(it->second.file) == 0;
  it->second.bytes += written;
  if (written == bytes.size() && flushed) return platform::kSOk;
  return errno == 0 ? kErrorGenFailure : win32_error_of(errno);
}

platform::HResult SimFiles::close_file(platform::Handle file) {
  std::lock_guard lock(state_->mutex);
  auto it = state_->handles.find(file);
  if (it == state_->handles.end() || it->second.kind != HandleKind::File) {
    state_->emit(state_->event("close_file").unum("handle", file).boolean("ok", false));
    return kErrorInvalidHandle;
  }
  errno = 0;
  const bool ok = std::fclose(it->second.file) == 0;
  const int error = errno;
  EventLine line = state_->event("close_file");
  line.str("path", it->second.path).unum("bytes", it->second.bytes);
  if (!ok) line.boolean("ok", false);
  state_->emit(line);
  state_->handles.erase(it);
  if (ok) return platform::kSOk;
  return error == 0 ? kErrorGenFailure : win32_error_of(error);
}

}  // namespace uiad::sim
