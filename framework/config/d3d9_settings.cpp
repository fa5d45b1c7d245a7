#include "framework/config/d3d9_settings.h"

#include <cstdlib>
#include <cstring>

#include "framework/core/format.h"
#include "framework/core/report.h"
#include "platform/os/profile_file.h"

using namespace platform::d3d9;

namespace {

struct D3d9Module {
    bool started = false;
    IDirect3D9* direct3d = nullptr;
};
D3d9Module d3d9;

bool deviceType(uint32_t adapter, D3DFORMAT display, BOOL windowed) {
    return SUCCEEDED(
        d3d9.direct3d->CheckDeviceType(adapter, D3DDEVTYPE_HAL, display, display, windowed));
}

bool textureFormat(uint32_t adapter, D3DFORMAT display, D3DFORMAT format) {
    return SUCCEEDED(d3d9.direct3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, display, 0,
                                                      D3DRTYPE_TEXTURE, format));
}

bool capabilities(uint32_t adapter, D3DCAPS9* caps) {
    return d3d9.direct3d && adapter < d3d9.direct3d->GetAdapterCount() &&
           SUCCEEDED(d3d9.direct3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, caps));
}

bool adapterHasMode(uint32_t adapter, D3DFORMAT format, uint32_t width, uint32_t height) {
    const UINT count = d3d9.direct3d->GetAdapterModeCount(adapter, format);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (SUCCEEDED(d3d9.direct3d->EnumAdapterModes(adapter, format, i, &mode)) &&
            mode.Width == width && mode.Height == height)
            return true;
    }
    return false;
}

// "%x_%x_%x_%x" of the adapter's device identifier read as four little-endian words.
void identifierText(uint32_t adapter, char16_t* output, size_t size) {
    D3DADAPTER_IDENTIFIER9 identifier{};
    d3d9.direct3d->GetAdapterIdentifier(adapter, 0, &identifier);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&identifier.DeviceIdentifier);
    uint32_t words[4];
    for (int w = 0; w < 4; ++w) {
        words[w] = 0;
        for (int b = 3; b >= 0; --b) words[w] = words[w] << 8 | bytes[w * 4 + b];
    }
    pelSprintf(output, size, u"%x_%x_%x_%x", words[0], words[1], words[2], words[3]);
}

int32_t profileInt(const char16_t* section, const char16_t* key, int32_t fallback,
                   const char16_t* file) {
    return static_cast<int32_t>(platform::os::getPrivateProfileInt(section, key, fallback, file));
}

void writeNumber(const char16_t* section, const char16_t* key, const char16_t* format,
                 uint32_t value, const char16_t* file) {
    char16_t text[32];
    pelSprintf(text, std::size(text), format, value);
    platform::os::writePrivateProfileString(section, key, text, file);
}

}  // namespace

void pelD3d9Initialize() {
    if (d3d9.started) return;
    d3d9.started = true;
    d3d9.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    static bool registered = false;
    if (!registered) {
        registered = std::atexit(pelD3d9Finalize) == 0;
        if (!registered) pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized.");
    }
}

void pelD3d9Finalize() {
    if (!d3d9.started) return;
    d3d9.started = false;
    if (d3d9.direct3d) d3d9.direct3d->Release();
    d3d9.direct3d = nullptr;
}

IDirect3D9* pelD3d9Object() { return d3d9.direct3d; }

D3DFORMAT pelD3d9PickDisplayFormat(uint32_t kind, uint32_t adapter) {
    if (!d3d9.direct3d) return D3DFMT_UNKNOWN;
    switch (kind) {
    case PEL_D3D9_FULLSCREEN32:
        for (D3DFORMAT format : {D3DFMT_A2R10G10B10, D3DFMT_X8R8G8B8})
            if (deviceType(adapter, format, FALSE)) return format;
        return D3DFMT_UNKNOWN;
    case PEL_D3D9_FULLSCREEN16:
        for (D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5})
            if (deviceType(adapter, format, FALSE)) return format;
        return D3DFMT_UNKNOWN;
    case PEL_D3D9_WINDOW: {
        D3DDISPLAYMODE mode{};
        if (FAILED(d3d9.direct3d->GetAdapterDisplayMode(adapter, &mode))) return D3DFMT_UNKNOWN;
        return deviceType(adapter, mode.Format, TRUE) ? mode.Format : D3DFMT_UNKNOWN;
    }
    default:
        return D3DFMT_UNKNOWN;
    }
}

