// A daemon context over a simulated desktop loaded from scene text, for the
// in-process benchmarks.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "daemon/context.h"
#include "platform/sim/sim_desktop.h"

namespace uiad::bench {

struct SimBed {
  std::unique_ptr<uiad::sim::SimDesktop> desktop;
  std::unique_ptr<uiad::DaemonContext> context;

  explicit SimBed(const std::string& scene) {
    std::string error;
    desktop = uiad::sim::SimDesktop::from_scene_json(scene, error);
    if (!desktop) throw std::runtime_error(error);
    context = std::make_unique<uiad::DaemonContext>(
        desktop->platform(), desktop->platform().com.create_automation().value);
  }
};

}  // namespace uiad::bench
