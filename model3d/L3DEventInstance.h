#pragma once
// One event of a set, resolved against its object instance: the piece, node, collision group
// or effect data it acts on, and what it needs when it fires. Which fields are used depends
// on the kind (L3DObjectEventKind).
#include <cstdint>

#include "foundation/rcptr.h"
#include "model3d/L3DObjectEvent.h"
#include "model3d/L3DWorldBlock.h"
#include "render3d/L3DTexture.h"

class L3DCollGroupInstance;
struct L3D_EFFECT_DATA;
struct L3D_PARTINST_MAT;

struct L3DEventInstance {
    int32_t frame = 0;
    const L3D_OBJDATA_EVENT* event = nullptr;
    uint32_t kind = 0;

    // Texture set and texture animation: the piece.
    L3D_PARTINST_MAT* piece = nullptr;
    // Texture set: the texture (may be empty) and the remap of the coordinates,
    // u' = (u - sourceU) * scaleU + targetU, likewise v.
    mirel::rcptr<L3DTexture> texture;
    float sourceU = 0.0f, scaleU = 1.0f, targetU = 0.0f;
    float sourceV = 0.0f, scaleV = 1.0f, targetV = 0.0f;

    // Sound: the group index into the instance's groups, the effect, its alternatives, and
    // where the voice takes its position from.
    int32_t groupIndex = 0;
    uint32_t soundNumber = 0;
    uint32_t alternativeCount = 0;
    const uint32_t* alternatives = nullptr;
    const L3DWorldBlock* source = nullptr;

    // Effects: the effect data (null: the event does nothing), the effect, what it is attached
    // to and its trail points (null: none).
    const L3D_EFFECT_DATA* effectData = nullptr;
    uint32_t effectIndex = 0;
    const L3DWorldBlock* attach = nullptr;
    const L3DWorldBlock* trailA = nullptr;
    const L3DWorldBlock* trailB = nullptr;

    // Collision switch: the group and the mode (bit 0 on, bit 1 off).
    L3DCollGroupInstance* collGroup = nullptr;
    uint32_t mode = 0;

    // Go to frame.
    uint32_t targetFrame = 0;

    // Texture animation: its wave and scroll settings, read from the record.
    const L3D_OBJDATA_EVENT_TEXANIM* texAnim = nullptr;
};
