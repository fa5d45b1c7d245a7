#pragma once
// The engines' way to models and their companions by name: textures and the sound-effect group
// file of an object, each looked up in the default pack through the renderer of the System.
#include <cstdint>

#include "foundation/rcptr.h"
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
};
