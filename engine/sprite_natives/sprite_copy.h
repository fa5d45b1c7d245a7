#pragma once
// Copying one sprite's settings onto another, by groups, each through the library operation
// that sets it: the "base" options of spriteCreate.
#include <cstdint>

struct PEL_SPRITE;

enum : uint32_t {
    // Rect, parent, level, show, blend, alpha test, scaling, colour and alpha, mirror flags,
    // transform and rect mirror flags.
    kCopyBase = 0x1,
    kCopyPosition = 0x2,
    kCopyScale = 0x4,  // scale and scaling
    kCopyRotation = 0x8,
    kCopyAnimation = 0x10,  // animation speed and animation
    kCopyAll = 0x1F,
};

void copySprite(PEL_SPRITE* target, const PEL_SPRITE* source, uint32_t parts);
