#include "platform/d3d9/shader/lane_executor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace platform::d3d9::shader {
namespace {

// a0 values beyond this read outside every constant file; clamping keeps the sums in range.
constexpr int32_t kAddressLimit = 1 << 20;

// Rounds to nearest, halves away from zero, without a library call: near the limit a float
// still has fraction bits, so value - trunc(value) is exact.
int32_t toAddress(float value) {
    if (!(std::fabs(value) <= float(kAddressLimit + 1))) return kAddressLimit;  // NaN too
    int32_t whole = static_cast<int32_t>(value);                                // toward zero
    const float fraction = value - static_cast<float>(whole);
    if (fraction >= 0.5f) ++whole;
    if (fraction <= -0.5f) --whole;
    return whole >= -kAddressLimit && whole <= kAddressLimit ? whole : kAddressLimit;
}

// Eight lanes as one vector value: one AVX register, or two SSE registers on the baseline.
// Component-wise instructions run a chunk at a time, each chunk read before it is written, so
// a destination row may also be one of the source rows. Every function that takes or returns
// a chunk is inlined into executeAvx2() and executeBaseline() (flatten), so no call passes one
// and the AVX argument ABI never applies.
constexpr uint32_t kChunkLanes = 8;
using Quad = float __attribute__((vector_size(kChunkLanes * sizeof(float))));
constexpr uint32_t kQuadsPerRow = kLanes / kChunkLanes;
constexpr Quad kZero{};
constexpr Quad kOne = kZero + 1.0f;

Quad loadQuad(const float* at) {
    Quad quad;
    std::memcpy(&quad, at, sizeof(Quad));
    return quad;
}

void storeQuad(float* at, Quad quad) { std::memcpy(at, &quad, sizeof(Quad)); }

Quad saturateQuad(Quad value) {
    return value > kZero ? (value < kOne ? value : kOne) : kZero;  // NaN gives 0
}

using Row = float[kLanes];

void writeRow(float* to, const Row& value, bool saturated) {
    if (saturated) {
        for (uint32_t at = 0; at < kLanes; at += kChunkLanes)
            storeQuad(to + at, saturateQuad(loadQuad(value + at)));
    } else {
        std::memcpy(to, value, sizeof(Row));
    }
}

// ---------------------------------------------------------------------------------------------
// Compiling

LaneFile fileOf(RegisterType type, uint16_t index) {
    switch (type) {
    case RegisterType::Temp:
        return LaneFile::Temp;
    case RegisterType::Input:
        return LaneFile::Input;
    case RegisterType::Const:
        return LaneFile::Constant;
    case RegisterType::RastOut:
        return index == kRastOutPosition ? LaneFile::Position : LaneFile::Fog;
    case RegisterType::AttrOut:
    case RegisterType::ColorOut:
        return LaneFile::Colour;
    case RegisterType::TexCrdOut:
        return LaneFile::Texcoord;
    default:
        return LaneFile::Texture;  // t#: the decoder admits no other file
    }
}

// The broadcast slot of constant registers first..first+rows-1, consecutive so that matrix
// rows follow each other; registers already broadcast in that order are shared.
uint16_t broadcastSlot(LaneProgram& program, uint16_t first, uint32_t rows) {
    std::vector<uint16_t>& slots = program.broadcastRegisters;
    for (size_t at = 0; at + rows <= slots.size(); ++at) {
        bool same = true;
        for (uint32_t row = 0; row < rows && same; ++row) same = slots[at + row] == first + row;
        if (same) return static_cast<uint16_t>(at);
    }
    const auto at = static_cast<uint16_t>(slots.size());
    for (uint32_t row = 0; row < rows; ++row) slots.push_back(static_cast<uint16_t>(first + row));
    return at;
}

LaneSource compileSource(LaneProgram& program, const SourceOperand& source, uint32_t rows) {
    LaneSource compiled;
    compiled.file = fileOf(source.type, source.index);
    compiled.index = source.index;
    for (uint32_t k = 0; k < 4; ++k)
        compiled.components[k] = static_cast<uint8_t>(swizzleComponent(source.swizzle, k));
    compiled.negate = source.negate;
    compiled.identity = source.swizzle == kIdentitySwizzle && !source.negate && !source.relative;
    compiled.relative = source.relative;
    compiled.relativeComponent = source.relativeComponent;
    if (compiled.file == LaneFile::Constant && !source.relative)
        compiled.index = broadcastSlot(program, source.index, std::max(rows, 1u));
    return compiled;
}

bool readsDestination(const LaneOperation& op, const LaneSource& source) {
    return source.file == op.destinationFile && source.index == op.destinationIndex;
}

bool isComponentwise(Opcode opcode) {
    switch (opcode) {
    case Opcode::Mov:
    case Opcode::Add:
    case Opcode::Sub:
    case Opcode::Mul:
    case Opcode::Mad:
    case Opcode::Min:
    case Opcode::Max:
    case Opcode::Slt:
    case Opcode::Sge:
    case Opcode::Frc:
    case Opcode::Abs:
    case Opcode::Lrp:
    case Opcode::Cmp:
        return true;
    default:
        return false;
    }
}

// Whether writing the result components in order, straight into the destination, would
// overwrite a component of it that a later result component still reads (mov r0.xy, r0.yx).
bool overwritesItsOwnSource(const LaneOperation& op) {
    for (uint32_t s = 0; s < op.sourceCount; ++s) {
        const LaneSource& source = op.sources[s];
        if (!readsDestination(op, source)) continue;
        for (uint32_t k = 0; k < 4; ++k)
            for (uint32_t written = 0; written < k; ++written)
                if ((op.writeMask >> k & 1) && (op.writeMask >> written & 1) &&
                    source.components[k] == written)
                    return true;
    }
    return false;
}

// Whether the result can go straight to the destination instead of through a staging register.
bool writesDirectly(const LaneOperation& op) {
    switch (op.opcode) {
    case Opcode::Tex:  // the sampler writes every component as it reads the coordinates
        return op.writeMask == kFullWriteMask && !op.saturate &&
               !readsDestination(op, op.sources[0]);
    case Opcode::Dp3:
    case Opcode::Dp4:
    case Opcode::Rcp:
    case Opcode::Rsq:
    case Opcode::Exp:
    case Opcode::Log:
    case Opcode::Pow:
        return true;  // one value computed whole, then replicated
    case Opcode::M4x4:
    case Opcode::M4x3:
    case Opcode::M3x3: {
        const LaneSource& rows = op.sources[1];
        const bool rowIsDestination = rows.file == op.destinationFile && !rows.relative &&
                                      op.destinationIndex >= rows.index &&
                                      op.destinationIndex < rows.index + matrixRows(op.opcode);
        return !readsDestination(op, op.sources[0]) && !rowIsDestination;
    }
    case Opcode::Nrm:
        return !overwritesItsOwnSource(op);
    default:
        return isComponentwise(op.opcode) && !overwritesItsOwnSource(op);
    }
}

LaneOperation compileInstruction(LaneProgram& program, const Instruction& in) {
    LaneOperation op;
    op.opcode = in.opcode;
    op.destinationFile = fileOf(in.destination.type, in.destination.index);
    const bool single =  // oPos and oFog are files of one register
        op.destinationFile == LaneFile::Position || op.destinationFile == LaneFile::Fog;
    op.destinationIndex = single ? 0 : in.destination.index;
    op.writeMask = in.destination.writeMask;
    op.saturate = in.destination.saturate;
    op.sourceCount = in.sourceCount;
    for (uint32_t s = 0; s < in.sourceCount; ++s)
        op.sources[s] = compileSource(program, in.sources[s], s == 1 ? matrixRows(in.opcode) : 0);
    op.direct = writesDirectly(op);
    return op;
}

bool isOutput(LaneFile file) {
    return file == LaneFile::Position || file == LaneFile::Fog || file == LaneFile::Colour ||
           file == LaneFile::Texcoord;
}

// The outputs the operations write, each with the components none of them writes.
std::vector<LaneOutputStart> outputStarts(const std::vector<LaneOperation>& operations) {
    std::vector<LaneOutputStart> starts;
    for (const LaneOperation& op : operations) {
        if (!isOutput(op.destinationFile)) continue;
        auto start = std::find_if(starts.begin(), starts.end(), [&](const LaneOutputStart& s) {
            return s.file == op.destinationFile && s.index == op.destinationIndex;
        });
        if (start == starts.end())
            start = starts.insert(starts.end(), {op.destinationFile, op.destinationIndex, 0xF});
        start->components &= static_cast<uint8_t>(~op.writeMask);
    }
    return starts;
}

// ---------------------------------------------------------------------------------------------
// Running

using Rows = std::array<const float*, 4>;

// The register files of one batch by LaneFile: those operands read and those results go to.
struct Context {
    LaneRegisterFiles& files;
    const LaneVector* sources[kLaneFileCount];
    LaneVector* targets[kLaneFileCount];
    uint32_t laneCount;
};

// The rows of a source read without a0, in swizzle order.
Rows registerRows(const Context& context, const LaneSource& source, uint32_t row) {
    const LaneVector* file = context.sources[static_cast<uint32_t>(source.file)];
    const LaneVector& reg = file[source.index + row];
    const std::array<uint8_t, 4> components = source.components;
    return {reg.c[components[0]], reg.c[components[1]], reg.c[components[2]], reg.c[components[3]]};
}

// fetch() for a negated or a relative source: rows of `scratch` hold its values.
Rows fetchIntoScratch(const Context& context, const LaneSource& source, uint32_t row, uint32_t mask,
                      LaneVector& scratch) {
    Rows rows{};
    if (source.relative) {
        static constexpr Float4 kOutside{};
        const LaneRegisterFiles& files = context.files;
        const int32_t* offsets = files.address[source.relativeComponent];
        const int64_t first = int64_t{source.index} + row;
        const int64_t count = files.constantCount;
        const Float4* constants = files.constants;
        // Local copies: the scratch stores could alias the bytes of the operand otherwise.
        const uint32_t x = source.components[0], y = source.components[1];
        const uint32_t z = source.components[2], w = source.components[3];
        for (uint32_t l = 0; l < kLanes; ++l) {
            const int64_t index = first + offsets[l];
            const Float4& value = index >= 0 && index < count ? constants[index] : kOutside;
            scratch.c[0][l] = value[x];
            scratch.c[1][l] = value[y];
            scratch.c[2][l] = value[z];
            scratch.c[3][l] = value[w];
        }
        for (uint32_t k = 0; k < 4; ++k) rows[k] = scratch.c[k];
    } else {
        rows = registerRows(context, source, row);
    }
    if (source.negate) {
        for (uint32_t k = 0; k < 4; ++k) {
            if (!(mask & (1u << k))) continue;
            const float* from = rows[k];
            float* to = scratch.c[k];
            for (uint32_t at = 0; at < kLanes; at += kChunkLanes)
                storeQuad(to + at, -loadQuad(from + at));
            rows[k] = to;
        }
    }
    return rows;
}

// Reads the components in `mask` of `source` (matrix row `row` of it) as rows of lanes: the
// register's own rows where it can, else rows of `scratch` holding the negated or gathered
// values.
inline Rows fetch(const Context& context, const LaneSource& source, uint32_t row, uint32_t mask,
                  LaneVector& scratch) {
    if (source.relative || source.negate)
        return fetchIntoScratch(context, source, row, mask, scratch);
    return registerRows(context, source, row);
}

// A function of one float applied to each lane of a quad.
template <typename Function>
Quad eachLane(Quad value, Function function) {
    for (uint32_t i = 0; i < kChunkLanes; ++i) value[i] = function(value[i]);
    return value;
}

// r.c[k] = op(a[k], ...) for the components k in `mask`, saturated or not.
template <typename Op, typename... Sources>
void componentwise(LaneVector& r, uint32_t mask, bool saturated, Op op, const Sources&... rows) {
    for (uint32_t k = 0; k < 4; ++k) {
        if (!(mask & (1u << k))) continue;
        for (uint32_t q = 0; q < kQuadsPerRow; ++q) {
            const Quad value = op(loadQuad(rows[k] + kChunkLanes * q)...);
            storeQuad(r.c[k] + kChunkLanes * q, saturated ? saturateQuad(value) : value);
        }
    }
}

// r.c[k] = value for every component in `mask`, saturated or not.
void replicate(LaneVector& r, uint32_t mask, bool saturated, const Row& value) {
    for (uint32_t k = 0; k < 4; ++k)
        if (mask & (1u << k)) writeRow(r.c[k], value, saturated);
}

template <typename Op>
void scalar(LaneVector& r, uint32_t mask, bool saturated, const float* x, const float* y, Op op) {
    Row value;
    for (uint32_t l = 0; l < kLanes; ++l) value[l] = op(x[l], y[l]);
    replicate(r, mask, saturated, value);
}

// out = a.b over the first `components` components, summed from x onward.
void dot(Row& out, const Rows& a, const Rows& b, uint32_t components) {
    for (uint32_t q = 0; q < kQuadsPerRow; ++q) {
        const uint32_t at = kChunkLanes * q;
        Quad sum = loadQuad(a[0] + at) * loadQuad(b[0] + at);
        for (uint32_t k = 1; k < components; ++k)
            sum = sum + loadQuad(a[k] + at) * loadQuad(b[k] + at);
        storeQuad(out + at, sum);
    }
}

LaneVector& destination(const Context& context, const LaneOperation& op) {
    return context.targets[static_cast<uint32_t>(op.destinationFile)][op.destinationIndex];
}

void store(const Context& context, const LaneOperation& op, const LaneVector& value,
           bool saturated) {
    LaneVector& target = destination(context, op);
    for (uint32_t k = 0; k < 4; ++k)
        if (op.writeMask & (1u << k)) writeRow(target.c[k], value.c[k], saturated);
}

void sampleTexture(const Context& context, const LaneOperation& op, LaneVector& r) {
    const LaneSource& source = op.sources[0];
    LaneVector coordinates;
    const LaneVector* at = &coordinates;
    if (source.identity) {
        at = &context.sources[static_cast<uint32_t>(source.file)][source.index];
    } else {
        const Rows rows = fetch(context, source, 0, kFullWriteMask, coordinates);
        for (uint32_t k = 0; k < 4; ++k)
            if (rows[k] != coordinates.c[k]) std::memcpy(coordinates.c[k], rows[k], sizeof(Row));
    }
    context.files.sampler->sample(op.sources[1].index, *at, context.laneCount, r);
    for (Row& row : r.c)  // the sampler fills only the live lanes
        std::fill(row + context.laneCount, row + kLanes, 0.0f);
}

// One operation. Inlined whole into the two builds below.
[[gnu::always_inline]] inline void executeOperation(const Context& context,
                                                    const LaneOperation& op) {
    const uint32_t mask = op.writeMask;
    LaneVector scratch[3];
    LaneVector r;
    // Results go straight to the destination unless that would overwrite a component still to
    // be read; then they are staged in r.
    LaneVector& out = op.direct ? destination(context, op) : r;
    const bool saturated = op.saturate && op.direct;
    const auto source = [&](uint32_t s, uint32_t sourceMask) {
        return fetch(context, op.sources[s], 0, sourceMask, scratch[s]);
    };
    switch (op.opcode) {
    case Opcode::Mov:
        componentwise(
            out, mask, saturated, [](Quad x) { return x; }, source(0, mask));
        break;
    case Opcode::Mova: {
        const Rows a = source(0, mask);
        for (uint32_t k = 0; k < kAddressComponents; ++k)
            if (mask & (1u << k))
                for (uint32_t l = 0; l < kLanes; ++l)
                    context.files.address[k][l] = toAddress(a[k][l]);
        return;
    }
    case Opcode::Add:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x + y; }, source(0, mask),
            source(1, mask));
        break;
    case Opcode::Sub:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x - y; }, source(0, mask),
            source(1, mask));
        break;
    case Opcode::Mul:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x * y; }, source(0, mask),
            source(1, mask));
        break;
    case Opcode::Mad:
        componentwise(
            out, mask, saturated,
            [](Quad x, Quad y, Quad z) {
                const Quad product = x * y;
                return product + z;
            },
            source(0, mask), source(1, mask), source(2, mask));
        break;
    case Opcode::Min:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x < y ? x : y; }, source(0, mask),
            source(1, mask));
        break;
    case Opcode::Max:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x > y ? x : y; }, source(0, mask),
            source(1, mask));
        break;
    case Opcode::Slt:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x < y ? kOne : kZero; },
            source(0, mask), source(1, mask));
        break;
    case Opcode::Sge:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x >= y ? kOne : kZero; },
            source(0, mask), source(1, mask));
        break;
    case Opcode::Frc:
        componentwise(
            out, mask, saturated,
            [](Quad x) { return eachLane(x, [](float v) { return v - std::floor(v); }); },
            source(0, mask));
        break;
    case Opcode::Abs:
        componentwise(
            out, mask, saturated,
            [](Quad x) { return eachLane(x, [](float v) { return std::fabs(v); }); },
            source(0, mask));
        break;
    case Opcode::Lrp:
        componentwise(
            out, mask, saturated,
            [](Quad x, Quad y, Quad z) {
                const Quad span = y - z;
                const Quad scaled = x * span;
                return scaled + z;
            },
            source(0, mask), source(1, mask), source(2, mask));
        break;
    case Opcode::Cmp:
        componentwise(
            out, mask, saturated, [](Quad x, Quad y, Quad z) { return x >= kZero ? y : z; },
            source(0, mask), source(1, mask), source(2, mask));
        break;
    case Opcode::Dp3:
    case Opcode::Dp4: {
        const uint32_t components = op.opcode == Opcode::Dp3 ? 3 : 4;
        const uint32_t read = (1u << components) - 1;
        Row value;
        dot(value, source(0, read), source(1, read), components);
        replicate(out, mask, saturated, value);
        break;
    }
    case Opcode::M4x4:
    case Opcode::M4x3:
    case Opcode::M3x3: {
        const uint32_t components = op.opcode == Opcode::M3x3 ? 3 : 4;
        const uint32_t read = (1u << components) - 1;
        const Rows a = source(0, read);
        for (uint32_t row = 0; row < matrixRows(op.opcode); ++row) {
            Row value;
            dot(value, a, fetch(context, op.sources[1], row, read, scratch[1]), components);
            writeRow(out.c[row], value, saturated);
        }
        break;
    }
    case Opcode::Nrm: {
        const Rows a = source(0, mask | 0x7);
        Row scale;
        dot(scale, a, a, 3);
        for (uint32_t l = 0; l < kLanes; ++l)
            scale[l] = scale[l] != 0.0f ? 1.0f / std::sqrt(scale[l]) : FLT_MAX;
        const Rows scales{scale, scale, scale, scale};
        componentwise(
            out, mask, saturated, [](Quad x, Quad y) { return x * y; }, a, scales);
        break;
    }
    case Opcode::Rcp: {
        const float* x = source(0, 1)[0];
        scalar(out, mask, saturated, x, x,
               [](float v, float) { return v == 0.0f ? FLT_MAX : 1.0f / v; });
        break;
    }
    case Opcode::Rsq: {
        const float* x = source(0, 1)[0];
        scalar(out, mask, saturated, x, x, [](float v, float) {
            const float f = std::fabs(v);
            return f == 0.0f ? FLT_MAX : 1.0f / std::sqrt(f);
        });
        break;
    }
    case Opcode::Exp: {
        const float* x = source(0, 1)[0];
        scalar(out, mask, saturated, x, x, [](float v, float) { return std::exp2(v); });
        break;
    }
    case Opcode::Log: {
        const float* x = source(0, 1)[0];
        scalar(out, mask, saturated, x, x, [](float v, float) {
            const float f = std::fabs(v);
            return f != 0.0f ? std::log2(f) : -FLT_MAX;
        });
        break;
    }
    case Opcode::Pow:
        scalar(out, mask, saturated, source(0, 1)[0], source(1, 1)[0],
               [](float x, float y) { return std::pow(std::fabs(x), y); });
        break;
    case Opcode::Tex:
        sampleTexture(context, op, out);
        break;
    default:
        return;  // the decoder admits no other opcode
    }
    if (!op.direct) store(context, op, r, op.saturate);
}

