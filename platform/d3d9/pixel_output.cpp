#include "platform/d3d9/pixel_output.h"

#include <algorithm>
#include <cmath>

namespace platform::d3d9 {
namespace {

float blendFactor(DWORD factor, float sourceChannel, float sourceAlpha, float destChannel, float destAlpha) {
    switch (factor) {
    case D3DBLEND_ZERO: return 0.0f;
    case D3DBLEND_ONE: return 1.0f;
    case D3DBLEND_SRCCOLOR: return sourceChannel;
    case D3DBLEND_INVSRCCOLOR: return 1.0f - sourceChannel;
    case D3DBLEND_SRCALPHA: return sourceAlpha;
    case D3DBLEND_INVSRCALPHA: return 1.0f - sourceAlpha;
    case D3DBLEND_DESTALPHA: return destAlpha;
    case D3DBLEND_INVDESTALPHA: return 1.0f - destAlpha;
    case D3DBLEND_DESTCOLOR: return destChannel;
    default: return 1.0f - destChannel;  // INVDESTCOLOR
    }
}

float blendChannel(DWORD op, DWORD srcFactor, DWORD destFactor, float s, float sa, float d, float da) {
    const float fs = blendFactor(srcFactor, s, sa, d, da);
    const float fd = blendFactor(destFactor, s, sa, d, da);
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return s * fs - d * fd;
    case D3DBLENDOP_REVSUBTRACT: return d * fd - s * fs;
    case D3DBLENDOP_MIN: return std::min(s, d);
    case D3DBLENDOP_MAX: return std::max(s, d);
    default: return s * fs + d * fd;
    }
}

bool inRange(DWORD value, DWORD first, DWORD last) { return value >= first && value <= last; }

}  // namespace

OutputState::OutputState(const StateStore& s)
    : fog(s.render[D3DRS_FOGENABLE] != FALSE),
      fogColour(colourFromArgb(s.render[D3DRS_FOGCOLOR] | 0xFF000000u)),
      alphaTest(s.render[D3DRS_ALPHATESTENABLE] != FALSE),
      alphaFunction(s.render[D3DRS_ALPHAFUNC]),
      alphaReference(static_cast<std::uint8_t>(s.render[D3DRS_ALPHAREF] & 0xFF)),
      depthTest(s.render[D3DRS_ZENABLE] != D3DZB_FALSE),
      depthWrite(s.render[D3DRS_ZENABLE] != D3DZB_FALSE && s.render[D3DRS_ZWRITEENABLE] != FALSE),
      depthFunction(s.render[D3DRS_ZFUNC]),
      blend(s.render[D3DRS_ALPHABLENDENABLE] != FALSE),
      srcBlend(s.render[D3DRS_SRCBLEND]),
      destBlend(s.render[D3DRS_DESTBLEND]),
      blendOp(s.render[D3DRS_BLENDOP]),
      writeMask(s.render[D3DRS_COLORWRITEENABLE] & 0xF) {
    const bool separate = s.render[D3DRS_SEPARATEALPHABLENDENABLE] != FALSE;
    srcBlendAlpha = separate ? s.render[D3DRS_SRCBLENDALPHA] : srcBlend;
    destBlendAlpha = separate ? s.render[D3DRS_DESTBLENDALPHA] : destBlend;
    blendOpAlpha = separate ? s.render[D3DRS_BLENDOPALPHA] : blendOp;
    plainWrite = !blend && writeMask == 0xF;
}

HRESULT validateOutputStates(const StateStore& states) {
    const auto& r = states.render;
    if (r[D3DRS_FILLMODE] != D3DFILL_SOLID || r[D3DRS_SHADEMODE] != D3DSHADE_GOURAUD ||
        r[D3DRS_FOGTABLEMODE] != D3DFOG_NONE || r[D3DRS_STENCILENABLE] != FALSE ||
        r[D3DRS_SCISSORTESTENABLE] != FALSE || r[D3DRS_ZENABLE] == D3DZB_USEW || r[D3DRS_ZENABLE] > D3DZB_USEW ||
        !inRange(r[D3DRS_CULLMODE], D3DCULL_NONE, D3DCULL_CCW) || !inRange(r[D3DRS_ZFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS) ||
        !inRange(r[D3DRS_ALPHAFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS))
        return D3DERR_CONFLICTINGRENDERSTATE;
    for (DWORD factor : {r[D3DRS_SRCBLEND], r[D3DRS_DESTBLEND], r[D3DRS_SRCBLENDALPHA], r[D3DRS_DESTBLENDALPHA]})
        if (!inRange(factor, D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR)) return D3DERR_UNSUPPORTEDFACTORVALUE;
    for (DWORD op : {r[D3DRS_BLENDOP], r[D3DRS_BLENDOPALPHA]})
        if (!inRange(op, D3DBLENDOP_ADD, D3DBLENDOP_MAX)) return D3DERR_CONFLICTINGRENDERSTATE;
    return D3D_OK;
}

std::uint32_t blendAndMask(const OutputState& state, const Colour& source, std::uint32_t destination,
                           bool destinationOpaque) {
    std::uint8_t out[4];  // r, g, b, a
    if (state.blend) {
        Colour d = colourFromArgb(destination);
        if (destinationOpaque) d.a = 1.0f;
        const float sa = std::clamp(source.a, 0.0f, 1.0f);
        const float s[4] = {std::clamp(source.r, 0.0f, 1.0f), std::clamp(source.g, 0.0f, 1.0f),
                            std::clamp(source.b, 0.0f, 1.0f), sa};
        const float dc[4] = {d.r, d.g, d.b, d.a};
        for (int i = 0; i < 3; ++i)
            out[i] = colourByte(blendChannel(state.blendOp, state.srcBlend, state.destBlend, s[i], sa, dc[i], d.a));
        out[3] = colourByte(blendChannel(state.blendOpAlpha, state.srcBlendAlpha, state.destBlendAlpha, sa, sa, d.a, d.a));
    } else {
        out[0] = colourByte(source.r);
        out[1] = colourByte(source.g);
        out[2] = colourByte(source.b);
        out[3] = colourByte(source.a);
    }
    const std::uint8_t old[4] = {static_cast<std::uint8_t>(destination >> 16), static_cast<std::uint8_t>(destination >> 8),
                                 static_cast<std::uint8_t>(destination), static_cast<std::uint8_t>(destination >> 24)};
    for (int i = 0; i < 4; ++i)
        if (!(state.writeMask & (1u << i))) out[i] = old[i];
    if (destinationOpaque) out[3] = 0xFF;
    return (std::uint32_t{out[3]} << 24) | (std::uint32_t{out[0]} << 16) | (std::uint32_t{out[1]} << 8) | out[2];
}

}  // namespace platform::d3d9
