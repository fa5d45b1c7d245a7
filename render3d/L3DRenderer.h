#pragma once
// The renderer of one engine run: the compiled shader set, the camera, light and fog, the
// resource names, the random state the effects draw from and the stores of the drawing code.
// The system builds a fresh one for every engine run (construct, then Create) and drops it when
// the next run starts; the destructor releases what Create and the frames made.
#include <array>
#include <cstdint>

#include "foundation/DBuffer.h"
#include "foundation/DFile.h"
#include "foundation/rcptr.h"
#include "render3d/L3DRandom.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/L3DShaderOption.h"
#include "render3d/L3DShaders.h"
#include "render3d/L3DTexture.h"
#include "render3d/LMat.h"
#include "render3d/LResManager.h"
#include "render3d/pass_constants.h"
#include "render3d/shader_table.h"

class L3DDevice;
struct L3D_ANIMINST_MAT;
struct L3DShaderPassRecord;

namespace mirel {
class DsndManager;
class LSeManager;
}  // namespace mirel

// Bits of L3DRenderer::cacheFlags: which derived camera values are up to date.
enum L3DRendererCacheFlags : uint32_t {
    L3DCacheInverseViewProjection = 0x1,
    L3DCacheInverseProjection = 0x2,
    L3DCacheEdgeAspect = 0x4,
};

class L3DRenderer {
public:
    static constexpr int32_t FrameRate = 60;
    static constexpr int32_t VertexShaderCount = kL3DShaderKinds * kL3DShaderVariants;

    // Seconds of the calendar clock; Create seeds the random state with it. Tests replace it to
    // fix the seed.
    using TimeSource = uint32_t (*)();
    static TimeSource timeSource;

    // Every handle null, the random state seeded with 4357, every store empty.
    L3DRenderer();
    ~L3DRenderer();
    L3DRenderer(const L3DRenderer&) = delete;
    L3DRenderer& operator=(const L3DRenderer&) = delete;

    // Takes the device and the sound manager (both may be non-owning handles), loads the
    // shader set from the open archive file, registers the name "system" and, with a sound
    // device, makes the sound-effect manager. A missing archive or member is fatal.
    void Create(const mirel::rcptr<L3DDevice>& device,
                const mirel::rcptr<mirel::DsndManager>& soundManager, mirel::DFile& archive);
    // Frees what Create and the frames made; afterwards the renderer is fit only for
    // destruction.
    void Release();

    // The texture "<pack>/<name>" of the device, loaded from the pack on first use.
    mirel::rcptr<L3DTexture> GetTexture(uint32_t pack, const char* name, bool mip);
    // Points the material at the renderer's default option and drops its textures.
    void BindDefaultMaterial(L3D_ANIMINST_MAT& material);
    // Binds the kind's vertex shader for the number of blend weights, with software vertex
    // processing when the device lacks the constant registers it needs.
    void _SelectVShader(int32_t kind, int32_t variant);

    // Prepares the device for pass `pass` of a draw record with the pass its option's shader
    // type gets on this device; false (and nothing changed) past the last pass. A shader type
    // without a pass is fatal.
    bool _SetShaderPass(uint32_t pass, const L3DShaderPassRecord& record, uint32_t drawFlags);
    // The NORMAL pass with the given colours, and the TEXLIGHT pass with the given factor.
    bool _DrawNormalPass(uint32_t pass, const L3DShaderPassRecord& record, uint32_t drawFlags,
                         const L3DVec4& colour1, const L3DVec4& colour2);
    bool _DrawTexLightPass(uint32_t pass, const L3DShaderPassRecord& record, uint32_t drawFlags,
                           float factor);

    const mirel::rcptr<L3DVShader>& vertexShader(int32_t kind, int32_t variant) const {
        return vertexShaders[kind * kL3DShaderVariants + variant];
    }

    mirel::rcptr<L3DDevice> device;
    int32_t frameRate = 0;
    mirel::rcptr<mirel::DsndManager> soundManager;
    mirel::rcptr<mirel::LSeManager> seManager;  // null without a sound device
    L3DRandom random;
    std::array<mirel::rcptr<L3DVShader>, VertexShaderCount> vertexShaders;
    std::array<int32_t, kL3DShaderKinds> vsBaseConstants{};
    std::array<int32_t, kL3DShaderKinds> vsConstantsPerWeight{};
    std::array<mirel::rcptr<L3DPShader>, kL3DShaderKinds> pixelShaders;
    uint32_t cacheFlags = 0;
    LMat spareMatrix{};
    LMat view{};
    LMat projection{};
    LMat viewProjection{};
    LMat viewProjectionT{};  // transposed, as uploaded to shader constants
    LMat inverseViewProjection{};
    LMat inverseProjection{};
    float edgeAspect = 0.0f;
    float edgeAspectInverse = 0.0f;
    mirel::DBuffer<LMat, 32> boneMatrices;  // transposed matrices of the part being drawn
    float lightDir[3] = {};
    uint8_t fogEnable = 0;
    uint32_t fogColor = 0;  // 0x00RRGGBB
    float fogParams[2] = {};
    L3D_RENDERER_SHADEROPT_NORMAL defaultOption;
    mirel::DBuffer<LMat, 32> skinMatrices;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 256> skinPositions;
    LResManager names;
    L3D_RENDERER_NNID* systemNnid = nullptr;

private:
    static float texlightFactor(const L3D_RENDERER_SHADEROPT& option);
    bool drawPass(L3DShaderKind kind, uint32_t pass, const L3DShaderPassRecord& record,
                  uint32_t drawFlags, L3DVec4 colour1, L3DVec4 colour2, float texlightFactor);
    void uploadPassConstants(L3DShaderKind kind, const L3DShaderPassRecord& record,
                             const L3D_RENDERER_SHADEROPT& option, const L3DVec4& colour1,
                             const L3DVec4& colour2, float texlightFactor);
};
