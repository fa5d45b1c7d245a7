#include "engine/system/system.h"

#include <cstring>

#include "engine/config/config.h"
#include "engine/script/script_vm.h"
#include "engine/system/net.h"
#include "engine/system/system_input.h"
#include "foundation/DFile.h"
#include "foundation/pack/pack_registry.h"
#include "framework/core/report.h"
#include "framework/file/file.h"
#include "framework/msw/msw.h"
#include "framework/msw/window.h"
#include "render3d/L3DRenderer.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/BgmPlayer.h"
#include "sound/LSeManager.h"

namespace {

constexpr const char* kInitTag = "System::init";

void fatal(const char16_t* text) { pelReport(PEL_REPORT_ERROR, text, kInitTag); }

bool sameGuid(const platform::d3d9::GUID& a, const platform::d3d9::GUID& b) {
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

// The index in the 3D library's adapter list of the Direct3D adapter number. Adapters are told
// apart by their device identifier; of several identical ones the number picks the same
// occurrence in the list. -1 when the number is unknown or the list has no such entry.
int32_t adapterListIndex(uint32_t adapter) {
    using namespace platform::d3d9;
    IDirect3D9* direct3d = l3dDirect3D();
    D3DADAPTER_IDENTIFIER9 wanted{};
    if (!direct3d || FAILED(direct3d->GetAdapterIdentifier(adapter, 0, &wanted))) return -1;
    uint32_t skip = 0;
    for (uint32_t before = 0; before < adapter; ++before) {
        D3DADAPTER_IDENTIFIER9 other{};
        if (SUCCEEDED(direct3d->GetAdapterIdentifier(before, 0, &other)) &&
            sameGuid(other.DeviceIdentifier, wanted.DeviceIdentifier))
            ++skip;
    }
    for (size_t i = 0; i < l3dAdapters.entries.size(); ++i) {
        if (!sameGuid(l3dAdapters.entries[i].identifier.DeviceIdentifier, wanted.DeviceIdentifier))
            continue;
        if (skip == 0) return static_cast<int32_t>(i);
        --skip;
    }
    return -1;
}

}  // namespace

System::System() = default;

uint32_t System::displayWidth() const { return config_ ? config_->video.mode.width : 0; }

uint32_t System::displayHeight() const { return config_ ? config_->video.mode.height : 0; }

int32_t System::resourceScale() const { return config_ ? config_->resourceScale : 1; }

std::u16string System::parameterFilePath() {
    char16_t path[kPelMswPathSize];
    pelMswGetDataFilePath(path, u"prm");
    return path;
}

void System::init(Config& config, std::unique_ptr<Net> net) {
    config_ = &config;
    vm_ = std::make_unique<ScriptVM>();
    net_ = std::move(net);

    PEL_MSW_WINDOW_DESC desc{};
    desc.flags = PEL_MSW_WINDOW_HOOK_WIN_KEYS;
    desc.icon = 107;
    desc.title = config.gameTitle;
    desc.width = config.video.mode.width;
    desc.height = config.video.mode.height;
    desc.fullscreen = config.video.mode.kind != 2;
    if (!createMainWindow(desc)) {
        fatal(u"Error: [%s] メインウインドウが作成できませんでした。");
        return;
    }
    pelMswSetMessageBoxOwner(window_->handle);
    l3dOwnerWindow = window_->handle;

    if (!createDevice()) return;
    sound_.Create(window_->handle);
    for (float& volume : soundVolumes_) volume = 1.0f;
    resetRenderer();

    input_ = std::make_unique<SystemInput>();
    input_->init(vm_.get(), &config.input, window_->handle, !net_);
    if (!createControllers()) return;
    defaultPack_ = lfmRegistPack("");
    bgm_ = std::make_unique<BgmPlayer>(BgmSystemLink{&sound_, soundVolumes_, &defaultPack_});

    loadParameters();
    flags_ |= FlagInitialised;
}

bool System::createDevice() {
    const PEL_D3D9_SETTINGS& video = config_->video;
    const int32_t listIndex = adapterListIndex(video.adapter);
    if (listIndex < 0) {
        fatal(u"Error: [%s] 内部エラー(MSW->QN 3D変換 0)");
        return false;
    }
    int32_t bits = 0;
    uint32_t width = 0, height = 0;
    uint32_t options = L3DDevice::OptionCheckCompression | L3DDevice::OptionCheckMipmap;
    switch (video.mode.kind) {
    case 0:
    case 1:
        bits = video.mode.kind == 0 ? 32 : 16;
        width = video.mode.width;
        height = video.mode.height;
        break;
    case 2:
        options |= L3DDevice::OptionPreferWindow;
        break;
    default:
        fatal(u"Error: [%s] 内部エラー(MSW->QN 3D変換 1)");
        return false;
    }
    if ((video.flags & PEL_D3D9_NO_FLIP) || net_) options |= L3DDevice::OptionImmediate;
    device_.Create(static_cast<uint32_t>(listIndex), window_->handle, bits, width, height,
                   video.multisample, options);
    return true;
}

// During a network game the session takes row 0 as the local input and feeds every player's
// controller; offline the rows feed them, row 0 always and rows 1 to 3 when their pad exists.
bool System::createControllers() {
    PEL_CONTROLLER_SOURCE source{};
    if (net_) {
        input_->makeControllerInterface(0, &source);
        net_->setLocalInput(source);
    }
    for (uint32_t slot = 0; slot < kSystemControllers; ++slot) {
        const bool given = net_ ? net_->getPlayerInput(&source, static_cast<int32_t>(slot))
                                : input_->makeControllerInterface(slot, &source);
        if (!given) continue;
        if (!createController(slot, source)) {
            fatal(u"Error: [%s] 内部エラー(can't create input engine)");
            return false;
        }
    }
    return true;
}

void System::resetRenderer() {
    if (bgm_) bgm_->stopAll();
    renderer_.Reset();
    renderer_.Create();
    mirel::DFile archive;
    lfmOpenPackData(lfmRegistPack(""), archive, "sys/renderer.csa");
    renderer_->Create(mirel::rcptr<L3DDevice>::NonOwning(&device_),
                      mirel::rcptr<mirel::DsndManager>::NonOwning(&sound_), archive);
    if (const auto& effects = renderer_->seManager) {
        effects->_ReserveTypeSettings();
        for (uint32_t type = 0; type < 3; ++type)
            effects->configureTypeSetting(type, soundVolumes_[type]);
    }
}

void System::pollInput() {
    pelMswWindowPumpMessages(window_);
    if (input_) input_->update();
    if (!window_) return;
    const bool closeRequested = window_->closeRequested != 0;
    window_->closeRequested = 0;
    if (closeRequested && !net_) flags_ |= FlagQuit;
}

void System::setNetReady() {
    if (net_) net_->setReady();
}

bool System::createMainWindow(const PEL_MSW_WINDOW_DESC& desc) {
    destroyMainWindow();
    window_ = pelMswWindowCreate(&desc);
    return window_ != nullptr;
}

void System::destroyMainWindow() {
    pelMswWindowDestroy(window_);
    window_ = nullptr;
}

bool System::createController(uint32_t slot, const PEL_CONTROLLER_SOURCE& source) {
    destroyController(slot);
    const PEL_CONTROLLER_PARAMETERS parameters{&source, 20, 10};
    controllers_[slot] = pelControllerCreate(&parameters);
    return controllers_[slot] != nullptr;
}

void System::destroyController(uint32_t slot) {
    if (controllers_[slot]) pelControllerDestroy(controllers_[slot]);
    controllers_[slot] = nullptr;
}

void System::loadParameters() {
    const std::u16string path = parameterFilePath();
    if (pelFileExists(PEL_FILE_MODE_READ, path.c_str()) != PEL_OK) {
        pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] parameter file \"%ls\" isn't exist", kInitTag,
                  path.c_str());
        return;
    }
    pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] load paramete file \"%ls\"", kInitTag,
              path.c_str());
    parameters_.load(path.c_str());
}

void System::saveParameters() {
    pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] save parameter file", "System::~System");
    parameters_.save(parameterFilePath().c_str());
}

System::~System() {
    // A failed save has been reported; the release goes on, as a throw out of a destructor
    // would end the program on the spot.
    if (flags_ & FlagInitialised) {
        try {
            saveParameters();
        } catch (...) {
        }
    }
    delete next_;
    next_ = nullptr;
    delete current_;
    current_ = nullptr;
    parameters_.clear();
    if (bgm_) bgm_->stopAll();
    bgm_.reset();
    pelMswSetMessageBoxOwner(nullptr);
    l3dOwnerWindow = nullptr;
    for (uint32_t slot = 0; slot < kSystemControllers; ++slot) destroyController(slot);
    if (input_) input_->release();
    input_.reset();
    renderer_.Reset();
    sound_.Release();
    device_.ReleaseAll();
    destroyMainWindow();
    net_.reset();
    vm_.reset();
    flags_ = 0;
}
