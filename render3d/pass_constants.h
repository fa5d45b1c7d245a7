#pragma once
// The vertex-shader constants of one shader pass, in register order from c0, without the bone
// registers that a skinned layout appends. Skinned layouts take world-space vectors and the
// transposed view-projection; rigid layouts take object-space vectors and the transposed
// world-view-projection. Components the shaders do not read are written as 0.
#include <array>
#include <vector>

#include "render3d/L3DShaderOption.h"
#include "render3d/LMat.h"

using L3DVec4 = std::array<float, 4>;

struct L3DPassInputs {
    float light[3];    // L: world-space light direction (skinned) or Lo (rigid)
    float eye[3];      // E or Eo
    float fur[3];      // P or Po
    L3DVec4 colour1;   // A
    L3DVec4 colour2;   // B
    float power;       // h
    float factor1;     // K1
    float factor2;     // K2
    float fog1, fog2;  // oFog = clip w * fog1 + fog2
    LMat transform;    // VP transposed (skinned) or W = (world * VP) transposed (rigid)
};

// Registers c0.. for the pass of this kind (0 to 5 and 10).
std::vector<L3DVec4> l3dPassConstants(L3DShaderKind pass, bool skinned, const L3DPassInputs& in);