// The output file `file` names. A switch rather than a table of the pointers: copying them
// into a table right after the caller stored them stalls on the store.
LaneVector* outputFile(const LaneRegisterFiles& files, LaneFile file) {
    switch (file) {
    case LaneFile::Position:
        return files.position;
    case LaneFile::Fog:
        return files.fog;
    case LaneFile::Colour:
        return files.colours;
    default:
        return files.texcoords;  // outputStarts holds output files only
    }
}

}  // namespace

LaneProgram compileLanes(const DecodedShader& shader) {
    LaneProgram program;
    program.operations.reserve(shader.instructions.size());
    for (const Instruction& instruction : shader.instructions)
        program.operations.push_back(compileInstruction(program, instruction));
    program.outputStarts = outputStarts(program.operations);
    program.tempsReadBeforeWritten = shader.tempsReadBeforeWritten;
    program.clearsAddress = shader.kind == ShaderKind::Vertex;
    return program;
}

void resetLaneRegisters(const LaneProgram& program, LaneRegisterFiles& files) {
    for (uint32_t i = 0; i < kTempRegisters; ++i)
        if (program.tempsReadBeforeWritten & (1u << i))
            std::memset(&files.temps[i], 0, sizeof(LaneVector));
    if (program.clearsAddress) std::memset(files.address, 0, sizeof(files.address));
    for (const LaneOutputStart& start : program.outputStarts) {
        LaneVector& output = outputFile(files, start.file)[start.index];
        for (uint32_t k = 0; k < 4; ++k)
            if (start.components & (1u << k))
                std::fill_n(output.c[k], kLanes, k == 3 ? 1.0f : 0.0f);
    }
}

