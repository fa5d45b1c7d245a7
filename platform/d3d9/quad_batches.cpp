// Shading of rasterised quads in batches of up to four quads of one triangle: the
// fixed-function texture stages (sampling each stage's lanes of the batch in one call) and the
// pixel shader.
#include <algorithm>
#include <bit>

#include "platform/d3d9/triangle_pipeline.h"

namespace platform::d3d9 {

void TrianglePipeline::loadStageCoordinates(const Quad& quad, std::uint32_t firstLane,
                                            StageCoordinates& lanes) const {
    for (UINT s = 0; s < stages_.count(); ++s) {
        if (!samplers_[s]) continue;
        const int base = kTexAttribute + 4 * texCoordSet_[s];
        std::copy_n(quad.attr[base], 4, lanes.u[s] + firstLane);
        std::copy_n(quad.attr[base + 1], 4, lanes.v[s] + firstLane);
    }
}

void TrianglePipeline::shadeQuadsWithStages(const Quad* quads, int count, StageCoordinates& lanes) {
    // The texels of every stage's lanes, sampled for all the quads in one call.
    float texels[kStageCount][4][kBatchLanes];
    for (UINT s = 0; s < stages_.count(); ++s)
        if (samplers_[s])
            samplers_[s]->sampleQuads(
                lanes.u[s], lanes.v[s], static_cast<std::size_t>(count),
                LaneRows{{texels[s][0], texels[s][1], texels[s][2], texels[s][3]}});
    for (int q = 0; q < count; ++q) {
        const Quad& quad = quads[q];
        QuadStageInputs in;
        for (UINT s = 0; s < stages_.count(); ++s) {
            for (int k = 0; k < 4; ++k) {
                if (samplers_[s])
                    std::copy_n(texels[s][k] + 4 * q, 4, in.texture[s].c[k]);
                else
                    std::fill_n(in.texture[s].c[k], 4, 1.0f);
            }
        }
        for (int k = 0; k < 4; ++k) {
            std::copy_n(quad.attr[k], 4, in.diffuse.c[k]);
            std::copy_n(quad.attr[4 + k], 4, in.specular.c[k]);
        }
        LaneColours colour;
        if (fastPath_ == FastPath::modulate) {
            for (int k = 0; k < 4; ++k)
                for (int p = 0; p < 4; ++p)
                    colour.c[k][p] = in.texture[0].c[k][p] * in.diffuse.c[k][p];
        } else {
            stages_.runQuad(in, colour);
        }
        outputQuad(quad, colour);
    }
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

// Collects the quads of one triangle, up to a batch of lanes, and has the pipeline shade them
// together: `load` puts a quad's inputs into its lanes, `shade` shades the batch. The quads of
// one triangle never share a pixel, so shading them together changes nothing in the order each
// pixel sees. Each quad keeps what writing its pixels reads: place, coverage, depths, the fog
// attribute and, with `keepsColours`, the diffuse and specular colours.
template <typename Lanes, void (TrianglePipeline::*load)(const Quad&, std::uint32_t, Lanes&) const,
          void (TrianglePipeline::*shade)(const Quad*, int, Lanes&), bool keepsColours>
class QuadBatch final : public QuadSink {
public:
    QuadBatch(TrianglePipeline& pipeline, Lanes& lanes) : pipeline_(pipeline), lanes_(lanes) {}
    void shadeQuad(const Quad& quad) override {
        (pipeline_.*load)(quad, static_cast<std::uint32_t>(4 * count_), lanes_);
        Quad& kept = quads_[count_++];
        kept.x = quad.x;
        kept.y = quad.y;
        kept.mask = quad.mask;
        std::copy_n(quad.z, 4, kept.z);
        if constexpr (keepsColours)
            std::copy_n(&quad.attr[0][0], 4 * kColourAttributes, &kept.attr[0][0]);
        else
            std::copy_n(quad.attr[kFogAttribute], 4, kept.attr[kFogAttribute]);
        if (count_ == kQuads) endTriangle();
    }
    void endTriangle() override {
        if (count_ > 0) (pipeline_.*shade)(quads_, count_, lanes_);
        count_ = 0;
    }

private:
    static constexpr int kQuads = static_cast<int>(TrianglePipeline::kBatchLanes / 4);
    TrianglePipeline& pipeline_;
    Lanes& lanes_;
    Quad quads_[kQuads];
    int count_ = 0;
};

using PixelShaderBatch = QuadBatch<shader::PixelLanes, &TrianglePipeline::loadShaderInputs,
                                   &TrianglePipeline::shadeQuadsWithPixelShader, false>;
using StageBatch =
    QuadBatch<TrianglePipeline::StageCoordinates, &TrianglePipeline::loadStageCoordinates,
              &TrianglePipeline::shadeQuadsWithStages, true>;

}  // namespace

void TrianglePipeline::drawTile(const std::function<void(QuadSink&)>& rasterize) {
    if (pixelShader_) {
        // Each thread keeps its lanes from tile to tile and draw to draw, zeroed once; lanes a
        // batch leaves unused hold what earlier batches loaded, whose results nobody reads.
        thread_local shader::PixelLanes lanes{};
        PixelShaderBatch batch(*this, lanes);
        rasterize(batch);
        batch.endTriangle();
        return;
    }
    if (fastPath_ == FastPath::copy || fastPath_ == FastPath::add) {
        rasterize(*this);
        return;
    }
    // Only the lanes of the batch's quads are sampled, so these need no clearing.
    StageCoordinates lanes;
    StageBatch batch(*this, lanes);
    rasterize(batch);
    batch.endTriangle();
}

namespace {

// Copies attribute block `first` (four components) of the quad's four pixels into lanes
// lane..lane+3 of `into`: one row of four floats per component.
void copyAttribute(const Quad& quad, int first, std::uint32_t lane,
                   float (&into)[4][shader::kLanes]) {
    for (int c = 0; c < 4; ++c) std::copy_n(quad.attr[first + c], 4, into[c] + lane);
}

}  // namespace

// Only the inputs the shader declares are loaded, visiting just their bits.
void TrianglePipeline::loadShaderInputs(const Quad& quad, std::uint32_t firstLane,
                                        shader::PixelLanes& lanes) const {
    for (std::uint32_t bits = shaderColourInputs_ & ((1u << shader::kPixelColourInputs) - 1);
         bits != 0; bits &= bits - 1) {
        const int v = std::countr_zero(bits);
        copyAttribute(quad, 4 * v, firstLane, lanes.colours[v].c);
    }
    for (std::uint32_t bits = shaderTexcoordInputs_ & ((1u << shader::kPixelTexcoordInputs) - 1);
         bits != 0; bits &= bits - 1) {
        const int t = std::countr_zero(bits);
        copyAttribute(quad, kTexAttribute + 4 * t, firstLane, lanes.texcoords[t].c);
    }
}

void TrianglePipeline::shadeQuadsWithPixelShader(const Quad* quads, int count,
                                                 shader::PixelLanes& lanes) {
    QuadSamplers samplers(samplers_);
    pixelShader_->run(lanes, static_cast<std::uint32_t>(4 * count), samplers);
    if (output_.storesOnly) {
        // Straight from the shader's colour lanes into the target.
        for (int q = 0; q < count; ++q) {
            const float* const rows[4] = {lanes.colour.c[0] + 4 * q, lanes.colour.c[1] + 4 * q,
                                          lanes.colour.c[2] + 4 * q, lanes.colour.c[3] + 4 * q};
            storeQuadColours(quadTarget(quads[q]), quads[q].mask, rows);
        }
        return;
    }
    for (int q = 0; q < count; ++q) {
        LaneColours colour;
        for (int k = 0; k < 4; ++k) std::copy_n(lanes.colour.c[k] + 4 * q, 4, colour.c[k]);
        outputQuad(quads[q], colour);
    }
}

}  // namespace platform::d3d9
