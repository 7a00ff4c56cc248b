// The virtual clock: waits cost no real time and apply scheduled changes.
#include "platform/sim/sim_services.h"

namespace uiad::sim {

std::int64_t SimClock::now_ns() {
  std::lock_guard lock(state_->mutex);
  return state_->now_ns;
}

void SimClock::sleep_ms(std::uint64_t ms) {
  std::lock_guard lock(state_->mutex);
  state_->emit(state_->event("sleep").unum("ms", ms));
  state_->advance(ms);
}

}  // namespace uiad::sim
