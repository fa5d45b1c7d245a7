#include "render3d/format_table.h"

#include "render3d/adapters.h"

using namespace platform::d3d9;

namespace {

constexpr L3DDEV_FORMAT_INFO kFormats[] = {
    {D3DFMT_R5G6B5, 16, 0, 0, true, D3DFMT_R5G6B5, "R5G6B5"},
    {D3DFMT_X1R5G5B5, 16, 0, 0, true, D3DFMT_A1R5G5B5, "X1R5G5B5"},
    {D3DFMT_X1R5G5B5, 16, 0, 0, true, D3DFMT_X1R5G5B5, "X1R5G5B5"},
    {D3DFMT_A1R5G5B5, 16, 0, 0, false, D3DFMT_UNKNOWN, "A1R5G5B5"},
    {D3DFMT_X4R4G4B4, 16, 0, 0, true, D3DFMT_A4R4G4B4, "X4R4G4B4"},
    {D3DFMT_X4R4G4B4, 16, 0, 0, true, D3DFMT_X4R4G4B4, "X4R4G4B4"},
    {D3DFMT_A4R4G4B4, 16, 0, 0, false, D3DFMT_UNKNOWN, "A4R4G4B4"},
    {D3DFMT_X8R8G8B8, 32, 0, 0, true, D3DFMT_A8R8G8B8, "X8R8G8B8"},
    {D3DFMT_X8R8G8B8, 32, 0, 0, true, D3DFMT_X8R8G8B8, "X8R8G8B8"},
    {D3DFMT_A8R8G8B8, 32, 0, 0, false, D3DFMT_UNKNOWN, "A8R8G8B8"},
    {D3DFMT_X8B8G8R8, 32, 0, 0, true, D3DFMT_A8B8G8R8, "X8B8G8R8"},
    {D3DFMT_X8B8G8R8, 32, 0, 0, true, D3DFMT_X8B8G8R8, "X8B8G8R8"},
    {D3DFMT_A8B8G8R8, 32, 0, 0, false, D3DFMT_UNKNOWN, "A8B8G8R8"},
    {D3DFMT_R8G8B8, 24, 0, 0, true, D3DFMT_R8G8B8, "R8G8B8"},
    {D3DFMT_DXT1, 0, 0, 0, false, D3DFMT_UNKNOWN, "DXT1"},
    {D3DFMT_DXT3, 0, 0, 0, false, D3DFMT_UNKNOWN, "DXT3"},
    {D3DFMT_D15S1, 0, 15, 1, false, D3DFMT_UNKNOWN, "D15S1"},
    {D3DFMT_D16, 0, 16, 0, false, D3DFMT_UNKNOWN, "D16"},
    {D3DFMT_D24X8, 0, 24, 0, false, D3DFMT_UNKNOWN, "D24X8"},
    {D3DFMT_D24X4S4, 0, 24, 4, false, D3DFMT_UNKNOWN, "D24X4S4"},
    {D3DFMT_D24S8, 0, 24, 8, false, D3DFMT_UNKNOWN, "D24S8"},
    {D3DFMT_D32, 0, 32, 0, false, D3DFMT_UNKNOWN, "D32"},
};

// The Direct3D object and the adapter ordinal of an entry, or false past the list's end.
bool adapterOrdinal(uint32_t adapter, IDirect3D9*& direct3d, UINT& ordinal) {
    direct3d = l3dDirect3D();
    if (!direct3d || adapter >= l3dAdapters.count) return false;
    ordinal = l3dAdapters.entries[adapter].caps.AdapterOrdinal;
    return true;
}

}  // namespace

const char* l3dGetFormatName(D3DFORMAT format) {
    for (const L3DDEV_FORMAT_INFO& row : kFormats)
        if (row.format == format) return row.name;
    return "unknown";
}

bool l3dIsKnownFormat(uint32_t bits, D3DFORMAT format) {
    for (const L3DDEV_FORMAT_INFO& row : kFormats)
        if (row.format == format && row.colourBits == bits) return true;
    return false;
}

bool l3dCheckWindowedDevice(uint32_t adapter) {
    IDirect3D9* direct3d;
    UINT ordinal;
    if (!adapterOrdinal(adapter, direct3d, ordinal)) return false;
    D3DDISPLAYMODE mode{};
    if (direct3d->GetAdapterDisplayMode(ordinal, &mode) != D3D_OK) return false;
    return direct3d->CheckDeviceType(ordinal, D3DDEVTYPE_HAL, mode.Format, mode.Format, TRUE) ==
           D3D_OK;
}

