// Typing a text into a window with posted character messages.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace uiad::actions {

// Milliseconds waited after each typed character.
inline constexpr std::uint64_t kTypedCharMs = 4;

// Posts WM_CHAR for each character of the text, 4 ms after each character;
// nothing for "".
void post_text(platform::Platform& p, platform::Hwnd target, std::u16string_view text);

}  // namespace uiad::actions
