#include "engine/spriterect/glyph_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "framework/core/report.h"
#include "platform/window/dialog_font.h"

namespace {

FT_Face faceOf(const SpriteGlyphFont& font) { return static_cast<FT_Face>(font.face); }

// Font units scaled to the face's size, rounded to whole pixels.
int32_t scaledPixels(FT_Face face, FT_Long units) {
    return static_cast<int32_t>((FT_MulFix(units, face->size->metrics.y_scale) + 32) >> 6);
}

bool loadGlyph(SpriteGlyphFont& font, char16_t character) {
    FT_Face face = faceOf(font);
    if (FT_Load_Char(face, character, FT_LOAD_RENDER)) return false;
    const FT_GlyphSlot slot = face->glyph;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && slot->bitmap.rows != 0) return false;
    font.boxWidth = static_cast<int32_t>(slot->bitmap.width);
    font.boxHeight = static_cast<int32_t>(slot->bitmap.rows);
    font.originX = slot->bitmap_left;
    font.top = font.ascent - slot->bitmap_top;
    font.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    return true;
}

}  // namespace

SpriteGlyphFont::~SpriteGlyphFont() {
    if (face) FT_Done_Face(static_cast<FT_Face>(face));
    if (library) FT_Done_FreeType(static_cast<FT_Library>(library));
}

uint32_t fontAlphaOf(uint8_t coverage, float alphaScale) {
    const int level = (coverage * 16 + 127) / 255;
    return static_cast<uint32_t>(std::lround(static_cast<float>(level) * alphaScale));
}

std::unique_ptr<SpriteGlyphFont> fontCreate(int32_t size, bool is32) {
    auto font = std::make_unique<SpriteGlyphFont>();
    font->is32 = is32;
    font->alphaScale = is32 ? 255.0f / 16.0f : 15.0f / 16.0f;
    // The dialog font's lookup names the file of the system's Japanese Gothic face.
    std::unique_ptr<platform::window::DialogFont> located =
        size > 0 ? platform::window::DialogFont::open(size) : nullptr;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool ok = located && !FT_Init_FreeType(&library);
    font->library = library;
    ok = ok && !FT_New_Face(library, located->path().c_str(), 0, &face);
    font->face = face;
    ok = ok && !FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    const auto* os2 =
        ok ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
    const auto* hhea =
        ok ? static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)) : nullptr;
    if (!os2 || !hhea) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] フォントを作成できませんでした", "fontCreate");
        return nullptr;
    }
    // GDI's external leading: what the line gap adds beyond the Windows ascent and descent.
    const FT_Long winHeight = os2->usWinAscent + os2->usWinDescent;
    const FT_Long hheaHeight = hhea->Ascender - hhea->Descender;
    const FT_Long leading = std::max<FT_Long>(0, hhea->Line_Gap - (winHeight - hheaHeight));
    font->ascent = scaledPixels(face, os2->usWinAscent);
    font->lineHeight =
        font->ascent + scaledPixels(face, os2->usWinDescent) + scaledPixels(face, leading);
    return font;
}

int32_t fontRender(SpriteGlyphFont& font, void* pixels, int32_t freeWidth, int32_t freeHeight,
                   int32_t pitch, char16_t character) {
    if (!loadGlyph(font, character)) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] フォントをレンダリングできませんでした(%lc)",
                  "fontRender", character);
        return 0;
    }
    if (freeWidth < font.originX + font.boxWidth || freeHeight < font.top + font.boxHeight) {
        return 0;
    }
    const FT_Bitmap& bitmap = faceOf(font)->glyph->bitmap;
    auto* base = static_cast<uint8_t*>(pixels);
    for (int32_t row = 0; row < font.boxHeight; ++row) {
        const int32_t y = font.top + row;
        if (y < 0) continue;  // a glyph reaching above its cell keeps to the buffer
        const uint8_t* coverage = bitmap.buffer + row * bitmap.pitch;
        for (int32_t column = 0; column < font.boxWidth; ++column) {
            const int32_t x = font.originX + column;
            if (x < 0) continue;
            const uint32_t alpha = fontAlphaOf(coverage[column], font.alphaScale);
            uint8_t* line = base + static_cast<ptrdiff_t>(y) * pitch;
            if (font.is32) {
                reinterpret_cast<uint32_t*>(line)[x] |= alpha << 24;
            } else {
                reinterpret_cast<uint16_t*>(line)[x] |= static_cast<uint16_t>(alpha << 12);
            }
        }
    }
    return font.advance;
}

int32_t fontGetSpaceSize(SpriteGlyphFont& font) {
    if (!loadGlyph(font, u'W')) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] フォントをレンダリングできませんでした(%lc)",
                  "fontGetSpaceSize", u'W');
        return 0;
    }
    return font.advance;
}
