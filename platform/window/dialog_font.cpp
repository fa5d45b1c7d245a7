#include "platform/window/dialog_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace platform::window {
namespace {

constexpr char32_t kHiraganaA = 0x3042;

// Candidate files: what fontconfig names for the Japanese Gothic face, then the Debian paths.
std::vector<std::string> candidatePaths() {
    std::vector<std::string> paths;
    if (FcInit()) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic:lang=ja"));
        if (pattern) {
            FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
                FcChar8* file = nullptr;
                if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                    paths.emplace_back(reinterpret_cast<const char*>(file));
                FcPatternDestroy(match);
            }
            FcPatternDestroy(pattern);
        }
        // Nothing else here uses fontconfig: its caches go once the file is known.
        FcFini();
    }
    paths.emplace_back("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf");
    paths.emplace_back("/usr/share/fonts/truetype/fonts-japanese-gothic.ttf");
    return paths;
}

}  // namespace

std::u32string codePoints(std::u16string_view text) {
    std::u32string points;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            points.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                             (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            points.push_back(0xFFFD);
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

std::unique_ptr<DialogFont> DialogFont::open(int pixelSize) {
    std::unique_ptr<DialogFont> font(new DialogFont);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    font->library_ = library;
    for (const std::string& path : candidatePaths()) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) continue;
        if (FT_Get_Char_Index(face, kHiraganaA) == 0 ||
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
            FT_Done_Face(face);
            continue;
        }
        font->face_ = face;
        font->path_ = path;
        font->ascent_ = static_cast<int>(face->size->metrics.ascender >> 6);
        font->lineHeight_ =
            static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
        return font;
    }
    return nullptr;
}

DialogFont::~DialogFont() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

const DialogFont::Glyph& DialogFont::glyph(char32_t code) {
    const auto found = glyphs_.find(code);
    if (found != glyphs_.end()) return found->second;
    Glyph glyph;
    auto face = static_cast<FT_Face>(face_);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = face->glyph;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.height = static_cast<int>(slot->bitmap.rows);
        glyph.advance = static_cast<int>(slot->advance.x >> 6);
        glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
        for (int row = 0; row < glyph.height; ++row) {
            const unsigned char* source = slot->bitmap.buffer + row * slot->bitmap.pitch;
            std::copy_n(source, glyph.width, glyph.coverage.begin() + row * glyph.width);
        }
    }
    return glyphs_.emplace(code, std::move(glyph)).first->second;
}

int DialogFont::width(std::u16string_view text) {
    int total = 0;
    for (char32_t code : codePoints(text)) total += glyph(code).advance;
    return total;
}

void DialogFont::draw(std::vector<uint32_t>& pixels, int pitch, int x, int y,
                      std::u16string_view text, uint32_t rgb, int clipX, int clipY, int clipW,
                      int clipH) {
    const int rows = static_cast<int>(pixels.size()) / pitch;
    const int x0 = std::max(clipX, 0), y0 = std::max(clipY, 0);
    const int x1 = std::min(clipX + clipW, pitch), y1 = std::min(clipY + clipH, rows);
    const int baseline = y + ascent_;
    for (char32_t code : codePoints(text)) {
        const Glyph& g = glyph(code);
        for (int row = 0; row < g.height; ++row) {
            const int py = baseline - g.top + row;
            if (py < y0 || py >= y1) continue;
            for (int column = 0; column < g.width; ++column) {
                const int px = x + g.left + column;
                if (px < x0 || px >= x1) continue;
                const uint32_t alpha = g.coverage[static_cast<size_t>(row) * g.width + column];
                if (alpha == 0) continue;
                uint32_t& target = pixels[static_cast<size_t>(py) * pitch + px];
                uint32_t blended = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t under = (target >> shift) & 0xFF;
                    const uint32_t over = (rgb >> shift) & 0xFF;
                    blended |= ((over * alpha + under * (255 - alpha) + 127) / 255) << shift;
                }
                target = blended;
            }
        }
        x += g.advance;
    }
}

}  // namespace platform::window