// Built for AVX2 too, chosen at run time: the same operations in the same order on wider
// registers, so the results are the same bits (the build never contracts to FMA). The choice
// is an ordinary function pointer, not an ifunc, so it also works in sanitizer builds. Each
// build runs the whole program, so the choice costs one indirect call per batch.
namespace {

using ProgramFunction = void (*)(const Context&, const LaneProgram&);

__attribute__((target("avx2"), flatten)) void runProgramAvx2(const Context& context,
                                                             const LaneProgram& program) {
    for (const LaneOperation& op : program.operations) executeOperation(context, op);
}

__attribute__((flatten)) void runProgramBaseline(const Context& context,
                                                 const LaneProgram& program) {
    for (const LaneOperation& op : program.operations) executeOperation(context, op);
}

ProgramFunction chooseProgramFunction() {
    return __builtin_cpu_supports("avx2") ? runProgramAvx2 : runProgramBaseline;
}

}  // namespace

void executeLanes(const LaneProgram& program, LaneRegisterFiles& files, uint32_t laneCount) {
    const Context context{files,
                          {files.temps, files.inputs, files.textures, files.broadcastConstants,
                           files.position, files.fog, files.colours, files.texcoords},
                          {files.temps, nullptr, nullptr, nullptr, files.position, files.fog,
                           files.colours, files.texcoords},
                          laneCount};
    static const ProgramFunction run = chooseProgramFunction();
    run(context, program);
}

std::vector<Float4> mergeConstants(const DecodedShader& shader, const Float4* values,
                                   uint32_t valueCount, uint32_t count) {
    std::vector<Float4> constants(count, Float4{});
    std::copy_n(values, std::min(valueCount, count), constants.begin());
    for (const ConstantDefinition& definition : shader.definitions)
        constants[definition.index] = definition.value;
    return constants;
}

std::vector<LaneVector> broadcastConstants(const LaneProgram& program,
                                           const std::vector<Float4>& constants) {
    std::vector<LaneVector> table(program.broadcastRegisters.size());
    for (size_t slot = 0; slot < table.size(); ++slot)
        for (uint32_t k = 0; k < 4; ++k)
            std::fill_n(table[slot].c[k], kLanes, constants[program.broadcastRegisters[slot]][k]);
    return table;
}

}  // namespace platform::d3d9::shader
