#pragma once
// Runs decoded instructions over a batch of lanes; the vertex and pixel shader interpreters
// differ only in the register files they hand it. Every operation is done lane by lane in
// float with the same sequence of roundings, so a lane's result does not depend on the batch
// it runs in. Loops always cover all kLanes lanes so that the compiler can vectorise them.
#include <cstdint>
#include <vector>

#include "platform/d3d9/shader/decoded_shader.h"
#include "platform/d3d9/shader/lane_vector.h"
#include "platform/d3d9/shader/shader_sampler.h"

namespace platform::d3d9::shader {

struct LaneRegisterFiles {
    LaneVector temps[kTempRegisters];
    int32_t address[kAddressComponents][kLanes];  // a0
    const LaneVector* inputs = nullptr;           // v#
    const LaneVector* textures = nullptr;         // t# (pixel shaders)
    const Float4* constants = nullptr;
    uint32_t constantCount = 0;
    LaneVector* position = nullptr;   // oPos
    LaneVector* fog = nullptr;        // oFog
    LaneVector* colours = nullptr;    // oD# or oC#
    LaneVector* texcoords = nullptr;  // oT#
    ShaderSampler* sampler = nullptr;
};

// Clears the temporaries the shader reads before writing them and a0, and sets every output
// the shader writes to (0, 0, 0, 1) so that components outside its write masks are defined.
void resetLaneRegisters(const DecodedShader& shader, LaneRegisterFiles& files);

// Runs every lane of the batch (lanes past laneCount compute on whatever they hold; every
// operation is safe on any value); texld samples lanes 0..laneCount-1 only.
void executeLanes(const std::vector<Instruction>& instructions, LaneRegisterFiles& files,
                  uint32_t laneCount);

// The constant file a shader sees: `count` registers from the caller (missing ones read 0),
// then the shader's own definitions over them.
std::vector<Float4> mergeConstants(const DecodedShader& shader, const Float4* values,
                                   uint32_t valueCount, uint32_t count);

}  // namespace platform::d3d9::shader
