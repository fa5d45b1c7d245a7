#include "platform/d3d9/texture_stages.h"

#include <algorithm>

namespace platform::d3d9 {
namespace {

bool supportedOperation(DWORD op) {
    return op == D3DTOP_DISABLE || op == D3DTOP_SELECTARG1 || op == D3DTOP_SELECTARG2 ||
           op == D3DTOP_MODULATE || op == D3DTOP_ADD;
}

bool supportedArgument(DWORD arg) {
    if (arg & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) return false;
    const DWORD source = arg & D3DTA_SELECTMASK;
    return source <= D3DTA_SPECULAR;
}

bool operationReads(DWORD op, int argument) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return argument == 1;
    case D3DTOP_SELECTARG2:
        return argument == 2;
    case D3DTOP_MODULATE:
    case D3DTOP_ADD:
        return true;
    default:
        return false;
    }
}

float combine(DWORD op, float a, float b) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return a;
    case D3DTOP_SELECTARG2:
        return b;
    case D3DTOP_MODULATE:
        return a * b;
    default:
        return std::min(a + b, 1.0f);  // ADD
    }
}

// The rows an argument reads for four pixels: the source's own, or `scratch` holding their
// complement or replicated alpha.
const LaneColours& quadArgument(DWORD arg, const LaneColours* const sources[],
                                LaneColours& scratch) {
    // An argument the operation does not read may name any source (validation checks only
    // the ones read): those past SPECULAR read it, as argument() has them.
    const LaneColours& source = *sources[std::min<DWORD>(arg & D3DTA_SELECTMASK, D3DTA_SPECULAR)];
    if (!(arg & (D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE))) return source;
    const bool complement = arg & D3DTA_COMPLEMENT;
    for (int k = 0; k < 4; ++k) {
        const float* from = source.c[arg & D3DTA_ALPHAREPLICATE ? 3 : k];
        for (int lane = 0; lane < 4; ++lane)
            scratch.c[k][lane] = complement ? 1.0f - from[lane] : from[lane];
    }
    return scratch;
}

void combineLanes(DWORD op, const float a[4], const float b[4], float out[4]) {
    for (int lane = 0; lane < 4; ++lane) out[lane] = combine(op, a[lane], b[lane]);
}

}  // namespace

UINT activeStageCount(const StateStore& states) {
    UINT count = 0;
    while (count < kStageCount && states.stage[count][D3DTSS_COLOROP] != D3DTOP_DISABLE) ++count;
    return count;
}

HRESULT validateTextureStages(const StateStore& states) {
    const UINT active = activeStageCount(states);
    for (UINT i = 0; i < active; ++i) {
        const auto& s = states.stage[i];
        if (!supportedOperation(s[D3DTSS_COLOROP])) return D3DERR_UNSUPPORTEDCOLOROPERATION;
        if (!supportedOperation(s[D3DTSS_ALPHAOP])) return D3DERR_UNSUPPORTEDALPHAOPERATION;
        for (int arg = 1; arg <= 2; ++arg) {
            const DWORD colourArg = s[arg == 1 ? D3DTSS_COLORARG1 : D3DTSS_COLORARG2];
            const DWORD alphaArg = s[arg == 1 ? D3DTSS_ALPHAARG1 : D3DTSS_ALPHAARG2];
            if (operationReads(s[D3DTSS_COLOROP], arg) && !supportedArgument(colourArg))
                return D3DERR_UNSUPPORTEDCOLORARG;
            if (operationReads(s[D3DTSS_ALPHAOP], arg) && !supportedArgument(alphaArg))
                return D3DERR_UNSUPPORTEDALPHAARG;
        }
    }
    return D3D_OK;
}

bool stageReadsTexture(const StateStore& states, UINT stage) {
    if (stage >= activeStageCount(states)) return false;
    const auto& s = states.stage[stage];
    for (int arg = 1; arg <= 2; ++arg) {
        const DWORD colourArg = s[arg == 1 ? D3DTSS_COLORARG1 : D3DTSS_COLORARG2];
        const DWORD alphaArg = s[arg == 1 ? D3DTSS_ALPHAARG1 : D3DTSS_ALPHAARG2];
        if (operationReads(s[D3DTSS_COLOROP], arg) &&
            (colourArg & D3DTA_SELECTMASK) == D3DTA_TEXTURE)
            return true;
        if (operationReads(s[D3DTSS_ALPHAOP], arg) &&
            (alphaArg & D3DTA_SELECTMASK) == D3DTA_TEXTURE)
            return true;
    }
    return false;
}

namespace {

// Whether an operation of a stage whose texture reads opaque white gives the current value
// back bit for bit: selecting it, or multiplying it by the texture's 1.
bool passesCurrentOn(DWORD op, DWORD arg1, DWORD arg2) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return arg1 == D3DTA_CURRENT;
    case D3DTOP_SELECTARG2:
        return arg2 == D3DTA_CURRENT;
    case D3DTOP_MODULATE:
        return (arg1 == D3DTA_TEXTURE && arg2 == D3DTA_CURRENT) ||
               (arg1 == D3DTA_CURRENT && arg2 == D3DTA_TEXTURE);
    default:
        return false;
    }
}

}  // namespace

