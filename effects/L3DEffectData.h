#pragma once
// What the effect files hold once loaded: the definition tables (images with their batch keys,
// image definitions, models) and the effect data (roots, parts and their time-sorted events).
#include <bit>
#include <cstdint>

#include "foundation/rcptr.h"
#include "render3d/L3DSeGroupList.h"
#include "render3d/L3DTexture.h"
#include "render3d/LResManager.h"

inline constexpr uint32_t L3DEffectBlendCount = 12;

// Blend modes 0, 2, 3, 4, 5, 9 and 10 give a result that depends on the drawing order.
constexpr bool l3dEffectBlendDependsOnOrder(uint32_t blend) {
    return blend < 11 && ((0x63Du >> blend) & 1u);
}
inline constexpr uint32_t L3DEffectMaxKind = 44;
// Model references −1 to −7 name the built-in shapes; −5 is the trail ribbon.
inline constexpr int32_t L3DEffectFirstShape = -7;
inline constexpr int32_t L3DEffectTrailShape = -5;
inline constexpr uint32_t L3DEffectNameCapacity = 264;

// Root flags. Follow is bit 0, stop-by-key frees the instance is bit 1, optional is bit 2;
// Keyed is computed at load.
inline constexpr uint32_t L3DEffectRootFollow = 0x1;
inline constexpr uint32_t L3DEffectRootStopFrees = 0x2;
inline constexpr uint32_t L3DEffectRootOptional = 0x4;
inline constexpr uint32_t L3DEffectRootKeyed = 0x10000;
// Part flags.
inline constexpr uint32_t L3DEffectPartHangs = 0x1;
inline constexpr uint32_t L3DEffectPartStopFrees = 0x2;
inline constexpr uint32_t L3DEffectPartOptional = 0x4;

// Manager flag: skip the optional roots and parts.
inline constexpr uint32_t L3DEffectSkipOptional = 0x1;

// One batch key: a blend mode and the texture of an image.
struct L3D_EFFECT_IMAGEKEY {
    uint32_t blend = 0;
    platform::d3d9::IDirect3DTexture9* texture = nullptr;
};

// One texture image of the definition and its twelve batch keys, entry b for blend mode b.
struct L3DEffectManagerItemA {
    mirel::rcptr<L3DTexture> texture;
    L3D_EFFECT_IMAGEKEY keys[L3DEffectBlendCount];
};

// The 56 bytes of an image definition as stored.
struct L3D_EFFECT_IMAGEDEF {
    uint32_t image;
    float left;
    float top;
    float right;
    float bottom;
    float pivotX;
    float pivotY;
    uint32_t unread[2];
    float colour[4];
    uint32_t blend;
};
static_assert(sizeof(L3D_EFFECT_IMAGEDEF) == 56);

// The 36 bytes of a model vertex as stored.
struct L3D_EFFECT_MODELVERTEX {
    float position[3];
    float colour[4];
    float s;
    float t;
};
static_assert(sizeof(L3D_EFFECT_MODELVERTEX) == 36);

// One definition model; a model without vertices or indices holds null arrays.
struct L3DEffectManagerItemB {
    uint32_t vertexCount = 0;
    mirel::rcptr<L3D_EFFECT_MODELVERTEX> vertices;
    uint32_t indexCount = 0;
    mirel::rcptr<uint16_t> indices;
};

// One event: its frame, its kind and nine parameter words (floats kept as their bits). Words
// the kind does not read are zero.
struct L3D_EFFECT_EVENT {
    int32_t time = 0;
    uint32_t kind = 0;
    uint32_t p[9] = {};

    float f(int i) const { return std::bit_cast<float>(p[i]); }
    int32_t i(int i) const { return static_cast<int32_t>(p[i]); }
};
static_assert(sizeof(L3D_EFFECT_EVENT) == 44);

struct L3D_EFFECT_PART {
    uint32_t flags = 0;
    uint32_t eventCount = 0;
    mirel::rcptr<L3D_EFFECT_EVENT> events;
};

struct L3D_EFFECT_ROOT {
    uint32_t flags = 0;
    L3D_EFFECT_PART rootPart;
    uint32_t partCount = 0;
    mirel::rcptr<L3D_EFFECT_PART> parts;
};

// One loaded effect data file, named by its resource record.
struct L3D_EFFECT_DATA {
    const L3D_RENDERER_NNID* nnid = nullptr;
    uint32_t pack = 0;
    char name[L3DEffectNameCapacity] = {};
    L3D_SEGROUPLIST seGroups;
    uint32_t rootCount = 0;
    mirel::rcptr<L3D_EFFECT_ROOT> roots;
};
