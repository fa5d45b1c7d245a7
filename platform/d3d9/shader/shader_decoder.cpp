#include "platform/d3d9/shader/shader_decoder.h"

#include <cstring>

namespace platform::d3d9::shader {
namespace {

constexpr uint32_t raw(RegisterType type) { return static_cast<uint32_t>(type); }

// The instruction-token bits that must be clear: controls, predication, bit 29, co-issue, 31.
constexpr uint32_t kInstructionReservedMask =
    kControlMask | kPredicatedBit | 0x20000000 | kCoissueBit | 0x80000000;

class Decoder {
public:
    explicit Decoder(std::span<const uint32_t> tokens) : tokens_(tokens) {}

    DecodeResult run() {
        DecodeResult result;
        if (decode()) {
            result.shader = std::move(shader_);
        } else {
            result.error = std::move(error_);
            result.errorToken = errorToken_;
        }
        return result;
    }

private:
    bool decode() {
        if (tokens_.empty()) return fail(0, "empty token stream");
        const uint32_t version = tokens_[0];
        const uint32_t kind = version >> 16;
        if (kind == kVertexShaderVersionKind) {
            shader_.kind = ShaderKind::Vertex;
        } else if (kind == kPixelShaderVersionKind) {
            shader_.kind = ShaderKind::Pixel;
        } else {
            return fail(0, "not a shader version token");
        }
        shader_.majorVersion = static_cast<uint8_t>((version >> 8) & 0xFF);
        shader_.minorVersion = static_cast<uint8_t>(version & 0xFF);
        if (shader_.majorVersion != 2 || shader_.minorVersion != 0)
            return fail(0, "only shader model 2.0 is supported");

        size_t at = 1;
        while (at < tokens_.size()) {
            const uint32_t token = tokens_[at];
            if (token == kEndToken) {
                shader_.tokenCount = at + 1;
                return true;
            }
            const Opcode opcode = static_cast<Opcode>(token & kOpcodeMask);
            if (opcode == Opcode::Comment) {
                if (token & 0x80000000) return fail(at, "malformed comment token");
                const size_t length = (token & kCommentLengthMask) >> kCommentLengthShift;
                if (length > tokens_.size() - at - 1)
                    return fail(at, "comment runs past the end of the stream");
                at += 1 + length;
                continue;
            }
            if (token & kInstructionReservedMask)
                return fail(at, "instruction token has controls, predication or reserved bits set");
            const size_t length = (token & kLengthMask) >> kLengthShift;
            if (length > tokens_.size() - at - 1)
                return fail(at, "instruction runs past the end of the stream");
            if (!decodeInstruction(at, opcode, tokens_.subspan(at + 1, length))) return false;
            at += 1 + length;
        }
        return fail(tokens_.size(), "stream ends without the end token");
    }

    bool decodeInstruction(size_t at, Opcode opcode, std::span<const uint32_t> parameters) {
        switch (opcode) {
        case Opcode::Nop:
            return parameters.empty() || fail(at, "nop takes no parameters");
        case Opcode::Dcl:
            return decodeDcl(at, parameters);
        case Opcode::Def:
            return decodeDef(at, parameters);
        default:
            return decodeArithmetic(at, opcode, parameters);
        }
    }

