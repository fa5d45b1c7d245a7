#pragma once
#include <cstdint>

#include "framework/core/hash.h"
#include "framework/core/list.h"
#include "framework/sprite/backend.h"

// The records of the sprite library. Every record but the context and the animation comes from
// a pool of the module. Records referenced by others carry two counts: internal (held by other
// records of the library) and script (held by their creator); a record goes when a decrement
// leaves both at zero.

struct PEL_SPRITE_CONTEXT;
struct PEL_SPRITE_RENDERER;
struct PEL_SPRITE_TEXT;

struct PEL_SPRITE_CONTEXT {
    PEL_SPRITE_BACKEND backend;  // a copy of the creator's table
    PEL_LIST images;
    PEL_HASH imageCache;  // lower-cased name -> image; releases nothing itself
    PEL_LIST fonts;
    PEL_LIST renderers;
    PEL_LIST_LINK link;  // in the module's context list
};

struct PEL_SPRITE_IMAGE {
    char16_t* name;  // the cache key; NULL for text images
    int32_t internalCount;
    int32_t scriptCount;
    PelSpriteBackendImage* handle;
    PEL_SPRITE_CONTEXT* context;
    PEL_LIST_LINK link;
};

struct PEL_SPRITE_RECT {
    int32_t internalCount;
    int32_t scriptCount;
    PEL_SPRITE_IMAGE* image;
    uint32_t x, y, width, height;
    int32_t originX, originY;
    PEL_SPRITE_RENDERER* renderer;
    PEL_LIST_LINK link;
    PEL_SPRITE_TEXT* pendingText;
    uint32_t drawnWidth, drawnHeight;
    PEL_LIST_LINK textLink;  // in the renderer's pending-text list while a text is pending
};

// The computed state of a sprite, and of each renderer root.
struct PEL_SPRITE_STATE {
    float matrix[4][3];  // row vectors; row 3 is the translation
    int32_t blend;
    int32_t blendCode;
    int32_t alphaTest;
    int32_t alphaTestCode;
    float alphaReference;           // as inherited
    float effectiveAlphaReference;  // what the backend gets
    int32_t scaling;
    int32_t filterCode;
    float red, green, blue, alpha;
    float speed;  // the time scale handed to the children
};

struct PEL_SPRITE_RENDERER {
    uint32_t width, height;
    uint32_t screenWidth, screenHeight;
    uint32_t textSpeed;         // 8.8
    PEL_SPRITE_STATE roots[4];  // by the top-level sprite's mirror flags: none, X, Y, both
    PEL_LIST textFormats;
    PEL_LIST rects;
    PEL_LIST pendingTexts;
    PEL_LIST animations;
    PEL_LIST visibleSprites;
    PEL_LIST hiddenSprites;
    uint32_t levelCount;
    PEL_LIST* levels;
    uint32_t currentBatch;
    PEL_SPRITE_BATCH batches[kPelSpriteBatchCount];
    PEL_SPRITE_CONTEXT* context;
    PEL_LIST_LINK link;
};

// Sprite flags.
enum : uint32_t {
    PEL_SPRITE_DIRTY = 0x1,
    PEL_SPRITE_SHOWN = 0x2,
    PEL_SPRITE_VISIBLE = 0x4,
    PEL_SPRITE_MIRROR_X = 0x8,
    PEL_SPRITE_MIRROR_Y = 0x10,
    PEL_SPRITE_ROTATE_X = 0x20,
    PEL_SPRITE_ROTATE_Y = 0x40,
    PEL_SPRITE_ROTATE_Z = 0x80,
    PEL_SPRITE_TRANSFORM = 0x100,
    PEL_SPRITE_RECT_MIRROR_U = 0x200,
    PEL_SPRITE_RECT_MIRROR_V = 0x400,
    PEL_SPRITE_HOLD = 0x800,
    PEL_SPRITE_SELF_REFERENCE = 0x1000,
    PEL_SPRITE_ANIMATING = 0x2000,
    PEL_SPRITE_QUAD_VALID = 0x4000,
};

struct PEL_SPRITE_ANIMATION;
struct PEL_SPRITE_CURSOR;

