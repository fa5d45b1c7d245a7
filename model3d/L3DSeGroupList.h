#pragma once
// The sound-effect groups an object instance or an effect data plays its sound events from.
#include <cstdint>

#include "foundation/rcptr.h"
#include "sound/LSeManager.h"

struct L3D_SEGROUPLIST {
    uint32_t count = 0;
    mirel::rcptr<mirel::LSeManager::_GROUPINFO*> groups;
};
