#pragma once
#include <cstdint>
#include <string>

#include "engine/config/command_line_scan.h"
#include "engine/config/config_script_record.h"
#include "engine/config/lounge_record.h"
#include "engine/config/settings_dialog_link.h"
#include "engine/config/updater_link.h"
#include "engine/config/video_settings.h"
#include "framework/input/input_settings.h"

// What is decided before the main window opens: how the program was started, the pipes to
// the lobby or adjuster program, the game's identity and titles, the chosen video mode and
// controller settings, and the exit code.
class Config {
public:
    Config() = default;

    // The start-up configuration: scans the command line, reads "ver", runs "sys/config", the
    // version check (a normal start with a target, and only with both updater parts), the
    // settings dialog and the start checks, and names the window class. 0 goes on with the
    // start; otherwise the start ends with `exitCode` (0 after a settings-only run).
    uint32_t init(ConfigSettingsDialog& settingsDialog, UpdaterConnection* updaterConnection,
                  UpdaterDialogs* updaterDialogs);

    // Takes the start mode and pipes of a scanned command line. False (exit code stays 1)
    // when the pipes do not suit the mode.
    bool applyStartOptions(const StartOptions& options);

    // Reads the game version from the loose file "ver" beside the program (one big-endian
    // u32); a missing or short file is fatal.
    void readVersion();
    // Names the main window class after the script's window class name.
    static void setWindowClass(const ConfigScriptRecord& record);

    // Empties the record: titles and game id lead into this Config, capacities 32, every text
    // empty, every input type with its own name and buttons and no buttons yet.
    void initScriptRecord(ConfigScriptRecord* record);
    // Runs "sys/config" in a temporary VM with the configuration natives over the record. A
    // missing script leaves the record as it is.
    void runConfigScript(ConfigScriptRecord* record);

    // One record from the input pipe when a whole one is waiting; false without the lounge
    // flag or while fewer than 276 bytes have arrived. A pipe failure is fatal.
    bool readLoungeData(LoungeRecord* record);
    // Writes a record of the type with an all-zero payload to the output pipe (lounge mode
    // only); a pipe failure is fatal.
    void writeLoungeData(uint32_t type);

    int32_t exitCode = 1;
    bool loungeFlag = false;
    StartMode mode = StartMode::Normal;
    uint32_t inputPipe = 0;
    uint32_t outputPipe = 0;
    int32_t gameId = -1;
    uint32_t gameVersion = UINT32_MAX;
    char16_t shortTitle[32] = {};
    char16_t gameTitle[32] = {};
    PEL_D3D9_SETTINGS video = {};
    PEL_INPUT_SETTINGS input = {};
    int32_t resourceScale = 1;

private:
    // The description of the settings dialog for the start mode, over the record's input types.
    ConfigDialogRequest dialogRequest(const ConfigScriptRecord& record) const;
    // Direct3D 9, a usable adapter and mode, and DirectInput 8: each missing one is a fatal
    // report. False when one was missing.
    bool checkStart() const;
};

// "TAVORIN_ENGINE_<name>": the suffix of the main window class.
std::u16string windowClassSuffix(const char16_t* windowClassName);
