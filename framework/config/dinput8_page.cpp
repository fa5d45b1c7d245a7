#include "framework/config/dinput8_page.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "framework/core/format.h"
#include "framework/core/report.h"
#include "framework/input/dinput8.h"

using namespace platform::input;

namespace {

PEL_DINPUT8_PAGE* of(PEL_MSW_CONFIG_PAGE* page) {
    return reinterpret_cast<PEL_DINPUT8_PAGE*>(page);
}

void halfLine(PEL_MSW_CONFIG_PAGE* page) { page->layout.row += page->layout.unit / 2; }

BOOL addDevice(const DIDEVICEINSTANCEW* instance, void* context) {
    pelDinput8AddDevice(static_cast<PEL_DINPUT8_PAGE*>(context), *instance);
    return DIENUM_CONTINUE;
}

// The controls of the page's rows, in order.
std::vector<PEL_MSW_CONTROL> rowControls(const PEL_DINPUT8_PAGE& input) {
    std::vector<PEL_MSW_CONTROL> controls = {input.keyboardLabel, input.keyboardEdit,
                                             input.keyboardButton};
    for (uint32_t slot = 0; slot < pelDinput8PadCount(input.requirements); ++slot) {
        controls.push_back(input.padLabel[slot]);
        controls.push_back(input.padEdit[slot]);
        controls.push_back(input.padButton[slot]);
    }
    return controls;
}

// Each slot's field: its controller's instance name, or "なし".
void refreshFields(PEL_DINPUT8_PAGE& input) {
    for (uint32_t slot = 0; slot < pelDinput8PadCount(input.requirements); ++slot) {
        const PEL_DINPUT8_DEVICE_ENTRY* device =
            (input.settings->padFlags[slot] & 1)
                ? pelDinput8ConfigFindDevice(&input, input.settings->padInstances[slot])
                : nullptr;
        input.page.toolkit->setText(input.padEdit[slot],
                                    device ? device->instance.tszInstanceName : u"なし");
    }
}

void appendButtons(std::u16string& text, const PEL_INPUT_TYPE& type, PEL_DINPUT8_PAGE& input,
                   int32_t slot) {
    for (uint32_t i = 0; i < std::min(type.buttonCount, PEL_INPUT_BUTTONS); ++i) {
        text += u"    ";
        text += type.buttons[i].name;
        text += u": ";
        if (slot < 0) {
            text += pelDinput8KeyName(&input, input.settings->keyCodes[i]);
        } else {
            text += pelDinput8CodeText(input.settings->padButtons[slot][i],
                                       input.settings->padAnalog[slot][i] & 1, false);
        }
        text += u"\r\n";
    }
}

}  // namespace

void pelDinput8ConfigAddPage(PEL_INPUT_SETTINGS* settings, PEL_MSW_CONFIG* dialog,
                             const PEL_INPUT_REQUIREMENTS* requirements) {
    *settings = PEL_INPUT_SETTINGS{};
    auto* input = new PEL_DINPUT8_PAGE{};
    input->settings = settings;
    input->requirements = *requirements;
    PEL_MSW_CONFIG_PAGE& page = input->page;
    page.title = u"コントローラ";
    page.init = pelDinput8PageInit;
    page.close = pelDinput8PageFree;
    page.show = pelDinput8PageShow;
    page.hide = pelDinput8PageHide;
    page.isTransparent = pelDinput8PageOwnsControl;
    page.command = pelDinput8PageCommand;
    page.report = pelDinput8PageReport;
    pelListAppend(&dialog->pages, input);
}

void pelDinput8PageInit(PEL_MSW_CONFIG_PAGE* page, bool useDefaults) {
    PEL_DINPUT8_PAGE& input = *of(page);
    IDirectInput8* directInput = pelDinput8Object();
    if (!directInput) {
        pelReport(PEL_REPORT_WARNING,
                  u"Warning: [%s] 使用可能なDirectInput8が見つかりません。\r\n"
                  u"最新のDirectXをインストールしてください。",
                  "pluginOnInit");
        return;
    }
    input.keyboard = pelDinput8CreateKeyboardDevice(page->toolkit->nativeHandle(page->window));
    directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, addDevice, &input, DIEDFL_ATTACHEDONLY);

    input.keyboardLabel = pelMswConfigAddLabel(page, 1, u"キーボード");
    pelMswConfigAddEditButton(page, &input.keyboardButton, &input.keyboardEdit);
    page->toolkit->setText(input.keyboardEdit, u"（コントローラ1として機能します）");
    page->toolkit->setText(input.keyboardButton, u"設定");
    halfLine(page);
    for (uint32_t slot = 0; slot < pelDinput8PadCount(input.requirements); ++slot) {
        char16_t title[32];
        pelSprintf(title, std::size(title), u"コントローラ%u", slot + 1);
        input.padLabel[slot] = pelMswConfigAddLabel(page, 1, title);
        pelMswConfigAddEditButton(page, &input.padButton[slot], &input.padEdit[slot]);
        page->toolkit->setText(input.padButton[slot], u"設定");
        halfLine(page);
    }
    if (useDefaults) {
        pelDinput8ConfigDefault(&input);
    } else {
        pelDinput8ConfigLoad(&input, page->settingsPath, page->section);
    }
    input.initialised = true;
}

