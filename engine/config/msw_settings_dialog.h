#pragma once
#include "engine/config/settings_dialog_link.h"

// The framework's settings dialog with its video and controller pages.
class MswSettingsDialog final : public ConfigSettingsDialog {
public:
    bool run(const ConfigDialogRequest& request, PEL_D3D9_SETTINGS* video,
             PEL_INPUT_SETTINGS* input) override;
};
