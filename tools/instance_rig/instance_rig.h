#pragma once
// An object instance put together and stepped from its parts, for the programs that look at
// animation alone (animdump, the model tests, the animation benchmark): the sub-instances in
// the order an instance builds them, an animation made current from its start, and one frame
// in the order an instance advances (parts by part-group level, free spheres, bounding
// spheres, uploads). Events, sounds and effects are not run.
#include <cstdint>

#include "foundation/rcptr.h"
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DObjectInstance.h"

class L3DRenderer;

namespace tools::rig {

// An instance of the model with its collision groups, parts, part groups and free spheres,
// without a current animation. The renderer may be null: no buffers, no default material.
mirel::rcptr<L3DObjectInstance> makeInstance(const mirel::rcptr<L3DObjectData>& model,
                                             const mirel::rcptr<L3DRenderer>& renderer,
                                             const L3DTextureContext& context = {});
// The instance of the animation of that name, made current from its start: every node to its
// rest pose and rewound, its motions bound, its override materials applied.
mirel::rcptr<L3DAnimInstance> play(L3DObjectInstance& instance, const char* name);
// Binds the animation instance as `play` does.
void play(L3DObjectInstance& instance, L3DAnimInstance& anim);
// One frame, as the instance advances (no event sets are bound, so none run).
void forward(L3DObjectInstance& instance);

// FNV-1a over every sphere centre of every collision group and every bounding sphere (centre
// and radius), each × 1024 rounded half away from zero, as the engines convert them.
uint64_t hashSpheres(const L3DObjectInstance& instance, uint64_t hash = 14695981039346656037ull);

}  // namespace tools::rig
