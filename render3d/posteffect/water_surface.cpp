#include "render3d/posteffect/water_surface.h"

#include <memory>

#include "render3d/diagnostics/diagnostics.h"

namespace {

constexpr uint64_t kMaxVertices = 65535;

}  // namespace

POSTEFFECT_WATER_SURFACE* postEffectBuildWaterSurface(
    const std::vector<PostEffectWaterPart>& parts) {
    uint64_t vertices = 0, indices = 0;
    for (const PostEffectWaterPart& part : parts)
        for (const PostEffectWaterMesh& mesh : part.meshes) {
            vertices += mesh.vertexCount;
            indices += mesh.indexCount;
        }
    // Indices are 16 bits: a bigger surface cannot be addressed.
    if (vertices > kMaxVertices) {
        l3dLog(0, "[PostEffect::loadWater] too many vertices for a water surface (%llu)",
               static_cast<unsigned long long>(vertices));
        return nullptr;
    }
    auto surface = std::make_unique<POSTEFFECT_WATER_SURFACE>();
    surface->vertexCount = static_cast<uint32_t>(vertices);
    surface->indexCount = static_cast<uint32_t>(indices);
    surface->sourceVertices.reserve(vertices);
    surface->indices.reserve(indices);
    for (const PostEffectWaterPart& part : parts)
        for (const PostEffectWaterMesh& mesh : part.meshes) {
            const auto base = static_cast<uint32_t>(surface->sourceVertices.size());
            for (uint32_t i = 0; i < mesh.vertexCount; ++i) {
                const uint32_t* ref = mesh.vertexRefs[i];
                if (ref[0] >= mesh.positionCount || ref[2] >= part.colourCount ||
                    ref[3] >= part.uvCount) {
                    l3dLog(0, "[PostEffect::loadWater] vertex reference out of range");
                    return nullptr;
                }
                POSTEFFECT_VERTEX v{};
                v.x = mesh.positions[ref[0]][0];
                v.y = mesh.positions[ref[0]][1];
                v.z = mesh.positions[ref[0]][2];
                v.colour = part.colours[ref[2]];
                for (auto& pair : v.uv) {
                    pair[0] = part.uvs[ref[3]][0];
                    pair[1] = part.uvs[ref[3]][1];
                }
                surface->sourceVertices.push_back(v);
            }
            for (uint32_t i = 0; i < mesh.indexCount; ++i) {
                if (mesh.indices[i] >= mesh.vertexCount) {
                    l3dLog(0, "[PostEffect::loadWater] index out of range");
                    return nullptr;
                }
                surface->indices.push_back(static_cast<uint16_t>(base + mesh.indices[i]));
            }
        }
    surface->workingVertices = surface->sourceVertices;
    return surface.release();
}
