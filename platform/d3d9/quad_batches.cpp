// Shading of rasterised quads: the fixed-function texture stages four pixels at a time, and
// the pixel shader over batches of up to four quads of one triangle.
#include <algorithm>
#include <memory>

#include "platform/d3d9/triangle_pipeline.h"

namespace platform::d3d9 {

void TrianglePipeline::shadeQuadWithStages(const Quad& quad) {
    QuadStageInputs in;
    for (UINT s = 0; s < stages_.count(); ++s) {
        if (!samplers_[s]) {
            for (float(&row)[4] : in.texture[s].c) std::fill_n(row, 4, 1.0f);
            continue;
        }
        const int base = kTexAttribute + 4 * texCoordSet_[s];
        float u[4], v[4];
        for (int p = 0; p < 4; ++p) {
            u[p] = quad.attr[p][base];
            v[p] = quad.attr[p][base + 1];
        }
        samplers_[s]->sampleQuads(u, v, 1, rowsOf(in.texture[s]));
    }
    for (int p = 0; p < 4; ++p) {
        for (int k = 0; k < 4; ++k) {
            in.diffuse.c[k][p] = quad.attr[p][k];
            in.specular.c[k][p] = quad.attr[p][4 + k];
        }
    }
    LaneColours colour;
    if (fastPath_ == FastPath::modulate) {
        for (int k = 0; k < 4; ++k)
            for (int p = 0; p < 4; ++p) colour.c[k][p] = in.texture[0].c[k][p] * in.diffuse.c[k][p];
    } else {
        stages_.runQuad(in, colour);
    }
    outputQuad(quad, colour);
}

namespace {

// texld over the draw's samplers: lanes come in whole quads, four lanes each, and each quad
// picks its level of detail from its own four coordinates. A partial last quad is sampled
// whole; the lanes past laneCount are the executor's to clear.
class QuadSamplers final : public shader::ShaderSampler {
public:
    explicit QuadSamplers(const std::optional<TextureSampler> (&samplers)[kStageCount])
        : samplers_(samplers) {}

    void sample(std::uint32_t sampler, const shader::LaneVector& coordinates,
                std::uint32_t laneCount, shader::LaneVector& texels) override {
        const LaneRows rows{{texels.c[0], texels.c[1], texels.c[2], texels.c[3]}};
        if (sampler < kStageCount && samplers_[sampler]) {
            samplers_[sampler]->sampleQuads(coordinates.c[0], coordinates.c[1], (laneCount + 3) / 4,
                                            rows);
            return;
        }
        for (int c = 0; c < 4; ++c) std::fill_n(rows.channel[c], laneCount, c == 3 ? 1.0f : 0.0f);
    }

private:
    const std::optional<TextureSampler> (&samplers_)[kStageCount];
};

// Collects the quads of one triangle for the pixel shader, four at a time (a full batch of
// lanes). The quads of one triangle never share a pixel, so shading them together changes
// nothing in the order each pixel sees.
class PixelShaderBatch final : public QuadSink {
public:
    explicit PixelShaderBatch(TrianglePipeline& pipeline) : pipeline_(pipeline) {}
    // Loads the quad's shader inputs into its lanes and keeps what writing its pixels reads:
    // place, coverage, depths, and the colour and fog attributes (the texture coordinates
    // only reach the shader).
    void shadeQuad(const Quad& quad) override {
        pipeline_.loadShaderInputs(quad, static_cast<std::uint32_t>(4 * count_), lanes_);
        Quad& kept = quads_[count_++];
        kept.x = quad.x;
        kept.y = quad.y;
        kept.mask = quad.mask;
        std::copy_n(quad.z, 4, kept.z);
        for (int p = 0; p < 4; ++p) std::copy_n(quad.attr[p], kColourAttributes, kept.attr[p]);
        if (count_ == kQuads) endTriangle();
    }
    void endTriangle() override {
        if (count_ > 0) pipeline_.shadeQuadsWithPixelShader(quads_, count_, lanes_);
        count_ = 0;
    }

private:
    static constexpr int kQuads = static_cast<int>(shader::kLanes / 4);
    TrianglePipeline& pipeline_;
    Quad quads_[kQuads];
    int count_ = 0;
    shader::PixelLanes lanes_{};  // reused by every batch of the tile
};

}  // namespace

void TrianglePipeline::drawTile(const std::function<void(QuadSink&)>& rasterize) {
    if (!pixelShader_) {
        rasterize(*this);
        return;
    }
    auto batch = std::make_unique<PixelShaderBatch>(*this);
    rasterize(*batch);
    batch->endTriangle();
}

void TrianglePipeline::loadShaderInputs(const Quad& quad, std::uint32_t firstLane,
                                        shader::PixelLanes& lanes) const {
    for (int p = 0; p < 4; ++p) {
        const std::uint32_t lane = firstLane + static_cast<std::uint32_t>(p);
        const float* attr = quad.attr[p];
        for (std::uint32_t v = 0; v < shader::kPixelColourInputs; ++v)
            if (shaderColourInputs_ & (1u << v))
                for (int c = 0; c < 4; ++c) lanes.colours[v].c[c][lane] = attr[4 * v + c];
        for (std::uint32_t t = 0; t < shader::kPixelTexcoordInputs; ++t)
            if (shaderTexcoordInputs_ & (1u << t))
                for (int c = 0; c < 4; ++c)
                    lanes.texcoords[t].c[c][lane] = attr[kTexAttribute + 4 * t + c];
    }
}

void TrianglePipeline::shadeQuadsWithPixelShader(const Quad* quads, int count,
                                                 shader::PixelLanes& lanes) {
    QuadSamplers samplers(samplers_);
    pixelShader_->run(lanes, static_cast<std::uint32_t>(4 * count), samplers);
    for (int q = 0; q < count; ++q) {
        LaneColours colour;
        for (int k = 0; k < 4; ++k) std::copy_n(lanes.colour.c[k] + 4 * q, 4, colour.c[k]);
        outputQuad(quads[q], colour);
    }
}

}  // namespace platform::d3d9
