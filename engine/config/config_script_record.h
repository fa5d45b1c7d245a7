#pragma once
#include <cstdint>

#include "engine/script/script_host.h"

class ScriptObject;

// One logical button of an input type: its name and the two values the controller page reads
// (the second is the default keyboard key).
struct ConfigInputButton {
    char16_t* name;
    int32_t firstValue;
    int32_t secondValue;
};

struct ConfigInputType {
    char16_t* name;  // 32 units
    ConfigInputButton* buttons;
    uint32_t buttonCount;
};

// What "sys/config" declares: handed to its task as the engine, so the configuration natives
// reach it from their VM. The titles and the game id are written straight into the Config.
struct ConfigScriptRecord final : ScriptHost {
    static constexpr int kInputTypes = 4;
    static constexpr int kButtonsPerType = 16;

    BinManager* binManager() override { return nullptr; }

    char16_t windowClassName[16];
    int32_t* gameId;
    uint32_t gameVersion;
    char16_t* shortTitle;
    uint32_t shortTitleCapacity;
    char16_t* gameTitle;
    uint32_t gameTitleCapacity;
    char16_t logHeader[128];
    ConfigInputType inputTypes[kInputTypes];
    char16_t typeNames[kInputTypes][32];
    ConfigInputButton buttons[kInputTypes][kButtonsPerType];
    char16_t buttonNames[kInputTypes][kButtonsPerType][16];
    int32_t padCount;
    char16_t updaterHost[128];
    int32_t updaterPort;
    char16_t updaterDirectory[128];

    // The number of leading input types with a non-empty name.
    int namedTypeCount() const;
};

// Registers globalGetGameVersion and the nine conf… natives in the table.
void registerConfigNatives(const ScriptObject& table);
