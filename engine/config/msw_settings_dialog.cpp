#include "engine/config/msw_settings_dialog.h"

#include <cstring>

#include "framework/config/config_dialog.h"
#include "framework/config/d3d9_page.h"
#include "framework/config/dinput8_page.h"

static_assert(sizeof(ConfigVideoMode) == sizeof(PEL_D3D9_MODE));
static_assert(sizeof(ConfigVideoSettings) == sizeof(PEL_D3D9_SETTINGS));

bool MswSettingsDialog::run(const ConfigDialogRequest& request, ConfigVideoSettings* video,
                            PEL_INPUT_SETTINGS* input) {
    PEL_D3D9_MODE modes[kConfigVideoModeCount];
    const uint32_t modeCount =
        request.modeCount < kConfigVideoModeCount ? request.modeCount : kConfigVideoModeCount;
    for (uint32_t i = 0; i < modeCount; ++i)
        modes[i] = {request.modes[i].kind, request.modes[i].width, request.modes[i].height,
                    request.modes[i].tableFlag};
    const PEL_D3D9_REQUIREMENTS videoNeeds{modes, modeCount, request.minTextureSize,
                                           request.multisample};

    // The script's buttons: the first value is the page's button flags, the second the
    // default key.
    PEL_INPUT_BUTTON_DEF buttons[ConfigScriptRecord::kInputTypes]
                                [ConfigScriptRecord::kButtonsPerType] = {};
    PEL_INPUT_TYPE types[ConfigScriptRecord::kInputTypes] = {};
    const uint32_t typeCount = request.inputTypeCount < ConfigScriptRecord::kInputTypes
                                   ? request.inputTypeCount
                                   : ConfigScriptRecord::kInputTypes;
    for (uint32_t t = 0; t < typeCount; ++t) {
        const ConfigInputType& type = request.inputTypes[t];
        const uint32_t count = type.buttonCount < ConfigScriptRecord::kButtonsPerType
                                   ? type.buttonCount
                                   : ConfigScriptRecord::kButtonsPerType;
        for (uint32_t b = 0; b < count; ++b)
            buttons[t][b] = {type.buttons[b].name, static_cast<uint32_t>(type.buttons[b].firstValue),
                             static_cast<uint32_t>(type.buttons[b].secondValue)};
        types[t] = {type.name, buttons[t], count};
    }
    const PEL_INPUT_REQUIREMENTS inputNeeds{
        types, typeCount, request.padCount > 0 ? static_cast<uint32_t>(request.padCount) : 0};

    PEL_MSW_CONFIG dialog;
    pelMswConfigInitDialog(&dialog);
    dialog.icon = request.icon;
    dialog.caption = request.caption;
    dialog.section = request.section;
    dialog.reportHeader = request.reportHeader;
    PEL_D3D9_SETTINGS chosen{};
    pelD3d9ConfigAddPage(&chosen, &dialog, &videoNeeds);
    pelDinput8ConfigAddPage(input, &dialog, &inputNeeds);
    const bool accepted = pelMswConfigRun(&dialog, request.show) == PEL_OK;
    std::memcpy(video, &chosen, sizeof(chosen));
    return accepted;
}
