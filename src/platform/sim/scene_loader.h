// Turns a scene (JSON text, format in docs/scene-format.md) into a desktop
// model. Every problem is reported with the JSON pointer of the offending value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/desktop_model.h"

namespace uiad::sim {

// nullopt and a message ("scene: /windows/0/hwnd: ...") for a bad scene.
std::optional<DesktopModel> load_scene(std::string_view scene_json, std::string& error);

}  // namespace uiad::sim
