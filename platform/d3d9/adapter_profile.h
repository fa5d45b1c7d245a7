#pragma once
// Adapter profiles: the data from which the Direct3D object answers its queries. The default
// profile describes the software device itself; tests build others (a small maximum texture
// size, several adapters, injected failures).
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9_structs.h"

namespace platform::d3d9 {

// Results forced onto calls, for tests of the runtime's failure paths. D3D_OK means "behave
// normally". The block is shared, so a test may change it after the device exists.
struct InjectedFailures {
    HRESULT createDevice = D3D_OK;
    HRESULT reset = D3D_OK;
    // DEVICELOST or DEVICENOTRESET make the device lost until this is D3D_OK again.
    HRESULT testCooperativeLevel = D3D_OK;
};

// One accepted combination of CheckDeviceFormat: resource type, format and the usage bits
// that may be asked for it.
struct FormatSupport {
    D3DRESOURCETYPE type;
    D3DFORMAT format;
    DWORD usage;
};

// A back-buffer format accepted with a display format by CheckDeviceType.
struct DeviceTypeSupport {
    D3DFORMAT display;
    D3DFORMAT backBuffer;
};

struct AdapterProfile {
    D3DCAPS9 caps{};
    D3DADAPTER_IDENTIFIER9 identifier{};
    D3DDISPLAYMODE desktop{};           // the current display mode
    std::vector<D3DDISPLAYMODE> modes;  // full-screen modes, each with its display format
    std::vector<DeviceTypeSupport> deviceTypes;
    std::vector<FormatSupport> formats;
    std::vector<D3DFORMAT> depthFormats;  // accepted by CheckDepthStencilMatch
    DWORD multiSampleTypes = 0;           // bit n: D3DMULTISAMPLE_TYPE n accepted
    DWORD multiSampleQualityLevels = 1;
    std::shared_ptr<InjectedFailures> failures = std::make_shared<InjectedFailures>();
};

// The software device: one adapter, display X8R8G8B8, back buffers A8R8G8B8 and X8R8G8B8,
// depth D24X8, textures A8R8G8B8, X8R8G8B8, DXT1 and DXT3, render target A8R8G8B8, modes
// 640x480 to 1280x1024, shader models 2.0, multisample types 2..16 (rendered single-sampled),
// textures of any size up to 4096, 4 stages, mip-mapping. Its identifier is fixed.
AdapterProfile softwareAdapterProfile(UINT ordinal = 0);

}  // namespace platform::d3d9
