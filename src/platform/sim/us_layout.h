// The US keyboard layout as MapVirtualKeyW and VkKeyScanW report it: set-1
// scan codes and the keys that type each character.
#pragma once

#include <cstdint>

namespace uiad::sim {

// MAPVK_VK_TO_VSC (0) and MAPVK_VSC_TO_VK (1); other map types answer 0.
std::uint32_t us_map_virtual_key(std::uint32_t code, std::uint32_t map_type);

// The virtual key in the low byte, 1 in the high byte when Shift is needed;
// -1 for a character no key types.
std::int16_t us_vk_key_scan(char16_t ch);

}  // namespace uiad::sim
