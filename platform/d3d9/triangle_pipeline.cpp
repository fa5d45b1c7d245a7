#include "platform/d3d9/triangle_pipeline.h"

#include <algorithm>

#include "platform/d3d9/clipper.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/texel_rows.h"
#include "platform/d3d9/texture.h"
#include "platform/d3d9/texture_stages.h"

namespace platform::d3d9 {
namespace {

bool supportedAddress(DWORD mode) {
    return mode == D3DTADDRESS_WRAP || mode == D3DTADDRESS_CLAMP || mode == D3DTADDRESS_BORDER;
}

bool supportedFilter(DWORD filter) { return filter == D3DTEXF_POINT || filter == D3DTEXF_LINEAR; }

HRESULT validateSampler(const StateStore& states, UINT i) {
    const auto& s = states.sampler[i];
    if (!supportedAddress(s[D3DSAMP_ADDRESSU]) || !supportedAddress(s[D3DSAMP_ADDRESSV]))
        return D3DERR_CONFLICTINGRENDERSTATE;
    if (!supportedFilter(s[D3DSAMP_MAGFILTER]) || !supportedFilter(s[D3DSAMP_MINFILTER]) ||
        (s[D3DSAMP_MIPFILTER] != D3DTEXF_NONE && !supportedFilter(s[D3DSAMP_MIPFILTER])))
        return D3DERR_UNSUPPORTEDTEXTUREFILTER;
    return D3D_OK;
}

HRESULT validateSamplers(const StateStore& states) {
    for (UINT i = 0; i < kStageCount; ++i) {
        if (!stageReadsTexture(states, i)) continue;
        if (const HRESULT hr = validateSampler(states, i); FAILED(hr)) return hr;
        if ((states.stage[i][D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u) != 0 ||
            states.stage[i][D3DTSS_TEXCOORDINDEX] >= static_cast<DWORD>(kTexCoordSets))
            return D3DERR_CONFLICTINGRENDERSTATE;
    }
    return D3D_OK;
}

}  // namespace

HRESULT validatePipelineStates(const StateStore& states, const shader::DecodedShader* pixelShader) {
    if (const HRESULT hr = validateOutputStates(states); FAILED(hr)) return hr;
    if (pixelShader) {
        for (const shader::SamplerDeclaration& declared : pixelShader->samplers) {
            if (declared.index >= kStageCount) continue;
            if (const HRESULT hr = validateSampler(states, declared.index); FAILED(hr)) return hr;
        }
        return D3D_OK;
    }
    if (const HRESULT hr = validateTextureStages(states); FAILED(hr)) return hr;
    return validateSamplers(states);
}

TrianglePipeline::TrianglePipeline(const StateStore& states, const DrawTargets& targets,
                                   const IDirect3DTexture9* const textures[kStageCount],
                                   bool pretransformed, const shader::DecodedShader* pixelShader,
                                   std::span<const shader::Float4> pixelConstants,
                                   TileQueues& queues)
    : targets_(targets),
      stages_(states),
      pretransformed_(pretransformed),
      output_(states),
      cull_(static_cast<D3DCULL>(states.render[D3DRS_CULLMODE])),
      targetOpaque_(targets.colour->desc().Format == D3DFMT_X8R8G8B8) {
    const D3DVIEWPORT9& vp = targets.viewport;
    clip_ = {static_cast<int>(vp.X), static_cast<int>(vp.Y), static_cast<int>(vp.X + vp.Width),
             static_cast<int>(vp.Y + vp.Height)};
    clip_.right = std::min(clip_.right, static_cast<int>(targets.colour->width()));
    clip_.bottom = std::min(clip_.bottom, static_cast<int>(targets.colour->height()));
    if (!targets.depth) {
        output_.depthTest = output_.depthWrite = false;
    } else if (output_.depthTest) {
        depthBits_ = depthBits(targets.depth->desc().Format);
        clip_.right = std::min(clip_.right, static_cast<int>(targets.depth->width()));
        clip_.bottom = std::min(clip_.bottom, static_cast<int>(targets.depth->height()));
    }

    int texSets = 0;
    if (pixelShader) {
        pixelShader_.emplace(*pixelShader);
        pixelShader_->setConstants(pixelConstants);
        for (const shader::SamplerDeclaration& declared : pixelShader->samplers)
            if (declared.index < kStageCount && textures[declared.index])
                samplers_[declared.index].emplace(*textures[declared.index],
                                                  states.sampler[declared.index]);
        for (const shader::InputDeclaration& input : pixelShader->inputs) {
            if (input.type == shader::RegisterType::Texture)
                texSets = std::max(texSets, input.index + 1);
            (input.type == shader::RegisterType::Texture ? shaderTexcoordInputs_
                                                         : shaderColourInputs_) |= 1u
                                                                                   << input.index;
        }
    } else {
        for (UINT i = 0; i < kStageCount; ++i) {
            texCoordSet_[i] = static_cast<int>(states.stage[i][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
            if (!stageReadsTexture(states, i) || !textures[i]) continue;
            samplers_[i].emplace(*textures[i], states.sampler[i]);
            texSets = std::max(texSets, texCoordSet_[i] + 1);
        }
        std::uint32_t white = 0;
        for (UINT i = 0; i < kStageCount; ++i)
            if (!samplers_[i]) white |= 1u << i;
        stages_ = TextureStages(states, white);
        fastPath_ = chooseFastPath(states);
    }
    attributeCount_ = attributeCount(texSets);
    // The copy and add shortcuts read nothing but stage 0's (u, v), and draw the rectangles
    // they can as rows of texels, in bands of whole rows. A pixel shader reads only the
    // inputs it declares, and the colours come first.
    const bool copies = fastPath_ == FastPath::copy || fastPath_ == FastPath::add;
    const auto isColour = [](const shader::InputDeclaration& input) {
        return input.type == shader::RegisterType::Input;
    };
    AttributeMask attributes = 0;
    if (copies) {
        attributes = attributeRange(kTexAttribute + 4 * texCoordSet_[0],
                                    kTexAttribute + 4 * texCoordSet_[0] + 2);
    } else if (pixelShader) {
        const bool colours =
            std::any_of(pixelShader->inputs.begin(), pixelShader->inputs.end(), isColour);
        attributes = attributeRange(colours ? 0 : (output_.fog ? kFogAttribute : kTexAttribute),
                                    attributeCount_);
    } else {
        // The stages read the diffuse colour, the specular one if an argument says so, and
        // (u, v) of their coordinate sets; writing the pixels reads fog.
        attributes = attributeRange(0, 4);
        if (stages_.readsSpecular()) attributes |= attributeRange(4, 8);
        if (output_.fog) attributes |= attributeRange(kFogAttribute, kFogAttribute + 1);
        for (UINT i = 0; i < kStageCount; ++i)
            if (samplers_[i])
                attributes |= attributeRange(kTexAttribute + 4 * texCoordSet_[i],
                                             kTexAttribute + 4 * texCoordSet_[i] + 2);
    }
    if (copies) copyLevel_.emplace(texelLevel(*textures[0], states.sampler[0]));
    raster_.emplace(queues, attributes, cull_, clip_, copies ? TileShape::band : TileShape::square);
}

TrianglePipeline::FastPath TrianglePipeline::chooseFastPath(const StateStore& states) const {
    if (activeStageCount(states) != 1 || !samplers_[0]) return FastPath::none;
    const auto& stage = states.stage[0];
    const bool modulate =
        stage[D3DTSS_COLOROP] == D3DTOP_MODULATE && stage[D3DTSS_ALPHAOP] == D3DTOP_MODULATE;
    const bool select =
        stage[D3DTSS_COLOROP] == D3DTOP_SELECTARG1 && stage[D3DTSS_ALPHAOP] == D3DTOP_SELECTARG1 &&
        stage[D3DTSS_COLORARG1] == D3DTA_TEXTURE && stage[D3DTSS_ALPHAARG1] == D3DTA_TEXTURE;
    if (modulate) {
        // At stage 0 the current colour is the diffuse one.
        const auto diffuse = [](DWORD arg) { return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT; };
        const auto pairs = [&diffuse](DWORD a, DWORD b) {
            return (a == D3DTA_TEXTURE && diffuse(b)) || (diffuse(a) && b == D3DTA_TEXTURE);
        };
        const bool sprite = pairs(stage[D3DTSS_COLORARG1], stage[D3DTSS_COLORARG2]) &&
                            pairs(stage[D3DTSS_ALPHAARG1], stage[D3DTSS_ALPHAARG2]);
        return sprite ? FastPath::modulate : FastPath::none;
    }
    if (!select || !samplers_[0]->readsSingleTexels() || output_.fog || output_.alphaTest ||
        output_.depthTest || output_.writeMask != 0xF)
        return FastPath::none;
    if (!output_.blend) return FastPath::copy;
    const bool addsOne =
        output_.srcBlend == D3DBLEND_ONE && output_.destBlend == D3DBLEND_ONE &&
        output_.blendOp == D3DBLENDOP_ADD && output_.srcBlendAlpha == D3DBLEND_ONE &&
        output_.destBlendAlpha == D3DBLEND_ONE && output_.blendOpAlpha == D3DBLENDOP_ADD;
    return addsOne ? FastPath::add : FastPath::none;
}

RasterVertex TrianglePipeline::toRaster(const ShadedVertex& v, bool project) const {
    RasterVertex r;
    if (project) {
        const D3DVIEWPORT9& vp = targets_.viewport;
        const float rhw = 1.0f / v.position[3];
        r.x = static_cast<float>(vp.X) +
              (1.0f + v.position[0] * rhw) * static_cast<float>(vp.Width) * 0.5f;
        r.y = static_cast<float>(vp.Y) +
              (1.0f - v.position[1] * rhw) * static_cast<float>(vp.Height) * 0.5f;
        r.z = vp.MinZ + v.position[2] * rhw * (vp.MaxZ - vp.MinZ);
        r.rhw = rhw;
    } else {
        r.x = v.position[0];
        r.y = v.position[1];
        r.z = v.position[2];
        r.rhw = v.position[3];
    }
    for (int c = 0; c < 4; ++c) {
        r.attr[c] = v.colour[0][c];
        r.attr[4 + c] = v.colour[1][c];
    }
    r.attr[kFogAttribute] = v.fog;
    for (int k = kTexAttribute; k < attributeCount_; ++k)
        r.attr[k] = v.tex[(k - kTexAttribute) / 4][(k - kTexAttribute) % 4];
    return r;
}

void TrianglePipeline::queueTriangle(const RasterVertex& a, const RasterVertex& b,
                                     const RasterVertex& c) {
    if (!copyLevel_) {
        raster_->add(a, b, c);
        return;
    }
    const std::array<RasterVertex, 3> triangle{a, b, c};
    if (pendingTriangle_) {
        TexelMapping mapping;
        if (mapRectangle(*pendingTriangle_, triangle, kTexAttribute + 4 * texCoordSet_[0], cull_,
                         clip_, copyLevel_->u, copyLevel_->v, mapping)) {
            pendingTriangle_.reset();
            if (mapping.columns.empty()) return;
            raster_->addRectangle(mapping.pixels, static_cast<std::uint32_t>(rectangles_.size()));
            rectangles_.push_back(std::move(mapping));
            return;
        }
        const std::array<RasterVertex, 3>& pending = *pendingTriangle_;
        raster_->add(pending[0], pending[1], pending[2]);
    }
    pendingTriangle_ = triangle;
}

void TrianglePipeline::reserve(std::size_t triangles) { raster_->reserve(triangles); }

void TrianglePipeline::drawTriangle(const ShadedVertex& a, const ShadedVertex& b,
                                    const ShadedVertex& c) {
    if (pretransformed_) {
        queueTriangle(toRaster(a, false), toRaster(b, false), toRaster(c, false));
        return;
    }
    ShadedVertex polygon[kMaxClippedVertices];
    const int count = clipTriangle(a, b, c, polygon);
    if (count < 3) return;
    RasterVertex projected[kMaxClippedVertices];
    for (int i = 0; i < count; ++i) projected[i] = toRaster(polygon[i], true);
    for (int i = 1; i + 1 < count; ++i) queueTriangle(projected[0], projected[i], projected[i + 1]);
}

void TrianglePipeline::draw(TileWorkers& workers) {
    if (pendingTriangle_) {
        const std::array<RasterVertex, 3>& pending = *pendingTriangle_;
        raster_->add(pending[0], pending[1], pending[2]);
        pendingTriangle_.reset();
    }
    raster_->draw(*this, *this, workers);
}

void TrianglePipeline::shadeRectangle(std::uint32_t tag, const PixelRect& pixels) {
    const TexelMapping& mapping = rectangles_[tag];
    const TexelLevel& level = *copyLevel_;
    const TexelWrite write = fastPath_ == FastPath::add ? TexelWrite::add : TexelWrite::copy;
    const std::uint32_t targetAlpha = targetOpaque_ ? 0xFF000000u : 0u;
    const std::size_t width = targets_.colour->width();
    std::uint32_t* target = targets_.colour->texels();
    for (int y = pixels.top; y < pixels.bottom; ++y) {
        const int row = mapping.rows[static_cast<std::size_t>(y - mapping.pixels.top)];
        const std::uint32_t* texelRow =
            row < 0 ? nullptr
                    : level.texels +
                          static_cast<std::size_t>(row) * static_cast<std::size_t>(level.u.size);
        writeTexelRow(target + static_cast<std::size_t>(y) * width, texelRow, mapping, pixels.left,
                      pixels.right, level, write, targetAlpha);
    }
}

void TrianglePipeline::copyQuad(const Quad& quad, bool add) {
    const int base = kTexAttribute + 4 * texCoordSet_[0];
    const std::size_t width = targets_.colour->width();
    std::uint32_t* texels = targets_.colour->texels();
    for (int p = 0; p < 4; ++p) {
        if (!(quad.mask & (1u << p))) continue;
        const std::uint32_t source =
            samplers_[0]->texelBits(quad.attr[base][p], quad.attr[base + 1][p]);
        std::uint32_t& target = texels[static_cast<std::size_t>(quad.y + (p >> 1)) * width +
                                       static_cast<std::size_t>(quad.x + (p & 1))];
        std::uint32_t result = source;
        if (add) {
            // Channel sums saturate at 255, as the blend's clamp to 1 does.
            result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const std::uint32_t sum = ((source >> shift) & 0xFF) + ((target >> shift) & 0xFF);
                result |= std::min<std::uint32_t>(sum, 0xFF) << shift;
            }
        }
        target = targetOpaque_ ? result | 0xFF000000u : result;
    }
}

void TrianglePipeline::shadeQuad(const Quad& quad) {
    if (fastPath_ == FastPath::copy || fastPath_ == FastPath::add) {
        copyQuad(quad, fastPath_ == FastPath::add);
        return;
    }
    StageCoordinates lanes;
    loadStageCoordinates(quad, 0, lanes);
    shadeQuadsWithStages(&quad, 1, lanes);
}

void TrianglePipeline::outputQuad(const Quad& quad, const LaneColours& colour) {
    QuadFragment fragment;
    std::copy_n(&colour.c[0][0], 16, &fragment.colour[0][0]);
    std::copy_n(quad.z, 4, fragment.z);
    std::copy_n(quad.attr[kFogAttribute], 4, fragment.fog);
    fragment.mask = quad.mask;
    writeQuad(output_, quadTarget(quad), fragment);
}

QuadTarget TrianglePipeline::quadTarget(const Quad& quad) const {
    const auto x = static_cast<std::size_t>(quad.x), y = static_cast<std::size_t>(quad.y);
    IDirect3DSurface9* depth = targets_.depth;
    return {targets_.colour->texels() + y * targets_.colour->width() + x,
            targets_.colour->width(),
            targetOpaque_,
            depth ? depth->texels() + y * depth->width() + x : nullptr,
            depth ? depth->width() : 0,
            depthBits_};
}

}  // namespace platform::d3d9
