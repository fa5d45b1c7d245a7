#include "platform/d3d9/device.h"

#include "platform/d3d9/format_info.h"
#include "platform/os/clock.h"
#include "platform/window/vertical_blank.h"

namespace platform::d3d9 {
namespace {

constexpr UINT kMaxBackBufferExtent = 8192;
constexpr DWORD kPresentFlagLockableBackBuffer = 0x1;

bool profileListsDepth(const AdapterProfile& profile, D3DFORMAT format) {
    for (D3DFORMAT f : profile.depthFormats)
        if (f == format) return true;
    return false;
}

}  // namespace

HRESULT IDirect3DDevice9::validatePresentParameters(const AdapterProfile& profile,
                                                    const D3DPRESENT_PARAMETERS& pp) {
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0 ||
        pp.BackBufferWidth > kMaxBackBufferExtent || pp.BackBufferHeight > kMaxBackBufferExtent ||
        pp.BackBufferCount > 1)
        return D3DERR_INVALIDCALL;
    if (pp.SwapEffect < D3DSWAPEFFECT_DISCARD || pp.SwapEffect > D3DSWAPEFFECT_COPY)
        return D3DERR_INVALIDCALL;
    if (pp.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT &&
        pp.PresentationInterval != D3DPRESENT_INTERVAL_ONE &&
        pp.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE)
        return D3DERR_INVALIDCALL;
    if (!isColourTargetFormat(pp.BackBufferFormat)) return D3DERR_NOTAVAILABLE;
    if (pp.MultiSampleType != D3DMULTISAMPLE_NONE) {
        if (pp.MultiSampleType > 16 || !((profile.multiSampleTypes >> pp.MultiSampleType) & 1) ||
            pp.MultiSampleQuality >= profile.multiSampleQualityLevels ||
            pp.SwapEffect != D3DSWAPEFFECT_DISCARD)
            return D3DERR_INVALIDCALL;
    }
    if (pp.EnableAutoDepthStencil && (!isDepthFormat(pp.AutoDepthStencilFormat) ||
                                      !profileListsDepth(profile, pp.AutoDepthStencilFormat)))
        return D3DERR_INVALIDCALL;
    if (pp.Windowed) {
        if (pp.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
        return D3D_OK;
    }
    for (const D3DDISPLAYMODE& mode : profile.modes)
        if (mode.Width == pp.BackBufferWidth && mode.Height == pp.BackBufferHeight &&
            (pp.FullScreen_RefreshRateInHz == 0 ||
             pp.FullScreen_RefreshRateInHz == mode.RefreshRate))
            return D3D_OK;
    return D3DERR_INVALIDCALL;
}

IDirect3DDevice9::IDirect3DDevice9(DeviceCreation creation, const D3DPRESENT_PARAMETERS& pp)
    : profile_(std::move(creation.profile)),
      creation_(creation.parameters),
      presenter_(std::move(creation.presenter)),
      workers_(std::make_unique<TileWorkers>(creation.rasterThreads)) {
    createSwapChain(pp);
}

IDirect3DDevice9::~IDirect3DDevice9() {
    releaseBindings();
    releaseRef(backBuffer_);
    releaseRef(autoDepth_);
}

IDirect3DSurface9* IDirect3DDevice9::newSurface(UINT width, UINT height, D3DFORMAT format,
                                                DWORD usage, D3DPOOL pool,
                                                D3DMULTISAMPLE_TYPE multiSample, bool lockable,
                                                bool counted) {
    const D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage, pool, multiSample, 0, width,
                               height};
    return new IDirect3DSurface9(desc, lockable, nullptr, counted ? tally_ : nullptr);
}

// Makes the back buffer and the automatic depth surface for `pp`, binds them, and puts every
// state back to its default.
void IDirect3DDevice9::createSwapChain(const D3DPRESENT_PARAMETERS& pp) {
    presentParameters_ = pp;
    if (presentParameters_.BackBufferCount == 0) presentParameters_.BackBufferCount = 1;
    backBuffer_ = newSurface(pp.BackBufferWidth, pp.BackBufferHeight, pp.BackBufferFormat,
                             D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, pp.MultiSampleType,
                             (pp.Flags & kPresentFlagLockableBackBuffer) != 0, false);
    if (pp.EnableAutoDepthStencil)
        autoDepth_ =
            newSurface(pp.BackBufferWidth, pp.BackBufferHeight, pp.AutoDepthStencilFormat,
                       D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, pp.MultiSampleType, false, false);
    replaceRef(renderTarget_, backBuffer_);
    replaceRef(depthStencil_, autoDepth_);
    states_.setDefaults(pp.EnableAutoDepthStencil != FALSE);
    setFullViewport();
}

