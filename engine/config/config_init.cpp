#include "engine/config/config.h"
#include "engine/config/updater.h"
#include "platform/os/command_line.h"

namespace {

constexpr uint16_t kDialogIcon = 107;

bool updaterConfigured(const ConfigScriptRecord& record) {
    return record.updaterHost[0] && record.updaterPort > 0 && record.updaterDirectory[0];
}

bool settingsOnly(StartMode mode) {
    return mode == StartMode::SettingsOnly || mode == StartMode::NetworkSettings;
}

}  // namespace

ConfigDialogRequest Config::dialogRequest(const ConfigScriptRecord& record) const {
    ConfigDialogRequest request{};
    request.icon = kDialogIcon;
    request.caption = gameTitle;
    if (mode == StartMode::Lounge || mode == StartMode::NetworkSettings)
        request.section = u"NetConfig";
    request.reportHeader = record.logHeader;
    // The lobby and the adjuster start without the player: their run only loads and saves.
    request.show = mode != StartMode::Lounge && mode != StartMode::Adjuster;
    request.modes = kConfigVideoModes;
    request.modeCount = kConfigVideoModeCount;
    request.minTextureSize = kConfigMinTextureSize;
    request.multisample = true;
    request.inputTypes = record.inputTypes;
    request.inputTypeCount = static_cast<uint32_t>(record.namedTypeCount());
    request.padCount = record.padCount;
    return request;
}

uint32_t Config::init(ConfigSettingsDialog& settingsDialog, UpdaterConnection* updaterConnection,
                      UpdaterDialogs* updaterDialogs) {
    if (!applyStartOptions(scanCommandLine(platform::os::commandLine().c_str()))) return 1;
    readVersion();

    ConfigScriptRecord record;
    initScriptRecord(&record);
    runConfigScript(&record);

    if (mode == StartMode::Normal && updaterConnection && updaterDialogs &&
        updaterConfigured(record)) {
        Updater updater(*updaterConnection, *updaterDialogs);
        const bool goOn = updater.run(record.updaterHost, record.updaterPort,
                                      record.updaterDirectory, gameVersion, shortTitle);
        updaterConnection->close();
        updaterDialogs->closeProgress();
        if (!goOn) return 1;
    }

    if (!settingsDialog.run(dialogRequest(record), &video, &input)) return 1;
    if (!checkStart()) return 1;
    setWindowClass(record);

    if (settingsOnly(mode)) {
        exitCode = 0;
        return 1;
    }
    return 0;
}
