// Per-application state written by a successful scan and read by the element
// commands. A Session owns one reference on every live element; destroying or
// replacing it releases them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "daemon/element_record.h"
#include "platform/automation.h"
#include "platform/types.h"

namespace uiad {

struct EditWindow {
  platform::Hwnd hwnd = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
};

struct Session {
  platform::Hwnd window = 0;
  std::optional<platform::Hwnd> content_window;
  bool chromium = false;
  std::vector<EditWindow> edit_windows;
  std::unordered_map<std::string, ElementRecord> element_records;
  std::unordered_map<std::string, platform::Ref<platform::Element>> live_elements;
};

}  // namespace uiad
