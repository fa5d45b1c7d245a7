#include "platform/d3d9/direct3d9.h"

#include <algorithm>
#include <mutex>

#include "platform/d3d9/device.h"
#include "platform/d3d9/memory_presenter.h"
#include "platform/d3d9/sdl_presenter.h"
#include "platform/os/headless.h"
#include "platform/window/sdl_window.h"

namespace platform::d3d9 {
namespace {

std::mutex overrideMutex;
std::function<IDirect3D9*(UINT)> createOverride;

bool formatListed(const AdapterProfile& p, D3DRESOURCETYPE type, D3DFORMAT format, DWORD usage) {
    return std::any_of(p.formats.begin(), p.formats.end(), [&](const FormatSupport& f) {
        return f.type == type && f.format == format && (f.usage & usage) == usage;
    });
}

bool displayFormatHasModes(const AdapterProfile& p, D3DFORMAT format) {
    return std::any_of(p.modes.begin(), p.modes.end(),
                       [&](const D3DDISPLAYMODE& m) { return m.Format == format; });
}

}  // namespace

IDirect3D9::IDirect3D9(Direct3DConfig config) : config_(std::move(config)) {}

const AdapterProfile* IDirect3D9::profile(UINT adapter, D3DDEVTYPE type) const {
    if (adapter >= config_.adapters.size() || type != D3DDEVTYPE_HAL) return nullptr;
    return &config_.adapters[adapter];
}

UINT IDirect3D9::GetAdapterCount() const { return static_cast<UINT>(config_.adapters.size()); }

HRESULT IDirect3D9::GetAdapterIdentifier(UINT adapter, DWORD,
                                         D3DADAPTER_IDENTIFIER9* identifier) const {
    const AdapterProfile* p = profile(adapter, D3DDEVTYPE_HAL);
    if (!p || !identifier) return D3DERR_INVALIDCALL;
    *identifier = p->identifier;
    return D3D_OK;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) const {
    if (!caps || adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
    const AdapterProfile* p = profile(adapter, type);
    if (!p) return D3DERR_NOTAVAILABLE;
    *caps = p->caps;
    return D3D_OK;
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) const {
    const AdapterProfile* p = profile(adapter, D3DDEVTYPE_HAL);
    if (!p || !mode) return D3DERR_INVALIDCALL;
    *mode = p->desktop;
    return D3D_OK;
}

UINT IDirect3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) const {
    const AdapterProfile* p = profile(adapter, D3DDEVTYPE_HAL);
    if (!p) return 0;
    return static_cast<UINT>(
        std::count_if(p->modes.begin(), p->modes.end(),
                      [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT IDirect3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                     D3DDISPLAYMODE* out) const {
    const AdapterProfile* p = profile(adapter, D3DDEVTYPE_HAL);
    if (!p || !out) return D3DERR_INVALIDCALL;
    UINT index = 0;
    for (const D3DDISPLAYMODE& m : p->modes) {
        if (m.Format != format) continue;
        if (index++ == mode) {
            *out = m;
            return D3D_OK;
        }
    }
    return index == 0 ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
}

HRESULT IDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) const {
    if (adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
    const AdapterProfile* p = profile(adapter, type);
    if (!p) return D3DERR_NOTAVAILABLE;
    // A window presents on the desktop as it is; full screen needs modes of the format.
    if (windowed ? displayFormat != p->desktop.Format : !displayFormatHasModes(*p, displayFormat))
        return D3DERR_NOTAVAILABLE;
    const bool paired =
        std::any_of(p->deviceTypes.begin(), p->deviceTypes.end(), [&](const DeviceTypeSupport& d) {
            return d.display == displayFormat && d.backBuffer == backBufferFormat;
        });
    return paired ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                      DWORD usage, D3DRESOURCETYPE resourceType,
                                      D3DFORMAT format) const {
    if (adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
    const AdapterProfile* p = profile(adapter, type);
    if (!p) return D3DERR_NOTAVAILABLE;
    const bool knownAdapterFormat =
        adapterFormat == p->desktop.Format || displayFormatHasModes(*p, adapterFormat);
    if (!knownAdapterFormat) return D3DERR_NOTAVAILABLE;
    return formatListed(*p, resourceType, format, usage) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT,
                                           D3DFORMAT renderTargetFormat,
                                           D3DFORMAT depthFormat) const {
    if (adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
    const AdapterProfile* p = profile(adapter, type);
    if (!p) return D3DERR_NOTAVAILABLE;
    const bool depthOk = std::find(p->depthFormats.begin(), p->depthFormats.end(), depthFormat) !=
                         p->depthFormats.end();
    const bool targetOk =
        formatListed(*p, D3DRTYPE_SURFACE, renderTargetFormat, D3DUSAGE_RENDERTARGET) ||
        formatListed(*p, D3DRTYPE_TEXTURE, renderTargetFormat, D3DUSAGE_RENDERTARGET);
    return depthOk && targetOk ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                               BOOL, D3DMULTISAMPLE_TYPE multiSample,
                                               DWORD* qualityLevels) const {
    if (adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
    const AdapterProfile* p = profile(adapter, type);
    if (!p) return D3DERR_NOTAVAILABLE;
    const bool formatKnown = formatListed(*p, D3DRTYPE_SURFACE, format, 0);
    const bool typeKnown = multiSample == D3DMULTISAMPLE_NONE ||
                           (multiSample <= 16 && (p->multiSampleTypes >> multiSample) & 1);
    if (!formatKnown || !typeKnown) return D3DERR_NOTAVAILABLE;
    if (qualityLevels) *qualityLevels = p->multiSampleQualityLevels;
    return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                                 IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!parameters || adapter >= config_.adapters.size()) return D3DERR_INVALIDCALL;
    const AdapterProfile* p = profile(adapter, type);
    if (!p) return D3DERR_NOTAVAILABLE;
    const DWORD processing =
        behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                         D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    if (FAILED(p->failures->createDevice)) return p->failures->createDevice;
    if (const HRESULT hr = IDirect3DDevice9::validatePresentParameters(*p, *parameters); FAILED(hr))
        return hr;

    DeviceCreation creation{
        *p, {adapter, type, focusWindow, behaviorFlags}, nullptr, config_.rasterThreads};
    creation.presenter = config_.makePresenter ? config_.makePresenter(focusWindow) : nullptr;
    if (!creation.presenter) creation.presenter = std::make_unique<MemoryPresenter>();
    *device = new IDirect3DDevice9(std::move(creation), *parameters);
    return D3D_OK;
}

void setDirect3DCreate9Override(std::function<IDirect3D9*(UINT)> override) {
    std::lock_guard lock(overrideMutex);
    createOverride = std::move(override);
}

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    {
        std::lock_guard lock(overrideMutex);
        if (createOverride) return createOverride(sdkVersion);
    }
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    Direct3DConfig config;
    config.adapters.push_back(softwareAdapterProfile());
    // A device shows its frames in its focus window, whose handle is the SdlWindow's address;
    // without a window (headless runs, no display) frames go to a memory presenter.
    config.makePresenter = [](HWND window) -> std::unique_ptr<Presenter> {
        if (!window || platform::os::headlessRun()) return nullptr;
        return std::make_unique<SdlPresenter>(*static_cast<platform::window::SdlWindow*>(window));
    };
    return new IDirect3D9(std::move(config));
}

}  // namespace platform::d3d9
