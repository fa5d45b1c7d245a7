#include "render3d/scene/model_instances.h"

#include "effects/L3DEffectManager.h"
#include "foundation/DPath.h"
#include "model3d/L3DObjectInstance.h"
#include "render3d/L3DRenderer.h"

namespace {

// The resource record of the directory; the first model of a directory registers it and loads
// its effect data.
const L3D_RENDERER_NNID* directoryResource(L3DRenderer& renderer, const char* directory,
                                           uint32_t pack) {
    if (const L3D_RENDERER_NNID* known = renderer.names.FindNnid(directory)) return known;
    const L3D_RENDERER_NNID* added = renderer.names.AddNnid(directory);
    char effects[mirel::DPATH_SIZE];
    mirel::DPathMake(effects, directory, "effdata", nullptr);
    if (renderer.effectManager) renderer.effectManager->LoadData(added, pack, effects);
    return added;
}

}  // namespace

mirel::rcptr<L3DObjectInstance> l3dCreateModelInstance(L3DRenderer& renderer,
                                                       const mirel::rcptr<L3DObjectData>& model,
                                                       const char* path, uint32_t pack) {
    char directory[mirel::DPATH_SIZE];
    mirel::DPathSplit(path, directory, nullptr, nullptr);
    const L3D_RENDERER_NNID* resource = directoryResource(renderer, directory, pack);
    return renderer.CreateObjectInstance(model, {0, LResManager::GetNnidName, resource});
}