    bool decodeDcl(size_t at, std::span<const uint32_t> parameters) {
        if (parameters.size() != 2) return fail(at, "dcl takes a declaration token and a register");
        const uint32_t declaration = parameters[0];
        const uint32_t target = parameters[1];
        if (!(declaration & 0x80000000) || !(target & kParameterBit))
            return fail(at, "malformed dcl tokens");
        if (target & (kRelativeBit | kParameterReservedMask | kShiftScaleMask))
            return fail(at, "dcl register has reserved bits set");
        const uint32_t modifiers = (target & kResultModifierMask) >> kResultModifierShift;
        const bool pixel = shader_.kind == ShaderKind::Pixel;
        if (modifiers & ~(pixel ? kModifierPartialPrecision : 0u))
            return fail(at, "dcl register has an unsupported modifier");
        const uint32_t type = registerTypeOf(target);
        const uint32_t number = target & kRegisterNumberMask;
        const uint8_t mask = static_cast<uint8_t>((target & kWriteMaskMask) >> kWriteMaskShift);
        if (mask == 0) return fail(at, "dcl declares no components");

        if (!pixel) {
            if (declaration & ~(0x80000000 | kDclUsageMask | kDclUsageIndexMask))
                return fail(at, "dcl token has reserved bits set");
            if (type != raw(RegisterType::Input) || number >= kVertexInputRegisters)
                return fail(at, "vertex shaders declare only input registers v0..v15");
            const uint32_t usage = declaration & kDclUsageMask;
            if (usage >= kDeclUsageCount) return fail(at, "unknown dcl usage");
            const uint8_t usageIndex =
                static_cast<uint8_t>((declaration & kDclUsageIndexMask) >> kDclUsageIndexShift);
            for (const InputDeclaration& input : shader_.inputs)
                if (static_cast<uint32_t>(input.usage) == usage && input.usageIndex == usageIndex)
                    return fail(at, "usage declared twice");
            return declareInput(at, RegisterType::Input, number, static_cast<DeclUsage>(usage),
                                usageIndex, mask);
        }

        if (type == raw(RegisterType::Sampler)) {
            if (declaration & ~(0x80000000 | kDclTextureTypeMask))
                return fail(at, "dcl token has reserved bits set");
            const uint32_t textureType =
                (declaration & kDclTextureTypeMask) >> kDclTextureTypeShift;
            if (textureType != kTextureType2d) return fail(at, "only 2d samplers are supported");
            if (number >= kPixelSamplers) return fail(at, "sampler register out of range");
            if (declaredSamplers_ & (1u << number)) return fail(at, "sampler declared twice");
            declaredSamplers_ |= 1u << number;
            shader_.samplers.push_back(
                {static_cast<uint8_t>(number), static_cast<uint8_t>(textureType)});
            return true;
        }
        if (declaration != 0x80000000) return fail(at, "dcl token has reserved bits set");
        if (type == raw(RegisterType::Input) && number < kPixelColourInputs)
            return declareInput(at, RegisterType::Input, number, DeclUsage::Color,
                                static_cast<uint8_t>(number), mask);
        if (type == raw(RegisterType::Texture) && number < kPixelTexcoordInputs)
            return declareInput(at, RegisterType::Texture, number, DeclUsage::Texcoord,
                                static_cast<uint8_t>(number), mask);
        return fail(at, "pixel shaders declare only v0..v1, t0..t7 and s0..s15");
    }

    bool declareInput(size_t at, RegisterType type, uint32_t number, DeclUsage usage,
                      uint8_t usageIndex, uint8_t mask) {
        uint32_t& declared = type == RegisterType::Input ? declaredInputs_ : declaredTextures_;
        if (declared & (1u << number)) return fail(at, "register declared twice");
        declared |= 1u << number;
        shader_.inputs.push_back({type, static_cast<uint8_t>(number), usage, usageIndex, mask});
        return true;
    }

    bool decodeDef(size_t at, std::span<const uint32_t> parameters) {
        if (parameters.size() != 5) return fail(at, "def takes a register and four values");
        const uint32_t target = parameters[0];
        if (!(target & kParameterBit) || registerTypeOf(target) != raw(RegisterType::Const))
            return fail(at, "def defines only constant registers");
        if ((target &
             ~(kParameterBit | 0x70000000 | 0x1800 | kRegisterNumberMask | kWriteMaskMask)) ||
            ((target & kWriteMaskMask) >> kWriteMaskShift) != kFullWriteMask)
            return fail(at, "def register has modifiers or a partial mask");
        const uint32_t number = target & kRegisterNumberMask;
        if (number >= constantCount()) return fail(at, "def register out of range");
        ConstantDefinition definition;
        definition.index = static_cast<uint16_t>(number);
        std::memcpy(definition.value.data(), &parameters[1], sizeof(definition.value));
        shader_.definitions.push_back(definition);
        return true;
    }

