// Turns a scene (JSON text, format in docs/scene-format.md) into a desktop
// model. Every problem is reported with the JSON pointer of the offending value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/desktop_model.h"
#include "platform/sim/scene_limits.h"

namespace uiad::sim {

// nullopt and a message ("scene: /windows/0/hwnd: ...") for a bad scene or
// one that would make more than `limits` allow.
std::optional<DesktopModel> load_scene(std::string_view scene_json, std::string& error,
                                       const SceneLimits& limits = {});

}  // namespace uiad::sim
