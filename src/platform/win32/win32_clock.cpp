// Real time for the daemon: QueryPerformanceCounter in nanoseconds, and waits
// on a high-resolution waitable timer (plain Sleep where there is none) that
// are repeated until the full time has passed, since either may end early.
#include "platform/win32/win32_clock.h"

#include <algorithm>

#include "platform/win32/uia_client.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace uiad::win32 {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kNsPerMs = 1'000'000;

// Waits about `ns` nanoseconds once.
void wait_once(HANDLE timer, std::int64_t ns) {
  if (timer != nullptr) {
    LARGE_INTEGER due{};
    due.QuadPart = -std::max<std::int64_t>(1, ns / 100);  // relative, in 100 ns units
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
        WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0) {
      return;
    }
  }
  std::int64_t ms = std::min<std::int64_t>((ns + kNsPerMs - 1) / kNsPerMs, INFINITE - 1);
  Sleep(static_cast<DWORD>(ms));
}

}  // namespace

Win32Clock::Win32Clock() {
  LARGE_INTEGER frequency{};
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
    frequency_ = frequency.QuadPart;
  }
}

std::int64_t Win32Clock::now_ns() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  // Split so that counter * 1e9 cannot overflow.
  std::int64_t seconds = counter.QuadPart / frequency_;
  std::int64_t rest = counter.QuadPart % frequency_;
  return seconds * kNsPerSecond + rest * kNsPerSecond / frequency_;
}

void Win32Clock::sleep_ms(std::uint64_t ms) {
  if (ms == 0) {
    Sleep(0);
    return;
  }
  constexpr std::uint64_t kMaxMs = static_cast<std::uint64_t>(INT64_MAX / kNsPerMs) / 2;
  const std::int64_t deadline =
      now_ns() + static_cast<std::int64_t>(std::min(ms, kMaxMs)) * kNsPerMs;
  // A timer of our own per wait: the clock may be used from any thread.
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
  for (std::int64_t left = deadline - now_ns(); left > 0; left = deadline - now_ns()) {
    wait_once(timer, left);
  }
  if (timer != nullptr) CloseHandle(timer);
}

}  // namespace uiad::win32
