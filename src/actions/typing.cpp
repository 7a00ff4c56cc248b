// Posted character messages carry UTF-16 code units.
#include "actions/typing.h"

#include "actions/primitives.h"

namespace uiad::actions {
namespace {

bool is_high_surrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

// A window reads WM_CHAR as one UTF-16 code unit, as the keyboard delivers it,
// so a character above U+FFFF goes as its two surrogates, high first; a single
// message with the whole code point would arrive truncated to a wrong
// character. The pair is paced as the one character it is: one 4 ms wait.
void post_text(platform::Platform& p, platform::Hwnd target, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    post_char(p, target, text[i]);
    const bool pair_goes_on =
        is_high_surrogate(text[i]) && i + 1 < text.size() && is_low_surrogate(text[i + 1]);
    if (!pair_goes_on) p.clock.sleep_ms(kTypedCharMs);
  }
}

}  // namespace uiad::actions
