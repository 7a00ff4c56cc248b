// The bundled demo scene (scenes/demo.json), compiled into the library from
// the file by the build.
#pragma once

#include <string_view>

namespace uiad::sim {

std::string_view demo_scene_text();

}  // namespace uiad::sim
