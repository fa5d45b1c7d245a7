// The controller page's modal dialogs: the slot dialog over a copy of the settings, and the
// choice and capture dialogs that watch the devices every 100 ms.
#include <algorithm>
#include <iterator>

#include "framework/config/dinput8_page.h"
#include "framework/core/format.h"
#include "framework/input/dinput8.h"
#include "framework/input/hat_direction.h"
#include "platform/window/message_box.h"

using namespace platform::input;

namespace {

constexpr uint32_t kTimer = 12345;
constexpr uint32_t kTimerMilliseconds = 100;

LONG axisValue(const DIJOYSTATE& state, uint32_t axis) {
    const LONG values[] = {state.lX, state.lY, state.lZ, state.lRx, state.lRy, state.lRz};
    return values[axis];
}

// The last of the device's objects operated between two readings: a half-axis crossing its
// threshold outwards, a hat leaving its centre in a direction, a button going down; 0 for none.
uint32_t lastOperated(const PEL_DINPUT8_DEVICE_ENTRY& device, const DIJOYSTATE& before,
                      const DIJOYSTATE& now) {
    uint32_t code = 0;
    for (uint32_t half = 0; half < 12; ++half) {
        if (!device.present[half + 1]) continue;
        const LONG was = axisValue(before, half / 2), is = axisValue(now, half / 2);
        const bool crossed = half % 2 == 0 ? was > device.low[half] && is <= device.low[half]
                                           : was < device.high[half] && is >= device.high[half];
        if (crossed) code = half + PEL_INPUT_CODE_HALF_AXIS;
    }
    for (uint32_t hat = 0; hat < 4; ++hat) {
        if (!pelInputHatCentred(before.rgdwPOV[hat])) continue;
        for (uint32_t direction = 0; direction < 4; ++direction) {
            const uint32_t candidate = PEL_INPUT_CODE_HAT + 4 * hat + direction;
            if (device.present[candidate] && pelInputHatPoints(now.rgdwPOV[hat], direction))
                code = candidate;
        }
    }
    for (uint32_t button = 0; button < 32; ++button) {
        const uint32_t candidate = PEL_INPUT_CODE_BUTTON + button;
        if (device.present[candidate] && !(before.rgbButtons[button] & 0x80) &&
            (now.rgbButtons[button] & 0x80))
            code = candidate;
    }
    return code;
}

// Reads the device; the object operated since the last reading, which becomes the new one.
uint32_t readOperated(PEL_DINPUT8_DEVICE_ENTRY& device) {
    DIJOYSTATE state{};
    if (!pelDinput8ReadState(device.device, &state, sizeof state)) return 0;
    const uint32_t code = lastOperated(device, device.last, state);
    device.last = state;
    return code;
}

// Hands every device to a window: the pads for exclusive, the keyboard for non-exclusive use,
// both in the foreground.
void moveDevices(PEL_DINPUT8_PAGE* page, void* window) {
    for (const auto& device : page->devices) {
        device->device->Unacquire();
        device->device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    }
    if (page->keyboard) {
        page->keyboard->Unacquire();
        page->keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    }
}

void* subDialogWindow(PEL_MSW_CONFIG_PAGE* page) {
    return page->toolkit->nativeHandle(page->parent);
}
void* pageWindow(PEL_MSW_CONFIG_PAGE* page) { return page->toolkit->nativeHandle(page->window); }

bool isPad(const PEL_DINPUT8_SLOT_DIALOG& dialog) { return dialog.slot < PEL_INPUT_PAD_SLOTS; }

const PEL_INPUT_TYPE& layoutOf(const PEL_DINPUT8_SLOT_DIALOG& dialog) {
    return *pelDinput8Layout(dialog.page->requirements, dialog.layout);
}

uint32_t buttonCount(const PEL_DINPUT8_SLOT_DIALOG& dialog) {
    return std::min(layoutOf(dialog).buttonCount, PEL_INPUT_BUTTONS);
}

PEL_DINPUT8_DEVICE_ENTRY* slotDevice(PEL_DINPUT8_SLOT_DIALOG& dialog) {
    if (!isPad(dialog) || !(dialog.settings.padFlags[dialog.slot] & 1)) return nullptr;
    return pelDinput8ConfigFindDevice(dialog.page, dialog.settings.padInstances[dialog.slot]);
}

std::u16string format(const char16_t* text, const char16_t* a, const char16_t* b = u"") {
    char16_t output[512];
    pelSprintf(output, std::size(output), text, a, b);
    return output;
}

// ---- slot dialog ----

void slotSetType(PEL_DINPUT8_SLOT_DIALOG& dialog, uint32_t layout) {
    PEL_DINPUT8_PAGE* page = dialog.page;
    const uint32_t layouts = pelDinput8LayoutCount(page->requirements);
    layout = layouts < 2 ? 0 : std::min(layout, layouts - 1);
    PEL_INPUT_SETTINGS& settings = dialog.settings;
    const uint32_t current = isPad(dialog) ? settings.padTypes[dialog.slot] : settings.keyboardType;
    dialog.layout = layout;
    dialog.requiredCount = pelDinput8RequiredCount(page->requirements, layout);
    if (layout != current) {
        if (!isPad(dialog)) {
            pelDinput8ConfigSetKeyboardType(&settings, layout, &page->requirements);
        } else if (settings.padFlags[dialog.slot] & 1) {
            settings.padTypes[dialog.slot] = layout;
            const PEL_DINPUT8_MAPPING* mapping =
                pelDinput8ConfigFindMapping(page, settings.padInstances[dialog.slot], layout);
            if (mapping) {
                pelDinput8ConfigLoadButtons(dialog.slot, &settings, mapping);
            } else {
                std::fill(std::begin(settings.padButtons[dialog.slot]),
                          std::end(settings.padButtons[dialog.slot]), 0);
                std::fill(std::begin(settings.padAnalog[dialog.slot]),
                          std::end(settings.padAnalog[dialog.slot]), 0);
            }
        } else {
            pelDinput8ConfigClearButtons(dialog.slot, layout, &settings, &page->requirements);
        }
    }
    const PEL_INPUT_TYPE& type = layoutOf(dialog);
    for (uint32_t i = 0; i < PEL_INPUT_BUTTONS; ++i) {
        const bool used = i < buttonCount(dialog);
        if (used) {
            std::u16string name = type.buttons[i].name;
            if (!(type.buttons[i].flags & PEL_INPUT_BUTTON_OPTIONAL)) name += u"*";
            page->page.toolkit->setText(dialog.rowButton[i], name);
        }
        pelMswConfigShowControl(&page->page, dialog.rowButton[i], used);
        pelMswConfigShowControl(&page->page, dialog.rowEdit[i], used);
    }
}

void slotRefresh(PEL_DINPUT8_SLOT_DIALOG& dialog) {
    PEL_MSW_CONFIG_PAGE* page = &dialog.page->page;
    platform::window::DialogToolkit& toolkit = *page->toolkit;
    const PEL_INPUT_TYPE& type = layoutOf(dialog);
    pelMswComboSelectByData(page, dialog.typeCombo, dialog.layout);
    if (!isPad(dialog)) {
        for (uint32_t i = 0; i < buttonCount(dialog); ++i)
            toolkit.setText(dialog.rowEdit[i],
                            pelDinput8KeyName(dialog.page, dialog.settings.keyCodes[i]));
        return;
    }
    const PEL_DINPUT8_DEVICE_ENTRY* device = slotDevice(dialog);
    toolkit.setText(dialog.controllerEdit, device ? device->instance.tszInstanceName : u"なし");
    for (uint32_t i = 0; i < buttonCount(dialog); ++i) {
        const bool optional = (type.buttons[i].flags & PEL_INPUT_BUTTON_OPTIONAL) != 0;
        const bool enabled = device && (!optional || device->objectCount > dialog.requiredCount);
        toolkit.setText(
            dialog.rowEdit[i],
            device ? pelDinput8CodeText(dialog.settings.padButtons[dialog.slot][i],
                                        dialog.settings.padAnalog[dialog.slot][i] & 1, false)
                   : u"なし");
        toolkit.enable(dialog.rowButton[i], enabled);
        toolkit.enable(dialog.rowEdit[i], enabled);
    }
}

void slotCreate(PEL_MSW_CONFIG_PAGE* page, PEL_DINPUT8_SLOT_DIALOG& dialog) {
    const PEL_INPUT_REQUIREMENTS& requirements = dialog.page->requirements;
    const uint32_t layouts = pelDinput8LayoutCount(requirements);
    if (layouts >= 2) {
        pelMswConfigAddLabel(page, 1, u"入力方法の種類");
        dialog.typeCombo = pelMswConfigAddCombo(page);
        for (uint32_t layout = 0; layout < layouts; ++layout)
            pelMswComboAddItem(page, dialog.typeCombo, requirements.types[layout].name, layout);
        page->layout.row += page->layout.unit / 2;
    }
    if (isPad(dialog)) {
        pelMswConfigAddLabel(page, 1, u"使用するコントローラ");
        pelMswConfigAddEditButton(page, &dialog.controllerButton, &dialog.controllerEdit);
        page->toolkit->setText(dialog.controllerButton, u"設定");
    } else {
        pelMswConfigAddLabel(page, 2, u"キーボードはコントローラ1として機能します。");
    }
    page->layout.row += page->layout.unit / 2;
    pelMswConfigAddLabel(page, 2, u"使用するボタン\r\n(*印は必須ボタンです)");
    for (uint32_t row = 0; row < PEL_INPUT_BUTTONS / 2; ++row) {
        pelMswConfigAddKeyRow(page, &dialog.rowButton[2 * row], &dialog.rowEdit[2 * row],
                              &dialog.rowButton[2 * row + 1], &dialog.rowEdit[2 * row + 1]);
    }
    pelMswConfigAddOkCancel(page, &dialog.ok, &dialog.cancel);
    const uint32_t current =
        isPad(dialog) ? dialog.settings.padTypes[dialog.slot] : dialog.settings.keyboardType;
    slotSetType(dialog, current);
    slotRefresh(dialog);
}

void slotAccept(PEL_MSW_CONFIG_PAGE* page, PEL_DINPUT8_SLOT_DIALOG& dialog) {
    PEL_INPUT_SETTINGS& settings = dialog.settings;
    for (uint32_t i = buttonCount(dialog); i < PEL_INPUT_BUTTONS; ++i) {
        if (isPad(dialog)) {
            settings.padButtons[dialog.slot][i] = 0;
            settings.padAnalog[dialog.slot][i] = 0;
        } else {
            settings.keyCodes[i] = 0;
        }
    }
    if (isPad(dialog) && (settings.padFlags[dialog.slot] & 1))
        pelDinput8ConfigStoreMapping(dialog.slot, dialog.page, &settings);
    *dialog.page->settings = settings;
    pelMswConfigEndSubDialog(page);
}

void slotProcedure(PEL_MSW_CONFIG_PAGE* page, uint32_t message, uint32_t code,
                   PEL_MSW_CONTROL control, void* user) {
    auto& dialog = *static_cast<PEL_DINPUT8_SLOT_DIALOG*>(user);
    switch (message) {
    case PEL_MSW_CONFIG_SUB_CREATE:
        slotCreate(page, dialog);
        return;
    case PEL_MSW_CONFIG_SUB_CLOSE:
        pelMswConfigEndSubDialog(page);
        return;
    case PEL_MSW_CONFIG_SUB_COMMAND:
        break;
    default:
        return;
    }
    if (control == 0) return;
    if (code == platform::window::kDialogSelectionChanged && control == dialog.typeCombo) {
        const intptr_t layout = pelMswComboGetSelectedData(page, control);
        if (layout >= 0) slotSetType(dialog, static_cast<uint32_t>(layout));
        slotRefresh(dialog);
        return;
    }
    if (code != platform::window::kDialogClicked) return;
    if (control == dialog.ok) {
        slotAccept(page, dialog);
    } else if (control == dialog.cancel) {
        pelMswConfigEndSubDialog(page);
    } else if (control == dialog.controllerButton) {
        pelDinput8ChoiceRun(&dialog);
        slotRefresh(dialog);
    } else {
        PEL_MSW_CONTROL* end = dialog.rowButton + buttonCount(dialog);
        PEL_MSW_CONTROL* row = std::find(dialog.rowButton, end, control);
        if (row == end) return;
        const uint32_t button = static_cast<uint32_t>(row - dialog.rowButton);
        if (isPad(dialog)) {
            pelDinput8CaptureRun(&dialog, button);
        } else {
            pelDinput8KeyCaptureRun(&dialog, button);
        }
        slotRefresh(dialog);
    }
}

// ---- controller choice ----

struct ChoiceDialog {
    PEL_DINPUT8_SLOT_DIALOG* slot;
    PEL_DINPUT8_DEVICE_ENTRY* chosen;
    PEL_MSW_CONTROL currentLabel, edit, none, ok, cancel;
};

void choiceRefresh(PEL_MSW_CONFIG_PAGE* page, ChoiceDialog& choice) {
    platform::window::DialogToolkit& toolkit = *page->toolkit;
    toolkit.setText(choice.edit, choice.chosen ? choice.chosen->instance.tszInstanceName : u"なし");
    const bool tooFew = choice.chosen && choice.chosen->objectCount < choice.slot->requiredCount;
    toolkit.setText(choice.currentLabel, tooFew
                                             ? u"現在設定されているコントローラ(ボタンが足りません)"
                                             : u"現在設定されているコントローラ");
    toolkit.enable(choice.ok, !tooFew);
}

void choiceAccept(ChoiceDialog& choice) {
    PEL_DINPUT8_SLOT_DIALOG& dialog = *choice.slot;
    PEL_DINPUT8_PAGE* page = dialog.page;
    PEL_INPUT_SETTINGS& settings = dialog.settings;
    if (!choice.chosen) {
        pelDinput8ConfigClearButtons(dialog.slot, dialog.layout, &settings, &page->requirements);
        return;
    }
    const GUID guid = choice.chosen->instance.guidInstance;
    for (uint32_t other = 0; other < PEL_INPUT_PAD_SLOTS; ++other) {
        if (other != dialog.slot && (settings.padFlags[other] & 1) &&
            settings.padInstances[other] == guid)
            pelDinput8ConfigClearButtons(other, settings.padTypes[other], &settings,
                                         &page->requirements);
    }
    pelDinput8ConfigClearButtons(dialog.slot, dialog.layout, &settings, &page->requirements);
    settings.padFlags[dialog.slot] = 1;
    settings.padInstances[dialog.slot] = guid;
    if (const PEL_DINPUT8_MAPPING* mapping =
            pelDinput8ConfigFindMapping(page, guid, dialog.layout)) {
        pelDinput8ConfigLoadButtons(dialog.slot, &settings, mapping);
    } else {
        pelDinput8ConfigAutoAssign(&dialog, *choice.chosen);
    }
}

void choiceProcedure(PEL_MSW_CONFIG_PAGE* page, uint32_t message, uint32_t code,
                     PEL_MSW_CONTROL control, void* user) {
    auto& choice = *static_cast<ChoiceDialog*>(user);
    PEL_DINPUT8_PAGE* input = choice.slot->page;
    switch (message) {
    case PEL_MSW_CONFIG_SUB_CREATE: {
        char16_t number[8];
        pelSprintf(number, std::size(number), u"%u", choice.slot->slot + 1);
        pelMswConfigAddLabel(
            page, 5,
            format(u"コントローラ%lsとして使用するコントローラのボタンを押してください。\r\n"
                   u"コントローラ%lsを使用しない場合、「コントローラを使わない」を押してください。"
                   u"\r\n(ボタン数が足りないコントローラなどは使用できません)\r\n",
                   number, number)
                .c_str());
        choice.currentLabel = pelMswConfigAddLabel(page, 1, u"現在設定されているコントローラ");
        choice.edit = pelMswConfigAddEdit(page);
        choice.none = pelMswConfigAddButton(page, u"コントローラを使わない");
        pelMswConfigAddOkCancel(page, &choice.ok, &choice.cancel);
        moveDevices(input, subDialogWindow(page));
        for (const auto& device : input->devices) readOperated(*device);
        choiceRefresh(page, choice);
        page->toolkit->setTimer(page->parent, kTimer, kTimerMilliseconds);
        return;
    }
    case PEL_MSW_CONFIG_SUB_TIMER:
        if (code != kTimer) return;
        for (const auto& device : input->devices)
            if (readOperated(*device)) choice.chosen = device.get();
        choiceRefresh(page, choice);
        return;
    case PEL_MSW_CONFIG_SUB_CLOSE:
        pelMswConfigEndSubDialog(page);
        return;
    case PEL_MSW_CONFIG_SUB_COMMAND:
        if (code != platform::window::kDialogClicked) return;
        if (control == choice.none) {
            choice.chosen = nullptr;
            choiceRefresh(page, choice);
        } else if (control == choice.ok) {
            choiceAccept(choice);
            pelMswConfigEndSubDialog(page);
        } else if (control == choice.cancel) {
            pelMswConfigEndSubDialog(page);
        }
        return;
    }
}

// ---- pad button capture ----

struct CaptureDialog {
    PEL_DINPUT8_SLOT_DIALOG* slot;
    uint32_t button;
    uint32_t code;
    uint32_t analog;
    PEL_DINPUT8_DEVICE_ENTRY* device;
    PEL_MSW_CONTROL edit, none, ok, cancel;
};

void captureAccept(PEL_MSW_CONFIG_PAGE* page, CaptureDialog& capture) {
    PEL_DINPUT8_SLOT_DIALOG& dialog = *capture.slot;
    const PEL_INPUT_BUTTON_DEF& def = layoutOf(dialog).buttons[capture.button];
    uint32_t* codes = dialog.settings.padButtons[dialog.slot];
    uint32_t* analog = dialog.settings.padAnalog[dialog.slot];
    if (capture.code != 0) {
        if ((def.flags & PEL_INPUT_BUTTON_ANALOG) && capture.code < PEL_INPUT_CODE_HAT) {
            const int answer = page->toolkit->messageBoxYesNo(
                page->parent,
                u"選んだボタンはアナログ対応ですか？\r\n\r\n"
                u"(アナログ非対応のコントローラで「アナログ対応」を選択した場合、\r\n"
                u" 移動が常にダッシュになってしまうなどの不具合が発生するので注意してください)",
                u"ボタンの種類選択");
            capture.analog = answer == platform::window::kIdYes ? 1 : 0;
        }
        for (uint32_t other = 0; other < buttonCount(dialog); ++other) {
            if (other == capture.button || codes[other] != capture.code) continue;
            codes[other] = codes[capture.button];
            analog[other] = analog[capture.button];
        }
    }
    codes[capture.button] = capture.code;
    analog[capture.button] = capture.analog;
    pelDinput8ConfigFillRequired(&dialog, static_cast<int32_t>(capture.button));
}

void captureProcedure(PEL_MSW_CONFIG_PAGE* page, uint32_t message, uint32_t code,
                      PEL_MSW_CONTROL control, void* user) {
    auto& capture = *static_cast<CaptureDialog*>(user);
    PEL_DINPUT8_SLOT_DIALOG& dialog = *capture.slot;
    switch (message) {
    case PEL_MSW_CONFIG_SUB_CREATE: {
        const PEL_INPUT_BUTTON_DEF& def = layoutOf(dialog).buttons[capture.button];
        const bool optional = (def.flags & PEL_INPUT_BUTTON_OPTIONAL) != 0;
        if (optional) {
            pelMswConfigAddLabel(
                page, 4,
                format(u"「%ls」として使用するコントローラのボタンを押してください。\r\n"
                       u"「%ls」を使用しない場合、「このボタンを使わない」を押してください。\r\n",
                       def.name, def.name)
                    .c_str());
        } else {
            pelMswConfigAddLabel(
                page, 2,
                format(u"「%ls」として使用するコントローラのボタンを押してください。\r\n", def.name)
                    .c_str());
        }
        pelMswConfigAddLabel(page, 1, u"現在設定されているボタン");
        capture.edit = pelMswConfigAddEdit(page);
        if (optional) capture.none = pelMswConfigAddButton(page, u"このボタンを使わない");
        pelMswConfigAddOkCancel(page, &capture.ok, &capture.cancel);
        moveDevices(dialog.page, subDialogWindow(page));
        if (capture.device) readOperated(*capture.device);
        page->toolkit->setText(capture.edit, pelDinput8CodeText(capture.code, false, true));
        page->toolkit->setTimer(page->parent, kTimer, kTimerMilliseconds);
        return;
    }
    case PEL_MSW_CONFIG_SUB_TIMER:
        if (code != kTimer || !capture.device) return;
        if (const uint32_t operated = readOperated(*capture.device)) {
            capture.code = operated;
            capture.analog = 0;
            page->toolkit->setText(capture.edit, pelDinput8CodeText(operated, false, true));
        }
        return;
    case PEL_MSW_CONFIG_SUB_CLOSE:
        pelMswConfigEndSubDialog(page);
        return;
    case PEL_MSW_CONFIG_SUB_COMMAND:
        if (code != platform::window::kDialogClicked || control == 0) return;
        if (control == capture.none) {
            capture.code = 0;
            capture.analog = 0;
            page->toolkit->setText(capture.edit, pelDinput8CodeText(0, false, true));
        } else if (control == capture.ok) {
            captureAccept(page, capture);
            pelMswConfigEndSubDialog(page);
        } else if (control == capture.cancel) {
            pelMswConfigEndSubDialog(page);
        }
        return;
    }
}

// ---- key capture ----

struct KeyCaptureDialog {
    PEL_DINPUT8_SLOT_DIALOG* slot;
    uint32_t button;
    uint32_t key;
    BYTE keys[kKeyboardStateSize];
    PEL_MSW_CONTROL edit, ok, cancel;
};

// The last key that went down since the last reading, 0 for none.
uint32_t readPressedKey(KeyCaptureDialog& capture) {
    BYTE keys[kKeyboardStateSize] = {};
    if (!pelDinput8ReadState(capture.slot->page->keyboard, keys, sizeof keys)) return 0;
    uint32_t pressed = 0;
    for (uint32_t key = 1; key < kKeyboardStateSize; ++key)
        if (!(capture.keys[key] & 0x80) && (keys[key] & 0x80)) pressed = key;
    std::copy(std::begin(keys), std::end(keys), capture.keys);
    return pressed;
}

void keyCaptureProcedure(PEL_MSW_CONFIG_PAGE* page, uint32_t message, uint32_t code,
                         PEL_MSW_CONTROL control, void* user) {
    auto& capture = *static_cast<KeyCaptureDialog*>(user);
    PEL_DINPUT8_SLOT_DIALOG& dialog = *capture.slot;
    switch (message) {
    case PEL_MSW_CONFIG_SUB_CREATE: {
        const PEL_INPUT_BUTTON_DEF& def = layoutOf(dialog).buttons[capture.button];
        pelMswConfigAddLabel(
            page, 2,
            format(u"「%ls」として使用するキーボードのキーを押してください。\r\n", def.name)
                .c_str());
        pelMswConfigAddLabel(page, 1, u"現在設定されているキー");
        capture.edit = pelMswConfigAddEdit(page);
        pelMswConfigAddOkCancel(page, &capture.ok, &capture.cancel);
        moveDevices(dialog.page, subDialogWindow(page));
        readPressedKey(capture);
        page->toolkit->setText(capture.edit, pelDinput8KeyName(dialog.page, capture.key));
        page->toolkit->setTimer(page->parent, kTimer, kTimerMilliseconds);
        return;
    }
    case PEL_MSW_CONFIG_SUB_TIMER:
        if (code != kTimer) return;
        if (const uint32_t key = readPressedKey(capture)) {
            capture.key = key;
            page->toolkit->setText(capture.edit, pelDinput8KeyName(dialog.page, key));
        }
        return;
    case PEL_MSW_CONFIG_SUB_CLOSE:
        pelMswConfigEndSubDialog(page);
        return;
    case PEL_MSW_CONFIG_SUB_COMMAND:
        if (code != platform::window::kDialogClicked || control == 0) return;
        if (control == capture.ok) {
            uint32_t* keys = dialog.settings.keyCodes;
            for (uint32_t other = 0; other < buttonCount(dialog); ++other)
                if (other != capture.button && keys[other] == capture.key)
                    keys[other] = keys[capture.button];
            keys[capture.button] = capture.key;
            pelMswConfigEndSubDialog(page);
        } else if (control == capture.cancel) {
            pelMswConfigEndSubDialog(page);
        }
        return;
    }
}

}  // namespace

