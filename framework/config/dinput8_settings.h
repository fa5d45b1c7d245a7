#pragma once
// The controller settings behind the controller page: the game's input layouts, the attached
// controllers the page found, the remembered assignments per controller and layout, the input
// keys of the settings file, and the operations on the settings record that the page and its
// dialogs share (automatic assignment among them).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/config/config_dialog.h"
#include "framework/input/input_settings.h"
#include "platform/input/input_device.h"

// Flags of a logical button.
inline constexpr uint32_t PEL_INPUT_BUTTON_OPTIONAL = 1;   // not required (no "*")
inline constexpr uint32_t PEL_INPUT_BUTTON_DIRECTION = 2;  // assignment prefers axes
inline constexpr uint32_t PEL_INPUT_BUTTON_ANALOG = 4;     // may keep its analog value

struct PEL_INPUT_BUTTON_DEF {
    const char16_t* name;
    uint32_t flags;
    uint32_t defaultKey;  // keyboard scan code
};

// One input layout offered by the game.
struct PEL_INPUT_TYPE {
    const char16_t* name;
    const PEL_INPUT_BUTTON_DEF* buttons;
    uint32_t buttonCount;  // up to 16
};

struct PEL_INPUT_REQUIREMENTS {
    const PEL_INPUT_TYPE* types;
    uint32_t typeCount;  // up to 4; a layout with an empty name ends the list
    uint32_t padCount;   // pad slots offered, up to 4
};

// The keyboard's slot number in the slot dialog.
inline constexpr uint32_t PEL_DINPUT8_KEYBOARD_SLOT = 4;
// Codes of a pad's objects: 1 to 12 half-axes, 13 to 28 hat directions, 29 to 60 buttons.
inline constexpr uint32_t PEL_DINPUT8_CODES = PEL_INPUT_CODE_LAST + 1;

// One attached game controller.
struct PEL_DINPUT8_DEVICE_ENTRY {
    platform::input::DIDEVICEINSTANCEW instance;
    platform::input::IDirectInputDevice8* device;
    uint32_t objectCount;             // present half-axes + hat directions + buttons
    bool present[PEL_DINPUT8_CODES];  // by code
    int32_t low[12];                  // half-axis thresholds, by code - 1
    int32_t high[12];
    platform::input::DIJOYSTATE last;  // the last state read
};

// A remembered assignment of a controller for a layout.
struct PEL_DINPUT8_MAPPING {
    platform::input::GUID guid;
    uint32_t layout;
    uint32_t codes[PEL_INPUT_BUTTONS];
    uint32_t analog[PEL_INPUT_BUTTONS];
};

// The controller page.
struct PEL_DINPUT8_PAGE {
    PEL_MSW_CONFIG_PAGE page;  // first: the framework's record
    PEL_INPUT_SETTINGS* settings;
    PEL_INPUT_REQUIREMENTS requirements;
    bool initialised;
    platform::input::IDirectInputDevice8* keyboard;
    std::vector<std::unique_ptr<PEL_DINPUT8_DEVICE_ENTRY>> devices;
    std::vector<std::unique_ptr<PEL_DINPUT8_MAPPING>> mappings;
    PEL_MSW_CONTROL keyboardLabel, keyboardEdit, keyboardButton;
    PEL_MSW_CONTROL padLabel[PEL_INPUT_PAD_SLOTS], padEdit[PEL_INPUT_PAD_SLOTS],
        padButton[PEL_INPUT_PAD_SLOTS];
};

// The slot dialog's working state: a copy of the whole settings record.
struct PEL_DINPUT8_SLOT_DIALOG {
    PEL_DINPUT8_PAGE* page;
    uint32_t slot;  // 0 to 3, or PEL_DINPUT8_KEYBOARD_SLOT
    PEL_INPUT_SETTINGS settings;
    uint32_t layout;
    uint32_t requiredCount;
    PEL_MSW_CONTROL typeCombo, controllerEdit, controllerButton;
    PEL_MSW_CONTROL rowButton[PEL_INPUT_BUTTONS], rowEdit[PEL_INPUT_BUTTONS];
    PEL_MSW_CONTROL ok, cancel;
};

