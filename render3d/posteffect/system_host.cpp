#include "render3d/posteffect/system_host.h"

#include <string>

#include "engine/config/config.h"
#include "engine/system/system.h"
#include "foundation/pack/pack_registry.h"
#include "platform/os/cp932.h"
#include "render3d/L3DRenderer.h"

namespace {

constexpr size_t kMaxNameBytes = 128;

}  // namespace

L3DDevice& SystemPostEffectHost::device() { return system_.device(); }

PostEffectMode SystemPostEffectHost::mode() const {
    const Config* config = system_.config();
    const bool compatible = config && (config->video.flags & PEL_D3D9_COMPATIBLE) != 0;
    return {system_.displayWidth(), system_.displayHeight(), compatible};
}

mirel::rcptr<L3DTexture> SystemPostEffectHost::loadTexture(const char16_t* name) {
    const mirel::rcptr<L3DRenderer>& renderer = system_.renderer();
    if (!renderer) return {};
    std::string bytes = platform::os::utf16ToCp932(name);
    if (bytes.size() >= kMaxNameBytes) bytes.resize(kMaxNameBytes - 1);
    return renderer->GetTexture(lfmRegistPack(""), bytes.c_str(), false);
}

const L3DRenderer* SystemPostEffectHost::renderer() const { return system_.renderer().Get(); }
