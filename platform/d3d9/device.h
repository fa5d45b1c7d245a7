#pragma once
// IDirect3DDevice9: the software device. Resources live in CPU memory; draws run through the
// triangle pipeline into the bound render target; Present hands the back buffer to a
// presenter. Follows Direct3D 9's rules for lost devices and Reset, holds references to bound
// resources, and can record every call for tests.
#include <array>
#include <memory>
#include <vector>

#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/buffers.h"
#include "platform/d3d9/call_recorder.h"
#include "platform/d3d9/presenter.h"
#include "platform/d3d9/shaded_vertex.h"
#include "platform/d3d9/shaders.h"
#include "platform/d3d9/state_store.h"
#include "platform/d3d9/texture.h"
#include "platform/d3d9/tile_workers.h"
#include "platform/d3d9/tiled_raster.h"
#include "platform/d3d9/vertex_format.h"

namespace platform::d3d9 {

struct DeviceCreation {
    AdapterProfile profile;
    D3DDEVICE_CREATION_PARAMETERS parameters;
    std::unique_ptr<Presenter> presenter;
    unsigned rasterThreads =
        0;  // threads that draw tiles, the caller included; 0: one per processor
};

class IDirect3DDevice9 final : public ComObject {
public:
    // Checks presentation parameters against what the device and the profile support.
    static HRESULT validatePresentParameters(const AdapterProfile& profile,
                                             const D3DPRESENT_PARAMETERS& pp);

    // `pp` must have passed validatePresentParameters.
    IDirect3DDevice9(DeviceCreation creation, const D3DPRESENT_PARAMETERS& pp);

    // Device state and presentation.
    HRESULT TestCooperativeLevel();
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters);
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                    const void* dirtyRegion);
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters);
    HRESULT GetDeviceCaps(D3DCAPS9* caps);
    HRESULT GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status);
    HRESULT EvictManagedResources();
    HRESULT BeginScene();
    HRESULT EndScene();

    // Targets and surfaces.
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD stencil);
    HRESULT GetViewport(D3DVIEWPORT9* viewport);
    HRESULT SetViewport(const D3DVIEWPORT9* viewport);
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface);
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface);
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** surface);
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                      IDirect3DSurface9** surface, HANDLE* shared);
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, HANDLE* shared);
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination);
    HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                        IDirect3DSurface9* destination, const RECT* destRect,
                        D3DTEXTUREFILTERTYPE filter);
    HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour);

    // Resources.
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* shared);
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* shared);
    // Shader token streams come with their length in tokens: a stream that does not end
    // within it, or fails validation, is refused.
    HRESULT CreateVertexShader(const DWORD* function, UINT tokenCount,
                               IDirect3DVertexShader9** shader);
    HRESULT CreatePixelShader(const DWORD* function, UINT tokenCount,
                              IDirect3DPixelShader9** shader);

    // States and bindings.
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE state, DWORD value);
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE state, DWORD* value);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD* value);
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture);
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture);
    HRESULT SetFVF(DWORD fvf);
    HRESULT GetFVF(DWORD* fvf);
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader);
    HRESULT GetVertexShader(IDirect3DVertexShader9** shader);
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader);
    HRESULT GetPixelShader(IDirect3DPixelShader9** shader);
    HRESULT SetSoftwareVertexProcessing(BOOL software);
    BOOL GetSoftwareVertexProcessing();
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                            UINT* stride);
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer);
    HRESULT GetIndices(IDirect3DIndexBuffer9** buffer);
    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count);
    HRESULT GetVertexShaderConstantF(UINT start, float* data, UINT count);
    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count);
    HRESULT GetPixelShaderConstantF(UINT start, float* data, UINT count);

    // Drawing.
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride);
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT vertexCount,
                                   UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, UINT stride);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT vertexCount, UINT startIndex, UINT primitiveCount);

    // For tests: the call log, and how many threads drew tiles in the last draw.
    CallRecorder& recorder() { return recorder_; }
    unsigned rasterThreadsUsedLastDraw() const { return workers_->threadsUsedLastRun(); }

private:
    ~IDirect3DDevice9() override;

    struct VertexSource;
    HRESULT cooperativeState();
    UINT vertexConstantLimit() const;
    void createSwapChain(const D3DPRESENT_PARAMETERS& pp);
    void releaseBindings();
    IDirect3DSurface9* newSurface(UINT width, UINT height, D3DFORMAT format, DWORD usage,
                                  D3DPOOL pool, D3DMULTISAMPLE_TYPE multiSample, bool lockable,
                                  bool counted);
    void setFullViewport();
    HRESULT checkDrawable(D3DPRIMITIVETYPE type, UINT primitiveCount, FvfLayout& layout);
    HRESULT drawTriangles(D3DPRIMITIVETYPE type, UINT primitiveCount, const FvfLayout& layout,
                          const VertexSource& source);

    AdapterProfile profile_;
    D3DDEVICE_CREATION_PARAMETERS creation_;
    std::unique_ptr<Presenter> presenter_;
    std::shared_ptr<DefaultPoolTally> tally_ = std::make_shared<DefaultPoolTally>();
    CallRecorder recorder_;
    std::unique_ptr<TileWorkers> workers_;

    D3DPRESENT_PARAMETERS presentParameters_{};
    IDirect3DSurface9* backBuffer_ = nullptr;
    IDirect3DSurface9* autoDepth_ = nullptr;
    bool needsReset_ = false;
    bool inScene_ = false;

    StateStore states_;
    D3DVIEWPORT9 viewport_{};
    IDirect3DSurface9* renderTarget_ = nullptr;
    IDirect3DSurface9* depthStencil_ = nullptr;
    std::array<IDirect3DTexture9*, kStageCount> textures_{};
    DWORD fvf_ = 0;
    IDirect3DVertexShader9* vertexShader_ = nullptr;
    IDirect3DPixelShader9* pixelShader_ = nullptr;
    BOOL softwareVertexProcessing_ = FALSE;
    IDirect3DVertexBuffer9* streamSource_ = nullptr;
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
    IDirect3DIndexBuffer9* indices_ = nullptr;
    // The software vertex-processing file; with hardware processing only the caps' count of
    // registers can be set. vertexConstantsUsed_: one past the highest register ever set.
    std::array<std::array<float, 4>, shader::kSoftwareVertexConstantRegisters> vertexConstants_{};
    UINT vertexConstantsUsed_ = 0;
    std::array<std::array<float, 4>, 32> pixelConstants_{};
    // What draws work in, kept so that its storage is reused from draw to draw.
    struct DrawBuffers {
        TileQueues tiles;
        std::vector<std::int64_t> corners;           // the vertex number of each corner of a chunk
        std::vector<std::uint32_t> slots;            // per number of the chunk's table: its vertex
        std::vector<std::uint32_t> cornerSlots;      // the vertex of each corner of a chunk
        std::vector<const std::uint8_t*> addresses;  // of the chunk's distinct vertices
        std::vector<ShadedVertex> shaded;
    };
    DrawBuffers drawBuffers_;
};

}  // namespace platform::d3d9
