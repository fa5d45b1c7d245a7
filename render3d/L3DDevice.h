#pragma once
// The one Direct3D 9 device of the program: creation on an adapter of l3dAdapters for a
// full-screen mode and the main window, restore after loss or a window change, presentation,
// render targets, viewports and screenshots; the state cache; the textures, buffers and
// shaders it creates and lists so that they can be released with it.
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DImage.h"
#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "platform/d3d9/device.h"
#include "render3d/L3DBuffers.h"
#include "render3d/L3DShaders.h"
#include "render3d/L3DTexture.h"
#include "render3d/state_rows.h"
#include "render3d/texture_slot.h"

// A pooled depth-stencil surface for render textures of one size.
struct _L3DDEV_DEPTH_SURFACE {
    platform::d3d9::IDirect3DSurface9* surface = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
};

class L3DDevice {
public:
    // Flags.
    static constexpr uint32_t FlagFullScreen = 0x1;
    static constexpr uint32_t FlagWindow = 0x2;
    static constexpr uint32_t FlagStencil = 0x4;
    static constexpr uint32_t FlagDxt = 0x8;
    static constexpr uint32_t FlagVertexShader = 0x10;
    static constexpr uint32_t FlagPixelShader = 0x20;
    static constexpr uint32_t FlagMipmap = 0x40;
    static constexpr uint32_t FlagDefaultInterval = 0x80;
    static constexpr uint32_t FlagPresentWaits = 0x100;
    // Options of Create.
    static constexpr uint32_t OptionPreferWindow = 0x1;
    static constexpr uint32_t OptionCheckCompression = 0x2;
    static constexpr uint32_t OptionCheckMipmap = 0x4;
    static constexpr uint32_t OptionImmediate = 0x8;
    // The vertex format of L3D_RENDERER_VERTEX (56 bytes).
    static constexpr uint32_t DefaultFvf = 0x815E;
    // The 72-byte vertex with three texture-coordinate sets.
    static constexpr uint32_t ThreeUvFvf = 0x835E;
    static constexpr uint32_t RenderStateCount = 210;
    static constexpr uint32_t SamplerStateCount = 14;
    static constexpr uint32_t StageStateCount = 33;
    static constexpr uint32_t StageCount = 4;

    L3DDevice();
    ~L3DDevice();
    L3DDevice(const L3DDevice&) = delete;
    L3DDevice& operator=(const L3DDevice&) = delete;

    // Creation, restore and presentation.
    void Create(uint32_t adapter, platform::d3d9::HWND window, int32_t fullScreenBits,
                uint32_t fullScreenWidth, uint32_t fullScreenHeight, uint32_t multiSampleIndex,
                uint32_t options);
    void ReleaseAll();
    bool Restore(bool window);
    bool RestoreIfNeeded();
    bool Present();
    bool SetRenderTarget(bool useDepth, mirel::rcptr<L3DTexture> texture);
    void SetViewportFull();
    void SetViewportSize(uint32_t width, uint32_t height);
    bool SaveScreenshot(mirel::DFile& file);
    void WaitVBlank();

    // State cache.
    void SetStateRender(uint32_t state, uint32_t value);
    void SetStateSampler(uint32_t sampler, uint32_t state, uint32_t value);
    void SetStateTexStage(uint32_t stage, uint32_t state, uint32_t value);
    void SetStateTexture(uint32_t stage, platform::d3d9::IDirect3DBaseTexture9* texture);
    void ApplyStates();
    void ResetStates();
    void SetVShader(uint8_t software, platform::d3d9::IDirect3DVertexShader9* shader);
    void SetPShader(platform::d3d9::IDirect3DPixelShader9* shader);
    void SetStreamSource(platform::d3d9::IDirect3DVertexBuffer9* buffer, uint32_t stride);
    void SetIndices(platform::d3d9::IDirect3DIndexBuffer9* buffer);
    void SetFVF(uint32_t fvf) { wantedFvf_ = fvf; }
    void DrawTriangles(const void* vertices, uint32_t triangleCount);

    // Draw wrappers.
    void DrawIndexedUP(uint32_t stride, platform::d3d9::D3DPRIMITIVETYPE type, uint32_t vertexCount,
                       uint32_t primitiveCount, const uint16_t* indices, const void* vertices);
    void SetVSConstants(uint32_t registerCount, uint32_t firstRegister, const float* data);
    void DrawIndexed(uint32_t primitiveCount, platform::d3d9::D3DPRIMITIVETYPE type,
                     uint32_t vertexCount);

