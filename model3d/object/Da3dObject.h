#pragma once
// The engines' way to models and their companions by name: model data, textures, the
// sound-effect group file of an object and lists of sound-effect groups, each looked up in the
// default pack through the renderer of the System. Paths are framework paths (UTF-16) of at
// most 128 units; the pack sees their CP932 form, at most 128 bytes.
#include <cstdint>

#include "foundation/rcptr.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DSeGroupList.h"
#include "render3d/L3DTexture.h"
#include "sound/LSeManager.h"

class System;

class Da3dObject {
public:
    using SeGroup = mirel::LSeManager::_GROUPINFO;

    // The texture of that name in the default pack, from the System's renderer (loaded on
    // first use; nonzero flags ask for mip levels). Empty without a renderer.
    static void loadTextureByName(System& system, const char16_t* name,
                                  mirel::rcptr<L3DTexture>& texture, uint32_t flags);
    // The name resolved against the directory, then loaded by name.
    static void loadTexture(const char16_t* directory, const char16_t* name,
                            mirel::rcptr<L3DTexture>& texture, System& system, uint32_t flags);
    // The sound-effect group file "<resolved name>.prp" of the default pack, loaded by the
    // renderer's sound-effect manager with the sound directory (empty or null: the file's own)
    // and the type id. Null without a sound-effect manager or without the file.
    static SeGroup* loadProperties(System& system, const char16_t* name,
                                   const char16_t* soundDirectory, uint32_t typeId,
                                   const char16_t* directory);
    // Fills the list from a list text: entries of {name, a 0 unit, a type id unit}, ended by
    // a 0 unit where a name would begin. Each group is loaded from the default pack in order.
    // Nothing happens without a sound-effect manager.
    static void loadSeGroupList(System& system, L3D_SEGROUPLIST& list, const char16_t* text);
};

// Whether "<name resolved against the directory>.dgo" exists (mounted archives first).
bool da3dExistObjectData(const char16_t* directory, const char16_t* name);
// Loads "<name resolved against the directory>.dgo" from the default pack into a new model in
// the handle. A missing file is a level-0 report; the handle is then left empty.
void da3dLoadObjectData(mirel::rcptr<L3DObjectData>& data, const char16_t* directory,
                        const char16_t* name);
// False exactly for the name of the editor's preview animation (ASCII letters without case).
bool da3dIsNotEditViewAnim(const char* name);