struct PEL_SPRITE {
    PEL_SPRITE_RECT* rect;
    uint32_t level;
    PEL_LIST_LINK levelLink;
    PEL_SPRITE* parent;
    PEL_LIST visibleChildren;
    PEL_LIST hiddenChildren;
    uint32_t flags;
    float x, y;
    float scaleX, scaleY;
    float rotationX, rotationY, rotationZ;
    int32_t blend;
    int32_t alphaTest;
    float alphaReference;
    int32_t scaling;
    float red, green, blue, alpha;
    float transform[4][3];
    float animationSpeed;
    PEL_SPRITE_ANIMATION* animation;
    PEL_SPRITE_CURSOR* cursor;
    PEL_SPRITE_STATE state;
    PEL_SPRITE_VERTEX quad[4];
    int32_t internalCount;
    int32_t scriptCount;
    PEL_SPRITE_RENDERER* renderer;
    PEL_LIST_LINK link;  // in the parent's or the renderer's visible or hidden list
};

// An animation: a header followed, in the same heap block, by the typed table of its rects and
// by its words. Word 0 is the rect count n; words 1 to n are the rects' places (the rects
// themselves are in the table); then seven tracks, each a header {end, loop} and its records.
struct PEL_SPRITE_ANIMATION {
    int32_t internalCount;
    int32_t scriptCount;
    PEL_SPRITE_RENDERER* renderer;
    PEL_LIST_LINK link;
    uint32_t flags;  // PEL_SPRITE_ANIMATION_HOLD
    uint32_t rectCount;
    PEL_SPRITE_RECT** rects;  // one internal reference held on each
    uint32_t wordCount;
    const uint32_t* words;
};

enum : uint32_t { PEL_SPRITE_ANIMATION_HOLD = 1 };

inline constexpr uint32_t kPelSpriteTrackCount = 7;
inline constexpr uint32_t kPelSpriteNoRecord = 0xFFFFFFFFu;

// Where one track of an animation stands, in word indices of the animation's data.
struct PEL_SPRITE_TRACK_CURSOR {
    uint32_t record;  // kPelSpriteNoRecord when the track has stopped
    uint32_t time;    // 8.8: until the current command, or left in the current key
    uint32_t end;
    uint32_t header;
};

enum : uint32_t { PEL_SPRITE_CURSOR_FIRST_RUN = 1 };

struct PEL_SPRITE_CURSOR {
    uint32_t flags;
    uint32_t consumed;                                     // 8.8
    uint32_t endCountdown;                                 // 8.8, 0 when no end is pending
    PEL_SPRITE_TRACK_CURSOR tracks[kPelSpriteTrackCount];  // 0: commands, 1 to 6: keys
};

struct PEL_SPRITE_FONT {
    uint32_t pixelSize;
    PelSpriteBackendFont* handle;
    PEL_LIST_LINK link;
};

enum : uint32_t {
    PEL_SPRITE_TEXT_CLEAR_THEN_WAIT = 1,  // clear, and draw from the next flush on
    PEL_SPRITE_TEXT_CLEAR = 2,            // clear and draw in the same flush
};

struct PEL_SPRITE_TEXT_FORMAT {
    int32_t internalCount;
    int32_t scriptCount;
    uint32_t flag;
    PEL_SPRITE_FONT* font;
    uint8_t gamma[256];
    uint32_t interval;  // 8.8 text time per character
    float color[4];     // alpha always 0: the clearing colour's
    int32_t drawX, drawY;
    int32_t marginX, marginY;
    PEL_SPRITE_RENDERER* renderer;
    PEL_LIST_LINK link;
};

inline constexpr uint32_t kPelSpriteTextPageUnits = 64;

struct PEL_SPRITE_TEXT_PAGE {
    PEL_LIST_LINK link;
    char16_t units[kPelSpriteTextPageUnits];
};

struct PEL_SPRITE_TEXT {
    PEL_SPRITE_TEXT_FORMAT* format;
    PEL_LIST pages;
    PEL_SPRITE_TEXT_PAGE* page;
    uint32_t index;
    uint32_t clear;
    uint32_t wait;  // 8.8
    int32_t penX, penY;
};
