#include "engine/system/system.h"
#include "model3d/object/Da3dObject.h"
#include "model3d/object/pack_names.h"
#include "render3d/L3DRenderer.h"

void Da3dObject::loadTextureByName(System& system, const char16_t* name,
                                   mirel::rcptr<L3DTexture>& texture, uint32_t flags) {
    const mirel::rcptr<L3DRenderer>& renderer = system.renderer();
    if (!renderer) {
        texture.Reset();
        return;
    }
    const std::string bytes = packName(name ? name : u"");
    texture = renderer->GetTexture(defaultPack(), bytes.c_str(), flags != 0);
}

void Da3dObject::loadTexture(const char16_t* directory, const char16_t* name,
                             mirel::rcptr<L3DTexture>& texture, System& system, uint32_t flags) {
    const std::u16string path = resolvePackPath(directory, name);
    loadTextureByName(system, path.c_str(), texture, flags);
}