void pelDinput8PageShow(PEL_MSW_CONFIG_PAGE* page) {
    PEL_DINPUT8_PAGE& input = *of(page);
    if (!input.initialised) return;
    for (PEL_MSW_CONTROL control : rowControls(input)) pelMswConfigShowControl(page, control, true);
    refreshFields(input);
}

void pelDinput8PageHide(PEL_MSW_CONFIG_PAGE* page) {
    PEL_DINPUT8_PAGE& input = *of(page);
    if (!input.initialised) return;
    for (PEL_MSW_CONTROL control : rowControls(input))
        pelMswConfigShowControl(page, control, false);
}

bool pelDinput8PageOwnsControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control) {
    const PEL_DINPUT8_PAGE& input = *of(page);
    if (!input.initialised || control == 0) return false;
    if (control == input.keyboardButton) return true;
    for (uint32_t slot = 0; slot < pelDinput8PadCount(input.requirements); ++slot)
        if (control == input.padButton[slot]) return true;
    return false;
}

void pelDinput8PageCommand(PEL_MSW_CONFIG_PAGE* page, uint32_t code, PEL_MSW_CONTROL control) {
    PEL_DINPUT8_PAGE& input = *of(page);
    if (!input.initialised || code != platform::window::kDialogClicked || control == 0) return;
    if (control == input.keyboardButton) {
        pelDinput8SlotRun(&input, PEL_DINPUT8_KEYBOARD_SLOT);
    } else {
        PEL_MSW_CONTROL* end = input.padButton + pelDinput8PadCount(input.requirements);
        PEL_MSW_CONTROL* found = std::find(input.padButton, end, control);
        if (found == end) return;
        pelDinput8SlotRun(&input, static_cast<uint32_t>(found - input.padButton));
    }
    refreshFields(input);
}

void pelDinput8PageReport(char16_t* output, size_t size, PEL_MSW_CONFIG_PAGE* page) {
    PEL_DINPUT8_PAGE& input = *of(page);
    if (!pelDinput8Object()) {
        pelSprintf(output, size,
                   u"-----\r\nController Setting\r\n  DirectInput8が見つかりません。\r\n\r\n");
        return;
    }
    if (!input.initialised) {
        pelSprintf(output, size,
                   u"-----\r\nController Setting\r\n  初期化に失敗しました。\r\n\r\n");
        return;
    }
    const PEL_INPUT_SETTINGS& settings = *input.settings;
    const uint32_t layouts = pelDinput8LayoutCount(input.requirements);
    std::u16string text = u"-----\r\nController Setting\r\n  Keyboard: \r\n";
    if (settings.keyboardType < layouts) {
        const PEL_INPUT_TYPE& type = input.requirements.types[settings.keyboardType];
        text += u"    Type: ";
        text += type.name;
        text += u"\r\n";
        appendButtons(text, type, input, -1);
    } else {
        text += u"    Type: Invalid\r\n";
    }
    for (uint32_t slot = 0; slot < pelDinput8PadCount(input.requirements); ++slot) {
        char16_t line[32];
        pelSprintf(line, std::size(line), u"  Controller%u: \r\n", slot + 1);
        text += line;
        if (!(settings.padFlags[slot] & 1)) {
            text += u"    Invalid.\r\n";
            continue;
        }
        if (settings.padTypes[slot] >= layouts) {
            text += u"    Type: Invalid\r\n";
            continue;
        }
        const PEL_INPUT_TYPE& type = input.requirements.types[settings.padTypes[slot]];
        const PEL_DINPUT8_DEVICE_ENTRY* device =
            pelDinput8ConfigFindDevice(&input, settings.padInstances[slot]);
        text += u"    Type: ";
        text += type.name;
        text += u"\r\n    Device: ";
        text += device ? device->instance.tszInstanceName : u"";
        text += u"\r\n";
        appendButtons(text, type, input, static_cast<int32_t>(slot));
    }
    if (size == 0) return;
    if (text.size() + 2 < size) text += u"\r\n";
    const size_t length = std::min(text.size(), size - 1);
    std::copy_n(text.begin(), length, output);
    output[length] = 0;
}

void pelDinput8PageFree(PEL_MSW_CONFIG_PAGE* page, bool save) {
    PEL_DINPUT8_PAGE* input = of(page);
    if (save && input->initialised) pelDinput8ConfigSave(page->settingsPath, page->section, input);
    for (const auto& device : input->devices) device->device->Release();
    if (input->keyboard) input->keyboard->Release();
    delete input;
}
