#pragma once
// The shader token format: 32-bit little-endian tokens. A stream is a version token, then
// instructions (an instruction token, whose bits 24..27 give the number of tokens that follow
// it, then parameter tokens) and comments, then the end token.
#include <cstdint>

namespace platform::d3d9::shader {

constexpr uint32_t kVertexShaderVersionKind = 0xFFFE;  // bits 16..31 of the version token
constexpr uint32_t kPixelShaderVersionKind = 0xFFFF;
constexpr uint32_t kEndToken = 0x0000FFFF;

constexpr uint32_t versionToken(uint32_t kind, uint32_t major, uint32_t minor) {
    return (kind << 16) | (major << 8) | minor;
}

enum class Opcode : uint16_t {
    Nop = 0,
    Mov = 1,
    Add = 2,
    Sub = 3,
    Mad = 4,
    Mul = 5,
    Rcp = 6,
    Rsq = 7,
    Dp3 = 8,
    Dp4 = 9,
    Min = 10,
    Max = 11,
    Slt = 12,
    Sge = 13,
    Exp = 14,
    Log = 15,
    Lrp = 18,
    Frc = 19,
    M4x4 = 20,
    M4x3 = 21,
    M3x3 = 23,
    Dcl = 31,
    Pow = 32,
    Abs = 35,
    Nrm = 36,
    Mova = 46,
    Tex = 66,  // texld in pixel shader 2.0
    Def = 81,
    Cmp = 88,
    Phase = 0xFFFD,
    Comment = 0xFFFE,
    End = 0xFFFF,
};

// Instruction token fields.
constexpr uint32_t kOpcodeMask = 0x0000FFFF;
constexpr uint32_t kControlMask = 0x00FF0000;  // opcode-specific controls
constexpr uint32_t kLengthShift = 24;          // tokens after the instruction token
constexpr uint32_t kLengthMask = 0x0F000000;
constexpr uint32_t kPredicatedBit = 0x10000000;
constexpr uint32_t kCoissueBit = 0x40000000;
constexpr uint32_t kCommentLengthShift = 16;  // comment size in tokens, bits 16..30
constexpr uint32_t kCommentLengthMask = 0x7FFF0000;

// Register types: bits 28..30 of a parameter token give bits 0..2, bits 11..12 give bits 3..4.
enum class RegisterType : uint8_t {
    Temp = 0,
    Input = 1,
    Const = 2,
    Address = 3,    // vertex shaders: a0
    Texture = 3,    // pixel shaders: t#
    RastOut = 4,    // oPos, oFog, oPts
    AttrOut = 5,    // oD#
    TexCrdOut = 6,  // oT#
    ConstInt = 7,
    ColorOut = 8,  // oC#
    DepthOut = 9,
    Sampler = 10,
};

constexpr uint32_t kRastOutPosition = 0;
constexpr uint32_t kRastOutFog = 1;
constexpr uint32_t kRastOutPointSize = 2;

// Parameter token fields shared by destinations and sources.
constexpr uint32_t kParameterBit = 0x80000000;  // always set in a parameter token
constexpr uint32_t kRegisterNumberMask = 0x000007FF;
constexpr uint32_t kRelativeBit = 0x00002000;
constexpr uint32_t kParameterReservedMask = 0x0000C000;

constexpr uint32_t registerTypeOf(uint32_t token) {
    return ((token >> 28) & 0x7) | ((token >> 8) & 0x18);
}

constexpr uint32_t registerBits(RegisterType type, uint32_t number) {
    const uint32_t t = static_cast<uint32_t>(type);
    return kParameterBit | ((t & 0x7) << 28) | ((t & 0x18) << 8) | (number & kRegisterNumberMask);
}

// Destination fields.
constexpr uint32_t kWriteMaskShift = 16;
constexpr uint32_t kWriteMaskMask = 0x000F0000;
constexpr uint32_t kFullWriteMask = 0xF;
constexpr uint32_t kResultModifierShift = 20;
constexpr uint32_t kResultModifierMask = 0x00F00000;
constexpr uint32_t kModifierSaturate = 0x1;
constexpr uint32_t kModifierPartialPrecision = 0x2;
constexpr uint32_t kModifierCentroid = 0x4;
constexpr uint32_t kShiftScaleMask = 0x0F000000;

// Source fields: a swizzle gives, for each channel x, y, z, w, the component it reads (two
// bits each from bit 16); the modifier is in bits 24..27.
constexpr uint32_t kSwizzleShift = 16;
constexpr uint32_t kSwizzleMask = 0x00FF0000;
constexpr uint32_t kIdentitySwizzle = 0xE4;  // x y z w
constexpr uint32_t kSourceModifierShift = 24;
constexpr uint32_t kSourceModifierMask = 0x0F000000;
constexpr uint32_t kSourceModifierNone = 0;
constexpr uint32_t kSourceModifierNegate = 1;

constexpr uint32_t swizzleComponent(uint32_t swizzle, uint32_t channel) {
    return (swizzle >> (2 * channel)) & 0x3;
}

constexpr uint32_t replicateSwizzle(uint32_t component) { return component * 0x55; }

// dcl: the token after the instruction token. Vertex shader inputs carry a usage (bits 0..4)
// and a usage index (bits 16..19); pixel shader samplers a texture type (bits 27..30).
constexpr uint32_t kDclUsageMask = 0x0000001F;
constexpr uint32_t kDclUsageIndexShift = 16;
constexpr uint32_t kDclUsageIndexMask = 0x000F0000;
constexpr uint32_t kDclTextureTypeShift = 27;
constexpr uint32_t kDclTextureTypeMask = 0x78000000;

enum class DeclUsage : uint8_t {
    Position = 0,
    BlendWeight = 1,
    BlendIndices = 2,
    Normal = 3,
    PointSize = 4,
    Texcoord = 5,
    Tangent = 6,
    Binormal = 7,
    TessFactor = 8,
    PositionT = 9,
    Color = 10,
    Fog = 11,
    Depth = 12,
    Sample = 13,
};
constexpr uint32_t kDeclUsageCount = 14;

constexpr uint32_t kTextureType2d = 2;

}  // namespace platform::d3d9::shader
