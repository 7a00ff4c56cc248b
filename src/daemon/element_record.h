// The properties of one recorded element, as read at scan time. Records are
// plain values copied freely between the walk, the session and the commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace uiad {

enum class CheckedState : std::uint8_t { Off = 0, On = 1, None = 2 };

struct ElementRecord {
  std::string label;
  std::string help;
  std::string role = "group";
  std::string automation_id;
  std::string value;
  std::vector<std::string> patterns;
  platform::Hwnd native_window = 0;
  std::int32_t center_x = 0;
  std::int32_t center_y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool focused = false;
  bool enabled = true;
  bool selected = false;
  CheckedState checked = CheckedState::None;
};

}  // namespace uiad
