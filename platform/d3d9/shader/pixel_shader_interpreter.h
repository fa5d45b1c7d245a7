#pragma once
// Runs a decoded ps_2_0 shader over batches of up to kLanes pixels.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/d3d9/shader/decoded_shader.h"
#include "platform/d3d9/shader/lane_executor.h"
#include "platform/d3d9/shader/lane_vector.h"
#include "platform/d3d9/shader/shader_sampler.h"

namespace platform::d3d9::shader {

// One batch: the caller fills the declared colour and texture-coordinate inputs; the shader
// writes oC0, which starts the batch at (0, 0, 0, 1). The interpreter computes every lane, so
// lanes past the live count must hold some value too: allocate the struct value-initialised.
struct PixelLanes {
    LaneVector colours[kPixelColourInputs];      // v0, v1
    LaneVector texcoords[kPixelTexcoordInputs];  // t0..t7
    LaneVector colour;                           // oC0
};

class PixelShaderInterpreter {
public:
    // `shader` must be a pixel shader and outlive the interpreter (std::invalid_argument
    // otherwise). The constants start at 0 apart from the shader's definitions.
    explicit PixelShaderInterpreter(const DecodedShader& shader);

    // The device's constant registers c0.. (at most 32 are used); def values take precedence.
    void setConstants(std::span<const Float4> constants);

    // Runs the batch, sampling lanes 0..laneCount-1 (at most kLanes) through `sampler`; the
    // outputs of the other lanes are unspecified. Safe to call from several threads at once
    // when each passes a sampler it may use.
    void run(PixelLanes& lanes, uint32_t laneCount, ShaderSampler& sampler) const;

private:
    const DecodedShader& shader_;
    LaneProgram program_;
    std::vector<Float4> constants_;
    std::vector<LaneVector> broadcastConstants_;  // program_.broadcastRegisters' values
};

}  // namespace platform::d3d9::shader
