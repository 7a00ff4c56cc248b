// A small bitmap font, so that PrintWindow of a simulated window shows its
// labels as text a person can read.
#pragma once

#include <cstdint>

namespace uiad::sim {

inline constexpr int kGlyphWidth = 6;
inline constexpr int kGlyphHeight = 13;
inline constexpr int kGlyphAscent = 11;

// The rows of the glyph for `c`, top first; bit 7 is the leftmost pixel.
const std::uint8_t* glyph_rows(char32_t c);

}  // namespace uiad::sim
