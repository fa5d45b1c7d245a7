#pragma once
// Draw records built the way the model code fills them: a part with its matrix palette and
// pieces, each piece with its run-time mesh, vertex copy, material and, on request, buffers.
#include <cstdint>
#include <memory>
#include <vector>

#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/L3DShaderOption.h"

class L3DDevice;

namespace tessera::test {

struct PieceSpec {
    uint32_t blendType = 0;
    float edgeWidth = 0.0f;
    uint32_t weightCount = 0;
    uint32_t primitiveType = 4;  // triangle list
    uint32_t flags = 0;          // L3D_PARTINST_MAT flags
    // The mesh: vertices and 16-bit indices (three per triangle of a list).
    std::vector<L3D_RENDERER_VERTEX> vertices;
    std::vector<uint16_t> indices;
    std::vector<uint32_t> usedBones;
};

// A square of two triangles from (x0, y0) to (x1, y1) at depth z, vertex colour argb.
PieceSpec quadPiece(float x0, float y0, float x1, float y1, float z, uint32_t argb);

class PartBuilder {
public:
    // A part with these palette matrices (entry 0 its world matrix) and world-space centre.
    explicit PartBuilder(std::vector<LMat> matrices, const float centre[3] = nullptr);

    // Adds a piece and returns its number; with a device, vertex and index buffers as the
    // model code makes them. Adding moves the pieces: take them with piece() afterwards.
    uint32_t add(const PieceSpec& spec, L3DDevice* device = nullptr);
    L3DPartDraw& part() { return part_; }
    L3D_PARTINST_MAT& piece(uint32_t n) { return part_.pieces[n]; }
    L3D_RENDERER_SHADEROPT_NORMAL& option(uint32_t piece) { return *options_[piece]; }

private:
    std::vector<std::unique_ptr<L3D_RENDERER_SHADEROPT_NORMAL>> options_;
    std::vector<std::unique_ptr<L3D_ANIMINST_MAT>> materials_;
    L3DPartDraw part_;
};

}  // namespace tessera::test
