#include "platform/d3d9/shader/lane_executor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace platform::d3d9::shader {
namespace {

// a0 values beyond this read outside every constant file; clamping keeps the sums in range.
constexpr float kAddressLimit = 1 << 20;

int32_t toAddress(float value) {
    const float rounded = std::round(value);  // nearest, halves away from zero
    if (!(rounded >= -kAddressLimit && rounded <= kAddressLimit))
        return static_cast<int32_t>(kAddressLimit);
    return static_cast<int32_t>(rounded);
}

float saturate(float value) {
    return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;  // NaN gives 0
}

const LaneVector* varyingSource(const LaneRegisterFiles& files, RegisterType type, uint32_t index) {
    switch (type) {
    case RegisterType::Temp: return &files.temps[index];
    case RegisterType::Input: return &files.inputs[index];
    default: return &files.textures[index];  // the decoder admits no other readable file
    }
}

LaneVector* destinationRegister(LaneRegisterFiles& files, const DestinationOperand& destination) {
    switch (destination.type) {
    case RegisterType::Temp: return &files.temps[destination.index];
    case RegisterType::RastOut:
        return destination.index == kRastOutPosition ? files.position : files.fog;
    case RegisterType::AttrOut:
    case RegisterType::ColorOut: return &files.colours[destination.index];
    default: return &files.texcoords[destination.index];  // oT#
    }
}

// Reads a source (row `row` of a matrix source) with its swizzle and negation. Returns the
// register itself when it needs neither, else `scratch` filled with the value.
const LaneVector* fetch(const LaneRegisterFiles& files, const SourceOperand& source, uint32_t row,
                        LaneVector& scratch) {
    if (source.type == RegisterType::Const) {
        if (source.relative) {
            const int32_t* offsets = files.address[source.relativeComponent];
            for (uint32_t l = 0; l < kLanes; ++l) {
                const int64_t index = int64_t{source.index} + row + offsets[l];
                const bool inside = index >= 0 && index < int64_t{files.constantCount};
                for (uint32_t k = 0; k < 4; ++k)
                    scratch.c[k][l] =
                        inside ? files.constants[index][swizzleComponent(source.swizzle, k)] : 0.0f;
            }
        } else {
            const Float4& value = files.constants[source.index + row];
            for (uint32_t k = 0; k < 4; ++k)
                std::fill_n(scratch.c[k], kLanes, value[swizzleComponent(source.swizzle, k)]);
        }
    } else {
        const LaneVector* reg = varyingSource(files, source.type, source.index + row);
        if (source.swizzle == kIdentitySwizzle && !source.negate) return reg;
        for (uint32_t k = 0; k < 4; ++k)
            std::memcpy(scratch.c[k], reg->c[swizzleComponent(source.swizzle, k)],
                        kLanes * sizeof(float));
    }
    if (source.negate)
        for (uint32_t k = 0; k < 4; ++k)
            for (uint32_t l = 0; l < kLanes; ++l) scratch.c[k][l] = -scratch.c[k][l];
    return &scratch;
}

float dot3(const LaneVector& a, const LaneVector& b, uint32_t l) {
    float sum = a.c[0][l] * b.c[0][l];
    sum = sum + a.c[1][l] * b.c[1][l];
    return sum + a.c[2][l] * b.c[2][l];
}

float dot4(const LaneVector& a, const LaneVector& b, uint32_t l) {
    return dot3(a, b, l) + a.c[3][l] * b.c[3][l];
}

template <typename Op>
void componentwise(LaneVector& r, Op op) {
    for (uint32_t k = 0; k < 4; ++k)
        for (uint32_t l = 0; l < kLanes; ++l) r.c[k][l] = op(k, l);
}

template <typename Op>
void replicated(LaneVector& r, Op op) {
    for (uint32_t l = 0; l < kLanes; ++l) r.c[0][l] = op(l);
    for (uint32_t k = 1; k < 4; ++k) std::memcpy(r.c[k], r.c[0], kLanes * sizeof(float));
}

void store(LaneRegisterFiles& files, const DestinationOperand& destination,
           const LaneVector& value) {
    LaneVector* target = destinationRegister(files, destination);
    for (uint32_t k = 0; k < 4; ++k) {
        if (!(destination.writeMask & (1u << k))) continue;
        if (destination.saturate) {
            for (uint32_t l = 0; l < kLanes; ++l) target->c[k][l] = saturate(value.c[k][l]);
        } else {
            std::memcpy(target->c[k], value.c[k], kLanes * sizeof(float));
        }
    }
}

void execute(const Instruction& in, LaneRegisterFiles& files, uint32_t laneCount) {
    LaneVector scratch[3];
    const LaneVector* src[3] = {};
    const bool matrix = matrixRows(in.opcode) != 0;
    const uint32_t fetched = in.opcode == Opcode::Tex || matrix ? 1 : in.sourceCount;
    for (uint32_t s = 0; s < fetched; ++s) src[s] = fetch(files, in.sources[s], 0, scratch[s]);
    const LaneVector& a = *src[0];

    if (in.opcode == Opcode::Mova) {
        for (uint32_t k = 0; k < kAddressComponents; ++k)
            if (in.destination.writeMask & (1u << k))
                for (uint32_t l = 0; l < kLanes; ++l) files.address[k][l] = toAddress(a.c[k][l]);
        return;
    }

    LaneVector r;
    switch (in.opcode) {
    case Opcode::Mov: componentwise(r, [&](uint32_t k, uint32_t l) { return a.c[k][l]; }); break;
    case Opcode::Add:
        componentwise(r, [&](uint32_t k, uint32_t l) { return a.c[k][l] + src[1]->c[k][l]; });
        break;
    case Opcode::Sub:
        componentwise(r, [&](uint32_t k, uint32_t l) { return a.c[k][l] - src[1]->c[k][l]; });
        break;
    case Opcode::Mul:
        componentwise(r, [&](uint32_t k, uint32_t l) { return a.c[k][l] * src[1]->c[k][l]; });
        break;
    case Opcode::Mad:
        componentwise(r, [&](uint32_t k, uint32_t l) {
            const float product = a.c[k][l] * src[1]->c[k][l];
            return product + src[2]->c[k][l];
        });
        break;
    case Opcode::Dp3: replicated(r, [&](uint32_t l) { return dot3(a, *src[1], l); }); break;
    case Opcode::Dp4: replicated(r, [&](uint32_t l) { return dot4(a, *src[1], l); }); break;
    case Opcode::M4x4:
    case Opcode::M4x3:
    case Opcode::M3x3: {
        const uint32_t rows = matrixRows(in.opcode);
        for (uint32_t row = 0; row < rows; ++row) {
            const LaneVector& m = *fetch(files, in.sources[1], row, scratch[1]);
            for (uint32_t l = 0; l < kLanes; ++l)
                r.c[row][l] = in.opcode == Opcode::M3x3 ? dot3(a, m, l) : dot4(a, m, l);
        }
        break;
    }
    case Opcode::Rcp:
        replicated(r, [&](uint32_t l) {
            const float f = a.c[0][l];
            return f == 0.0f ? FLT_MAX : 1.0f / f;
        });
        break;
    case Opcode::Rsq:
        replicated(r, [&](uint32_t l) {
            const float f = std::fabs(a.c[0][l]);
            return f == 0.0f ? FLT_MAX : 1.0f / std::sqrt(f);
        });
        break;
    case Opcode::Min:
        componentwise(r, [&](uint32_t k, uint32_t l) {
            return a.c[k][l] < src[1]->c[k][l] ? a.c[k][l] : src[1]->c[k][l];
        });
        break;
    case Opcode::Max:
        componentwise(r, [&](uint32_t k, uint32_t l) {
            return a.c[k][l] > src[1]->c[k][l] ? a.c[k][l] : src[1]->c[k][l];
        });
        break;
    case Opcode::Slt:
        componentwise(
            r, [&](uint32_t k, uint32_t l) { return a.c[k][l] < src[1]->c[k][l] ? 1.0f : 0.0f; });
        break;
    case Opcode::Sge:
        componentwise(
            r, [&](uint32_t k, uint32_t l) { return a.c[k][l] >= src[1]->c[k][l] ? 1.0f : 0.0f; });
        break;
    case Opcode::Frc:
        componentwise(r, [&](uint32_t k, uint32_t l) { return a.c[k][l] - std::floor(a.c[k][l]); });
        break;
    case Opcode::Abs:
        componentwise(r, [&](uint32_t k, uint32_t l) { return std::fabs(a.c[k][l]); });
        break;
    case Opcode::Nrm:
        for (uint32_t l = 0; l < kLanes; ++l) {
            const float squared = dot3(a, a, l);
            const float scale = squared != 0.0f ? 1.0f / std::sqrt(squared) : FLT_MAX;
            for (uint32_t k = 0; k < 4; ++k) r.c[k][l] = a.c[k][l] * scale;
        }
        break;
    case Opcode::Pow:
        replicated(r, [&](uint32_t l) { return std::pow(std::fabs(a.c[0][l]), src[1]->c[0][l]); });
        break;
    case Opcode::Lrp:
        componentwise(r, [&](uint32_t k, uint32_t l) {
            const float span = src[1]->c[k][l] - src[2]->c[k][l];
            const float scaled = a.c[k][l] * span;
            return scaled + src[2]->c[k][l];
        });
        break;
    case Opcode::Exp: replicated(r, [&](uint32_t l) { return std::exp2(a.c[0][l]); }); break;
    case Opcode::Log:
        replicated(r, [&](uint32_t l) {
            const float f = std::fabs(a.c[0][l]);
            return f != 0.0f ? std::log2(f) : -FLT_MAX;
        });
        break;
    case Opcode::Cmp:
        componentwise(r, [&](uint32_t k, uint32_t l) {
            return a.c[k][l] >= 0.0f ? src[1]->c[k][l] : src[2]->c[k][l];
        });
        break;
    case Opcode::Tex:
        files.sampler->sample(in.sources[1].index, a, laneCount, r);
        for (uint32_t k = 0; k < 4; ++k)  // the sampler fills only the live lanes
            std::fill(r.c[k] + laneCount, r.c[k] + kLanes, 0.0f);
        break;
    default: return;  // the decoder admits no other opcode
    }
    store(files, in.destination, r);
}

}  // namespace

