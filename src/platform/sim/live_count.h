// One live reference of a simulated automation object: counted from
// construction to destruction, and keeping the shared state alive meanwhile.
#pragma once

#include <memory>

#include "platform/sim/sim_state.h"

namespace uiad::sim {

class LiveCount {
 public:
  LiveCount(std::shared_ptr<SimState> state, bool element)
      : state_(std::move(state)), element_(element) {
    state_->live_objects.fetch_add(1, std::memory_order_relaxed);
    if (element_) state_->live_elements.fetch_add(1, std::memory_order_relaxed);
  }
  LiveCount(const LiveCount&) = delete;
  LiveCount& operator=(const LiveCount&) = delete;
  ~LiveCount() {
    state_->live_objects.fetch_sub(1, std::memory_order_relaxed);
    if (element_) state_->live_elements.fetch_sub(1, std::memory_order_relaxed);
  }

  const std::shared_ptr<SimState>& state() const { return state_; }

 private:
  std::shared_ptr<SimState> state_;
  bool element_;
};

}  // namespace uiad::sim
