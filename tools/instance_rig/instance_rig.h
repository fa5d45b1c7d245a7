#pragma once
// An object instance put together from its parts, for the programs that look at animation
// alone (animdump, the model tests, the animation benchmark): the sub-instances in the order an
// instance builds them, without the model's own events and without the muted first frame that
// `L3DObjectInstance::Init` runs, so that frame 0 is the first frame the caller steps. Making an
// animation current and stepping a frame are the instance's own operations.
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
// The instance of the animation of that name, made current with a restart
// (`SetCurrentAnim(anim, 1)`); null when the model has no such animation.
mirel::rcptr<L3DAnimInstance> play(L3DObjectInstance& instance, const char* name);
// Makes the animation instance current as `play` does.
void play(L3DObjectInstance& instance, L3DAnimInstance& anim);
// One frame: `ForwardAnimFrame`.
void forward(L3DObjectInstance& instance);

// FNV-1a over every sphere centre of every collision group and every bounding sphere (centre
// and radius), each × 1024 rounded half away from zero, as the engines convert them.
uint64_t hashSpheres(const L3DObjectInstance& instance, uint64_t hash = 14695981039346656037ull);

}  // namespace tools::rig
