#pragma once
// The engines' way to models and their companions by name: model data, textures, the
// sound-effect group file of an object and lists of sound-effect groups, each looked up in the
// default pack through the renderer of the System. Paths are framework paths (UTF-16) of at
// most 128 units; the pack sees their CP932 form, at most 128 bytes.
#include <cstdint>

#include "foundation/rcptr.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DObjectInstance.h"
#include "render3d/L3DSeGroupList.h"
#include "render3d/L3DTexture.h"
#include "sound/LSeManager.h"

class System;

// The engines' handle pair of a model: its data and one drawable instance of it (either may be
// empty).
class Da3dObject {
public:
    using SeGroup = mirel::LSeManager::_GROUPINFO;

    mirel::rcptr<L3DObjectData> data;
    mirel::rcptr<L3DObjectInstance> instance;

    // Loads "<path>.dgo" of the default pack into the object's data and makes its instance
    // through the System's renderer. The model's directory becomes a resource name of the
    // renderer, and the first model of a directory loads the directory's effect data
    // "<directory>/effdata"; texture names of the instance resolve inside that directory. A
    // non-empty group list goes to the instance. A missing file is a level-0 report; a model at
    // the top of the pack (no directory) is fatal.
    static void load(const char16_t* path, Da3dObject& object, System& system,
                     const L3D_SEGROUPLIST& groups);
    // load with the groups of a list text (see loadSeGroupList; null: none); the instance keeps
    // its own references to them.
    static void loadWithSeGroups(const char16_t* groupText, System& system, Da3dObject& object,
                                 const char16_t* path);
    // The target shares the source's data and gets a new instance of it, made through the
    // source instance's renderer with its texture context and its sound-effect groups.
    static void assign(const Da3dObject& source, Da3dObject& target);

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
