#pragma once
// The render states of a draw record's blend type (0..13), applied after the device's state
// reset; states a type does not name keep the reset's defaults.
#include <cstdint>
#include <span>

class L3DDevice;

struct L3DRenderStateRow {
    uint32_t state;
    uint32_t value;
};

// The rows of one blend type; a type past 13 has none and draws with the defaults.
std::span<const L3DRenderStateRow> l3dBlendTypeStates(uint32_t blendType);

// Types that blend with what the frame buffer holds (1, 3, 4, 5, 6, 10, 11): drawn after the
// opaque pieces, their triangles sorted back to front.
bool l3dBlendTypeReadsFrameBuffer(uint32_t blendType);

// Types whose passes write 0 into the colours' fourth component.
bool l3dBlendTypeZeroesAlpha(uint32_t blendType);

void l3dApplyBlendType(L3DDevice& device, uint32_t blendType);
