#pragma once
// Water surfaces: the vertices and indices of a model's meshes, drawn by the post effect over
// a copy of the scene. The model side hands in its parts as plain views of the tables a
// surface reads.
#include <cstdint>
#include <vector>

#include "render3d/posteffect/posteffect_records.h"

// Owned by the caller (the map that loaded it).
struct POSTEFFECT_WATER_SURFACE {
    uint32_t vertexCount = 0;
    std::vector<POSTEFFECT_VERTEX> sourceVertices;
    std::vector<POSTEFFECT_VERTEX> workingVertices;
    uint32_t indexCount = 0;
    std::vector<uint16_t> indices;
};

// One mesh of a part: vertex references {position, (unused), colour, uv} into the mesh's
// position table and the part's colour and UV tables, and indices into the references.
struct PostEffectWaterMesh {
    const float (*positions)[3] = nullptr;
    uint32_t positionCount = 0;
    const uint32_t (*vertexRefs)[4] = nullptr;
    uint32_t vertexCount = 0;
    const uint32_t* indices = nullptr;
    uint32_t indexCount = 0;
};

struct PostEffectWaterPart {
    const uint32_t* colours = nullptr;
    uint32_t colourCount = 0;
    const float (*uvs)[2] = nullptr;
    uint32_t uvCount = 0;
    std::vector<PostEffectWaterMesh> meshes;
};

// A surface of all meshes of all parts, each mesh's indices raised by the vertices of the
// meshes before it. Null, with one log line, for more than 65535 vertices or a reference or
// index outside its table.
POSTEFFECT_WATER_SURFACE* postEffectBuildWaterSurface(
    const std::vector<PostEffectWaterPart>& parts);
