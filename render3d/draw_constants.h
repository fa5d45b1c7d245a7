#pragma once
// The values the renderer derives from its camera, light and fog for drawing: the packed fog
// colour, the normalised light, the outline pass's aspect and registers, the registers of a
// plain object and the bone registers that skinned layouts append.
#include <cstdint>
#include <vector>

#include "render3d/LMat.h"
#include "render3d/pass_constants.h"

// Each of r, g, b times 255, rounded to nearest (ties to even), low 8 bits: 0x00RRGGBB.
uint32_t l3dFogColor(float r, float g, float b);

// The direction scaled to length 1; a zero vector stays zero.
void l3dNormalizeLight(const float in[3], float out[3]);

// The outline's width correction: the view's corner (1, 1) taken back through the inverse
// projection gives x and y; aspect = y / x and its inverse x / y.
struct L3DEdgeAspect {
    float aspect;
    float aspectInverse;
};
L3DEdgeAspect l3dEdgeAspect(const LMat& inverseProjection);

// The four registers of a matrix, one per row.
void l3dAppendMatrixRegisters(std::vector<L3DVec4>& out, const LMat& m);

// Three registers with the first three rows of boneMatrices[0], then three for each entry of
// the bone list with boneMatrices[entry] (entry 0 for an entry past the matrices).
void l3dAppendBoneRegisters(std::vector<L3DVec4>& out, const LMat* boneMatrices,
                            uint32_t matrixCount, const uint32_t* boneList, uint32_t boneCount);

struct L3DOutlineInputs {
    float edgeWidth;
    float edgeAspectInverse;
    L3DVec4 edgeColour;
    float fog1, fog2;
    // Skinned: the view-projection transposed. Rigid: (world x view-projection) transposed.
    LMat transform;
};

// Registers c0.. of the outline pass, without the bone registers a skinned layout appends:
// skinned c0 (1, fog1, fog2, 765.01), c1 E, c2 colour, c3..c6 transform; rigid c0 E, c1 colour,
// c2 (fog1, fog2, 0, 0), c3..c6 transform; E = (width, width x aspect inverse, 0, 0).
std::vector<L3DVec4> l3dOutlineConstants(bool skinned, const L3DOutlineInputs& in);

// Registers c0..c4 of a plain object: c0 (fog1, fog2, 0, 0), c1..c4 (world x view x
// projection) transposed.
std::vector<L3DVec4> l3dObjectConstants(const LMat& world, const LMat& view, const LMat& projection,
                                        float fog1, float fog2);