    // Textures.
    mirel::rcptr<L3DTexture> FindTexture(const char* name);
    mirel::rcptr<L3DTexture> _CreateTexture(const char* name, uint32_t width, uint32_t height,
                                            bool alpha, bool mip);
    mirel::rcptr<L3DTexture> CreateTexture(const char* name, uint32_t width, uint32_t height) {
        return _CreateTexture(name, width, height, true, false);
    }
    mirel::rcptr<L3DTexture> CreateTextureFromImage(const char* name, mirel::DImage& image,
                                                    bool alpha, bool mip);
    mirel::rcptr<L3DTexture> CreateTextureDXTn(const char* name, mirel::DFile& data, uint32_t size,
                                               bool alpha, bool mip);
    mirel::rcptr<L3DTexture> CreateTexturePack(const char* name, uint32_t pack,
                                               const char* fileName, bool mip);
    platform::d3d9::IDirect3DTexture9* CreateRenderTexture(uint32_t width, uint32_t height);
    mirel::rcptr<L3DTexture> CreateTextureBack(uint32_t width, uint32_t height);
    void _AdjustTextureSize(uint32_t& width, uint32_t& height) const;
    void _RemoveTexture(L3DTexture* record);

    // Buffers and shaders.
    mirel::rcptr<L3DVBuffer> _CreateVBuffer(uint32_t size, uint32_t fvf);
    mirel::rcptr<L3DVBuffer> CreateVBufferWith(const void* data, uint32_t size, uint32_t fvf);
    mirel::rcptr<L3DIBuffer> _CreateIBuffer(uint32_t size);
    mirel::rcptr<L3DIBuffer> CreateIBufferWith(const void* data, uint32_t size);
    mirel::rcptr<L3DVShader> CreateVShader(mirel::DFile& file);
    mirel::rcptr<L3DPShader> CreatePShader(mirel::DFile& file);
    mirel::rcptr<L3DVShader> CreateVShaderFromPack(const char* fileName);
    mirel::rcptr<L3DPShader> CreatePShaderFromPack(const char* fileName);
    void _RemoveVBuffer(L3DVBuffer* record);
    void _RemoveIBuffer(L3DIBuffer* record);
    void _RemoveVShader(L3DVShader* record);
    void _RemovePShader(L3DPShader* record);

    // What the records and the frame loop read.
    platform::d3d9::IDirect3DDevice9* device() const { return device_; }
    uint32_t flags() const { return flags_; }
    bool windowed() const { return windowed_ != 0; }
    bool lost() const { return lost_ != 0; }
    // Whether the bound vertex shader runs with software vertex processing.
    bool softwareVertexProcessing() const { return softwareVertexProcessing_ != 0; }
    int32_t colourDepth() const { return colourDepth_; }
    const platform::d3d9::D3DCAPS9& caps() const { return caps_; }
    const platform::d3d9::D3DPRESENT_PARAMETERS& fullScreenParameters() const {
        return fullScreenParameters_;
    }
    const platform::d3d9::D3DPRESENT_PARAMETERS& windowParameters() const {
        return windowParameters_;
    }
    platform::d3d9::IDirect3DSurface9* renderTarget() const { return renderTarget_; }
    platform::d3d9::IDirect3DSurface9* backBuffer() const { return backBuffer_; }
    platform::d3d9::D3DFORMAT colourTextureFormat() const { return colourFormat_; }
    platform::d3d9::D3DFORMAT alphaTextureFormat() const { return alphaFormat_; }
    platform::d3d9::D3DFORMAT renderTextureFormat() const { return renderFormat_; }
    uint32_t textureCount() const { return textures_.Count(); }
    uint32_t vertexBufferCount() const { return vbuffers_.Count(); }
    uint32_t indexBufferCount() const { return ibuffers_.Count(); }
    uint32_t depthSurfaceCount() const { return depthSurfaces_.Count(); }
    // The cache's view of a render state: wanted value and whether it is dirty / non-default.
    const L3DStateRow<uint32_t>& renderStateRow(uint32_t state) const {
        return renderStates_.rows[state];
    }

private:
    using RenderTable = L3DStateTable<uint32_t, RenderStateCount>;
    using SamplerTable = L3DStateTable<uint32_t, StageCount * SamplerStateCount>;
    using StageTable = L3DStateTable<uint32_t, StageCount * StageStateCount>;
    using TextureTable = L3DStateTable<platform::d3d9::IDirect3DBaseTexture9*, StageCount>;

