#include <algorithm>
#include <memory>
#include <vector>

#include "engine/script/core_natives.h"
#include "engine/script/file.h"
#include "engine/sprite/device_set.h"
#include "engine/sprite/pixel_rows.h"
#include "engine/sprite/texture_lock.h"
#include "framework/core/report.h"

namespace {

constexpr FT_UInt kMaxFaces = 2;
constexpr FT_UInt kMaxSizes = 4;
constexpr FT_ULong kMaxBytes = 200000;
// Render, and hint every glyph with the auto-hinter.
constexpr FT_Int32 kLoadFlags = FT_LOAD_RENDER | FT_LOAD_FORCE_AUTOHINT;
static_assert(kLoadFlags == 36);

// The process's one font: the file's bytes and FreeType with its caches.
struct FontState {
    bool started = false;
    std::unique_ptr<FT_Byte[]> bytes;
    FT_Long size = 0;
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
    FTC_CMapCache charMaps = nullptr;
    FTC_ImageCache images = nullptr;
};
FontState fontState;

// The face id names the font state; the one face is read from the bytes in memory.
FTC_FaceID faceId() { return &fontState; }

FT_Error sprite2FaceRequester(FTC_FaceID, FT_Library library, FT_Pointer, FT_Face* face) {
    return FT_New_Memory_Face(library, fontState.bytes.get(), fontState.size, 0, face);
}

// Releases what exists of FreeType and the buffer.
void stopFont() {
    if (fontState.manager) FTC_Manager_Done(fontState.manager);  // the caches go with it
    if (fontState.library) FT_Done_FreeType(fontState.library);
    fontState = FontState{};
}

void failInit(const char16_t* format) {
    stopFont();
    pelReport(PEL_REPORT_ERROR, format, "sprite2Init");
}

// Rendered glyphs are 8-bit coverage; a font's embedded bitmaps may be 1-bit.
bool drawableGlyph(FT_Glyph glyph) {
    if (glyph->format != FT_GLYPH_FORMAT_BITMAP) return false;
    const FT_Bitmap& bitmap = reinterpret_cast<FT_BitmapGlyph>(glyph)->bitmap;
    return bitmap.pitch >= 0 &&
           (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY || bitmap.pixel_mode == FT_PIXEL_MODE_MONO);
}

// The glyph's coverage as bytes: the bitmap's own rows, or 1-bit rows widened to 0 and 255.
struct Coverage {
    const uint8_t* rows = nullptr;
    int32_t pitch = 0;
    std::vector<uint8_t> widened;
};

void readCoverage(const FT_Bitmap& bitmap, Coverage& coverage) {
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        coverage.rows = bitmap.buffer;
        coverage.pitch = bitmap.pitch;
        return;
    }
    coverage.widened.resize(size_t{bitmap.width} * bitmap.rows);
    for (uint32_t y = 0; y < bitmap.rows; ++y) {
        const uint8_t* bits = bitmap.buffer + size_t{y} * static_cast<uint32_t>(bitmap.pitch);
        for (uint32_t x = 0; x < bitmap.width; ++x)
            coverage.widened[size_t{y} * bitmap.width + x] =
                (bits[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    coverage.rows = coverage.widened.data();
    coverage.pitch = static_cast<int32_t>(bitmap.width);
}

// The surface area a glyph covers, clipped; empty when nothing is drawn.
struct GlyphArea {
    uint32_t left = 0, top = 0, width = 0, height = 0;
};

GlyphArea glyphArea(const Sprite2Surface& surface, const Sprite2Font& font, uint32_t x, uint32_t y,
                    uint32_t width, uint32_t height) {
    const FT_BitmapGlyph glyph = font.glyph;
    const auto left = static_cast<uint32_t>(static_cast<int64_t>(x) + glyph->left);
    const auto top = static_cast<uint32_t>(static_cast<int64_t>(y) + font.ascender - glyph->top);
    // The lock must stay inside the texture even when the logical size was set larger.
    const uint32_t surfaceWidth = std::min(surface.width, surface.texture->width);
    const uint32_t surfaceHeight = std::min(surface.height, surface.texture->height);
    if (left >= surfaceWidth || top >= surfaceHeight) return {};
    const uint64_t right = std::min<uint64_t>(
        {uint64_t{left} + glyph->bitmap.width, surfaceWidth, uint64_t{x} + width});
    const uint64_t bottom = std::min<uint64_t>(
        {uint64_t{top} + glyph->bitmap.rows, surfaceHeight, uint64_t{y} + height});
    if (right <= left || bottom <= top) return {};
    return {left, top, static_cast<uint32_t>(right - left), static_cast<uint32_t>(bottom - top)};
}

}  // namespace

void sprite2Init() {
    if (fontState.started) return;
    {
        File file;
        if (!file.create(u"sys/font.ttf", PEL_FILE_MODE_READ, 0)) return;
        const uint64_t size = file.getSize();
        // FreeType takes the face's size as a signed long; an empty file is refused below.
        if (size > 0x7FFFFFFF) {
            pelReport(PEL_REPORT_ERROR, u"Error: [%s] ファイルサイズを取得できません。",
                      "File::getSize");
            return;
        }
        fontState.bytes = std::make_unique<FT_Byte[]>(size);
        fontState.size = static_cast<FT_Long>(size);
        if (!file.read(fontState.bytes.get(), size)) {
            stopFont();
            return;
        }
    }
    if (FT_Init_FreeType(&fontState.library) != 0) {
        fontState.library = nullptr;
        return failInit(u"Error: [%s] フォントライブラリの初期化に失敗しました");
    }
    if (FTC_Manager_New(fontState.library, kMaxFaces, kMaxSizes, kMaxBytes, sprite2FaceRequester,
                        nullptr, &fontState.manager) != 0) {
        fontState.manager = nullptr;
        return failInit(u"Error: [%s] フォントキャッシュの初期化に失敗しました");
    }
    if (FTC_CMapCache_New(fontState.manager, &fontState.charMaps) != 0)
        return failInit(u"Error: [%s] フォントマップキャッシュの初期化に失敗しました");
    if (FTC_ImageCache_New(fontState.manager, &fontState.images) != 0)
        return failInit(u"Error: [%s] フォントイメージキャッシュの初期化に失敗しました");
    FT_Face face = nullptr;
    if (FTC_Manager_LookupFace(fontState.manager, faceId(), &face) != 0)
        return failInit(u"Error: [%s] フォントの読み込みに失敗しました");
    fontState.started = true;
}

void sprite2Shutdown() { stopFont(); }

PelSpriteBackendFont* fontCreate(void* user, uint32_t size, uint32_t flags) {
    constexpr const char* kTag = "fontCreate";
    pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] create font(%d/%x)", kTag, static_cast<int32_t>(size),
              flags);
    FTC_ScalerRec scaler{};
    scaler.face_id = faceId();
    scaler.width = 0;
    scaler.height = size;
    scaler.pixel = 1;
    FT_Size ftSize = nullptr;
    if (!fontState.manager || FTC_Manager_LookupSize(fontState.manager, &scaler, &ftSize) != 0) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] can't lookup size", kTag);
        return nullptr;
    }
    Sprite2DeviceSet* set = sprite2Set(user);
    auto* font = new Sprite2Font;
    font->set = set;
    font->size = size;
    font->lineHeight = static_cast<int32_t>(ftSize->metrics.height >> 6);
    font->ascender = static_cast<int32_t>(ftSize->metrics.ascender >> 6);
    font->type.face_id = faceId();
    font->type.width = 0;
    font->type.height = size;
    font->type.flags = kLoadFlags;
    pelListAppend(&set->fonts, font);
    return reinterpret_cast<PelSpriteBackendFont*>(font);
}