// The layouts before the first unnamed one, at most 4; the pad slots, at most 4.
uint32_t pelDinput8LayoutCount(const PEL_INPUT_REQUIREMENTS& requirements);
uint32_t pelDinput8PadCount(const PEL_INPUT_REQUIREMENTS& requirements);
// The layout's buttons (count 0 for a layout out of range) and how many are required.
const PEL_INPUT_TYPE* pelDinput8Layout(const PEL_INPUT_REQUIREMENTS& requirements, uint32_t layout);
uint32_t pelDinput8RequiredCount(const PEL_INPUT_REQUIREMENTS& requirements, uint32_t layout);

// "%x_%x_%x_%x" of a GUID's 16 bytes read as four little-endian words, and back (false for
// other text).
std::u16string pelDinput8GuidText(const platform::input::GUID& guid);
bool pelDinput8ParseGuid(const char16_t* text, platform::input::GUID* guid);

// The text of a pad code: "方向%u", "視点%u", "ボタン%u" or "なし" ("方向ボタン%u", "視点ボタン%u"
// in the capture dialog), with "(アナログ)" when analog.
std::u16string pelDinput8CodeText(uint32_t code, bool analog, bool capture);
// The key's name, or "unknown".
std::u16string pelDinput8KeyName(PEL_DINPUT8_PAGE* page, uint32_t key);

void pelDinput8ConfigSetKeyboardType(PEL_INPUT_SETTINGS* settings, uint32_t layout,
                                     const PEL_INPUT_REQUIREMENTS* requirements);
void pelDinput8ConfigClearButtons(uint32_t slot, uint32_t layout, PEL_INPUT_SETTINGS* settings,
                                  const PEL_INPUT_REQUIREMENTS* requirements);
void pelDinput8ConfigLoadButtons(uint32_t slot, PEL_INPUT_SETTINGS* settings,
                                 const PEL_DINPUT8_MAPPING* mapping);
PEL_DINPUT8_DEVICE_ENTRY* pelDinput8ConfigFindDevice(PEL_DINPUT8_PAGE* page,
                                                     const platform::input::GUID& guid);
PEL_DINPUT8_MAPPING* pelDinput8ConfigFindMapping(PEL_DINPUT8_PAGE* page,
                                                 const platform::input::GUID& guid,
                                                 uint32_t layout);
PEL_DINPUT8_MAPPING* pelDinput8ConfigAddMapping(const platform::input::GUID& guid,
                                                PEL_DINPUT8_PAGE* page, uint32_t layout);
// Remembers the slot's codes for its controller and layout.
void pelDinput8ConfigStoreMapping(uint32_t slot, PEL_DINPUT8_PAGE* page,
                                  const PEL_INPUT_SETTINGS* settings);
// While a required button lacks a code and an optional one other than `spared` (-1: none) has
// one, moves the last such optional button's code to the last such required button.
void pelDinput8ConfigFillRequired(PEL_DINPUT8_SLOT_DIALOG* dialog, int32_t spared);
// Assigns the controller's objects to the slot's buttons (the slot's codes are all clear).
void pelDinput8ConfigAutoAssign(PEL_DINPUT8_SLOT_DIALOG* dialog,
                                const PEL_DINPUT8_DEVICE_ENTRY& device);

// The keyboard layout 0 with its keys; every pad slot cleared with layout 0.
void pelDinput8ConfigDefault(PEL_DINPUT8_PAGE* page);
void pelDinput8ConfigLoad(PEL_DINPUT8_PAGE* page, const char16_t* file, const char16_t* section);
void pelDinput8ConfigSave(const char16_t* file, const char16_t* section, PEL_DINPUT8_PAGE* page);

// Opens the controller, counts its objects and reads its axis ranges; false (nothing added)
// when it cannot be opened or examined.
bool pelDinput8AddDevice(PEL_DINPUT8_PAGE* page,
                         const platform::input::DIDEVICEINSTANCEW& instance);
