// Refusing to act on an application that has stopped taking messages: a sent
// message or a style change would block the daemon with it, and posted input
// would land much later, when the user no longer expects it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace uiad {

// "<command>: '<title>' is not responding" when IsHungAppWindow says so of
// the window; nothing otherwise.
std::optional<std::string> not_responding_error(platform::WindowSystem& windows,
                                                std::string_view command, platform::Hwnd window);

}  // namespace uiad
