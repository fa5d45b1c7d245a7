#pragma once
// A fixed-pitch Japanese Gothic font (IPA Gothic, found as the settings dialog finds its font)
// rasterised by FreeType into the alpha of 32-bit or A4R4G4B4 pixels, one glyph at a time.
#include <cstdint>
#include <memory>

struct SpriteGlyphFont {
    ~SpriteGlyphFont();

    void* library = nullptr;  // FT_Library
    void* face = nullptr;     // FT_Face
    bool is32 = true;
    float alphaScale = 255.0f / 16.0f;  // 15/16 for A4R4G4B4
    int32_t ascent = 0;
    int32_t lineHeight = 0;  // ascent + descent + external leading
    // The glyph last rendered.
    int32_t boxWidth = 0;
    int32_t boxHeight = 0;
    int32_t originX = 0;
    int32_t top = 0;  // ascent minus the bitmap's top
    int32_t advance = 0;
};

// A font of the pixel size writing 32-bit (alpha in bits 24 to 31) or 16-bit (bits 12 to 15)
// pixels; null after the fatal report "フォントを作成できませんでした".
std::unique_ptr<SpriteGlyphFont> fontCreate(int32_t size, bool is32);
// Draws the character with its cell's top-left at pixels (rows `pitch` bytes apart) when it fits
// in the free width and height, returning its advance; 0 when it does not fit (nothing drawn).
int32_t fontRender(SpriteGlyphFont& font, void* pixels, int32_t freeWidth, int32_t freeHeight,
                   int32_t pitch, char16_t character);
// The advance of "W", which spaces use.
int32_t fontGetSpaceSize(SpriteGlyphFont& font);
// Coverage 0..255 as one of 17 grey levels, times the scale, rounded half away from zero.
uint32_t fontAlphaOf(uint8_t coverage, float alphaScale);
