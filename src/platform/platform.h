// The whole door to the operating system: one reference per narrow interface.
// Built by the entry point (Win32 or simulator) and passed down; owns nothing.
#pragma once

#include "platform/clock.h"
#include "platform/com.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/processes.h"
#include "platform/window_system.h"

namespace uiad::platform {

struct Platform {
  Com& com;
  WindowSystem& windows;
  Input& input;
  Dpi& dpi;
  Processes& processes;
  Gdi& gdi;
  Files& files;
  Clock& clock;
};

}  // namespace uiad::platform
