#pragma once
// Draws processed triangles into the bound targets: clipping (or the pretransformed path),
// viewport transform, culling, rasterisation, the fixed-function texture stages, fog, alpha
// test, depth and blending. One object serves one draw call with fixed states.
#include "platform/d3d9/d3d9_structs.h"
#include "platform/d3d9/pixel_output.h"
#include "platform/d3d9/rasterizer.h"
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/shaded_vertex.h"
#include "platform/d3d9/shader/pixel_shader_interpreter.h"
#include "platform/d3d9/texel_mapping.h"
#include "platform/d3d9/texture_stages.h"
#include "platform/d3d9/tiled_raster.h"

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace platform::d3d9 {

class IDirect3DSurface9;
class IDirect3DTexture9;

struct DrawTargets {
    IDirect3DSurface9* colour;
    IDirect3DSurface9* depth;  // may be null
    D3DVIEWPORT9 viewport;
};

// Checks every state the pipeline interprets (with a pixel shader, the output states and the
// samplers it declares); D3D_OK or the code a draw fails with.
HRESULT validatePipelineStates(const StateStore& states, const shader::DecodedShader* pixelShader);

class TrianglePipeline final : public QuadSink, public RectangleSink {
public:
    // `textures[i]` is the texture bound to stage i or null.
    // With `pixelShader` (which must outlive the pipeline) pixels are coloured by it instead
    // of the texture stages.
    // The triangles queue in `queues`, which must outlive the pipeline.
    TrianglePipeline(const StateStore& states, const DrawTargets& targets,
                     const IDirect3DTexture9* const textures[kStageCount], bool pretransformed,
                     const shader::DecodedShader* pixelShader,
                     std::span<const shader::Float4> pixelConstants, TileQueues& queues);

    // Queues a triangle; draw() rasterises and shades the queue on the tile workers.
    void drawTriangle(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c);
    void draw(TileWorkers& workers);
    // Room for this many queued triangles.
    void reserve(std::size_t triangles);
    // Called from several threads at once, for quads of different tiles: reads the pipeline's
    // state and writes only the quad's pixels.
    void shadeQuad(const Quad& quad) override;
    // The copy and add shortcuts draw the rectangles they map as rows of texels.
    void shadeRectangle(std::uint32_t tag, const PixelRect& pixels) override;
    void drawTile(const std::function<void(QuadSink&)>& rasterize) override;
    // Runs the pixel shader over up to four quads of one triangle, whose inputs
    // loadShaderInputs put in `lanes` (lanes past the quads may hold anything finite), and
    // writes their pixels.
    void shadeQuadsWithPixelShader(const Quad* quads, int count, shader::PixelLanes& lanes);
    // Loads the shader's declared inputs of `quad` into lanes firstLane..firstLane+3.
    void loadShaderInputs(const Quad& quad, std::uint32_t firstLane,
                          shader::PixelLanes& lanes) const;
    // Lanes in a batch of quads (four lanes a quad).
    static constexpr std::uint32_t kBatchLanes = shader::kLanes;
    // The texture coordinates the stages' samplers read, lane by lane.
    struct StageCoordinates {
        float u[kStageCount][kBatchLanes];
        float v[kStageCount][kBatchLanes];
    };
    // Loads the (u, v) of `quad` for each stage with a sampler into lanes
    // firstLane..firstLane+3.
    void loadStageCoordinates(const Quad& quad, std::uint32_t firstLane,
                              StageCoordinates& lanes) const;
    // The texture stages over up to four quads of one triangle, whose coordinates
    // loadStageCoordinates put in `lanes`, and their pixels written.
    void shadeQuadsWithStages(const Quad* quads, int count, StageCoordinates& lanes);

private:
    // Shortcuts for the most frequent draws, each giving exactly what the general path gives:
    // a single-texel texture copy (stage 0 selects the texture, no blending, tests or fog), the
    // same added onto the target (blending ONE + ONE), and a sprite (stage 0 modulates texture
    // and diffuse, or current, which is diffuse there; any output states).
    enum class FastPath { none, copy, add, modulate };
    FastPath chooseFastPath(const StateStore& states) const;
    void copyQuad(const Quad& quad, bool add);

    RasterVertex toRaster(const ShadedVertex& v, bool project) const;
    // Fog, alpha test, depth test and write, blending of the covered pixels of a quad, whose
    // colours `colour` holds as rows of red, green, blue and alpha.
    void outputQuad(const Quad& quad, const LaneColours& colour);
    // Where the quad's pixels lie in the targets.
    QuadTarget quadTarget(const Quad& quad) const;
    // Queues a triangle for rasterisation; the copy and add shortcuts first try to pair it
    // with the one before into a mapped rectangle.
    void queueTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);

    DrawTargets targets_;
    TextureStages stages_;
    bool pretransformed_;
    OutputState output_;
    D3DCULL cull_;
    PixelRect clip_;
    int attributeCount_;
    UINT depthBits_ = 0;
    std::optional<TextureSampler> samplers_[kStageCount];
    int texCoordSet_[kStageCount] = {};
    bool targetOpaque_;
    FastPath fastPath_ = FastPath::none;
    std::optional<shader::PixelShaderInterpreter> pixelShader_;
    std::uint32_t shaderColourInputs_ = 0;    // bit i: the pixel shader declares v_i
    std::uint32_t shaderTexcoordInputs_ = 0;  // bit i: the pixel shader declares t_i
    std::optional<TiledRaster> raster_;
    std::optional<TexelLevel> copyLevel_;  // what the copy and add shortcuts read
    std::optional<std::array<RasterVertex, 3>> pendingTriangle_;
    std::vector<TexelMapping> rectangles_;  // indexed by rectangle tag
};

}  // namespace platform::d3d9
