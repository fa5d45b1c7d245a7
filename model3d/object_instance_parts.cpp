// What part and collision instances ask of their object instance: the part instance of a part,
// textures through the instance's callback, and its collision groups' resets and free spheres.
#include "foundation/DSjisText.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

rcptr<L3DPartInstance> L3DObjectInstance::GetPartInstance(const L3DPartData* data) {
    for (auto it = parts._GetFirstNode(); it != parts._GetEndNode(); it = it.Next())
        if (it.GetRef()->part.Get() == data) return it.GetRef();
    l3dError(DSjis<"[L3DObjectInstance::GetPartInstance] "
                   "指定されたパーツのインスタンスは存在しません">());
}

rcptr<L3DTexture> L3DObjectInstance::_LoadTexture(const char* name, uint32_t flags) {
    rcptr<L3DTexture> texture;
    if (context.textureCallback) context.textureCallback(texture, *this, name, flags);
    return texture;
}

L3DTextureCallback L3DObjectInstance::_TextureLoader() {
    if (!context.textureCallback) return {};
    return [this](const char* name, uint32_t flags) { return _LoadTexture(name, flags); };
}

void L3DObjectInstance::_ResetCollGroups() {
    for (auto it = collGroups._GetFirstNode(); it != collGroups._GetEndNode(); it = it.Next())
        it.GetRef()->_Reset();
    bounds.ResetPrevious();
}

void L3DObjectInstance::_CollectFreeSpheres() {
    auto forFree = [&](auto visit) {
        for (auto it = collGroups._GetFirstNode(); it != collGroups._GetEndNode(); it = it.Next()) {
            L3DCollGroupInstance& group = *it.GetRef();
            if (group.group->flags & L3DCollGroupData::FlagBound) continue;
            for (uint32_t i = 0; i < group.sphereCount; ++i) visit(group.spheres[i]);
        }
    };
    freeSphereCount = 0;
    forFree([&](L3D_COLLGROUPINST_SPHERE&) { ++freeSphereCount; });
    freeSpheres.Allocate(freeSphereCount);
    uint32_t n = 0;
    forFree([&](L3D_COLLGROUPINST_SPHERE& sphere) { freeSpheres[n++] = &sphere; });
}

void L3DObjectInstance::_PlaceFreeSpheres(const LMat& world) {
    for (uint32_t i = 0; i < freeSphereCount; ++i) freeSpheres[i]->Place(world);
}
