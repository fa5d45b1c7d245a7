#pragma once
// Text drawn glyph by glyph into a pixel buffer: no wrapping, U+000A starts the next line,
// U+000D is ignored, spaces advance by the width of "W" (twice that for U+3000).
#include <cstdint>
#include <string_view>

#include "engine/spriterect/glyph_font.h"

struct SpriteRectTextSize {
    int32_t width;   // the widest line's advance sum
    int32_t height;  // the line count times the line height
};

// Draws into pixels (width x height, rows `pitch` bytes apart, the font's pixel size) from the
// top-left corner; the pen never leaves the buffer.
SpriteRectTextSize spriteRectDrawTextPixels(SpriteGlyphFont& font, void* pixels, int32_t width,
                                            int32_t height, int32_t pitch,
                                            std::u16string_view text);
