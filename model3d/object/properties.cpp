#include "engine/system/system.h"
#include "foundation/pack/pack_registry.h"
#include "framework/file/path.h"
#include "model3d/object/Da3dObject.h"
#include "model3d/object/pack_names.h"
#include "render3d/L3DRenderer.h"

Da3dObject::SeGroup* Da3dObject::loadProperties(System& system, const char16_t* name,
                                                const char16_t* soundDirectory, uint32_t typeId,
                                                const char16_t* directory) {
    const mirel::rcptr<L3DRenderer>& renderer = system.renderer();
    if (!renderer || !renderer->seManager) return nullptr;
    // The group loader adds ".prp" itself: it gets the name without its extension, so that the
    // file it opens is the file tested here ("body.dgo" as well as "body" finds "body.prp").
    const std::u16string path = resolvePackPath(directory, name);
    char16_t bare[kPackPathUnits];
    pelPathReplaceExtension(path.c_str(), bare, kPackPathUnits, nullptr);
    const std::string group = packName(bare);
    const uint32_t pack = defaultPack();
    if (!lfmIsPackDataExist(pack, (group + ".prp").c_str())) return nullptr;
    const std::string sounds = soundDirectory ? packName(soundDirectory) : std::string();
    return renderer->seManager->LoadGroup(pack, group.c_str(),
                                          sounds.empty() ? nullptr : sounds.c_str(), typeId);
}
