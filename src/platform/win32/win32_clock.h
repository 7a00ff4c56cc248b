// The monotonic clock (QueryPerformanceCounter) and waits that last at least
// the time asked for.
#pragma once

#include "platform/clock.h"

namespace uiad::win32 {

class Win32Clock final : public platform::Clock {
 public:
  Win32Clock();

  std::int64_t now_ns() override;
  void sleep_ms(std::uint64_t ms) override;

 private:
  std::int64_t frequency_ = 1;  // counts per second, fixed at boot
};

}  // namespace uiad::win32
