#include <algorithm>
#include <cstdio>
#include <string>

#include "foundation/DSjisText.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DDevice.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/format_table.h"
#include "render3d/window_client_size.h"

using mirel::DSjis;
using namespace platform::d3d9;
using mirel::rcptr;

namespace {

constexpr DWORD kShaderVersion11Vertex = 0xFFFE0101;
constexpr DWORD kShaderVersion11Pixel = 0xFFFF0101;

std::string formatText(const char* format, auto... arguments) {
    const int length = std::snprintf(nullptr, 0, format, arguments...);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, arguments...);
    return text;
}

const char* enabled(bool on) { return on ? "enable" : "disable"; }

}  // namespace

L3DDevice::L3DDevice() = default;

L3DDevice::~L3DDevice() { ReleaseAll(); }

uint32_t L3DDevice::adapterOrdinal() const { return caps_.AdapterOrdinal; }

void L3DDevice::chooseMultiSample(D3DPRESENT_PARAMETERS& pp, bool windowed,
                                  D3DMULTISAMPLE_TYPE type) const {
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    if (type == D3DMULTISAMPLE_NONE) return;
    IDirect3D9* direct3d = l3dDirect3D();
    DWORD colourQuality = 0, depthQuality = 0;
    if (direct3d->CheckDeviceMultiSampleType(adapterOrdinal(), D3DDEVTYPE_HAL, pp.BackBufferFormat,
                                             windowed, type, &colourQuality) != D3D_OK ||
        direct3d->CheckDeviceMultiSampleType(adapterOrdinal(), D3DDEVTYPE_HAL,
                                             pp.AutoDepthStencilFormat, windowed, type,
                                             &depthQuality) != D3D_OK)
        return;
    pp.MultiSampleType = type;
    pp.MultiSampleQuality = std::min(colourQuality, depthQuality) - 1;
}