bool l3dFindDisplayMode(uint32_t adapter, uint32_t bits, uint32_t width, uint32_t height,
                        D3DFORMAT& display, D3DFORMAT& backBuffer) {
    IDirect3D9* direct3d;
    UINT ordinal;
    if (!adapterOrdinal(adapter, direct3d, ordinal)) return false;
    if (bits == 0) {
        if (!l3dCheckWindowedDevice(adapter)) return false;
        D3DDISPLAYMODE current{};
        if (direct3d->GetAdapterDisplayMode(ordinal, &current) != D3D_OK) return false;
        for (const L3DDEV_FORMAT_INFO& row : kFormats) {
            if (!row.display || row.format != current.Format) continue;
            if (direct3d->CheckDeviceType(ordinal, D3DDEVTYPE_HAL, row.format, row.backBuffer,
                                          TRUE) == D3D_OK) {
                display = row.format;
                backBuffer = row.backBuffer;
                return true;
            }
        }
        return false;
    }
    for (const L3DDEV_FORMAT_INFO& row : kFormats) {
        if (!row.display || row.colourBits != bits) continue;
        const UINT modeCount = direct3d->GetAdapterModeCount(ordinal, row.format);
        for (UINT i = 0; i < modeCount; ++i) {
            D3DDISPLAYMODE mode{};
            if (direct3d->EnumAdapterModes(ordinal, row.format, i, &mode) != D3D_OK) continue;
            if (mode.Width != width || mode.Height != height) continue;
            if (direct3d->CheckDeviceType(ordinal, D3DDEVTYPE_HAL, row.format, row.backBuffer,
                                          FALSE) == D3D_OK) {
                display = row.format;
                backBuffer = row.backBuffer;
                return true;
            }
        }
    }
    return false;
}

bool l3dFindBackBufferFormat(uint32_t adapter, D3DFORMAT display, D3DFORMAT& backBuffer) {
    IDirect3D9* direct3d;
    UINT ordinal;
    if (!adapterOrdinal(adapter, direct3d, ordinal)) return false;
    for (const L3DDEV_FORMAT_INFO& row : kFormats) {
        if (!row.display || row.format != display) continue;
        if (direct3d->CheckDeviceType(ordinal, D3DDEVTYPE_HAL, row.format, row.backBuffer, TRUE) ==
            D3D_OK) {
            backBuffer = row.backBuffer;
            return true;
        }
    }
    return false;
}

bool l3dCheckDxtSupport(uint32_t adapter, uint32_t bits, uint32_t width, uint32_t height) {
    D3DFORMAT display, backBuffer;
    if (!l3dFindDisplayMode(adapter, bits, width, height, display, backBuffer)) return false;
    IDirect3D9* direct3d;
    UINT ordinal;
    adapterOrdinal(adapter, direct3d, ordinal);
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3})
        if (direct3d->CheckDeviceFormat(ordinal, D3DDEVTYPE_HAL, display, 0, D3DRTYPE_TEXTURE,
                                        format) != D3D_OK)
            return false;
    return true;
}

bool l3dFindDepthFormat(uint32_t adapter, uint32_t bits, uint32_t width, uint32_t height,
                        D3DFORMAT& depth) {
    D3DFORMAT display, backBuffer;
    if (!l3dFindDisplayMode(adapter, bits, width, height, display, backBuffer)) return false;
    IDirect3D9* direct3d;
    UINT ordinal;
    adapterOrdinal(adapter, direct3d, ordinal);
    for (const L3DDEV_FORMAT_INFO& row : kFormats) {
        if (row.depthBits < 24) continue;
        if (direct3d->CheckDeviceFormat(ordinal, D3DDEVTYPE_HAL, display, D3DUSAGE_DEPTHSTENCIL,
                                        D3DRTYPE_SURFACE, row.format) == D3D_OK &&
            direct3d->CheckDepthStencilMatch(ordinal, D3DDEVTYPE_HAL, display, backBuffer,
                                             row.format) == D3D_OK) {
            depth = row.format;
            return true;
        }
    }
    return false;
}
