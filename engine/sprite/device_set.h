#pragma once
// The records behind the backend's table and its callbacks, slot by slot. The table hands out
// these records as its opaque handles.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_GLYPH_H

#include <cstdint>
#include <vector>

#include "engine/sprite/sprite2.h"
#include "foundation/rcptr.h"
#include "framework/core/hash.h"
#include "framework/core/list.h"
#include "framework/image/image.h"
#include "render3d/L3DTexture.h"

inline constexpr uint32_t kSprite2Vertices = 512;
inline constexpr uint32_t kSprite2Indices = 3072;
// XYZRHW, DIFFUSE, TEX2.
inline constexpr uint32_t kSprite2Fvf = 0x244;

// One pre-transformed vertex (36 bytes): z 0 and rhw 1 always.
struct Sprite2Vertex {
    float x, y, z, rhw;
    uint32_t colour;  // D3DCOLOR
    float uv[2][2];   // stages 0 and 1
};
static_assert(sizeof(Sprite2Vertex) == 36);

struct Sprite2DeviceSet {
    Sprite2Target target;
    PEL_LIST surfaces;
    PEL_LIST wipeSources;
    PEL_HASH wipeCache;  // lower-cased name -> source
    PEL_LIST fonts;
    Sprite2Vertex vertices[kSprite2Vertices];
    uint16_t indices[kSprite2Indices];
    uint32_t pendingVertices;
    uint32_t pendingIndices;
};

struct Sprite2Surface {
    mirel::rcptr<L3DTexture> texture;
    uint32_t writable = 0;  // 1 for text surfaces
    uint32_t width = 0;     // logical size
    uint32_t height = 0;
    Sprite2DeviceSet* set = nullptr;
    PEL_LIST_LINK link{};
};

struct Sprite2Font {
    Sprite2DeviceSet* set = nullptr;
    PEL_LIST_LINK link{};
    uint32_t size = 0;
    uint32_t advance = 0;  // whole pixels, of the glyph last rendered
    uint32_t carry = 0;
    int32_t lineHeight = 0;
    int32_t ascender = 0;
    FTC_ImageTypeRec type{};
    FT_BitmapGlyph glyph = nullptr;  // the glyph last rendered, owned by the glyph cache
};

struct Sprite2WipeSource {
    Sprite2DeviceSet* set = nullptr;
    std::vector<uint8_t> levels;  // one grey level per pixel
    uint32_t width = 0;
    uint32_t height = 0;
    char16_t name[128] = {};
    PEL_LIST wipes{};
    PEL_LIST_LINK link{};
};

struct Sprite2Wipe {
    Sprite2WipeSource* source = nullptr;
    mirel::rcptr<L3DTexture> texture;
    float width = 0;
    float height = 0;
    int32_t mode = 0;
    uint8_t threshold = 255;
    int32_t builtMode = 0;
    uint8_t builtThreshold = 255;
    uint32_t texelBytes = 4;
    PEL_LIST_LINK link{};
};

inline Sprite2DeviceSet* sprite2Set(void* user) { return static_cast<Sprite2DeviceSet*>(user); }
inline Sprite2Surface* sprite2Surface(PelSpriteBackendImage* image) {
    return reinterpret_cast<Sprite2Surface*>(image);
}
inline Sprite2Font* sprite2Font(PelSpriteBackendFont* font) {
    return reinterpret_cast<Sprite2Font*>(font);
}
inline Sprite2Wipe* sprite2Wipe(PelSpriteBackendWipe* wipe) {
    return reinterpret_cast<Sprite2Wipe*>(wipe);
}

// Slots 1 to 4 and the flush of the pending quads.
void deviceGetScreenSize(uint32_t* width, uint32_t* height, void* user);
void deviceBegin(void* user);
void deviceRender(void* user, PEL_SPRITE_BATCH* batches, uint32_t count);
void deviceFlush(Sprite2DeviceSet* set);

// Slots 5 to 9, 12 and 16.
PelSpriteBackendImage* surfaceLoadImage(void* user, uint32_t where, const char16_t* name);
PelSpriteBackendImage* surfaceCreateFont(void* user, uint32_t width, uint32_t height);
void surfaceRelease(PelSpriteBackendImage* image);
int32_t surfaceIsWritable(PelSpriteBackendImage* image);
void surfaceGetSize(uint32_t* width, uint32_t* height, PelSpriteBackendImage* image);
PEL_STATUS surfaceFill(PelSpriteBackendImage* image, uint32_t x, uint32_t y, uint32_t width,
                       uint32_t height, const float rgba[4]);
void surfaceSetSize(PelSpriteBackendImage* image, uint32_t width, uint32_t height);
void surfaceDestroy(Sprite2Surface* surface);

// Slots 13 to 15, and the mask texture a batch binds (one reference added; rebuilt when the
// mode or the threshold changed since it was last built).
PelSpriteBackendWipe* wipeLoad(void* user, uint32_t where, const char16_t* name);
void wipeRelease(PelSpriteBackendWipe* wipe);
void wipeSet(PelSpriteBackendWipe* wipe, int32_t mode, float threshold);
mirel::rcptr<L3DTexture> wipeGetHandle(Sprite2Wipe* wipe);
// Takes a source out of the list and the cache and frees it.
void wipeSourceDestroy(Sprite2DeviceSet* set, Sprite2WipeSource* source);

// Slots 17 to 21.
PelSpriteBackendFont* fontCreate(void* user, uint32_t size, uint32_t flags);
void fontRelease(PelSpriteBackendFont* font);
PEL_STATUS fontRender(PelSpriteBackendFont* font, char16_t character);
PEL_STATUS fontDraw(PelSpriteBackendImage* image, uint32_t x, uint32_t y, uint32_t width,
                    uint32_t height, const float rgba[4], PelSpriteBackendFont* font,
                    const uint8_t gamma[256]);
void fontGetMetrics(uint32_t* advance, uint32_t* lineHeight, PelSpriteBackendFont* font);

// Shared by the slots: a texture of the size for a surface or a wipe, checked (fatal reports
// with the tag); an image file opened for reading by framework path (fatal when missing).
mirel::rcptr<L3DTexture> sprite2CreateTexture(Sprite2DeviceSet* set, const char* name,
                                              uint32_t width, uint32_t height, const char* tag);
PEL_FILE* sprite2OpenFile(uint32_t where, const char16_t* name);
// Decodes an image whose header was read into rows of a texture kind: the image module's
// 32-bit word for RGBA32 (then red and blue exchanged) and BGRA32, its 16-bit word for
// A4R4G4B4. False for another kind or when decoding fails.
bool sprite2DecodeRows(uint32_t textureKind, const PEL_IMAGE_INFO& info, PEL_FILE* file,
                       uint8_t* rows, int32_t pitch, uint32_t rowCount);
