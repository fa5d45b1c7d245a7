#pragma once
// The plain records of the post effects: the screen vertex, pass rectangles, the queued
// requests with their parameter blocks, the parameter records the callers hand in, and the
// water settings.
#include <cstdint>

#include "foundation/rcptr.h"
#include "framework/core/list.h"
#include "render3d/L3DTexture.h"

// A screen or water vertex: XYZ | DIFFUSE | TEX8, 80 bytes. Passes fill pairs 0 and 1.
struct POSTEFFECT_VERTEX {
    static constexpr uint32_t Fvf = 0x842;
    float x, y, z;
    uint32_t colour;
    float uv[8][2];
};
static_assert(sizeof(POSTEFFECT_VERTEX) == 80);

// A pass rectangle in pixels: destination, then source.
struct POSTEFFECT_RECT {
    float x, y, w, h;
    float sx, sy, sw, sh;
};

// A pass rectangle with a second source rectangle for a second texture.
struct POSTEFFECT_RECT2 {
    float x, y, w, h;
    float sx, sy, sw, sh;
    float sx2, sy2, sw2, sh2;
};

// One level of the bloom pyramid: the blur level (0 to 7) and the alpha its glow is added with.
struct POSTEFFECT_LEVEL {
    uint32_t level;
    float alpha;
};

// Parameter records of the add functions.
struct POSTEFFECT_BRIGHT_PARAMS {
    float threshold;
    POSTEFFECT_LEVEL levels[4];
};
struct POSTEFFECT_BIAS_PARAMS {
    POSTEFFECT_LEVEL levels[4];
    float bias;
};
struct POSTEFFECT_LEVEL_PARAMS {
    POSTEFFECT_LEVEL levels[4];
};
struct POSTEFFECT_COLOR_PARAMS {
    float red, green, blue, alpha;
};
struct POSTEFFECT_ZOOMBLUR_PARAMS {
    float centerX, centerY, value2, value3, phaseStep;
    int32_t fadeInFrames, fadeOutStart, endFrame;
};
struct POSTEFFECT_SHIMMER_PARAMS {
    char16_t name[32];
    float sizeX, sizeY, powerX, powerY, speedX, speedY, alpha;
};
struct POSTEFFECT_WATER_PARAMS {
    float redPowerX, redPowerY, greenPowerX, greenPowerY, bluePowerX, bluePowerY;
    float brightMin, brightMax;
    struct Noise {
        char16_t name[32];
        float sizeX, sizeY, speedX, speedY;
    } noise[2];
};

// A queued request. Only the block of the request's own kind is meaningful.
struct POSTEFFECT_REQUEST {
    enum Kind : uint32_t {
        Bright = 1,
        Diffuse = 2,
        Overlay = 3,
        Softlight = 4,
        Hardlight = 5,
        ZoomBlur = 6,
        Shimmer = 7,
        AlphaBloom = 9,
    };

    uint32_t kind;
    PEL_LIST_LINK link;
    struct {
        float threshold;
        POSTEFFECT_LEVEL levels[4];
    } bright;
    struct {
        POSTEFFECT_LEVEL levels[4];
        float bias;
    } diffuse;
    struct {
        float colour[4];
        float twiceInverse[4];  // 2 × (1 − colour)
    } overlay;
    struct {
        float factors[4];  // s(red), s(green), s(blue), alpha
    } softlight;
    struct {
        float colour[4];
        float twiceInverse[4];
        float step[4];  // 1 where the channel is at least 0.5
    } hardlight;
    struct {
        float centerX, centerY, value2, value3, phaseStep;
        int32_t fadeInFrames, fadeOutStart, endFrame;
        float phase;
        int32_t counter;
        float intensity;
    } zoom;
    struct {
        char16_t name[32];
        float uvWidth, uvHeight;
        float powerX, powerY;
        float speedX, speedY;  // texels per frame
        float alpha;
        float offsetX, offsetY;
    } shimmer;
    struct {
        POSTEFFECT_LEVEL levels[4];
    } alphaBloom;
};

// The water settings of the field engine's surfaces.
struct POSTEFFECT_WATER {
    float redPowerX, redPowerY, greenPowerX, greenPowerY, bluePowerX, bluePowerY;
    float brightMin;
    float brightScale;  // 1 / (maximum − minimum), or 0
    struct Noise {
        mirel::rcptr<L3DTexture> texture;
        float invSizeX, invSizeY;
        float speedX, speedY;
        float offsetX, offsetY;
    } noise[2];
};