    const platform::d3d9::D3DPRESENT_PARAMETERS& currentParameters() const {
        return windowed_ ? windowParameters_ : fullScreenParameters_;
    }
    uint32_t adapterOrdinal() const;
    void chooseMultiSample(platform::d3d9::D3DPRESENT_PARAMETERS& pp, bool windowed,
                           platform::d3d9::D3DMULTISAMPLE_TYPE type) const;
    void createDevice();
    void logCreationReport(uint32_t desktopBits, uint32_t fullScreenBits) const;
    bool _AcquireSurfaces();
    void _ReleaseDefaultPool();
    platform::d3d9::IDirect3DSurface9* _CreateDepthSurface(uint32_t width, uint32_t height);
    void _UnbindAll();
    bool resetDevice(bool window);
    bool copyBackBufferForCapture(platform::d3d9::IDirect3DSurface9*& source,
                                  platform::d3d9::IDirect3DTexture9*& resolved);

    void _InitStateTables();
    void _InitStates();

    void _CreateTextureManager();
    void registerTexture(const mirel::rcptr<L3DTexture>& texture);
    void _ReleaseTextures();
    void _ReleaseRenderTextures();
    void _RestoreTextures();
    void _ReleaseVBuffers();
    void _ReleaseIBuffers();
    void _ReleaseVShaders();
    void _ReleasePShaders();
    void _RestoreVBuffers();
    void _RestoreIBuffers();
    void requireNewTextureName(const char* name, const char* function);

    platform::d3d9::IDirect3DDevice9* device_ = nullptr;
    uint8_t windowed_ = 0;
    uint8_t lost_ = 0;
    platform::d3d9::HWND window_ = nullptr;
    uint32_t adapter_ = 0;
    platform::d3d9::D3DFORMAT fullScreenDisplay_ = platform::d3d9::D3DFMT_UNKNOWN;
    platform::d3d9::D3DPRESENT_PARAMETERS fullScreenParameters_{};
    platform::d3d9::D3DFORMAT windowDisplay_ = platform::d3d9::D3DFMT_UNKNOWN;
    platform::d3d9::D3DPRESENT_PARAMETERS windowParameters_{};
    uint32_t flags_ = 0;
    int32_t colourDepth_ = 0;
    platform::d3d9::D3DCAPS9 caps_{};
    platform::d3d9::IDirect3DSurface9* backBuffer_ = nullptr;
    platform::d3d9::IDirect3DSurface9* renderTarget_ = nullptr;
    uint32_t renderTargetWidth_ = 0;
    uint32_t renderTargetHeight_ = 0;
    platform::d3d9::IDirect3DSurface9* autoDepth_ = nullptr;
    platform::d3d9::IDirect3DSurface9* currentDepth_ = nullptr;  // borrowed
    mirel::DList<_L3DDEV_DEPTH_SURFACE> depthSurfaces_;

    platform::d3d9::D3DFORMAT colourFormat_ = platform::d3d9::D3DFMT_UNKNOWN;
    uint32_t colourKind_ = 0;
    platform::d3d9::D3DFORMAT alphaFormat_ = platform::d3d9::D3DFMT_UNKNOWN;
    uint32_t alphaKind_ = 0;
    platform::d3d9::D3DFORMAT renderFormat_ = platform::d3d9::D3DFMT_UNKNOWN;
    // The resource lists refer to their records without counting.
    mirel::DList<L3DTextureSlot> textures_;
    mirel::DList<L3DVBuffer> vbuffers_;
    mirel::DList<L3DIBuffer> ibuffers_;
    mirel::DList<L3DVShader> vshaders_;
    mirel::DList<L3DPShader> pshaders_;

    RenderTable renderStates_;
    SamplerTable samplerStates_;
    StageTable stageStates_;
    TextureTable textureStates_;
    uint32_t wantedFvf_ = DefaultFvf;
    uint32_t appliedFvf_ = DefaultFvf;
    platform::d3d9::IDirect3DVertexShader9* vertexShader_ = nullptr;  // all borrowed
    uint8_t softwareVertexProcessing_ = 0;
    platform::d3d9::IDirect3DPixelShader9* pixelShader_ = nullptr;
    platform::d3d9::IDirect3DVertexBuffer9* streamSource_ = nullptr;
    platform::d3d9::IDirect3DIndexBuffer9* indices_ = nullptr;
};
