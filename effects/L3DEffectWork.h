#pragma once
// The records of playing effects: instances, their parts, trails and the key table's entries.
#include <cstdint>

#include "effects/L3DEffectData.h"
#include "render3d/LMat.h"

struct L3D_EFFECT_WORKROOT;

// A part's trail: a header and up to 64 samples, oldest first.
struct L3D_EFFECT_TRACKER {
    static constexpr uint32_t SampleCapacity = 64;
    struct Sample {
        float life;
        float a[3];
        float b[3];
    };
    int32_t countdown = 0;
    float life = 0.0f;
    float inverseLife = 0.0f;
    int32_t interval = 0;
    float segmentLength = 0.0f;
    uint32_t sampleCount = 0;
    uint32_t provisionalCount = 0;
    Sample samples[SampleCapacity] = {};
};

// One playing part; the root part is embedded in its instance, the others come from the pool.
struct L3D_EFFECT_WORKPART {
    L3D_EFFECT_WORKROOT* instance = nullptr;  // null while the record is free
    L3D_EFFECT_WORKPART* previous = nullptr;  // in the instance's child list
    L3D_EFFECT_WORKPART* next = nullptr;
    L3D_EFFECT_WORKPART* previousDraw = nullptr;  // in the instance's draw list
    L3D_EFFECT_WORKPART* nextDraw = nullptr;
    const L3D_EFFECT_PART* part = nullptr;
    int32_t pendingJump = -1;
    int32_t frame = -1;
    uint32_t cursor = 0;
    LMat local{};
    LMat parent{};
    LMat world{};
    L3D_EFFECT_TRACKER* trail = nullptr;
    int32_t image = -1;
    int32_t model = 0;
    int32_t drawPriority = 0;
    uint32_t imageMode = 0;  // 0 none (not in the draw list), 1 held, 2 sequence, 3 random
    int32_t firstImage = 0;
    int32_t lastImage = 0;
    int32_t imageInterval = 0;
    int32_t imageCountdown = 0;
    int32_t basePriority = 0;
    float colour[4] = {};
    float finalColour[4] = {};
    uint32_t colourMode = 0;
    float colourBase[4] = {};
    float colourRange[4] = {};
    int32_t colourInterval = 0;
    int32_t colourCountdown = 0;
    float position[3] = {};
    uint32_t positionMode = 0;
    float positionBase[3] = {};
    float positionRange[3] = {};
    int32_t positionInterval = 0;
    int32_t positionCountdown = 0;
    float scale[3] = {};
    uint32_t scaleMode = 0;
    float scaleBase[3] = {};
    float scaleRange[3] = {};
    int32_t scaleInterval = 0;
    int32_t scaleCountdown = 0;
    float rotation[4] = {};
    LMat rotationMatrix{};
    uint32_t rotationMode = 0;
    float angularVelocity[4] = {};
    float axisBase[3] = {};
    float axisRange[3] = {};
    float angleBase = 0.0f;
    float angleRange = 0.0f;
    int32_t rotationInterval = 0;
    int32_t rotationCountdown = 0;
};

// Hold flags of an instance.
inline constexpr uint32_t L3DEffectHoldStill = 0x1;
inline constexpr uint32_t L3DEffectHoldHidden = 0x2;
inline constexpr uint32_t L3DEffectEndless = 0xFFFFFFFF;
inline constexpr uint32_t L3DEffectNoKey = 0xFFFFFFFF;
// Bit 0 of the manager's blend-seen word.
inline constexpr uint32_t L3DEffectBlendSeenOrdered = 0x1;

// One playing effect.
struct L3D_EFFECT_WORKROOT {
    const L3D_EFFECT_DATA* data = nullptr;
    // Floats 0 to 2 are a position and 9 to 12 a rotation quaternion; kept only for following.
    const float* attach = nullptr;
    float position[3] = {};
    float rotation[4] = {};
    const float* trailA = nullptr;
    const float* trailB = nullptr;
    LMat world{};
    LMat scale{};
    uint32_t user[2] = {};
    uint32_t startDelay = 0;
    uint32_t holdFlags = 0;
    uint32_t holdCounter = 0;
    uint32_t lifetime = 0;
    const L3D_EFFECT_ROOT* root = nullptr;
    L3D_EFFECT_WORKPART rootPart;
    L3D_EFFECT_WORKPART* children = nullptr;  // newest first
    L3D_EFFECT_WORKPART* drawList = nullptr;  // by draw priority
    L3D_EFFECT_WORKROOT* previous = nullptr;  // in the active list
    L3D_EFFECT_WORKROOT* next = nullptr;
    uint32_t keyIndex = L3DEffectNoKey;
    L3D_EFFECT_WORKROOT* previousKeyed = nullptr;  // in the key's list
    L3D_EFFECT_WORKROOT* nextKeyed = nullptr;
};

// One entry of the dense key table.
struct L3D_EFFECT_KEY {
    const void* key = nullptr;
    L3D_EFFECT_WORKROOT* first = nullptr;
};
