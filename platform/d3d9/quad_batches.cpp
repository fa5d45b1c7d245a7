// Shading of rasterised quads: the fixed-function texture stages four pixels at a time, and
// the pixel shader over batches of up to four quads of one triangle.
#include <algorithm>
#include <bit>

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
    PixelShaderBatch(TrianglePipeline& pipeline, shader::PixelLanes& lanes)
        : pipeline_(pipeline), lanes_(lanes) {}
    // Loads the quad's shader inputs into its lanes and keeps what writing its pixels reads:
    // place, coverage, depths and the fog attribute (colours and texture coordinates only
    // reach the shader).
    void shadeQuad(const Quad& quad) override {
        pipeline_.loadShaderInputs(quad, static_cast<std::uint32_t>(4 * count_), lanes_);
        Quad& kept = quads_[count_++];
        kept.x = quad.x;
        kept.y = quad.y;
        kept.mask = quad.mask;
        std::copy_n(quad.z, 4, kept.z);
        for (int p = 0; p < 4; ++p) kept.attr[p][kFogAttribute] = quad.attr[p][kFogAttribute];
        if (count_ == kQuads) endTriangle();
    }
    void endTriangle() override {
        if (count_ > 0) pipeline_.shadeQuadsWithPixelShader(quads_, count_, lanes_);
        count_ = 0;
    }

private:
    static constexpr int kQuads = static_cast<int>(shader::kLanes / 4);
    TrianglePipeline& pipeline_;
    shader::PixelLanes& lanes_;
    Quad quads_[kQuads];
    int count_ = 0;
};

}  // namespace

void TrianglePipeline::drawTile(const std::function<void(QuadSink&)>& rasterize) {
    if (!pixelShader_) {
        rasterize(*this);
        return;
    }
    // Each thread keeps its lanes from tile to tile and draw to draw, zeroed once; lanes a
    // batch leaves unused hold what earlier batches loaded, whose results nobody reads.
    thread_local shader::PixelLanes lanes{};
    PixelShaderBatch batch(*this, lanes);
    rasterize(batch);
    batch.endTriangle();
}

namespace {

// Copies attribute block `first` (four components) of the quad's four pixels into lanes
// lane..lane+3 of `into`: one row of four floats per component.
void transposeAttribute(const Quad& quad, int first, std::uint32_t lane,
                        float (&into)[4][shader::kLanes]) {
    for (int c = 0; c < 4; ++c) {
        float* row = into[c] + lane;
        row[0] = quad.attr[0][first + c];
        row[1] = quad.attr[1][first + c];
        row[2] = quad.attr[2][first + c];
        row[3] = quad.attr[3][first + c];
    }
}

}  // namespace

// Only the inputs the shader declares are loaded, visiting just their bits.
void TrianglePipeline::loadShaderInputs(const Quad& quad, std::uint32_t firstLane,
                                        shader::PixelLanes& lanes) const {
    for (std::uint32_t bits = shaderColourInputs_ & ((1u << shader::kPixelColourInputs) - 1);
         bits != 0; bits &= bits - 1) {
        const int v = std::countr_zero(bits);
        transposeAttribute(quad, 4 * v, firstLane, lanes.colours[v].c);
    }
    for (std::uint32_t bits = shaderTexcoordInputs_ & ((1u << shader::kPixelTexcoordInputs) - 1);
         bits != 0; bits &= bits - 1) {
        const int t = std::countr_zero(bits);
        transposeAttribute(quad, kTexAttribute + 4 * t, firstLane, lanes.texcoords[t].c);
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
