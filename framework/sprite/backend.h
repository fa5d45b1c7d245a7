#pragma once
#include <cstdint>

#include "framework/core/status.h"

// What the sprite library hands to its drawing backend and the table of callbacks through which
// it reaches it. Handles are opaque: the backend chooses them and casts them back.

struct PelSpriteBackendImage;
struct PelSpriteBackendMask;
struct PelSpriteBackendFont;
struct PelSpriteBackendWipe;

// One corner of a quad: screen pixels, image pixels and a colour from 0 to 1 (not clamped).
struct PEL_SPRITE_VERTEX {
    float x, y;
    float u, v;
    float red, green, blue, alpha;
};

inline constexpr uint32_t kPelSpriteBatchVertices = 512;
inline constexpr uint32_t kPelSpriteBatchCount = 128;

// Quads that share an image and the render modes.
struct PEL_SPRITE_BATCH {
    PelSpriteBackendImage* image;
    PelSpriteBackendMask* mask;  // never set by the library
    int32_t filter;
    int32_t blend;
    int32_t alphaTest;
    float alphaReference;
    uint32_t vertexCount;
    PEL_SPRITE_VERTEX vertices[kPelSpriteBatchVertices];
};

// The user pointer followed by 21 callbacks, in this order. The library never calls
// imageIsWritable, the wipe slots or imageSetSize; they are here for other users of the table.
struct PEL_SPRITE_BACKEND {
    void* user;
    void (*screenSize)(uint32_t* width, uint32_t* height, void* user);                      // 1
    void (*drawBegin)(void* user);                                                          // 2
    void (*drawEnd)(void* user);                                                            // 3
    void (*drawBatches)(void* user, PEL_SPRITE_BATCH* batches, uint32_t count);             // 4
    PelSpriteBackendImage* (*imageLoad)(void* user, uint32_t where, const char16_t* name);  // 5
    PelSpriteBackendImage* (*imageCreate)(void* user, uint32_t width, uint32_t height);     // 6
    void (*imageRelease)(PelSpriteBackendImage* image);                                     // 7
    int32_t (*imageIsWritable)(PelSpriteBackendImage* image);                               // 8
    void (*imageSize)(uint32_t* width, uint32_t* height, PelSpriteBackendImage* image);     // 9
    void (*textBegin)(PelSpriteBackendImage* image);                                        // 10
    void (*textEnd)(PelSpriteBackendImage* image);                                          // 11
    PEL_STATUS(*imageFill)
    (PelSpriteBackendImage* image, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
     const float rgba[4]);                                                                // 12
    PelSpriteBackendWipe* (*wipeLoad)(void* user, uint32_t where, const char16_t* name);  // 13
    void (*wipeRelease)(PelSpriteBackendWipe* wipe);                                      // 14
    void (*wipeSet)(PelSpriteBackendWipe* wipe, int32_t mode, float threshold);           // 15
    void (*imageSetSize)(PelSpriteBackendImage* image, uint32_t width, uint32_t height);  // 16
    PelSpriteBackendFont* (*fontCreate)(void* user, uint32_t pixelSize, uint32_t flags);  // 17
    void (*fontRelease)(PelSpriteBackendFont* font);                                      // 18
    PEL_STATUS (*glyphRender)(PelSpriteBackendFont* font, char16_t unit);                 // 19
    PEL_STATUS(*glyphDraw)
    (PelSpriteBackendImage* image, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
     const float rgba[4], PelSpriteBackendFont* font,
     const uint8_t gamma[256]);                                                                // 20
    void (*fontMetrics)(uint32_t* advance, uint32_t* lineHeight, PelSpriteBackendFont* font);  // 21
};
