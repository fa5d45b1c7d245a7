#include "framework/config/d3d9_page.h"

#include <iterator>

#include "framework/core/format.h"
#include "framework/core/report.h"
#include "platform/os/cp932.h"

using namespace platform::d3d9;

namespace {

struct D3d9Page {
    PEL_MSW_CONFIG_PAGE page;  // first: the framework's record
    PEL_D3D9_SETTINGS* settings;
    const PEL_D3D9_REQUIREMENTS* requirements;
    bool initialised;
    PEL_MSW_CONTROL adapterLabel, adapterCombo;
    PEL_MSW_CONTROL modeLabel, modeCombo;
    PEL_MSW_CONTROL multisampleLabel, multisampleCombo;
    PEL_MSW_CONTROL compress, noFlip, compatible;

    PEL_MSW_CONTROL* controls[9] = {&adapterLabel, &adapterCombo,     &modeLabel,
                                    &modeCombo,    &multisampleLabel, &multisampleCombo,
                                    &compress,     &noFlip,           &compatible};
};

D3d9Page* of(PEL_MSW_CONFIG_PAGE* page) { return reinterpret_cast<D3d9Page*>(page); }

void halfLine(PEL_MSW_CONFIG_PAGE* page) { page->layout.row += page->layout.unit / 2; }

uint32_t checkFlag(const D3d9Page& video, PEL_MSW_CONTROL control) {
    if (control == video.compress) return PEL_D3D9_COMPRESS;
    if (control == video.noFlip) return PEL_D3D9_NO_FLIP;
    if (control == video.compatible) return PEL_D3D9_COMPATIBLE;
    return 0;
}

// The selected mode becomes the chosen one; a different mode drops the multisampling.
void modeChanged(D3d9Page& video) {
    PEL_MSW_CONFIG_PAGE* page = &video.page;
    PEL_D3D9_SETTINGS& settings = *video.settings;
    const intptr_t index = pelMswComboGetSelectedData(page, video.modeCombo);
    PEL_D3D9_MODE mode{};
    if (index < 0 || !pelD3d9CheckAdapter(&mode, video.requirements, settings.adapter,
                                          static_cast<uint32_t>(index)))
        return;
    if (mode.kind != settings.mode.kind || mode.width != settings.mode.width ||
        mode.height != settings.mode.height || mode.tableFlag != settings.mode.tableFlag)
        settings.multisample = 0;
    settings.mode = mode;
    const D3DFORMAT display = pelD3d9PickDisplayFormat(mode.kind, settings.adapter);
    if (video.requirements->multisample) {
        page->toolkit->comboClear(video.multisampleCombo);
        pelMswComboAddItem(page, video.multisampleCombo, u"なし", 0);
        for (uint32_t n = 1; n <= 15; ++n) {
            D3DMULTISAMPLE_TYPE type{};
            if (!pelD3d9GetMultisampleType(n, &type) ||
                !pelD3d9CheckMultisample(settings.adapter, display, mode.kind == PEL_D3D9_WINDOW,
                                         type))
                continue;
            char16_t text[32];
            pelSprintf(text, std::size(text), u"%d samples", n + 1);
            pelMswComboAddItem(page, video.multisampleCombo, text, n);
        }
        pelMswComboSelectByData(page, video.multisampleCombo, settings.multisample);
    } else {
        settings.multisample = 0;
    }
    pelMswConfigEnableControl(page, video.compress,
                              pelD3d9CanCompressTextures(display, settings.adapter));
}

// Lists the selected adapter's usable modes and selects the chosen one (the first for an
// adapter newly chosen).
void adapterChanged(D3d9Page& video) {
    PEL_MSW_CONFIG_PAGE* page = &video.page;
    PEL_D3D9_SETTINGS& settings = *video.settings;
    const intptr_t selected = pelMswComboGetSelectedData(page, video.adapterCombo);
    if (selected < 0) return;
    const uint32_t adapter = static_cast<uint32_t>(selected);
    page->toolkit->comboClear(video.modeCombo);
    intptr_t current = 0;
    PEL_D3D9_MODE mode{};
    for (uint32_t index = 0; pelD3d9CheckAdapter(&mode, video.requirements, adapter, index);
         ++index) {
        char16_t text[64];
        if (mode.kind == PEL_D3D9_WINDOW) {
            pelSprintf(text, std::size(text), u"Window %dx%d", mode.width, mode.height);
        } else {
            pelSprintf(text, std::size(text), u"Fullscreen %dbpp %dx%d", pelD3d9ModeBits(mode.kind),
                       mode.width, mode.height);
        }
        pelMswComboAddItem(page, video.modeCombo, text, index);
        if (mode.kind == settings.mode.kind && mode.width == settings.mode.width &&
            mode.height == settings.mode.height && adapter == settings.adapter)
            current = index;
    }
    settings.adapter = adapter;
    pelMswComboSelectByData(page, video.modeCombo, current);
    modeChanged(video);
}

const char16_t* yesNo(bool value) { return value ? u"Yes" : u"No"; }
const char16_t* available(bool value) { return value ? u"Available" : u"Not available"; }

}  // namespace

