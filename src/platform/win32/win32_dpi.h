// DPI awareness and monitor DPI. The calls that older systems (and Wine) may
// lack are looked up at start; a missing one fails like a failing call.
#pragma once

#include "platform/dpi.h"
#include "platform/win32/uia_client.h"

namespace uiad::win32 {

class Win32Dpi final : public platform::Dpi {
 public:
  Win32Dpi();
  ~Win32Dpi() override;

  bool set_process_dpi_awareness_context(std::int64_t context) override;
  std::uint32_t get_dpi_for_window(platform::Hwnd hwnd) override;
  platform::Hmonitor monitor_from_window(platform::Hwnd hwnd, std::uint32_t flags) override;
  platform::Result<platform::MonitorDpi> get_dpi_for_monitor(platform::Hmonitor monitor,
                                                             int dpi_type) override;

 private:
  using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT context);
  using DpiForWindowFn = UINT(WINAPI*)(HWND hwnd);
  // The type argument is MONITOR_DPI_TYPE, an int-sized enumeration.
  using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR monitor, int type, UINT* x, UINT* y);

  HMODULE shcore_ = nullptr;  // loaded by us, freed in the destructor
  SetContextFn set_context_ = nullptr;
  DpiForWindowFn dpi_for_window_ = nullptr;
  DpiForMonitorFn dpi_for_monitor_ = nullptr;
};

}  // namespace uiad::win32
