// DPI calls, resolved with GetProcAddress so that uiad.exe still starts where
// user32 or shcore lack them.
#include "platform/win32/win32_dpi.h"

#include "platform/win32/com_ref.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {
namespace {

template <class Fn>
Fn lookup(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // Through void* because FARPROC and the real signature are unrelated
  // function types.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

Win32Dpi::Win32Dpi() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  set_context_ = lookup<SetContextFn>(user32, "SetProcessDpiAwarenessContext");
  dpi_for_window_ = lookup<DpiForWindowFn>(user32, "GetDpiForWindow");
  // Only from the system directory, never from the working directory.
  shcore_ = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  dpi_for_monitor_ = lookup<DpiForMonitorFn>(shcore_, "GetDpiForMonitor");
}

Win32Dpi::~Win32Dpi() {
  if (shcore_ != nullptr) FreeLibrary(shcore_);
}

bool Win32Dpi::set_process_dpi_awareness_context(std::int64_t context) {
  if (set_context_ == nullptr) return false;
  return set_context_(to_handle<DPI_AWARENESS_CONTEXT>(static_cast<std::uint64_t>(context))) !=
         FALSE;
}

std::uint32_t Win32Dpi::get_dpi_for_window(platform::Hwnd hwnd) {
  if (dpi_for_window_ == nullptr) return 0;
  return dpi_for_window_(to_handle<HWND>(hwnd));
}

platform::Hmonitor Win32Dpi::monitor_from_window(platform::Hwnd hwnd, std::uint32_t flags) {
  return from_handle(MonitorFromWindow(to_handle<HWND>(hwnd), flags));
}

platform::Result<platform::MonitorDpi> Win32Dpi::get_dpi_for_monitor(platform::Hmonitor monitor,
                                                                     int dpi_type) {
  if (dpi_for_monitor_ == nullptr) {
    return {static_cast<platform::HResult>(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)), {}};
  }
  UINT x = 0;
  UINT y = 0;
  HRESULT hr = dpi_for_monitor_(to_handle<HMONITOR>(monitor), dpi_type, &x, &y);
  return {static_cast<platform::HResult>(hr), {x, y}};
}

}  // namespace uiad::win32
