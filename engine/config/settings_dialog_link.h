#pragma once
#include <cstdint>

#include "engine/config/config_script_record.h"
#include "engine/config/video_settings.h"
#include "framework/input/input_settings.h"

// What the start-up asks of the settings dialog: the dialog's description and the two pages
// it adds, the video page over the mode table and the controller page over the script's input
// types.
struct ConfigDialogRequest {
    uint16_t icon;            // resource identifier of the dialog's icon
    const char16_t* caption;  // the game title
    const char16_t* section;  // settings-file section; null for the dialog's default
    const char16_t* reportHeader;
    bool show;  // false: runs hidden and accepts at once
    const ConfigVideoMode* modes;
    uint32_t modeCount;
    uint32_t minTextureSize;
    bool multisample;  // the multisample choice is offered
    const ConfigInputType* inputTypes;
    uint32_t inputTypeCount;  // the leading types with a name
    int32_t padCount;
};

// The settings dialog as the start-up uses it.
class ConfigSettingsDialog {
public:
    virtual ~ConfigSettingsDialog() = default;
    // Adds the video page over `video` and the controller page over `input` and runs the
    // dialog; true when it was accepted. The pages fill both records whatever the outcome.
    virtual bool run(const ConfigDialogRequest& request, ConfigVideoSettings* video,
                     PEL_INPUT_SETTINGS* input) = 0;
};
