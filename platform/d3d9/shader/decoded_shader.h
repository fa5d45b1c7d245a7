#pragma once
// A validated shader as the interpreters run it: its declarations, constant definitions and
// arithmetic instructions with every operand unpacked. Only the decoder builds one, so every
// register number in it is within its register file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d9/shader/instruction_set.h"
#include "platform/d3d9/shader/shader_tokens.h"

namespace platform::d3d9::shader {

constexpr uint32_t kTempRegisters = 12;
constexpr uint32_t kVertexInputRegisters = 16;
constexpr uint32_t kVertexConstantRegisters = 256;  // what a shader may name directly
// The constant file under software vertex processing, reached through a0-relative reads
// (bone palettes); reads past it give 0.
constexpr uint32_t kSoftwareVertexConstantRegisters = 8192;
constexpr uint32_t kVertexColourOutputs = 2;    // oD0, oD1
constexpr uint32_t kVertexTexcoordOutputs = 8;  // oT0..oT7
constexpr uint32_t kAddressComponents = 4;      // a0.xyzw
constexpr uint32_t kPixelColourInputs = 2;      // v0, v1
constexpr uint32_t kPixelTexcoordInputs = 8;    // t0..t7
constexpr uint32_t kPixelConstantRegisters = 32;
constexpr uint32_t kPixelSamplers = 16;

using Float4 = std::array<float, 4>;

struct SourceOperand {
    RegisterType type = RegisterType::Temp;
    uint16_t index = 0;
    uint8_t swizzle = kIdentitySwizzle;
    bool negate = false;
    bool relative = false;  // index + a0[relativeComponent] (constants only)
    uint8_t relativeComponent = 0;
};

struct DestinationOperand {
    RegisterType type = RegisterType::Temp;
    uint16_t index = 0;
    uint8_t writeMask = kFullWriteMask;
    bool saturate = false;
    bool partialPrecision = false;  // accepted and ignored: the interpreters compute in float
};

struct Instruction {
    Opcode opcode = Opcode::Nop;
    DestinationOperand destination;
    std::array<SourceOperand, 3> sources;
    uint8_t sourceCount = 0;
};

// A declared input. Vertex shaders give the usage; for pixel shaders the decoder records v#
// as Color and t# as Texcoord, with the register number as usage index.
struct InputDeclaration {
    RegisterType type = RegisterType::Input;
    uint8_t index = 0;
    DeclUsage usage = DeclUsage::Position;
    uint8_t usageIndex = 0;
    uint8_t writeMask = kFullWriteMask;
};

struct SamplerDeclaration {
    uint8_t index = 0;
    uint8_t textureType = kTextureType2d;
};

struct ConstantDefinition {
    uint16_t index = 0;
    Float4 value{};
};

// Bits of DecodedShader::writtenOutputs. oC0 of a pixel shader is kOutputColour0.
constexpr uint32_t kOutputPosition = 1u << 0;
constexpr uint32_t kOutputFog = 1u << 1;
constexpr uint32_t kOutputColour0 = 1u << 2;    // oD0 (oD1 is the next bit)
constexpr uint32_t kOutputTexcoord0 = 1u << 4;  // oT0 (oT1..oT7 follow)

struct DecodedShader {
    ShaderKind kind = ShaderKind::Vertex;
    uint8_t majorVersion = 2;
    uint8_t minorVersion = 0;
    std::vector<InputDeclaration> inputs;
    std::vector<SamplerDeclaration> samplers;
    std::vector<ConstantDefinition> definitions;
    std::vector<Instruction> instructions;
    uint32_t writtenOutputs = 0;
    uint32_t tempsReadBeforeWritten = 0;  // bit i: some component of r_i is read unwritten
    size_t tokenCount = 0;                // tokens up to and including the end token
};

}  // namespace platform::d3d9::shader
