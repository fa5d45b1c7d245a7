#include "platform/d3d9/vertex_format.h"

#include <cstring>

namespace platform::d3d9 {
namespace {

constexpr DWORD kKnownFvfBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE |
                                D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK |
                                D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR | 0xFFFF0000u;

float readFloat(const std::uint8_t* p) {
    float value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

std::uint32_t readWord(const std::uint8_t* p) {
    std::uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

}  // namespace

FvfLayout describeFvf(DWORD fvf) {
    FvfLayout layout;
    if (fvf & ~kKnownFvfBits) return layout;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    UINT offset = 0;
    UINT betas = 0;
    switch (position) {
    case D3DFVF_XYZ:
        offset = 12;
        break;
    case D3DFVF_XYZRHW:
        offset = 16;
        layout.pretransformed = true;
        break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5:
        offset = 12;
        betas = (position - D3DFVF_XYZRHW) / 2;  // XYZB1 (0x6) has one beta, XYZB5 (0xE) five
        break;
    default:
        return layout;  // none, or XYZW
    }
    const bool lastBetaIsIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
    if (lastBetaIsIndices && betas == 0) return layout;
    layout.blendWeights = lastBetaIsIndices ? betas - 1 : betas;
    offset += layout.blendWeights * 4;
    if (lastBetaIsIndices) {
        layout.blendIndicesOffset = static_cast<int>(offset);
        layout.blendIndicesColour = (fvf & D3DFVF_LASTBETA_D3DCOLOR) != 0;
        offset += 4;
    }
    if (fvf & D3DFVF_NORMAL) {
        layout.normalOffset = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuseOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specularOffset = static_cast<int>(offset);
        offset += 4;
    }
    layout.texCoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (layout.texCoordSets > kTexCoordSets) return layout;
    for (UINT i = 0; i < layout.texCoordSets; ++i) {
        static constexpr UINT kDimensions[4] = {2, 3, 4, 1};
        layout.texOffset[i] = static_cast<int>(offset);
        layout.texDimensions[i] = kDimensions[(fvf >> (16 + 2 * i)) & 3];
        offset += layout.texDimensions[i] * 4;
    }
    layout.stride = offset;
    layout.valid = true;
    return layout;
}

void unpackColour(std::uint32_t argb, float out[4]) {
    out[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(argb & 0xFF) / 255.0f;
    out[3] = static_cast<float>(argb >> 24) / 255.0f;
}

void fetchFixedFunctionVertex(const std::uint8_t* vertex, const FvfLayout& layout,
                              ShadedVertex& out) {
    out.position[0] = readFloat(vertex);
    out.position[1] = readFloat(vertex + 4);
    out.position[2] = readFloat(vertex + 8);
    out.position[3] = layout.pretransformed ? readFloat(vertex + 12) : 1.0f;

    if (layout.diffuseOffset >= 0)
        unpackColour(readWord(vertex + layout.diffuseOffset), out.colour[0]);
    else
        out.colour[0][0] = out.colour[0][1] = out.colour[0][2] = out.colour[0][3] = 1.0f;
    if (layout.specularOffset >= 0) {
        unpackColour(readWord(vertex + layout.specularOffset), out.colour[1]);
    } else {
        out.colour[1][0] = out.colour[1][1] = out.colour[1][2] = 0.0f;
        out.colour[1][3] = 1.0f;
    }
    out.fog = out.colour[1][3];

    for (UINT set = 0; set < kTexCoordSets; ++set) {
        float* tex = out.tex[set];
        tex[0] = tex[1] = tex[2] = 0.0f;
        tex[3] = 1.0f;
        if (set >= layout.texCoordSets) continue;
        for (UINT c = 0; c < layout.texDimensions[set]; ++c)
            tex[c] = readFloat(vertex + layout.texOffset[set] + 4 * c);
    }
}

void fetchShaderInput(const std::uint8_t* vertex, const FvfLayout& layout, shader::DeclUsage usage,
                      unsigned usageIndex, float out[4]) {
    using shader::DeclUsage;
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    auto floats = [&](int offset, UINT count) {
        for (UINT c = 0; c < count; ++c) out[c] = readFloat(vertex + offset + 4 * c);
    };
    switch (usage) {
    case DeclUsage::Position:
        if (usageIndex == 0) floats(0, layout.pretransformed ? 4 : 3);
        break;
    case DeclUsage::BlendWeight:
        if (usageIndex == 0) floats(12, layout.blendWeights);
        break;
    case DeclUsage::BlendIndices:
        if (usageIndex != 0 || layout.blendIndicesOffset < 0) break;
        if (layout.blendIndicesColour) {
            unpackColour(readWord(vertex + layout.blendIndicesOffset), out);
        } else {
            for (int c = 0; c < 4; ++c)
                out[c] = static_cast<float>(vertex[layout.blendIndicesOffset + c]);
        }
        break;
    case DeclUsage::Normal:
        if (usageIndex == 0 && layout.normalOffset >= 0) floats(layout.normalOffset, 3);
        break;
    case DeclUsage::Color: {
        const int offset = usageIndex == 0   ? layout.diffuseOffset
                           : usageIndex == 1 ? layout.specularOffset
                                             : -1;
        if (offset >= 0) unpackColour(readWord(vertex + offset), out);
        break;
    }
    case DeclUsage::Texcoord:
        if (usageIndex < layout.texCoordSets)
            floats(layout.texOffset[usageIndex], layout.texDimensions[usageIndex]);
        break;
    default:
        break;
    }
}

}  // namespace platform::d3d9