void L3DDevice::Create(uint32_t adapter, HWND window, int32_t fullScreenBits,
                       uint32_t fullScreenWidth, uint32_t fullScreenHeight,
                       uint32_t multiSampleIndex, uint32_t options) {
    if (device_) l3dError(DSjis<"[L3DDevice::Create] すでに作成されている">());
    if (adapter >= l3dAdapters.count)
        l3dError(DSjis<"[L3DDevice::Create] 指定されたアダプタ番号(%d)は存在しない">(),
                 static_cast<int>(adapter));
    windowed_ = lost_ = 0;
    window_ = window;
    adapter_ = adapter;
    fullScreenParameters_ = {};
    windowParameters_ = {};
    flags_ = 0;
    colourDepth_ = 0;
    caps_ = l3dAdapters.entries[adapter].caps;
    IDirect3D9* direct3d = l3dDirect3D();

    uint32_t desktopBits = 0;
    D3DDISPLAYMODE desktop{};
    if (direct3d->GetAdapterDisplayMode(adapterOrdinal(), &desktop) == D3D_OK) {
        for (uint32_t bits : {16u, 24u, 32u}) {
            if (l3dIsKnownFormat(bits, desktop.Format)) {
                desktopBits = bits;
                break;
            }
        }
    }

    const D3DMULTISAMPLE_TYPE multiSample =
        multiSampleIndex >= 1 && multiSampleIndex <= 15
            ? static_cast<D3DMULTISAMPLE_TYPE>(multiSampleIndex + 1)
            : D3DMULTISAMPLE_NONE;

    uint32_t chosenBits = 0;
    if (fullScreenWidth != 0 && fullScreenHeight != 0) {
        D3DPRESENT_PARAMETERS& pp = fullScreenParameters_;
        pp.BackBufferWidth = fullScreenWidth;
        pp.BackBufferHeight = fullScreenHeight;
        D3DFORMAT display = D3DFMT_UNKNOWN, backBuffer = D3DFMT_UNKNOWN;
        auto tryBits = [&](uint32_t bits) {
            if (bits == 0 || !l3dFindDisplayMode(adapter, bits, fullScreenWidth, fullScreenHeight,
                                                 display, backBuffer))
                return false;
            chosenBits = bits;
            return true;
        };
        const bool found = fullScreenBits != 0
                               ? tryBits(static_cast<uint32_t>(fullScreenBits))
                               : tryBits(desktopBits) || tryBits(16) || tryBits(32) || tryBits(24);
        if (found) {
            flags_ |= FlagFullScreen;
            fullScreenDisplay_ = display;
            pp.BackBufferFormat = backBuffer;
            pp.EnableAutoDepthStencil = TRUE;
            if (!l3dFindDepthFormat(adapter, chosenBits, fullScreenWidth, fullScreenHeight,
                                    pp.AutoDepthStencilFormat))
                flags_ &= ~FlagFullScreen;
        }
        chooseMultiSample(pp, false, multiSample);
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = FALSE;
        pp.FullScreen_RefreshRateInHz = 60;
        if (options & OptionImmediate) {
            pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        } else {
            pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
            flags_ |= FlagDefaultInterval;
        }
    }

    if (l3dCheckWindowedDevice(adapter) && desktopBits != 0) {
        D3DPRESENT_PARAMETERS& pp = windowParameters_;
        l3dGetClientSize(window, pp.BackBufferWidth, pp.BackBufferHeight);
        if (l3dFindDisplayMode(adapter, 0, 0, 0, windowDisplay_, pp.BackBufferFormat)) {
            flags_ |= FlagWindow;
            pp.EnableAutoDepthStencil = TRUE;
            if (!l3dFindDepthFormat(adapter, 0, 0, 0, pp.AutoDepthStencilFormat))
                flags_ &= ~FlagWindow;
        }
        chooseMultiSample(pp, true, multiSample);
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        pp.FullScreen_RefreshRateInHz = 0;
    }

    const D3DADAPTER_IDENTIFIER9& identifier = l3dAdapters.entries[adapter].identifier;
    if (!(flags_ & (FlagFullScreen | FlagWindow)))
        l3dError(DSjis<"[L3DDevice::Create] D3D機能が利用できませんでした(%.255s/%.255s)">(),
                 identifier.Description, identifier.Driver);

    if (flags_ & FlagFullScreen)
        colourDepth_ = static_cast<int32_t>(
            (flags_ & FlagWindow) ? std::max(chosenBits, desktopBits) : chosenBits);
    else
        colourDepth_ = static_cast<int32_t>(desktopBits);

    if (options & OptionCheckCompression) {
        const bool fullScreenDxt =
            !(flags_ & FlagFullScreen) ||
            l3dCheckDxtSupport(adapter, chosenBits, fullScreenWidth, fullScreenHeight);
        const bool windowDxt = !(flags_ & FlagWindow) || l3dCheckDxtSupport(adapter, 0, 0, 0);
        if (fullScreenDxt && windowDxt) flags_ |= FlagDxt;
    }
    if ((options & OptionCheckMipmap) && (caps_.TextureCaps & D3DPTEXTURECAPS_MIPMAP))
        flags_ |= FlagMipmap;
    if (caps_.VertexShaderVersion >= kShaderVersion11Vertex) flags_ |= FlagVertexShader;
    if (caps_.PixelShaderVersion >= kShaderVersion11Pixel) flags_ |= FlagPixelShader;

    windowed_ =
        (flags_ & FlagWindow) && ((options & OptionPreferWindow) || !(flags_ & FlagFullScreen));
    createDevice();
    if (!windowed_ && (flags_ & FlagDefaultInterval)) flags_ |= FlagPresentWaits;

    _AcquireSurfaces();
    _CreateTextureManager();
    _InitStateTables();

    if (flags_ & FlagVertexShader) {
        D3DDEVICE_CREATION_PARAMETERS creation{};
        if (device_->GetCreationParameters(&creation) == D3D_OK &&
            (creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING))
            flags_ &= ~FlagVertexShader;
    }
    logCreationReport(desktopBits, chosenBits);
}