void pelDinput8SlotRun(PEL_DINPUT8_PAGE* page, uint32_t slot) {
    auto dialog = std::make_unique<PEL_DINPUT8_SLOT_DIALOG>();
    dialog->page = page;
    dialog->slot = slot;
    dialog->settings = *page->settings;
    std::u16string title = u"キーボードの設定";
    if (slot < PEL_INPUT_PAD_SLOTS) {
        char16_t text[32];
        pelSprintf(text, std::size(text), u"コントローラ%uの設定", slot + 1);
        title = text;
    }
    pelMswConfigRunSubDialog(&page->page, title.c_str(), 256, 256, slotProcedure, dialog.get());
}

void pelDinput8ChoiceRun(PEL_DINPUT8_SLOT_DIALOG* dialog) {
    ChoiceDialog choice{dialog, slotDevice(*dialog), 0, 0, 0, 0, 0};
    PEL_MSW_CONFIG_PAGE* page = &dialog->page->page;
    pelMswConfigRunSubDialog(page, u"コントローラの設定", 248, 128, choiceProcedure, &choice);
    moveDevices(dialog->page, pageWindow(page));
}

void pelDinput8CaptureRun(PEL_DINPUT8_SLOT_DIALOG* dialog, uint32_t button) {
    CaptureDialog capture{dialog,
                          button,
                          dialog->settings.padButtons[dialog->slot][button],
                          dialog->settings.padAnalog[dialog->slot][button],
                          slotDevice(*dialog),
                          0,
                          0,
                          0,
                          0};
    PEL_MSW_CONFIG_PAGE* page = &dialog->page->page;
    pelMswConfigRunSubDialog(page, u"ボタンの設定", 248, 128, captureProcedure, &capture);
    moveDevices(dialog->page, pageWindow(page));
}

void pelDinput8KeyCaptureRun(PEL_DINPUT8_SLOT_DIALOG* dialog, uint32_t button) {
    KeyCaptureDialog capture{};
    capture.slot = dialog;
    capture.button = button;
    capture.key = dialog->settings.keyCodes[button];
    PEL_MSW_CONFIG_PAGE* page = &dialog->page->page;
    pelMswConfigRunSubDialog(page, u"ボタンの設定", 248, 128, keyCaptureProcedure, &capture);
    moveDevices(dialog->page, pageWindow(page));
}
