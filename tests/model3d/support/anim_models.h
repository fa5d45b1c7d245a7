#pragma once
// Animated models made with the model writer for the instance suites, the animation benchmark
// and the determinism check, and their loading from written bytes.
#include <array>
#include <cstdint>
#include <string>

#include "foundation/DFile.h"
#include "foundation/rcptr.h"
#include "model3d/L3DObjectData.h"
#include "tests/foundation/support/memory_stream.h"
#include "tools/writers/model_file_writer.h"

namespace tessera::test {

// The model of the written bytes (every error fatal, as when loading).
inline mirel::rcptr<L3DObjectData> loadModel(const tools::writers::ModelFile& model) {
    mirel::DFile file;
    attachMemory(file, tools::writers::writeModelFile(model), "model.dgo");
    mirel::rcptr<L3DObjectData> data;
    data.Create();
    data->Load(file);
    return data;
}

// A rotation of `degrees` about an axis as a key quaternion (x, y, z, w).
std::array<float, 4> keyRotation(float x, float y, float z, float degrees);

// A part "body" with one triangle (corners at (0,0,0), (1,0,0), (0,1,0)) and the bone chain
// "upper" (reference (0,0,0)) -> "lower" (reference (0,1,0)), numbered 1 and 2; a part group
// placing it; and an animation "anim" (end frame 30, loop frame 30) with a still single key for
// the part and for each bone. Tests change what they look at.
tools::writers::ModelFile limbModel();

// Two parts: "torso" with a chain of three bones, "head" hung from the third bone; curved and
// linear keys with turns about every axis, looping from frame 10 to 40; collision spheres on
// bones (types 3 and 4), on the head (type 4, switched off in the model) and on the object
// (type 0). The determinism check and the benchmark animate it.
tools::writers::ModelFile dancerModel();

// `bones` bones in a chain on one part, each with keys every 5 frames (alternately curved),
// one animation "loop" of 60 frames looping from 0: the benchmark's instance.
tools::writers::ModelFile chainModel(uint32_t bones);

}  // namespace tessera::test

namespace tessera::test {

// The determinism run: an instance of the dancer playing "dance" for `frames` frames while its
// placement moves and turns; the sphere hash (tools::rig::hashSpheres) chained over every frame.
uint64_t dancerSphereHash(uint32_t frames);

// What the run gives for 1,000 frames on every machine running this build.
inline constexpr uint64_t kDancerSphereHash1000 = 0xa3802798c477e58eull;

}  // namespace tessera::test