void L3DDevice::createDevice() {
    IDirect3D9* direct3d = l3dDirect3D();
    const uint8_t startedWindowed = windowed_;
    for (;;) {
        const bool mixed = (flags_ & FlagVertexShader) != 0;
        D3DPRESENT_PARAMETERS pp = currentParameters();
        if (direct3d->CreateDevice(
                adapterOrdinal(), D3DDEVTYPE_HAL, window_,
                mixed ? D3DCREATE_MIXED_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                &device_) == D3D_OK)
            return;
        pp = currentParameters();
        if (mixed &&
            direct3d->CreateDevice(adapterOrdinal(), D3DDEVTYPE_HAL, window_,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED,
                                   &pp, &device_) == D3D_OK)
            return;
        device_ = nullptr;
        if (windowed_ && (flags_ & FlagFullScreen))
            windowed_ = 0;
        else if (!windowed_ && (flags_ & FlagWindow))
            windowed_ = 1;
        if (windowed_ == startedWindowed)
            l3dError(DSjis<"[L3DDevice::Create] D3Dデバイスが作成できません">());
    }
}

void L3DDevice::logCreationReport(uint32_t desktopBits, uint32_t fullScreenBits) const {
    const D3DADAPTER_IDENTIFIER9& identifier = l3dAdapters.entries[adapter_].identifier;
    const auto version = static_cast<uint64_t>(identifier.DriverVersion);
    std::string report = formatText(
        "[L3DDevice::Create] Using a D3D Adapter is %s(%s v%d.%d.%d.%d).\r\n",
        identifier.Description, identifier.Driver, static_cast<int>((version >> 48) & 0xFFFF),
        static_cast<int>((version >> 32) & 0xFFFF), static_cast<int>((version >> 16) & 0xFFFF),
        static_cast<int>(version & 0xFFFF));
    const char* modeText =
        "\t\tBackbuffer: %dx%dx%d(%s)\r\n\t\tDepth: %s\r\n\t\tMultisample: %d\r\n";
    auto mode = [&](const D3DPRESENT_PARAMETERS& pp, uint32_t bits) {
        return formatText(
            modeText, static_cast<int>(pp.BackBufferWidth), static_cast<int>(pp.BackBufferHeight),
            static_cast<int>(bits), l3dGetFormatName(pp.BackBufferFormat),
            l3dGetFormatName(pp.AutoDepthStencilFormat), static_cast<int>(pp.MultiSampleType));
    };
    report += (flags_ & FlagFullScreen)
                  ? "\tFullscreen:\r\n" + mode(fullScreenParameters_, fullScreenBits)
                  : std::string("\tCan't use in fullscreen mode.\r\n");
    report += (flags_ & FlagWindow) ? "\tWindow:\r\n" + mode(windowParameters_, desktopBits)
                                    : std::string("\tCan't use in window mode.\r\n");
    report += formatText(
        "\tStencil: %s\r\n\tTexture Compress: %s\r\n\tVertex Shader: %s\r\n\tVertex Shader "
        "Const: %d\r\n\tVertex Shader Matrix: %d\r\n\tPixel Shader: %s\r\n\tTexture mipmap: "
        "%s\r\n",
        enabled(flags_ & FlagStencil), enabled(flags_ & FlagDxt),
        enabled(flags_ & FlagVertexShader), static_cast<int>(caps_.MaxVertexShaderConst), 256,
        enabled(flags_ & FlagPixelShader), enabled(flags_ & FlagMipmap));
    l3dWriteLog(report.c_str(), 0);
}

void L3DDevice::ReleaseAll() {
    if (!device_) return;
    _ReleasePShaders();
    _ReleaseVShaders();
    _ReleaseIBuffers();
    _ReleaseVBuffers();
    _ReleaseTextures();
    _ReleaseDefaultPool();
    depthSurfaces_._EraseAllNodes();
    vertexShader_ = nullptr;
    pixelShader_ = nullptr;
    streamSource_ = nullptr;
    indices_ = nullptr;
    releaseRef(device_);
}
