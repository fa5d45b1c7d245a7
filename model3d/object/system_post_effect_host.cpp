#include "model3d/object/system_post_effect_host.h"

#include "engine/config/config.h"
#include "engine/system/system.h"
#include "model3d/object/Da3dObject.h"
#include "render3d/L3DRenderer.h"

L3DDevice& SystemPostEffectHost::device() { return system_.device(); }

PostEffectMode SystemPostEffectHost::mode() const {
    const Config* config = system_.config();
    const bool compatible = config && (config->video.flags & PEL_D3D9_COMPATIBLE) != 0;
    return {system_.displayWidth(), system_.displayHeight(), compatible};
}

mirel::rcptr<L3DTexture> SystemPostEffectHost::loadTexture(const char16_t* name) {
    mirel::rcptr<L3DTexture> texture;
    Da3dObject::loadTextureByName(system_, name, texture, 0);
    return texture;
}

const L3DRenderer* SystemPostEffectHost::renderer() const { return system_.renderer().Get(); }

mirel::rcptr<L3DObjectData> SystemPostEffectHost::loadModel(const char16_t* directory,
                                                            const char16_t* name) {
    mirel::rcptr<L3DObjectData> model;
    da3dLoadObjectData(model, directory, name);
    return model;
}
