// What PrintWindow draws for a simulated window: its colour, its frame and
// title, its visible child windows, and every element of its UI Automation
// tree drawn as the control it is (buttons, edits with their text, check
// boxes, lists, menus), so that a screenshot is a picture a person can read.
#pragma once

#include <cstdint>

#include "platform/sim/sim_state.h"

namespace uiad::sim {

// Paints window `window` (an index) into `bitmap`, whose top-left pixel is the
// screen point `origin`. Lock held.
void paint_window(const SimState& state, std::int32_t window, platform::Point origin,
                  HandleEntry& bitmap);

}  // namespace uiad::sim
