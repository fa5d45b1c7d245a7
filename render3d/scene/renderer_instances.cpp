// The renderer's object instances: made, initialised and listed in creation order (their own
// release unlists them, in render3d).
#include "model3d/L3DObjectInstance.h"
#include "render3d/L3DRenderer.h"

using mirel::rcptr;

namespace {

void releaseInstance(L3DObjectInstance& instance) { instance._Release(); }

}  // namespace

rcptr<L3DObjectInstance> L3DRenderer::CreateObjectInstance(const rcptr<L3DObjectData>& model,
                                                           const L3DTextureContext& context) {
    instanceRelease = releaseInstance;
    rcptr<L3DObjectInstance> instance;
    instance.Create();
    // The renderer's list holds the instance, so the instance's handle back counts nothing.
    instance->Init(rcptr<L3DRenderer>::NonOwning(this), model, context);
    instances.AddTail(rcptr<L3DObjectInstance>::NonOwning(instance.Get()));
    return instance;
}