void pelD3d9ConfigAddPage(PEL_D3D9_SETTINGS* settings, PEL_MSW_CONFIG* dialog,
                          const PEL_D3D9_REQUIREMENTS* requirements) {
    *settings = PEL_D3D9_SETTINGS{};
    auto* video = new D3d9Page{};
    video->settings = settings;
    video->requirements = requirements;
    PEL_MSW_CONFIG_PAGE& page = video->page;
    page.title = u"ビデオ";
    page.init = pelD3d9PageInit;
    page.close = pelD3d9PageFree;
    page.show = pelD3d9PageShow;
    page.hide = pelD3d9PageHide;
    page.isTransparent = pelD3d9PageOwnsControl;
    page.command = pelD3d9PageCommand;
    page.report = pelD3d9PageReport;
    pelListAppend(&dialog->pages, video);
}

void pelD3d9PageInit(PEL_MSW_CONFIG_PAGE* page, bool useDefaults) {
    D3d9Page& video = *of(page);
    IDirect3D9* direct3d = pelD3d9Object();
    if (!direct3d) {
        pelReport(PEL_REPORT_WARNING,
                  u"Warning: [%s] 使用可能なDirect3D9が見つかりません。\r\n"
                  u"最新のDirectXをインストールしてください。",
                  "pluginOnInit");
        return;
    }
    video.adapterLabel = pelMswConfigAddLabel(page, 1, u"使用するビデオカード");
    video.adapterCombo = pelMswConfigAddCombo(page);
    halfLine(page);
    video.modeLabel = pelMswConfigAddLabel(page, 1, u"使用する解像度");
    video.modeCombo = pelMswConfigAddCombo(page);
    halfLine(page);
    if (video.requirements->multisample) {
        video.multisampleLabel = pelMswConfigAddLabel(page, 1, u"アンチエイリアシングのレベル");
        video.multisampleCombo = pelMswConfigAddCombo(page);
        halfLine(page);
    }
    video.compress = pelMswConfigAddCheck(page, u"テクスチャの圧縮を行う");
    video.noFlip = pelMswConfigAddCheck(page, u"フリップを行わない");
    video.compatible = pelMswConfigAddCheck(page, u"互換モードでレンダリング");

    const UINT count = direct3d->GetAdapterCount();
    for (UINT adapter = 0; adapter < count; ++adapter) {
        PEL_D3D9_MODE mode{};
        if (!pelD3d9CheckAdapter(&mode, video.requirements, adapter, 0)) continue;
        D3DADAPTER_IDENTIFIER9 identifier{};
        direct3d->GetAdapterIdentifier(adapter, 0, &identifier);
        pelMswComboAddItem(page, video.adapterCombo,
                           platform::os::cp932ToUtf16(identifier.Description).c_str(), adapter);
    }
    if (useDefaults) {
        pelD3d9ConfigDefault(video.settings, video.requirements);
    } else {
        pelD3d9ConfigLoad(video.settings, video.requirements, page->settingsPath, page->section);
    }
    video.initialised = true;
}

void pelD3d9PageShow(PEL_MSW_CONFIG_PAGE* page) {
    D3d9Page& video = *of(page);
    if (!video.initialised) return;
    const bool valid = (video.settings->flags & PEL_D3D9_VALID) != 0;
    for (PEL_MSW_CONTROL* control : video.controls) {
        pelMswConfigShowControl(page, *control, true);
        pelMswConfigEnableControl(page, *control, valid);
    }
    if (!valid) return;
    pelMswComboSelectByData(page, video.adapterCombo, video.settings->adapter);
    adapterChanged(video);
    for (PEL_MSW_CONTROL check : {video.compress, video.noFlip, video.compatible})
        page->toolkit->setCheck(check, (video.settings->flags & checkFlag(video, check)) != 0);
}

