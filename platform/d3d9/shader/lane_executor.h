#pragma once
// Runs a shader over a batch of lanes; the vertex and pixel shader interpreters differ only in
// the register files they hand it. The shader is first compiled into a LaneProgram: every
// operand names its register file and register, its swizzle is unpacked into the component
// row each result component reads, and only the components an instruction writes are
// computed. Every operation is done lane by lane in float with the same sequence of roundings,
// so a lane's result does not depend on the batch it runs in. Loops always cover all kLanes
// lanes of fixed-size rows so that the compiler can vectorise them.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d9/shader/decoded_shader.h"
#include "platform/d3d9/shader/lane_vector.h"
#include "platform/d3d9/shader/shader_sampler.h"

namespace platform::d3d9::shader {

// The register files a compiled operand names. Constants read without a0 come from a table of
// broadcast registers (LaneRegisterFiles::broadcastConstants), one slot per register read.
enum class LaneFile : uint8_t { Temp, Input, Texture, Constant, Position, Fog, Colour, Texcoord };
constexpr uint32_t kLaneFileCount = 8;

struct LaneSource {
    LaneFile file = LaneFile::Temp;
    uint16_t index = 0;  // register, or broadcast slot for a constant read without a0
    std::array<uint8_t, 4> components{0, 1, 2, 3};  // the row each result component reads
    bool negate = false;
    bool identity = true;   // components in order and no negation: the register as it is
    bool relative = false;  // constant register index + a0[relativeComponent]
    uint8_t relativeComponent = 0;
};

struct LaneOperation {
    Opcode opcode = Opcode::Nop;
    LaneFile destinationFile = LaneFile::Temp;
    uint16_t destinationIndex = 0;
    uint8_t writeMask = kFullWriteMask;
    bool saturate = false;
    bool direct = false;  // component-wise, written straight to the destination
    uint8_t sourceCount = 0;
    std::array<LaneSource, 3> sources;
};

// Output components a shader never writes: each batch starts them at (0, 0, 0, 1).
struct LaneOutputStart {
    LaneFile file = LaneFile::Position;
    uint16_t index = 0;
    uint8_t components = 0;
};

struct LaneProgram {
    std::vector<LaneOperation> operations;
    std::vector<uint16_t> broadcastRegisters;  // the constant register each slot holds
    std::vector<LaneOutputStart> outputStarts;
    uint32_t tempsReadBeforeWritten = 0;  // bit i: r_i starts each batch at 0
    bool clearsAddress = false;           // a0 starts each batch at 0
};

LaneProgram compileLanes(const DecodedShader& shader);

struct LaneRegisterFiles {
    LaneVector temps[kTempRegisters];
    int32_t address[kAddressComponents][kLanes];  // a0
    const LaneVector* inputs = nullptr;           // v#
    const LaneVector* textures = nullptr;         // t# (pixel shaders)
    const Float4* constants = nullptr;            // for reads through a0
    uint32_t constantCount = 0;
    const LaneVector* broadcastConstants = nullptr;  // LaneProgram::broadcastRegisters' values
    LaneVector* position = nullptr;                  // oPos
    LaneVector* fog = nullptr;                       // oFog
    LaneVector* colours = nullptr;                   // oD# or oC#
    LaneVector* texcoords = nullptr;                 // oT#
    ShaderSampler* sampler = nullptr;
};

// Clears the temporaries the shader reads before writing them and a0, and sets the components
// of its outputs outside every write mask to (0, 0, 0, 1). The shader writes all the others,
// whatever the batch, as it has no branches.
void resetLaneRegisters(const LaneProgram& program, LaneRegisterFiles& files);

// Runs every lane of the batch (lanes past laneCount compute on whatever they hold; every
// operation is safe on any value); texld samples lanes 0..laneCount-1 only.
void executeLanes(const LaneProgram& program, LaneRegisterFiles& files, uint32_t laneCount);

// The constant file a shader sees: `count` registers from the caller (missing ones read 0),
// then the shader's own definitions over them.
std::vector<Float4> mergeConstants(const DecodedShader& shader, const Float4* values,
                                   uint32_t valueCount, uint32_t count);

// The broadcast table of `program`: slot i holds constants[broadcastRegisters[i]] in every lane.
std::vector<LaneVector> broadcastConstants(const LaneProgram& program,
                                           const std::vector<Float4>& constants);

}  // namespace platform::d3d9::shader
