#pragma once
// The timed events of a model or of one of its animations, as the file stores them: a frame,
// a kind, and the kind's own fields. What each does when it fires belongs to the instances.
#include <cstdint>

#include "effects/L3DEffectWork.h"
#include "foundation/rcptr.h"
#include "model3d/model_pool.h"

enum L3DObjectEventKind : uint32_t {
    L3DEventTexSet = 0,
    L3DEventSe = 1,
    L3DEventEffect = 2,
    L3DEventOwnEffect = 3,  // the effect record, played from the model's own effect data
    L3DEventSetColl = 4,
    L3DEventGoFrame = 5,
    L3DEventTexAnim = 6,
};

struct L3D_OBJDATA_EVENT {
    uint32_t frame = 0;
    uint32_t kind = 0;
    virtual ~L3D_OBJDATA_EVENT() = default;
};

struct L3D_OBJDATA_EVENT_TEXSET : L3D_OBJDATA_EVENT {
    L3D_NAMEREF fromArea;
    L3D_NAMEREF toArea;
};

struct L3D_OBJDATA_EVENT_SE : L3D_OBJDATA_EVENT {
    uint32_t groupIndex = 0;
    uint32_t soundNumber = 0;
    uint32_t alternativeCount = 0;
    mirel::rcptr<uint32_t> alternatives;
    L3D_NAMEREF partName;
    L3D_NAMEREF boneName;
};

// Lifetimes are the effect manager's: L3DEffectEndless plays until stopped, and is also the
// lifetime of effects of older files.

struct L3D_OBJDATA_EVENT_EFFECT : L3D_OBJDATA_EVENT {
    uint32_t effectNumber = 0;
    uint32_t lifetime = L3DEffectEndless;
    L3D_NAMEREF partName;
    L3D_NAMEREF boneName;
    float position[3] = {};
    float rotation[4] = {};  // x, y, z, w
    float scale[3] = {};
    L3D_NAMEREF userPair;
    L3D_NAMEREF followPart1;
    L3D_NAMEREF followBone1;
    L3D_NAMEREF followPart2;
    L3D_NAMEREF followBone2;
};

struct L3D_OBJDATA_EVENT_SETCOLL : L3D_OBJDATA_EVENT {
    L3D_NAMEREF collGroupName;
    uint32_t mode = 0;  // bit 0 switches the group on, bit 1 off
};

struct L3D_OBJDATA_EVENT_GOFRAME : L3D_OBJDATA_EVENT {
    uint32_t targetFrame = 0;
};

struct L3D_OBJDATA_EVENT_TEXANIM : L3D_OBJDATA_EVENT {
    L3D_NAMEREF partName;
    L3D_NAMEREF materialName;
    uint8_t waveOn = 0;
    float uAmplitude = 0.0f;
    float vAmplitude = 0.0f;
    uint8_t heightRelative = 0;
    float uBaseHeight = 0.0f;
    float vBaseHeight = 0.0f;
    uint32_t uWavePeriod = 0;
    uint32_t vWavePeriod = 0;
    uint8_t scrollOn = 0;
    float uSpeed = 0.0f;
    float vSpeed = 0.0f;
    float uLimit = 0.0f;
    float vLimit = 0.0f;
};
