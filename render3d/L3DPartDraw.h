#pragma once
// What the renderer reads of a model's parts when it draws them: the run-time mesh of a part
// (one per material), a piece of a part instance (its vertex copy, buffers, material and
// texture) and the part instance itself (hidden flag, matrix palette, pieces, centre). The
// model code fills these records; the renderer only reads them.
#include <cstdint>

#include "foundation/rcptr.h"
#include "render3d/L3DBuffers.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/L3DTexture.h"
#include "render3d/LMat.h"

struct L3D_ANIMINST_MAT;
struct L3D_PARTDATA_MESH;

// Draw flag of L3DRenderer::DrawObjectInstance: blended pieces are drawn at once, not queued.
inline constexpr uint32_t L3DDrawAllAtOnce = 0x2;

// The 72-byte vertex of meshes with three texture-coordinate sets (format 0x835E).
struct L3D_RENDERER_VERTEX3 {
    L3D_RENDERER_VERTEX base;
    float u2, v2;
    float u3, v3;
};
static_assert(sizeof(L3D_RENDERER_VERTEX3) == 72);

// The mesh the renderer draws for one material of a part.
struct L3D_PARTDATA_RUNTIME {
    const L3D_PARTDATA_MESH* sourceMesh = nullptr;
    mirel::rcptr<L3D_RENDERER_VERTEX> vertices;
    uint32_t vertexCount = 0;
    uint32_t maxBlendCount = 0;                    // weights per vertex, 0 to 4
    mirel::rcptr<L3D_RENDERER_VERTEX3> vertices3;  // empty without extra texture coordinates
    mirel::rcptr<uint16_t> indices;
    uint32_t indexByteCount = 0;  // twice the index count
    uint32_t primitiveType = 0;   // 4 triangle list, 5 triangle strip
    uint32_t primitiveCount = 0;
    // Palette slots of the bones the mesh uses; a vertex's bone byte n > 0 names entry n - 1.
    uint32_t usedBoneCount = 0;
    mirel::rcptr<uint32_t> usedBones;
};

// One piece of a part instance: the draw record of one run-time mesh.
struct L3D_PARTINST_MAT {
    static constexpr uint32_t FlagCpuVertices = 0x01;     // drawn from the vertex copy
    static constexpr uint32_t FlagTexCoordsMoved = 0x10;  // animated UVs: wrap addressing
    static constexpr uint32_t FlagThreeUvSets = 0x20;     // drawn from the 72-byte vertices

    uint32_t flags = 0;
    mirel::rcptr<L3D_PARTDATA_RUNTIME> pieceData;
    mirel::rcptr<L3D_RENDERER_VERTEX> vertices;  // the vertex copy
    uint32_t vertexCount = 0;
    uint32_t weightCount = 0;  // blend weights per vertex, 0 to 4
    mirel::rcptr<L3DVBuffer> vertexBuffer;
    mirel::rcptr<L3DIBuffer> indexBuffer;
    const L3D_ANIMINST_MAT* material = nullptr;  // the material drawn
    mirel::rcptr<L3DTexture> texture;            // the base texture drawn on stage 0
};

// A part instance as the renderer sees it.
struct L3DPartDraw {
    static constexpr uint32_t FlagHidden = 0x01;

    uint32_t flags = 0;
    // Entry 0 is the part's world matrix, entry k its bone of palette slot k.
    uint32_t matrixCount = 0;
    mirel::rcptr<LMat> matrices;
    uint32_t pieceCount = 0;
    mirel::rcptr<L3D_PARTINST_MAT> pieces;
    float centre[3] = {};  // world space; the depth key of its blended pieces
};
