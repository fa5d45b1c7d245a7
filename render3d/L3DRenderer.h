#pragma once
// The renderer of one engine run: the compiled shader set, the camera, light and fog, the
// resource names, the random state the effects draw from and the stores of the drawing code.
// The system builds a fresh one for every engine run (construct, then Create) and drops it when
// the next run starts; the destructor releases what Create and the frames made.
#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "foundation/DBuffer.h"
#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "render3d/L3DRandom.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/L3DShaderOption.h"
#include "render3d/L3DShaders.h"
#include "render3d/L3DTexture.h"
#include "render3d/LMat.h"
#include "render3d/LResManager.h"
#include "render3d/alpha_records.h"
#include "render3d/pass_constants.h"
#include "render3d/shader_table.h"
#include "render3d/vertex_poses.h"
#include "render3d/zsd_pass.h"

class L3DDevice;
class L3DEffectManager;
class L3DObjectData;
class L3DObjectInstance;
struct L3DTextureContext;
struct L3D_ANIMINST_MAT;
struct L3DPartDraw;
struct L3D_PARTINST_MAT;
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

    // Create and StopAll reach the effect manager, which lies above this library: they are
    // defined by render3d/scene (render3d_scene), over the steps below that are the
    // renderer's own.
    // _CreateCore, then makes the effect manager and binds it to this renderer.
    void Create(const mirel::rcptr<L3DDevice>& device,
                const mirel::rcptr<mirel::DsndManager>& soundManager, mirel::DFile& archive);
    // Takes the device and the sound manager (both may be non-owning handles), loads the
    // shader set from the open archive file, registers the name "system" and, with a sound
    // device, makes the sound-effect manager. A missing archive or member is fatal.
    void _CreateCore(const mirel::rcptr<L3DDevice>& device,
                     const mirel::rcptr<mirel::DsndManager>& soundManager, mirel::DFile& archive);
    // Frees what Create and the frames made, the effect manager first; afterwards the renderer
    // is fit only for destruction.
    void Release();
    // Object instances: a new instance of the model with the texture context, initialised and
    // appended to the instance list (render3d/scene, over the model library); and the removal
    // of an instance from that list (nothing when it is not there).
    mirel::rcptr<L3DObjectInstance> CreateObjectInstance(const mirel::rcptr<L3DObjectData>& model,
                                                         const L3DTextureContext& context);
    void ReleaseObjectInstance(const L3DObjectInstance* instance);
    // Stops every playing sound effect, then frees every playing effect instance.
    void StopAll();
    void _StopVoices();

    // Drawing (renderer_camera.cpp, renderer_instance.cpp, renderer_record.cpp,
    // renderer_outline.cpp, renderer_zsd.cpp).
    // The camera: view, projection, their product and its transpose; the view's caches reset.
    void SetViewProjection(const LMat& viewMatrix, const LMat& projectionMatrix);
    void SetLightDir(const float direction[3]);
    void SetFogColor(float r, float g, float b);
    // Fog states, the "nolight" shader and its registers for geometry the caller draws itself.
    void BeginObject(const LMat& world, const LMat& viewMatrix, const LMat& projectionMatrix);
    // Draws the part instances of one object instance, in list order. Draw flags: bit 0 keeps
    // the caller's stage-0 texture, bit 1 draws blended pieces at once instead of queueing them.
    void DrawObjectInstance(std::span<L3DPartDraw* const> parts, const float colour1[4],
                            const float colour2[4], uint32_t drawFlags);
    void _DrawAnimMotionInstance(L3DPartDraw& part, uint32_t drawFlags);
    // View-space positions of the vertices into skinPositions.
    void ProcessVertexPoses(const L3DVertexSource& source, const L3DBoneList& bones,
                            const LMat* matrices, uint32_t matrixCount, const LMat& viewMatrix);
    // The depth-sorted pass's callback for blended pieces; user is an _L3D_RENDERER_ALPHASHADER.
    static void _DrawPasses(L3DRenderer* renderer, const L3D_RENDERER_VERTEX* vertices,
                            uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                            void* user);
    void RegistZsdElement(const L3DZsdRegistration& registration);
    void RegistZsdElementArgs(const float position[3], uint32_t vertexCount,
                              const L3D_RENDERER_VERTEX* vertices,
                              const L3D_RENDERER_VERTEX* positions, const uint16_t* indices,
                              uint32_t indexCount, L3DZsdDrawFn callback, void* user,
                              uint32_t flags);
    void _SortTriangles(const L3D_RENDERER_VERTEX* positions, const uint16_t* indices,
                        uint32_t indexCount, uint32_t flags);
    // Draws the queued groups back to front and empties the queue; once per frame.
    void DrawZsd();
    // The drawing's steps: fog states, the part's transposed matrices into boneMatrices, the
    // outline pass of a piece, one draw of a piece with the states set.
    L3DFogFields fogFields() { return {fogEnable, fogColor, fogParams}; }
    void _ApplyFog();
    void _LoadBoneMatrices(const L3DPartDraw& part);
    void _DrawOutline(const L3DPartDraw& part, const L3D_PARTINST_MAT& record);
    void _DrawRecord(const L3D_PARTINST_MAT& record);
    // What the shader passes read of a piece (bone-index entries past the part's matrices
    // name entry 0), and a blended piece's queueing.
    L3DShaderPassRecord _PassRecord(const L3DPartDraw& part, const L3D_PARTINST_MAT& record);
    void _QueueBlended(L3DPartDraw& part, L3D_PARTINST_MAT& record, uint32_t drawFlags);

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
    // Null until Create has made it; held alone by the renderer.
    mirel::rcptr<L3DEffectManager> effectManager;
    // Null without a sound device. Owned alone: its users borrow it from the renderer.
    std::unique_ptr<mirel::LSeManager> seManager;
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
    L3DAlphaRecordPool alphaRecords;
    mirel::DBuffer<LMat, 32> skinMatrices;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 256> skinPositions;
    L3DZsdPass zsd;
    mirel::DBuffer<uint32_t, 32> passBones;  // the bone-index list of the piece being drawn
    LResManager names;
    L3D_RENDERER_NNID* systemNnid = nullptr;
    // Every live object instance, in creation order, held without a count: an instance leaves
    // the list when its last handle goes. Release destroys what is left through
    // instanceRelease, which CreateObjectInstance installs (the instances' code lies above
    // this library).
    mirel::DList<L3DObjectInstance> instances;
    using InstanceRelease = void (*)(L3DObjectInstance& instance);
    InstanceRelease instanceRelease = nullptr;

private:
    static float texlightFactor(const L3D_RENDERER_SHADEROPT& option);
    bool drawPass(L3DShaderKind kind, uint32_t pass, const L3DShaderPassRecord& record,
                  uint32_t drawFlags, L3DVec4 colour1, L3DVec4 colour2, float texlightFactor);
    void uploadPassConstants(L3DShaderKind kind, const L3DShaderPassRecord& record,
                             const L3D_RENDERER_SHADEROPT& option, const L3DVec4& colour1,
                             const L3DVec4& colour2, float texlightFactor);
};
