// Set-1 scan codes of the US layout, for the lParam of keyboard messages.
#include "platform/sim/us_layout.h"

namespace uiad::sim {
namespace {

struct KeyScan {
  std::uint8_t vk;
  std::uint8_t scan;
};

constexpr KeyScan kScanCodes[] = {
    {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38},
    {0x13, 0x45}, {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0x49}, {0x22, 0x51},
    {0x23, 0x4F}, {0x24, 0x47}, {0x25, 0x4B}, {0x26, 0x48}, {0x27, 0x4D}, {0x28, 0x50},
    {0x2D, 0x52}, {0x2E, 0x53}, {'0', 0x0B},  {'1', 0x02},  {'2', 0x03},  {'3', 0x04},
    {'4', 0x05},  {'5', 0x06},  {'6', 0x07},  {'7', 0x08},  {'8', 0x09},  {'9', 0x0A},
    {'A', 0x1E},  {'B', 0x30},  {'C', 0x2E},  {'D', 0x20},  {'E', 0x12},  {'F', 0x21},
    {'G', 0x22},  {'H', 0x23},  {'I', 0x17},  {'J', 0x24},  {'K', 0x25},  {'L', 0x26},
    {'M', 0x32},  {'N', 0x31},  {'O', 0x18},  {'P', 0x19},  {'Q', 0x10},  {'R', 0x13},
    {'S', 0x1F},  {'T', 0x14},  {'U', 0x16},  {'V', 0x2F},  {'W', 0x11},  {'X', 0x2D},
    {'Y', 0x15},  {'Z', 0x2C},  {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E},
    {0x74, 0x3F}, {0x75, 0x40}, {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44},
    {0x7A, 0x57}, {0x7B, 0x58}, {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C},
    {0xBE, 0x34}, {0xBF, 0x35}, {0xC0, 0x29}, {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B},
    {0xDE, 0x28},
};

// Punctuation: the unshifted character, then the shifted one, of each key.
struct PunctuationKey {
  char plain;
  char shifted;
  std::uint8_t vk;
};

constexpr PunctuationKey kPunctuation[] = {
    {'1', '!', '1'},   {'2', '@', '2'},  {'3', '#', '3'},  {'4', '$', '4'},   {'5', '%', '5'},
    {'6', '^', '6'},   {'7', '&', '7'},  {'8', '*', '8'},  {'9', '(', '9'},   {'0', ')', '0'},
    {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},  {'.', '>', 0xBE},
    {'/', '?', 0xBF},  {'`', '~', 0xC0}, {'[', '{', 0xDB}, {'\\', '|', 0xDC}, {']', '}', 0xDD},
    {'\'', '"', 0xDE}, {' ', ' ', 0x20},
};

constexpr std::int16_t kShift = 0x100;

}  // namespace

std::uint32_t us_map_virtual_key(std::uint32_t code, std::uint32_t map_type) {
  for (const KeyScan& k : kScanCodes) {
    if (map_type == 0 && k.vk == code) return k.scan;
    if (map_type == 1 && k.scan == code) return k.vk;
  }
  return 0;
}

std::int16_t us_vk_key_scan(char16_t ch) {
  if (ch >= u'a' && ch <= u'z') return static_cast<std::int16_t>(ch - u'a' + 'A');
  if (ch >= u'A' && ch <= u'Z') return static_cast<std::int16_t>(kShift | ch);
  switch (ch) {
    case u'\b':
      return 0x08;
    case u'\t':
      return 0x09;
    case u'\r':
      return 0x0D;
    case u'\n':
      return 0x20D;  // Ctrl+Enter
    case 0x1B:
      return 0x1B;
    default:
      break;
  }
  for (const PunctuationKey& k : kPunctuation) {
    if (ch == static_cast<unsigned char>(k.plain)) return k.vk;
    if (ch == static_cast<unsigned char>(k.shifted))
      return static_cast<std::int16_t>(kShift | k.vk);
  }
  return -1;
}

}  // namespace uiad::sim