void IDirect3DDevice9::releaseBindings() {
    releaseRef(renderTarget_);
    releaseRef(depthStencil_);
    for (auto& texture : textures_) releaseRef(texture);
    releaseRef(vertexShader_);
    releaseRef(pixelShader_);
    releaseRef(streamSource_);
    releaseRef(indices_);
    streamOffset_ = streamStride_ = 0;
    fvf_ = 0;
    softwareVertexProcessing_ = FALSE;
    vertexConstants_ = {};
    vertexConstantsUsed_ = 0;
    pixelConstants_ = {};
}

void IDirect3DDevice9::setFullViewport() {
    viewport_ = {0, 0, renderTarget_->width(), renderTarget_->height(), 0.0f, 1.0f};
}

// D3D_OK, DEVICELOST or DEVICENOTRESET. Once lost, a device needs a Reset even after the
// cause has gone.
HRESULT IDirect3DDevice9::cooperativeState() {
    const HRESULT injected = profile_.failures->testCooperativeLevel;
    if (FAILED(injected)) {
        needsReset_ = true;
        return injected;
    }
    return needsReset_ ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() {
    recorder_.record("TestCooperativeLevel");
    return cooperativeState();
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* parameters) {
    recorder_.record("Reset", parameters);
    if (!parameters) return D3DERR_INVALIDCALL;
    const HRESULT state = cooperativeState();
    if (state != D3D_OK && state != D3DERR_DEVICENOTRESET) return state;
    // Every failed Reset leaves the device waiting for a successful one.
    needsReset_ = true;
    if (const HRESULT hr = validatePresentParameters(profile_, *parameters); FAILED(hr)) return hr;
    // The application must have released its DEFAULT-pool resources and its references to
    // the swap chain's surfaces.
    if (tally_->live > 0) return D3DERR_INVALIDCALL;
    const ULONG backBufferHeld = 1 + (renderTarget_ == backBuffer_ ? 1 : 0);
    if (backBuffer_->outsideReferences(backBufferHeld) > 0) return D3DERR_INVALIDCALL;
    if (autoDepth_ && autoDepth_->outsideReferences(1 + (depthStencil_ == autoDepth_ ? 1 : 0)) > 0)
        return D3DERR_INVALIDCALL;
    if (FAILED(profile_.failures->reset)) return profile_.failures->reset;

    releaseBindings();
    releaseRef(backBuffer_);
    releaseRef(autoDepth_);
    createSwapChain(*parameters);
    needsReset_ = false;
    inScene_ = false;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                                  const void* dirtyRegion) {
    recorder_.record("Present", sourceRect, destRect, destWindow, dirtyRegion);
    if (sourceRect || destRect || dirtyRegion || inScene_) return D3DERR_INVALIDCALL;
    if (const HRESULT state = cooperativeState(); state != D3D_OK) return D3DERR_DEVICELOST;
    const PresentedFrame frame{backBuffer_->width(), backBuffer_->height(),
                               backBuffer_->width() * 4, backBuffer_->texels(),
                               presentParameters_.PresentationInterval};
    return presenter_->present(frame);
}

HRESULT IDirect3DDevice9::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    recorder_.record("GetCreationParameters", parameters);
    if (!parameters) return D3DERR_INVALIDCALL;
    *parameters = creation_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps) {
    recorder_.record("GetDeviceCaps", caps);
    if (!caps) return D3DERR_INVALIDCALL;
    *caps = profile_.caps;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) {
    recorder_.record("GetRasterStatus", swapChain, status);
    if (!status || swapChain != 0) return D3DERR_INVALIDCALL;
    // Without D3DCAPS_READ_SCANLINE there is no raster position to report. With it, the
    // raster follows the virtual 60 Hz display that presentation waits for: each frame starts
    // at a virtual blank with the vertical blank, 5% of the back buffer's lines plus one, then
    // scans the back buffer's lines until the next blank.
    if (!(profile_.caps.Caps & D3DCAPS_READ_SCANLINE)) return D3DERR_INVALIDCALL;
    platform::os::Clock& clock = platform::os::clock();
    const std::uint64_t frequency = clock.counterFrequency();
    const std::uint64_t now = clock.counter();
    const std::uint64_t next = platform::window::nextVerticalBlank(now);
    // Blank n falls at n * frequency / 60 ticks, rounded down; find the last one not after now.
    std::uint64_t blank = now * platform::window::kVirtualRefreshHz / frequency;
    if ((blank + 1) * frequency / platform::window::kVirtualRefreshHz <= now) ++blank;
    const std::uint64_t frameStart = blank * frequency / platform::window::kVirtualRefreshHz;
    const std::uint64_t visible = backBuffer_->height();
    const std::uint64_t blankLines = visible / 20 + 1;
    const std::uint64_t line = (now - frameStart) * (visible + blankLines) / (next - frameStart);
    *status = {line < blankLines ? TRUE : FALSE,
               static_cast<UINT>(line < blankLines ? 0 : line - blankLines)};
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EvictManagedResources() {
    recorder_.record("EvictManagedResources");
    // Managed resources live in system memory only; there is nothing to evict.
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene() {
    recorder_.record("BeginScene");
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
    recorder_.record("EndScene");
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

}  // namespace platform::d3d9
