#pragma once
// The engine's drawing backend of the sprite library on the 3D device: surfaces are device
// textures, batches become indexed lists of pre-transformed quads, text is rasterised by
// FreeType from the one font file "sys/font.ttf", and wipes are threshold masks built on the
// CPU. Main thread only.
#include <cstdint>

#include "framework/sprite/backend.h"

class L3DDevice;
class System;

// What a device set draws with: the device, the configured display size (the screen size the
// sprite library scales its renderers to) and the integer scale of loaded images.
struct Sprite2Target {
    L3DDevice* device = nullptr;
    uint32_t displayWidth = 0;
    uint32_t displayHeight = 0;
    int32_t resourceScale = 1;
};

// Once per process, after the framework's file module and before the first engine: reads
// "sys/font.ttf" (archives first) into memory and starts FreeType with its caches. Failures
// are level-0 reports.
void sprite2Init();
// At the application's shutdown: FreeType and the font buffer go; sprite2Init may run again.
void sprite2Shutdown();

// A device set for the target, and the table over it: every slot cleared, then the user
// pointer (the device set) and the backend's callbacks. The engine hands the table to
// pelSpriteCreateContext.
void sprite2CreateDeviceSet(PEL_SPRITE_BACKEND* table, const Sprite2Target& target);
// The same over the system's device, its configured display size and resource scale (fixed
// before the first engine starts).
void sprite2CreateDeviceSet(PEL_SPRITE_BACKEND* table, System* system);
// Destroys what the set still holds (reported at level debug), then the set; the table's user
// pointer becomes null. Nothing when it is already null.
void sprite2DestroyDeviceSet(PEL_SPRITE_BACKEND* table);
