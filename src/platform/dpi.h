// DPI awareness and monitor DPI (user32, shcore), mirrored call for call.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace uiad::platform {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2.
inline constexpr std::int64_t kDpiAwarenessContextPerMonitorAwareV2 = -4;
inline constexpr std::uint32_t kMonitorDefaultToNearest = 2;
inline constexpr int kMdtEffectiveDpi = 0;

struct MonitorDpi {
  std::uint32_t x = 0;
  std::uint32_t y = 0;
};

class Dpi {
 public:
  Dpi() = default;
  Dpi(const Dpi&) = delete;
  Dpi& operator=(const Dpi&) = delete;
  virtual ~Dpi() = default;

  virtual bool set_process_dpi_awareness_context(std::int64_t context) = 0;
  // 0 when the window is not valid.
  virtual std::uint32_t get_dpi_for_window(Hwnd hwnd) = 0;
  virtual Hmonitor monitor_from_window(Hwnd hwnd, std::uint32_t flags) = 0;
  virtual Result<MonitorDpi> get_dpi_for_monitor(Hmonitor monitor, int dpi_type) = 0;
};

}  // namespace uiad::platform
