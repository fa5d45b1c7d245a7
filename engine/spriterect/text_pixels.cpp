#include "engine/spriterect/text_pixels.h"

#include <algorithm>

SpriteRectTextSize spriteRectDrawTextPixels(SpriteGlyphFont& font, void* pixels, int32_t width,
                                            int32_t height, int32_t pitch,
                                            std::u16string_view text) {
    const int32_t bytesPerPixel = font.is32 ? 4 : 2;
    int32_t penX = 0;
    int32_t penY = 0;
    int32_t x = 0;
    SpriteRectTextSize size{0, 0};
    for (const char16_t c : text) {
        int32_t advance = 0;
        if (c == u'\n') {
            size.width = std::max(size.width, x);
            size.height += font.lineHeight;
            penY += std::min(font.lineHeight, height - penY);
            penX = 0;
            x = 0;
            continue;
        }
        if (c == u'\r') continue;
        if (c == u' ' || c == u'\u3000') {
            advance = fontGetSpaceSize(font) * (c == u' ' ? 1 : 2);
        } else {
            uint8_t* pen = static_cast<uint8_t*>(pixels) + static_cast<ptrdiff_t>(penY) * pitch +
                           penX * bytesPerPixel;
            advance = fontRender(font, pen, width - penX, height - penY, pitch, c);
        }
        x += advance;
        penX += std::min(advance, width - penX);
    }
    size.width = std::max(size.width, x);
    size.height += font.lineHeight;
    return size;
}