    bool decodeArithmetic(size_t at, Opcode opcode, std::span<const uint32_t> parameters) {
        const InstructionInfo* info = findInstruction(opcode);
        if (!info || !allowedIn(*info, shader_.kind))
            return fail(at, "instruction not supported in this shader model");
        Instruction instruction;
        instruction.opcode = opcode;
        instruction.sourceCount = info->sourceCount;
        if (parameters.empty()) return fail(at, "instruction lacks its destination");
        if (!readDestination(at, opcode, parameters[0], instruction.destination)) return false;
        size_t next = 1;
        for (uint32_t s = 0; s < info->sourceCount; ++s) {
            if (!readSource(at, parameters, next, instruction.sources[s])) return false;
        }
        if (next != parameters.size())
            return fail(at, "instruction length does not match its parameters");
        if (!checkOperands(at, instruction)) return false;
        trackTemporaries(instruction);
        shader_.instructions.push_back(instruction);
        return true;
    }

    bool readDestination(size_t at, Opcode opcode, uint32_t token,
                         DestinationOperand& destination) {
        if (!(token & kParameterBit)) return fail(at, "malformed destination token");
        if (token & (kRelativeBit | kParameterReservedMask | kShiftScaleMask))
            return fail(at, "destination has relative addressing, a shift or reserved bits");
        const uint32_t modifiers = (token & kResultModifierMask) >> kResultModifierShift;
        const bool pixel = shader_.kind == ShaderKind::Pixel;
        const uint32_t allowed = kModifierSaturate | (pixel ? kModifierPartialPrecision : 0u);
        if (modifiers & ~allowed) return fail(at, "unsupported result modifier");
        destination.saturate = (modifiers & kModifierSaturate) != 0;
        destination.partialPrecision = (modifiers & kModifierPartialPrecision) != 0;
        destination.writeMask = static_cast<uint8_t>((token & kWriteMaskMask) >> kWriteMaskShift);
        if (destination.writeMask == 0) return fail(at, "destination writes no components");
        const uint32_t type = registerTypeOf(token);
        const uint32_t number = token & kRegisterNumberMask;
        destination.type = static_cast<RegisterType>(type);
        destination.index = static_cast<uint16_t>(number);

        const bool mova = opcode == Opcode::Mova;
        if (mova != (!pixel && type == raw(RegisterType::Address)))
            return fail(at, "mova writes the address register a0 and nothing else writes it");
        if (type == raw(RegisterType::Temp))
            return number < kTempRegisters || fail(at, "temporary register out of range");
        if (pixel) {
            if (type == raw(RegisterType::ColorOut) && number == 0) {
                shader_.writtenOutputs |= kOutputColour0;
                return true;
            }
            return fail(at, "pixel shaders write only r0..r11 and oC0");
        }
        if (type == raw(RegisterType::Address))
            return number == 0 || fail(at, "address register out of range");
        if (type == raw(RegisterType::RastOut) && number == kRastOutPosition) {
            shader_.writtenOutputs |= kOutputPosition;
            return true;
        }
        if (type == raw(RegisterType::RastOut) && number == kRastOutFog) {
            if (destination.writeMask != 0x1) return fail(at, "oFog is written through .x only");
            shader_.writtenOutputs |= kOutputFog;
            return true;
        }
        if (type == raw(RegisterType::AttrOut) && number < kVertexColourOutputs) {
            shader_.writtenOutputs |= kOutputColour0 << number;
            return true;
        }
        if (type == raw(RegisterType::TexCrdOut) && number < kVertexTexcoordOutputs) {
            shader_.writtenOutputs |= kOutputTexcoord0 << number;
            return true;
        }
        return fail(at, "vertex shaders write only r0..r11, a0, oPos, oFog, oD0..oD1 and oT0..oT7");
    }