void pelD3d9PageHide(PEL_MSW_CONFIG_PAGE* page) {
    D3d9Page& video = *of(page);
    if (!video.initialised) return;
    for (PEL_MSW_CONTROL* control : video.controls) pelMswConfigShowControl(page, *control, false);
}

bool pelD3d9PageOwnsControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control) {
    const D3d9Page& video = *of(page);
    if (!video.initialised || control == 0) return false;
    for (PEL_MSW_CONTROL owned : {video.adapterCombo, video.modeCombo, video.multisampleCombo,
                                  video.compress, video.noFlip, video.compatible})
        if (owned == control) return true;
    return false;
}

void pelD3d9PageCommand(PEL_MSW_CONFIG_PAGE* page, uint32_t code, PEL_MSW_CONTROL control) {
    D3d9Page& video = *of(page);
    if (!video.initialised || control == 0) return;
    if (code == platform::window::kDialogClicked) {
        if (const uint32_t flag = checkFlag(video, control)) {
            video.settings->flags ^= flag;
            page->toolkit->setCheck(control, (video.settings->flags & flag) != 0);
        }
    } else if (code == platform::window::kDialogSelectionChanged) {
        if (control == video.adapterCombo) {
            adapterChanged(video);
        } else if (control == video.modeCombo) {
            modeChanged(video);
        } else if (control == video.multisampleCombo) {
            const intptr_t data = pelMswComboGetSelectedData(page, control);
            if (data >= 0) video.settings->multisample = static_cast<uint32_t>(data);
        }
    }
}

void pelD3d9PageReport(char16_t* output, size_t size, PEL_MSW_CONFIG_PAGE* page) {
    const D3d9Page& video = *of(page);
    IDirect3D9* direct3d = pelD3d9Object();
    const PEL_D3D9_SETTINGS& settings = *video.settings;
    if (!direct3d) {
        pelSprintf(output, size,
                   u"-----\r\nVideo Setting\r\n  Direct3D9が見つかりません。\r\n\r\n");
        return;
    }
    if (!video.initialised) {
        pelSprintf(output, size, u"-----\r\nVideo Setting\r\n  初期化に失敗しました。\r\n\r\n");
        return;
    }
    if (!(settings.flags & PEL_D3D9_VALID)) {
        pelSprintf(
            output, size,
            u"-----\r\nVideo Setting\r\n  有効なグラフィックチップが見つかりません。\r\n\r\n");
        return;
    }
    D3DADAPTER_IDENTIFIER9 identifier{};
    direct3d->GetAdapterIdentifier(settings.adapter, 0, &identifier);
    const uint64_t version = static_cast<uint64_t>(identifier.DriverVersion);
    const auto word = [version](int shift) {
        return static_cast<int>((version >> shift) & 0xFFFF);
    };
    const D3DFORMAT display = pelD3d9PickDisplayFormat(settings.mode.kind, settings.adapter);
    pelSprintf(output, size,
               u"-----\r\nVideo Setting\r\n  Adaptor: %s(%d.%d.%d.%d)\r\n  Color: %d(%ls)\r\n"
               u"  Res: %d x %d\r\n  Multisample: %d\r\n  Compress: %ls(%ls)\r\n  NoFlip: %ls\r\n"
               u"  Vshader: %ls\r\n  Pshader: %ls\r\n  Compatible: %ls\r\n\r\n",
               identifier.Description, word(48), word(32), word(16), word(0),
               pelD3d9ModeBits(settings.mode.kind),
               settings.mode.kind == PEL_D3D9_WINDOW ? u"Windowed" : u"Fullscreen",
               settings.mode.width, settings.mode.height,
               settings.multisample == 0 ? 0 : settings.multisample + 1,
               yesNo(settings.flags & PEL_D3D9_COMPRESS),
               available(pelD3d9CanCompressTextures(display, settings.adapter)),
               yesNo(settings.flags & PEL_D3D9_NO_FLIP),
               available(pelD3d9HasVertexShader20(settings.adapter)),
               available(pelD3d9HasPixelShader20(settings.adapter)),
               yesNo(settings.flags & PEL_D3D9_COMPATIBLE));
}

void pelD3d9PageFree(PEL_MSW_CONFIG_PAGE* page, bool save) {
    D3d9Page* video = of(page);
    if (save && video->initialised)
        pelD3d9ConfigSave(page->section, page->settingsPath, video->settings);
    delete video;
}
