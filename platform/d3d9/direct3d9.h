#pragma once
// IDirect3D9: the adapters of a set of adapter profiles, their queries, and device creation.
#include <functional>
#include <memory>
#include <vector>

#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/com_object.h"
#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/presenter.h"

namespace platform::d3d9 {

class IDirect3DDevice9;

// Makes the presenter of a new device for its focus window.
using PresenterFactory = std::function<std::unique_ptr<Presenter>(HWND window)>;

struct Direct3DConfig {
    std::vector<AdapterProfile> adapters;
    PresenterFactory makePresenter;  // empty: frames go to a memory presenter without callback
    unsigned rasterThreads = 0;      // threads per device drawing tiles; 0: one per processor
};

class IDirect3D9 final : public ComObject {
public:
    explicit IDirect3D9(Direct3DConfig config);

    UINT GetAdapterCount() const;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                 D3DADAPTER_IDENTIFIER9* identifier) const;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) const;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) const;
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) const;
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) const;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) const;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT format) const;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) const;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                       BOOL windowed, D3DMULTISAMPLE_TYPE multiSample,
                                       DWORD* qualityLevels) const;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);

private:
    const AdapterProfile* profile(UINT adapter, D3DDEVTYPE type) const;

    Direct3DConfig config_;
};

// The software device's Direct3D object, as the runtime loads it; null for an SDK version
// other than 32, or whatever a test override returns.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

// Tests replace what Direct3DCreate9 returns (null to simulate a missing Direct3D); an empty
// function restores the normal object.
void setDirect3DCreate9Override(std::function<IDirect3D9*(UINT sdkVersion)> override);

}  // namespace platform::d3d9