    bool readSource(size_t at, std::span<const uint32_t> parameters, size_t& next,
                    SourceOperand& source) {
        if (next >= parameters.size())
            return fail(at, "instruction length does not match its parameters");
        const uint32_t token = parameters[next++];
        if (!(token & kParameterBit) || (token & kParameterReservedMask))
            return fail(at, "malformed source token");
        const uint32_t modifier = (token & kSourceModifierMask) >> kSourceModifierShift;
        if (modifier != kSourceModifierNone && modifier != kSourceModifierNegate)
            return fail(at, "unsupported source modifier");
        source.negate = modifier == kSourceModifierNegate;
        source.swizzle = static_cast<uint8_t>((token & kSwizzleMask) >> kSwizzleShift);
        const uint32_t type = registerTypeOf(token);
        const uint32_t number = token & kRegisterNumberMask;
        source.type = static_cast<RegisterType>(type);
        source.index = static_cast<uint16_t>(number);
        const bool pixel = shader_.kind == ShaderKind::Pixel;

        if (token & kRelativeBit) {
            if (pixel || type != raw(RegisterType::Const))
                return fail(at, "relative addressing applies only to vertex shader constants");
            if (next >= parameters.size()) return fail(at, "relative addressing token missing");
            const uint32_t address = parameters[next++];
            if (!(address & kParameterBit) ||
                registerTypeOf(address) != raw(RegisterType::Address) ||
                (address & kRegisterNumberMask) != 0)
                return fail(at, "relative addressing goes through a0 only");
            source.relative = true;
            source.relativeComponent = static_cast<uint8_t>(
                swizzleComponent((address & kSwizzleMask) >> kSwizzleShift, 0));
        }

        switch (type) {
        case raw(RegisterType::Temp):
            return number < kTempRegisters || fail(at, "temporary register out of range");
        case raw(RegisterType::Const):
            return number < constantCount() || fail(at, "constant register out of range");
        case raw(RegisterType::Input):
            if (number >= (pixel ? kPixelColourInputs : kVertexInputRegisters))
                return fail(at, "input register out of range");
            return (declaredInputs_ & (1u << number)) ||
                   fail(at, "input register read before its dcl");
        case raw(RegisterType::Texture):  // t# in pixel shaders, a0 in vertex shaders
            if (!pixel) return fail(at, "a0 is read only through relative addressing");
            if (number >= kPixelTexcoordInputs) return fail(at, "texture register out of range");
            return (declaredTextures_ & (1u << number)) ||
                   fail(at, "texture register read before its dcl");
        case raw(RegisterType::Sampler):
            if (!pixel) return fail(at, "register type cannot be read");
            if (number >= kPixelSamplers) return fail(at, "sampler register out of range");
            return (declaredSamplers_ & (1u << number)) || fail(at, "sampler read before its dcl");
        default:
            return fail(at, "register type cannot be read");
        }
    }

