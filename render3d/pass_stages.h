#pragma once
// The texture-stage operations of each shader pass: stage 0 keeps the reset's modulation of the
// base texture; stages 1 and 2 modulate a ramp in or add a highlight.
#include <cstdint>
#include <span>

#include "render3d/L3DShaderOption.h"

class L3DDevice;

struct L3DStageOps {
    uint32_t stage;
    uint32_t colourOp;
    uint32_t alphaOp;
};

// The stages a pass sets (none for NORMAL and MAP3).
std::span<const L3DStageOps> l3dPassStageOps(L3DShaderKind pass);

void l3dApplyPassStageOps(L3DDevice& device, L3DShaderKind pass);
