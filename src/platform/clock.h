// Monotonic time and waits. Real time on Windows; in the simulator a virtual
// clock that advances instantly, so tests assert the exact pacing.
#pragma once

#include <cstdint>

namespace uiad::platform {

class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  // Monotonic time in nanoseconds (QueryPerformanceCounter on Windows).
  virtual std::int64_t now_ns() = 0;
  // Blocks the calling thread at least `ms` milliseconds; 0 yields once.
  virtual void sleep_ms(std::uint64_t ms) = 0;
};

}  // namespace uiad::platform
