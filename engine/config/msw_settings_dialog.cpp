#include "engine/config/msw_settings_dialog.h"

#include "framework/config/config_dialog.h"
#include "framework/config/d3d9_page.h"
#include "framework/config/dinput8_page.h"

bool MswSettingsDialog::run(const ConfigDialogRequest& request, PEL_D3D9_SETTINGS* video,
                            PEL_INPUT_SETTINGS* input) {
    const PEL_D3D9_REQUIREMENTS videoNeeds{request.modes, request.modeCount, request.minTextureSize,
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
            buttons[t][b] = {type.buttons[b].name,
                             static_cast<uint32_t>(type.buttons[b].firstValue),
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
    pelD3d9ConfigAddPage(video, &dialog, &videoNeeds);
    pelDinput8ConfigAddPage(input, &dialog, &inputNeeds);
    return pelMswConfigRun(&dialog, request.show) == PEL_OK;
}
