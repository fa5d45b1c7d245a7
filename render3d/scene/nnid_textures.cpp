// The texture callback of instances made for the engines: texture names resolve inside the
// directory of the instance's model, registered as its resource name.
#include "foundation/DPath.h"
#include "foundation/DSjisText.h"
#include "foundation/pack/pack_registry.h"
#include "model3d/L3DObjectInstance.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LResManager.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

void LResManager::GetNnidName(rcptr<L3DTexture>& texture, L3DObjectInstance& instance,
                              const char* name, uint32_t flags) {
    texture.Reset();
    if (!name || name[0] == '\0') return;
    if (!instance.context.resource)
        l3dError(DSjis<"[LResManager::GetNnidName] 番号 %d は異常">(), 0);
    char path[DPATH_SIZE];
    DPathMake(path, instance.context.resource->name, name, nullptr);
    const uint32_t pack = lfmRegistPack("");
    char found[DPATH_SIZE];
    if (!lfmFindFirstExisting(found, pack, path, "dgt:dgi:png:jpg:jpeg:bmp")) {
        l3dLog(0, DSjis<"テクスチャファイルが見つからない(%s)">(), path);
        return;
    }
    if (instance.renderer) texture = instance.renderer->GetTexture(pack, path, flags != 0);
}
