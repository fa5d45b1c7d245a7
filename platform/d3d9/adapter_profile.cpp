#include "platform/d3d9/adapter_profile.h"

#include <cstring>

namespace platform::d3d9 {
namespace {

constexpr DWORD kCmpAll = 0xFF;         // NEVER .. ALWAYS
constexpr DWORD kBlendFactors = 0x3FF;  // ZERO .. INVDESTCOLOR

D3DCAPS9 softwareCaps(UINT ordinal) {
    D3DCAPS9 caps{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.AdapterOrdinal = ordinal;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.DevCaps = D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_DRAWPRIMTLVERTEX;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                             D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE |
                             D3DPMISCCAPS_SEPARATEALPHABLEND;
    caps.ZCmpCaps = kCmpAll;
    caps.AlphaCmpCaps = kCmpAll;
    caps.SrcBlendCaps = kBlendFactors;
    caps.DestBlendCaps = kBlendFactors;
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps.MaxTextureWidth = 4096;
    caps.MaxTextureHeight = 4096;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = 4096;
    caps.MaxAnisotropy = 1;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = -8192.0f;
    caps.GuardBandTop = -8192.0f;
    caps.GuardBandRight = 8192.0f;
    caps.GuardBandBottom = 8192.0f;
    caps.MaxTextureBlendStages = 4;
    caps.MaxSimultaneousTextures = 4;
    caps.MaxPointSize = 1.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFF;
    caps.MaxStreams = 1;
    caps.MaxStreamStride = 255;
    caps.VertexShaderVersion = D3DVS_VERSION(2, 0);
    caps.MaxVertexShaderConst = 256;
    caps.PixelShaderVersion = D3DPS_VERSION(2, 0);
    caps.PixelShader1xMaxValue = 1.0f;
    caps.NumberOfAdaptersInGroup = 1;
    caps.MasterAdapterOrdinal = ordinal;
    caps.NumSimultaneousRTs = 1;
    caps.VS20Caps.NumTemps = 12;
    caps.PS20Caps.NumTemps = 12;
    caps.PS20Caps.NumInstructionSlots = 96;
    return caps;
}

D3DADAPTER_IDENTIFIER9 softwareIdentifier() {
    D3DADAPTER_IDENTIFIER9 id{};
    std::strcpy(id.Driver, "tessera_d3d9");
    std::strcpy(id.Description, "Tessera software rasteriser");
    std::strcpy(id.DeviceName, "\\\\.\\DISPLAY1");
    id.DriverVersion = (LARGE_INTEGER{1} << 48) | (LARGE_INTEGER{0} << 32) | (0u << 16) | 1u;
    id.VendorId = 0x7E55;
    id.DeviceId = 0x0009;
    id.DeviceIdentifier =
        GUID{0x7e55e4a9, 0xd3d9, 0x4c0f, {0x9a, 0x31, 0x5e, 0x11, 0x7a, 0x2b, 0x60, 0x01}};
    return id;
}

}  // namespace

AdapterProfile softwareAdapterProfile(UINT ordinal) {
    AdapterProfile profile;
    profile.caps = softwareCaps(ordinal);
    profile.identifier = softwareIdentifier();
    profile.desktop = {1280, 1024, 60, D3DFMT_X8R8G8B8};
    const UINT sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 960}, {1280, 1024}};
    for (const auto& size : sizes) profile.modes.push_back({size[0], size[1], 60, D3DFMT_X8R8G8B8});
    profile.deviceTypes = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}};
    profile.formats = {
        {D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET},
        {D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, 0},
        {D3DRTYPE_TEXTURE, D3DFMT_DXT1, 0},
        {D3DRTYPE_TEXTURE, D3DFMT_DXT3, 0},
        {D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET},
        {D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET},
        {D3DRTYPE_SURFACE, D3DFMT_D24X8, D3DUSAGE_DEPTHSTENCIL},
    };
    profile.depthFormats = {D3DFMT_D24X8};
    for (DWORD type = 2; type <= 16; ++type) profile.multiSampleTypes |= 1u << type;
    return profile;
}

}  // namespace platform::d3d9
