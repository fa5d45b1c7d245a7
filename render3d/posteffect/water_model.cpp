// Water surfaces from models: the host loads the model by name, the surface is built from
// views of its parts' tables and source meshes.
#include <vector>

#include "model3d/L3DObjectData.h"
#include "render3d/posteffect/PostEffect.h"

namespace {

PostEffectWaterPart waterPart(const L3DPartData& part) {
    PostEffectWaterPart view;
    view.colours = part.colours.Get();
    view.colourCount = part.colourCount;
    view.uvs = reinterpret_cast<const float(*)[2]>(part.uvs.Get());
    view.uvCount = part.uvCount;
    for (uint32_t i = 0; i < part.meshCount; ++i) {
        const L3D_PARTDATA_MESH& mesh = part.meshes[i];
        static_assert(sizeof(L3D_PARTDATA_CORNER) == sizeof(uint32_t[4]));
        view.meshes.push_back({reinterpret_cast<const float(*)[3]>(mesh.positions.Get()),
                               mesh.positionCount,
                               reinterpret_cast<const uint32_t(*)[4]>(mesh.corners.Get()),
                               mesh.cornerCount, mesh.indices.Get(), mesh.indexCount});
    }
    return view;
}

}  // namespace

POSTEFFECT_WATER_SURFACE* PostEffect::loadWater(const char16_t* directory, const char16_t* name) {
    if (!active()) return nullptr;
    const mirel::rcptr<L3DObjectData> model = host_->loadModel(directory, name);
    if (!model) return nullptr;
    std::vector<PostEffectWaterPart> parts;
    for (auto it = model->parts._GetFirstNode(); it != model->parts._GetEndNode(); it = it.Next())
        parts.push_back(waterPart(*it.GetRef()));
    return postEffectBuildWaterSurface(parts);
}