void resetLaneRegisters(const DecodedShader& shader, LaneRegisterFiles& files) {
    for (uint32_t i = 0; i < kTempRegisters; ++i)
        if (shader.tempsReadBeforeWritten & (1u << i))
            std::memset(&files.temps[i], 0, sizeof(LaneVector));
    if (shader.kind == ShaderKind::Vertex) std::memset(files.address, 0, sizeof(files.address));
    static const LaneVector kOutputStart = [] {
        LaneVector start{};
        std::fill_n(start.c[3], kLanes, 1.0f);
        return start;
    }();
    const auto reset = [](LaneVector& output) { output = kOutputStart; };
    const uint32_t written = shader.writtenOutputs;
    if (written & kOutputPosition) reset(*files.position);
    if (written & kOutputFog) reset(*files.fog);
    for (uint32_t i = 0; i < kVertexColourOutputs; ++i)
        if (written & (kOutputColour0 << i)) reset(files.colours[i]);
    for (uint32_t i = 0; i < kVertexTexcoordOutputs; ++i)
        if (written & (kOutputTexcoord0 << i)) reset(files.texcoords[i]);
}

void executeLanes(const std::vector<Instruction>& instructions, LaneRegisterFiles& files,
                  uint32_t laneCount) {
    for (const Instruction& instruction : instructions) execute(instruction, files, laneCount);
}

std::vector<Float4> mergeConstants(const DecodedShader& shader, const Float4* values,
                                   uint32_t valueCount, uint32_t count) {
    std::vector<Float4> constants(count, Float4{});
    std::copy_n(values, std::min(valueCount, count), constants.begin());
    for (const ConstantDefinition& definition : shader.definitions)
        constants[definition.index] = definition.value;
    return constants;
}

}  // namespace platform::d3d9::shader