D3DFORMAT pelD3d9PickDepthFormat(uint32_t adapter, D3DFORMAT display) {
    if (!d3d9.direct3d) return D3DFMT_UNKNOWN;
    for (D3DFORMAT format : {D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D24X8, D3DFMT_D16}) {
        if (SUCCEEDED(d3d9.direct3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, display,
                                                       D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                                       format)) &&
            SUCCEEDED(d3d9.direct3d->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, display,
                                                            display, format)))
            return format;
    }
    return D3DFMT_UNKNOWN;
}

uint32_t pelD3d9FormatClass(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_A2R10G10B10
               ? 0
               : 1;
}

uint32_t pelD3d9ModeBits(uint32_t kind) {
    return kind == PEL_D3D9_FULLSCREEN32 ? 32 : kind == PEL_D3D9_FULLSCREEN16 ? 16 : 0;
}

D3DFORMAT pelD3d9PickTextureFormat(D3DFORMAT display, uint32_t adapter) {
    if (!d3d9.direct3d) return D3DFMT_UNKNOWN;
    if (pelD3d9FormatClass(display) == 0)
        return textureFormat(adapter, display, D3DFMT_A8R8G8B8) ? D3DFMT_A8R8G8B8 : D3DFMT_UNKNOWN;
    for (D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4})
        if (textureFormat(adapter, display, format)) return format;
    return D3DFMT_UNKNOWN;
}

D3DFORMAT pelD3d9PickAlphaTextureFormat(D3DFORMAT display, uint32_t adapter) {
    if (!d3d9.direct3d) return D3DFMT_UNKNOWN;
    const D3DFORMAT format = pelD3d9FormatClass(display) == 0 ? D3DFMT_A8R8G8B8 : D3DFMT_A4R4G4B4;
    return textureFormat(adapter, display, format) ? format : D3DFMT_UNKNOWN;
}

bool pelD3d9CanCompressTextures(D3DFORMAT display, uint32_t adapter) {
    return d3d9.direct3d && (textureFormat(adapter, display, D3DFMT_DXT1) ||
                             textureFormat(adapter, display, D3DFMT_DXT5));
}

bool pelD3d9CheckAdapter(PEL_D3D9_MODE* mode, const PEL_D3D9_REQUIREMENTS* requirements,
                         uint32_t adapter, uint32_t index) {
    D3DCAPS9 caps{};
    if (!capabilities(adapter, &caps)) return false;
    constexpr DWORD devCaps = D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_HWRASTERIZATION;
    constexpr DWORD miscCaps =
        D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    if ((caps.DevCaps & devCaps) != devCaps || (caps.PrimitiveMiscCaps & miscCaps) != miscCaps)
        return false;
    if (requirements->minTextureSize != 0 && (caps.MaxTextureWidth < requirements->minTextureSize ||
                                              caps.MaxTextureHeight < requirements->minTextureSize))
        return false;
    uint32_t usable = 0;
    for (uint32_t i = 0; i < requirements->modeCount; ++i) {
        const PEL_D3D9_MODE& entry = requirements->modes[i];
        const D3DFORMAT display = pelD3d9PickDisplayFormat(entry.kind, adapter);
        if (display == D3DFMT_UNKNOWN || pelD3d9PickTextureFormat(display, adapter) == 0 ||
            pelD3d9PickAlphaTextureFormat(display, adapter) == 0)
            continue;
        if (entry.kind != PEL_D3D9_WINDOW &&
            !adapterHasMode(adapter, display, entry.width, entry.height))
            continue;
        if (usable++ == index) {
            *mode = entry;
            return true;
        }
    }
    return false;
}

bool pelD3d9GetMultisampleType(uint32_t index, D3DMULTISAMPLE_TYPE* type) {
    if (index > 15) return false;
    *type = static_cast<D3DMULTISAMPLE_TYPE>(index == 0 ? 0 : index + 1);
    return true;
}

bool pelD3d9CheckMultisample(uint32_t adapter, D3DFORMAT display, bool windowed,
                             D3DMULTISAMPLE_TYPE type) {
    if (!d3d9.direct3d) return false;
    const D3DFORMAT depth = pelD3d9PickDepthFormat(adapter, display);
    const BOOL window = windowed ? TRUE : FALSE;
    return SUCCEEDED(d3d9.direct3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, display,
                                                               window, type, nullptr)) &&
           depth != D3DFMT_UNKNOWN &&
           SUCCEEDED(d3d9.direct3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, depth,
                                                               window, type, nullptr));
}

bool pelD3d9HasVertexShader20(uint32_t adapter) {
    D3DCAPS9 caps{};
    return capabilities(adapter, &caps) && caps.VertexShaderVersion >= D3DVS_VERSION(2, 0);
}

bool pelD3d9HasPixelShader20(uint32_t adapter) {
    D3DCAPS9 caps{};
    return capabilities(adapter, &caps) && caps.PixelShaderVersion >= D3DPS_VERSION(2, 0);
}