TextureStages::TextureStages(const StateStore& states, std::uint32_t whiteTextures)
    : count_(activeStageCount(states)),
      textureFactor_(colourFromArgb(states.render[D3DRS_TEXTUREFACTOR])) {
    const float factor[4] = {textureFactor_.r, textureFactor_.g, textureFactor_.b,
                             textureFactor_.a};
    for (int k = 0; k < 4; ++k) std::fill_n(quadFactor_.c[k], 4, factor[k]);
    for (UINT i = 0; i < count_; ++i) {
        const auto& s = states.stage[i];
        const Stage stage = {s[D3DTSS_COLOROP], s[D3DTSS_COLORARG1], s[D3DTSS_COLORARG2],
                             s[D3DTSS_ALPHAOP], s[D3DTSS_ALPHAARG1], s[D3DTSS_ALPHAARG2]};
        stages_[i] = stage;
        const bool unchanged =
            (whiteTextures >> i & 1) &&
            passesCurrentOn(stage.colourOp, stage.colourArg1, stage.colourArg2) &&
            (stage.alphaOp == D3DTOP_DISABLE ||
             passesCurrentOn(stage.alphaOp, stage.alphaArg1, stage.alphaArg2));
        if (!unchanged) evaluated_[evaluatedCount_++] = i;
    }
}

bool TextureStages::readsSpecular() const {
    // argument() takes every source other than these four from the specular colour.
    const auto specular = [](DWORD arg) {
        const DWORD source = arg & D3DTA_SELECTMASK;
        return source != D3DTA_DIFFUSE && source != D3DTA_CURRENT && source != D3DTA_TEXTURE &&
               source != D3DTA_TFACTOR;
    };
    for (UINT i = 0; i < count_; ++i) {
        const Stage& s = stages_[i];
        if (specular(s.colourArg1) || specular(s.colourArg2)) return true;
        if (s.alphaOp != D3DTOP_DISABLE && (specular(s.alphaArg1) || specular(s.alphaArg2)))
            return true;
    }
    return false;
}

Colour TextureStages::argument(DWORD arg, UINT stage, const Colour& current,
                               const StageInputs& in) const {
    Colour c;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
        c = in.diffuse;
        break;
    case D3DTA_CURRENT:
        c = stage == 0 ? in.diffuse : current;
        break;
    case D3DTA_TEXTURE:
        c = in.texture[stage];
        break;
    case D3DTA_TFACTOR:
        c = textureFactor_;
        break;
    default:
        c = in.specular;
        break;
    }
    if (arg & D3DTA_COMPLEMENT) c = {1.0f - c.r, 1.0f - c.g, 1.0f - c.b, 1.0f - c.a};
    if (arg & D3DTA_ALPHAREPLICATE) c = {c.a, c.a, c.a, c.a};
    return c;
}

Colour TextureStages::run(const StageInputs& in) const {
    Colour current = in.diffuse;
    for (UINT e = 0; e < evaluatedCount_; ++e) {
        const UINT i = evaluated_[e];
        const Stage& s = stages_[i];
        const Colour c1 = argument(s.colourArg1, i, current, in);
        const Colour c2 = argument(s.colourArg2, i, current, in);
        Colour next{combine(s.colourOp, c1.r, c2.r), combine(s.colourOp, c1.g, c2.g),
                    combine(s.colourOp, c1.b, c2.b), current.a};
        // An alpha operation of DISABLE passes the current alpha on.
        if (s.alphaOp != D3DTOP_DISABLE)
            next.a = combine(s.alphaOp, argument(s.alphaArg1, i, current, in).a,
                             argument(s.alphaArg2, i, current, in).a);
        current = next;
    }
    return current;
}

void TextureStages::runQuad(const QuadStageInputs& in, LaneColours& current) const {
    current = in.diffuse;
    for (UINT e = 0; e < evaluatedCount_; ++e) {
        const UINT i = evaluated_[e];
        const Stage& s = stages_[i];
        // Indexed by D3DTA_ source; CURRENT on stage 0 is the diffuse colour current starts as.
        const LaneColours* const sources[] = {&in.diffuse, &current, &in.texture[i], &quadFactor_,
                                              &in.specular};
        LaneColours scratch[2], next;
        const LaneColours& c1 = quadArgument(s.colourArg1, sources, scratch[0]);
        const LaneColours& c2 = quadArgument(s.colourArg2, sources, scratch[1]);
        for (int k = 0; k < 3; ++k) combineLanes(s.colourOp, c1.c[k], c2.c[k], next.c[k]);
        // An alpha operation of DISABLE passes the current alpha on.
        if (s.alphaOp == D3DTOP_DISABLE) {
            std::copy_n(current.c[3], 4, next.c[3]);
        } else {
            const LaneColours& a1 = quadArgument(s.alphaArg1, sources, scratch[0]);
            const LaneColours& a2 = quadArgument(s.alphaArg2, sources, scratch[1]);
            combineLanes(s.alphaOp, a1.c[3], a2.c[3], next.c[3]);
        }
        current = next;
    }
}

}  // namespace platform::d3d9