void fontRelease(PelSpriteBackendFont* handle) {
    Sprite2Font* font = sprite2Font(handle);
    pelListRemove(&font->set->fonts, &font->link);
    delete font;
}

PEL_STATUS fontRender(PelSpriteBackendFont* handle, char16_t character) {
    Sprite2Font* font = sprite2Font(handle);
    font->advance = 0;
    font->glyph = nullptr;
    FT_Glyph glyph = nullptr;
    const FT_UInt index =
        fontState.charMaps ? FTC_CMapCache_Lookup(fontState.charMaps, faceId(), -1, character) : 0;
    if (index == 0 ||
        FTC_ImageCache_Lookup(fontState.images, &font->type, index, &glyph, nullptr) != 0 ||
        !drawableGlyph(glyph)) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] can't render (%lc)", "fontRender",
                  static_cast<int>(character));
        return PEL_E_NOTFOUND;
    }
    // The advance keeps only a six-bit carry between glyphs, not the whole fraction.
    const auto sum = static_cast<int32_t>(glyph->advance.x + font->carry);
    font->advance = static_cast<uint32_t>(sum >> 16);
    font->carry = static_cast<uint32_t>(sum & 0x3F);
    font->glyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
    return PEL_OK;
}

PEL_STATUS fontDraw(PelSpriteBackendImage* image, uint32_t x, uint32_t y, uint32_t width,
                    uint32_t height, const float rgba[4], PelSpriteBackendFont* handle,
                    const uint8_t gamma[256]) {
    constexpr const char* kTag = "fontDraw";
    Sprite2Surface* surface = sprite2Surface(image);
    const Sprite2Font* font = sprite2Font(handle);
    if (!surface->writable) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] not font texture", kTag);
        return PEL_E_INVALIDARG;
    }
    if (!font->glyph) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] not exist rendering image", kTag);
        return PEL_E_INVALIDARG;
    }
    const GlyphArea area = glyphArea(*surface, *font, x, y, width, height);
    if (area.width == 0) return PEL_OK;
    Coverage coverage;
    readCoverage(font->glyph->bitmap, coverage);
    const uint8_t rgb[3] = {unitToByte(rgba[0]), unitToByte(rgba[1]), unitToByte(rgba[2])};
    L3DTexture& texture = *surface->texture;
    bool drawn = false;
    {
        Sprite2TextureLock lock(texture, area.left, area.top, area.width, area.height);
        drawn = sprite2DrawCoverage(texture.pixelKind, lock.rows(), lock.pitch(), area.width,
                                    area.height, coverage.rows, coverage.pitch, rgb, gamma);
    }
    if (!drawn) pelReport(PEL_REPORT_ERROR, u"Error: [%s] can't support format", kTag);
    return PEL_OK;
}

void fontGetMetrics(uint32_t* advance, uint32_t* lineHeight, PelSpriteBackendFont* handle) {
    const Sprite2Font* font = sprite2Font(handle);
    *advance = font->advance;
    *lineHeight = static_cast<uint32_t>(font->lineHeight);
}