void pelD3d9ConfigDefault(PEL_D3D9_SETTINGS* settings, const PEL_D3D9_REQUIREMENTS* requirements) {
    settings->flags = 0;
    settings->multisample = 0;
    if (!d3d9.direct3d) return;
    const UINT count = d3d9.direct3d->GetAdapterCount();
    for (UINT adapter = 0; adapter < count; ++adapter) {
        if (pelD3d9CheckAdapter(&settings->mode, requirements, adapter, 0)) {
            settings->adapter = adapter;
            settings->flags = PEL_D3D9_VALID;
            return;
        }
    }
}

void pelD3d9ConfigLoad(PEL_D3D9_SETTINGS* settings, const PEL_D3D9_REQUIREMENTS* requirements,
                       const char16_t* file, const char16_t* section) {
    const auto useDefaults = [&] {
        pelReport(PEL_REPORT_WARNING,
                  u"Warning: [%s] 有効なビデオの設定が見つかりません。\r\n"
                  u"デフォルトの設定を使用します。",
                  "loadSetting");
        pelD3d9ConfigDefault(settings, requirements);
    };
    char16_t guid[64];
    platform::os::getPrivateProfileString(section, u"videoGuid", u"", guid, std::size(guid), file);
    const int32_t number = profileInt(section, u"videoNo", 0, file);
    const uint32_t kind = static_cast<uint32_t>(profileInt(section, u"videoColor", 12345, file));
    const uint32_t width = static_cast<uint32_t>(profileInt(section, u"videoWidth", 12345, file));
    const uint32_t height = static_cast<uint32_t>(profileInt(section, u"videoHeight", 12345, file));
    if (guid[0] == 0 || !d3d9.direct3d) return useDefaults();

    int32_t skip = number;
    UINT adapter = 0;
    const UINT count = d3d9.direct3d->GetAdapterCount();
    for (; adapter < count; ++adapter) {
        char16_t text[64];
        identifierText(adapter, text, std::size(text));
        if (std::u16string_view(text) == guid && skip-- == 0) break;
    }
    if (adapter == count) return useDefaults();
    PEL_D3D9_MODE mode{};
    uint32_t index = 0;
    bool found = false;
    while (!found && pelD3d9CheckAdapter(&mode, requirements, adapter, index++))
        found = mode.kind == kind && mode.width == width && mode.height == height;
    if (!found) return useDefaults();

    settings->adapter = adapter;
    settings->mode = mode;
    settings->multisample = requirements->multisample ? platform::os::getPrivateProfileInt(
                                                            section, u"videoMultisample", 0, file)
                                                      : 0;
    settings->flags = PEL_D3D9_VALID;
    if (profileInt(section, u"videoCompress", 0, file) != 0) settings->flags |= PEL_D3D9_COMPRESS;
    if (profileInt(section, u"videoNoFlip", 0, file) != 0) settings->flags |= PEL_D3D9_NO_FLIP;
    if (profileInt(section, u"videoCompatible", 0, file) != 0)
        settings->flags |= PEL_D3D9_COMPATIBLE;
}

void pelD3d9ConfigSave(const char16_t* section, const char16_t* file,
                       const PEL_D3D9_SETTINGS* settings) {
    platform::os::writePrivateProfileString(section, u"videoGuid", u"", file);
    if (!(settings->flags & PEL_D3D9_VALID) || !d3d9.direct3d) return;
    char16_t guid[64];
    identifierText(settings->adapter, guid, std::size(guid));
    uint32_t number = 0;
    for (uint32_t adapter = 0; adapter < settings->adapter; ++adapter) {
        char16_t other[64];
        identifierText(adapter, other, std::size(other));
        if (std::u16string_view(other) == guid) ++number;
    }
    platform::os::writePrivateProfileString(section, u"videoGuid", guid, file);
    writeNumber(section, u"videoNo", u"%d", number, file);
    writeNumber(section, u"videoColor", u"%d", settings->mode.kind, file);
    writeNumber(section, u"videoWidth", u"%d", settings->mode.width, file);
    writeNumber(section, u"videoHeight", u"%d", settings->mode.height, file);
    writeNumber(section, u"videoMultisample", u"%u", settings->multisample, file);
    writeNumber(section, u"videoCompress", u"%d", (settings->flags & PEL_D3D9_COMPRESS) ? 1 : 0,
                file);
    writeNumber(section, u"videoNoFlip", u"%d", (settings->flags & PEL_D3D9_NO_FLIP) ? 1 : 0, file);
    writeNumber(section, u"videoCompatible", u"%d", (settings->flags & PEL_D3D9_COMPATIBLE) ? 1 : 0,
                file);
}
