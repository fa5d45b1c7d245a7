#pragma once
// Runs a decoded vs_2_0 shader over batches of up to kLanes vertices.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/d3d9/shader/decoded_shader.h"
#include "platform/d3d9/shader/lane_executor.h"
#include "platform/d3d9/shader/lane_vector.h"

namespace platform::d3d9::shader {

// One batch: the caller fills the declared inputs, the shader fills the outputs it writes.
// Outputs the shader writes start the batch at (0, 0, 0, 1); the others are left as they are
// (DecodedShader::writtenOutputs tells which). The interpreter computes every lane, so lanes
// past the live count must hold some value too: allocate the struct value-initialised.
struct VertexLanes {
    LaneVector inputs[kVertexInputRegisters];
    LaneVector position;
    LaneVector fog;  // in .x
    LaneVector colours[kVertexColourOutputs];
    LaneVector texcoords[kVertexTexcoordOutputs];
};

class VertexShaderInterpreter {
public:
    // `shader` must be a vertex shader and outlive the interpreter (std::invalid_argument
    // otherwise). The constants start at 0 apart from the shader's definitions.
    explicit VertexShaderInterpreter(const DecodedShader& shader);

    // The device's constant registers c0.. (at most kSoftwareVertexConstantRegisters are
    // used); the shader's def values take precedence over them.
    void setConstants(std::span<const Float4> constants);

    // Runs the batch; lanes 0..laneCount-1 (at most kLanes) are the live ones, the outputs of
    // the others are unspecified. Safe to call from several threads at once.
    void run(VertexLanes& lanes, uint32_t laneCount) const;

private:
    const DecodedShader& shader_;
    LaneProgram program_;
    std::vector<Float4> constants_;
    std::vector<LaneVector> broadcastConstants_;  // program_.broadcastRegisters' values
};

}  // namespace platform::d3d9::shader