    // Rules that involve the instruction as a whole.
    bool checkOperands(size_t at, const Instruction& instruction) {
        const Opcode opcode = instruction.opcode;
        for (uint32_t s = 0; s < instruction.sourceCount; ++s) {
            const bool samplerSlot = opcode == Opcode::Tex && s == 1;
            if ((instruction.sources[s].type == RegisterType::Sampler) != samplerSlot)
                return fail(at, "samplers are read only as the second source of texld");
        }
        if (opcode == Opcode::Tex) {
            const SourceOperand& coordinates = instruction.sources[0];
            const SourceOperand& sampler = instruction.sources[1];
            if (instruction.destination.type != RegisterType::Temp)
                return fail(at, "texld writes a temporary register");
            if (coordinates.type != RegisterType::Temp && coordinates.type != RegisterType::Texture)
                return fail(at, "texld reads its coordinates from r# or t#");
            if (sampler.swizzle != kIdentitySwizzle || sampler.negate)
                return fail(at, "texld sampler takes no swizzle or modifier");
        }
        if (const uint32_t rows = matrixRows(opcode)) {
            const SourceOperand& matrix = instruction.sources[1];
            if (matrix.swizzle != kIdentitySwizzle || matrix.negate)
                return fail(at, "matrix source takes no swizzle or negation");
            const uint8_t requiredMask = opcode == Opcode::M4x4 ? 0xF : 0x7;
            if (instruction.destination.writeMask != requiredMask)
                return fail(at, "matrix instruction needs its full mask");
            if (!matrix.relative && matrix.index + rows > registerCount(matrix.type))
                return fail(at, "matrix rows run past the register file");
            if (matrix.type == RegisterType::Input || matrix.type == RegisterType::Texture) {
                const uint32_t declared =
                    matrix.type == RegisterType::Input ? declaredInputs_ : declaredTextures_;
                for (uint32_t row = 0; row < rows; ++row)
                    if (!(declared & (1u << (matrix.index + row))))
                        return fail(at, "matrix row read before its dcl");
            }
        }
        return true;
    }

    // Notes the temporaries that are read in a component no earlier instruction wrote: those
    // start each run at zero, the others need no clearing. texld reads only x and y of its
    // coordinates (every sampler is 2D), so texture coordinates built in .xy of a temporary
    // need none.
    void trackTemporaries(const Instruction& instruction) {
        const uint32_t rows = matrixRows(instruction.opcode);
        for (uint32_t s = 0; s < instruction.sourceCount; ++s) {
            const SourceOperand& source = instruction.sources[s];
            if (source.type != RegisterType::Temp) continue;
            const uint32_t components = instruction.opcode == Opcode::Tex ? 2 : 4;
            uint32_t read = 0;
            for (uint32_t k = 0; k < components; ++k)
                read |= 1u << swizzleComponent(source.swizzle, k);
            const uint32_t count = s == 1 && rows ? rows : 1;
            for (uint32_t row = 0; row < count; ++row)
                if (read & ~writtenTempComponents_[source.index + row])
                    shader_.tempsReadBeforeWritten |= 1u << (source.index + row);
        }
        const DestinationOperand& destination = instruction.destination;
        if (destination.type == RegisterType::Temp)
            writtenTempComponents_[destination.index] |= destination.writeMask;
    }

    uint32_t constantCount() const {
        return shader_.kind == ShaderKind::Vertex ? kVertexConstantRegisters
                                                  : kPixelConstantRegisters;
    }

    uint32_t registerCount(RegisterType type) const {
        const bool pixel = shader_.kind == ShaderKind::Pixel;
        switch (type) {
        case RegisterType::Temp:
            return kTempRegisters;
        case RegisterType::Const:
            return constantCount();
        case RegisterType::Input:
            return pixel ? kPixelColourInputs : kVertexInputRegisters;
        case RegisterType::Texture:
            return pixel ? kPixelTexcoordInputs : 0;
        default:
            return 0;
        }
    }

    bool fail(size_t at, const char* message) {
        error_ = message;
        errorToken_ = at;
        return false;
    }

    std::span<const uint32_t> tokens_;
    DecodedShader shader_;
    std::string error_;
    size_t errorToken_ = 0;
    uint32_t declaredInputs_ = 0;
    uint32_t declaredTextures_ = 0;
    uint32_t declaredSamplers_ = 0;
    uint8_t writtenTempComponents_[kTempRegisters] = {};
};

}  // namespace

DecodeResult decodeShader(std::span<const uint32_t> tokens) { return Decoder(tokens).run(); }

}  // namespace platform::d3d9::shader
