#include "tests/render3d/support/part_builder.h"

#include <algorithm>
#include <cstring>

#include "render3d/L3DDevice.h"

namespace tessera::test {

PieceSpec quadPiece(float x0, float y0, float x1, float y1, float z, uint32_t argb) {
    PieceSpec spec;
    const float corners[4][2] = {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}};
    for (const auto& c : corners) {
        L3D_RENDERER_VERTEX v{};
        v.x = c[0];
        v.y = c[1];
        v.z = z;
        v.weights[0] = 1.0f;
        v.nz = -1.0f;
        v.color = argb;
        v.u = c[0] == x0 ? 0.0f : 1.0f;
        v.v = c[1] == y0 ? 1.0f : 0.0f;
        spec.vertices.push_back(v);
    }
    spec.indices = {0, 1, 2, 2, 1, 3};  // counter-clockwise on screen: front faces
    return spec;
}

PartBuilder::PartBuilder(std::vector<LMat> matrices, const float centre[3]) {
    part_.matrixCount = static_cast<uint32_t>(matrices.size());
    part_.matrices.Allocate(matrices.size());
    std::copy(matrices.begin(), matrices.end(), part_.matrices.Get());
    if (centre) std::copy(centre, centre + 3, part_.centre);
}

uint32_t PartBuilder::add(const PieceSpec& spec, L3DDevice* device) {
    auto& option = options_.emplace_back(std::make_unique<L3D_RENDERER_SHADEROPT_NORMAL>());
    option->blendType = spec.blendType;
    option->edgeWidth = spec.edgeWidth;
    for (int i = 0; i < 4; ++i) {
        option->color1[i] = 1.0f;
        option->edgeColor[i] = i == 3 ? 1.0f : 0.0f;
    }
    auto& material = materials_.emplace_back(std::make_unique<L3D_ANIMINST_MAT>());
    material->option = mirel::rcptr<L3D_RENDERER_SHADEROPT>::NonOwning(option.get());

    // The pieces live in one counted array, as in a part instance: grow it by one.
    const uint32_t n = part_.pieceCount;
    mirel::rcptr<L3D_PARTINST_MAT> pieces;
    pieces.Allocate(n + 1);
    for (uint32_t i = 0; i < n; ++i) pieces[i] = part_.pieces[i];
    part_.pieces = pieces;
    part_.pieceCount = n + 1;

    mirel::rcptr<L3D_PARTDATA_RUNTIME> mesh;
    mesh.Create();
    const auto vertexCount = static_cast<uint32_t>(spec.vertices.size());
    mesh->vertexCount = vertexCount;
    mesh->vertices.Allocate(vertexCount);
    std::copy(spec.vertices.begin(), spec.vertices.end(), mesh->vertices.Get());
    mesh->maxBlendCount = spec.weightCount;
    if (spec.flags & L3D_PARTINST_MAT::FlagThreeUvSets) {
        mesh->vertices3.Allocate(vertexCount);
        for (uint32_t i = 0; i < vertexCount; ++i)
            mesh->vertices3[i] = {spec.vertices[i], spec.vertices[i].u, spec.vertices[i].v,
                                  spec.vertices[i].u, spec.vertices[i].v};
    }
    mesh->indices.Allocate(std::max<size_t>(spec.indices.size(), 1));
    std::copy(spec.indices.begin(), spec.indices.end(), mesh->indices.Get());
    mesh->indexByteCount = static_cast<uint32_t>(spec.indices.size() * 2);
    mesh->primitiveType = spec.primitiveType;
    mesh->primitiveCount = spec.primitiveType == 5 ? static_cast<uint32_t>(spec.indices.size()) - 2
                                                   : static_cast<uint32_t>(spec.indices.size() / 3);
    mesh->usedBoneCount = static_cast<uint32_t>(spec.usedBones.size());
    if (!spec.usedBones.empty()) {
        mesh->usedBones.Allocate(spec.usedBones.size());
        std::copy(spec.usedBones.begin(), spec.usedBones.end(), mesh->usedBones.Get());
    }

    L3D_PARTINST_MAT& piece = part_.pieces[n];
    piece.flags = spec.flags;
    piece.pieceData = mesh;
    piece.vertices = mesh->vertices;  // the copy starts as the mesh's vertices
    piece.vertexCount = vertexCount;
    piece.weightCount = spec.weightCount;
    piece.material = material.get();
    if (device) {
        const bool threeUv = (spec.flags & L3D_PARTINST_MAT::FlagThreeUvSets) != 0;
        if (threeUv)
            piece.vertexBuffer = device->CreateVBufferWith(
                mesh->vertices3.Get(), vertexCount * sizeof(L3D_RENDERER_VERTEX3),
                L3DDevice::ThreeUvFvf);
        else
            piece.vertexBuffer = device->CreateVBufferWith(
                mesh->vertices.Get(), vertexCount * sizeof(L3D_RENDERER_VERTEX),
                L3DDevice::DefaultFvf);
        piece.indexBuffer = device->CreateIBufferWith(mesh->indices.Get(), mesh->indexByteCount);
    }
    return n;
}

}  // namespace tessera::test
