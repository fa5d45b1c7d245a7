#pragma once
// The sound-effect groups an object instance or an effect data plays from: a count and an
// array of group pointers of the renderer's sound-effect manager. Each holder of a list keeps
// one reference on every non-null group it lists.
#include <cstdint>

#include "foundation/rcptr.h"
#include "sound/LSeManager.h"

struct L3D_SEGROUPLIST {
    uint32_t count = 0;
    mirel::rcptr<mirel::LSeManager::_GROUPINFO*> groups;
};
