#include "framework/config/dinput8_settings.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

#include "framework/core/format.h"
#include "framework/core/report.h"
#include "framework/input/dinput8.h"
#include "platform/os/profile_file.h"

using namespace platform::input;

namespace {

constexpr uint32_t kArrowKeys[4] = {200, 208, 203, 205};  // up, down, left, right
constexpr uint32_t kArrowHalfAxes[4] = {3, 4, 1, 2};      // Y-, Y+, X-, X+

uint32_t readUnsigned(const char16_t* section, const char16_t* key, uint32_t fallback,
                      const char16_t* file) {
    return platform::os::getPrivateProfileInt(section, key, static_cast<int32_t>(fallback), file);
}

void writeUnsigned(const char16_t* section, const char16_t* key, uint32_t value,
                   const char16_t* file) {
    char16_t text[16];
    pelSprintf(text, std::size(text), u"%u", value);
    platform::os::writePrivateProfileString(section, key, text, file);
}

std::u16string keyName(const char16_t* format, uint32_t a, uint32_t b = 0) {
    char16_t text[48];
    pelSprintf(text, std::size(text), format, a, b);
    return text;
}

// Takes the lowest present code of [first, last] off the presence flags; 0 when none is left.
uint32_t take(bool (&present)[PEL_DINPUT8_CODES], uint32_t first, uint32_t last) {
    for (uint32_t code = first; code <= last; ++code) {
        if (!present[code]) continue;
        present[code] = false;
        return code;
    }
    return 0;
}

enum Category { kHalfAxis, kHat, kButton };

uint32_t takeFirst(bool (&present)[PEL_DINPUT8_CODES], std::initializer_list<Category> order) {
    for (Category category : order) {
        uint32_t code = 0;
        switch (category) {
        case kHalfAxis:
            code = take(present, PEL_INPUT_CODE_HALF_AXIS, PEL_INPUT_CODE_HAT - 1);
            break;
        case kHat:
            code = take(present, PEL_INPUT_CODE_HAT, PEL_INPUT_CODE_BUTTON - 1);
            break;
        case kButton:
            code = take(present, PEL_INPUT_CODE_BUTTON, PEL_INPUT_CODE_LAST);
            break;
        }
        if (code) return code;
    }
    return 0;
}

struct ObjectCount {
    PEL_DINPUT8_DEVICE_ENTRY* entry;
    uint32_t hats;
    uint32_t buttons;
};

BOOL countObject(const DIDEVICEOBJECTINSTANCEW* object, void* context) {
    auto* count = static_cast<ObjectCount*>(context);
    const GUID* axes[] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,
                          &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
    for (uint32_t axis = 0; axis < 6; ++axis) {
        if (object->guidType == *axes[axis]) {
            count->entry->present[2 * axis + 1] = true;
            count->entry->present[2 * axis + 2] = true;
            return DIENUM_CONTINUE;
        }
    }
    if (object->guidType == GUID_POV && count->hats < 4) {
        for (uint32_t direction = 0; direction < 4; ++direction)
            count->entry->present[PEL_INPUT_CODE_HAT + 4 * count->hats + direction] = true;
        ++count->hats;
    } else if (object->guidType == GUID_Button && count->buttons < 32) {
        count->entry->present[PEL_INPUT_CODE_BUTTON + count->buttons++] = true;
    }
    return DIENUM_CONTINUE;
}

}  // namespace

uint32_t pelDinput8LayoutCount(const PEL_INPUT_REQUIREMENTS& requirements) {
    const uint32_t limit = std::min<uint32_t>(requirements.typeCount, 4);
    uint32_t count = 0;
    while (count < limit && requirements.types[count].name && requirements.types[count].name[0])
        ++count;
    return count;
}

uint32_t pelDinput8PadCount(const PEL_INPUT_REQUIREMENTS& requirements) {
    return std::min<uint32_t>(requirements.padCount, PEL_INPUT_PAD_SLOTS);
}

const PEL_INPUT_TYPE* pelDinput8Layout(const PEL_INPUT_REQUIREMENTS& requirements,
                                       uint32_t layout) {
    static const PEL_INPUT_TYPE none{u"", nullptr, 0};
    return layout < pelDinput8LayoutCount(requirements) ? &requirements.types[layout] : &none;
}

uint32_t pelDinput8RequiredCount(const PEL_INPUT_REQUIREMENTS& requirements, uint32_t layout) {
    const PEL_INPUT_TYPE* type = pelDinput8Layout(requirements, layout);
    uint32_t count = 0;
    for (uint32_t i = 0; i < std::min(type->buttonCount, PEL_INPUT_BUTTONS); ++i)
        count += !(type->buttons[i].flags & PEL_INPUT_BUTTON_OPTIONAL);
    return count;
}

std::u16string pelDinput8GuidText(const GUID& guid) {
    uint8_t bytes[16];
    std::memcpy(bytes, &guid, sizeof bytes);
    uint32_t words[4];
    for (int w = 0; w < 4; ++w) {
        words[w] = 0;
        for (int b = 3; b >= 0; --b) words[w] = words[w] << 8 | bytes[w * 4 + b];
    }
    char16_t text[48];
    pelSprintf(text, std::size(text), u"%x_%x_%x_%x", words[0], words[1], words[2], words[3]);
    return text;
}

bool pelDinput8ParseGuid(const char16_t* text, GUID* guid) {
    uint32_t words[4] = {};
    const char16_t* p = text;
    for (int w = 0; w < 4; ++w) {
        if (w > 0 && *p++ != u'_') return false;
        int digits = 0;
        for (;; ++p, ++digits) {
            int value = -1;
            if (*p >= u'0' && *p <= u'9')
                value = *p - u'0';
            else if (*p >= u'a' && *p <= u'f')
                value = *p - u'a' + 10;
            else if (*p >= u'A' && *p <= u'F')
                value = *p - u'A' + 10;
            if (value < 0) break;
            if (digits == 8) return false;
            words[w] = words[w] << 4 | static_cast<uint32_t>(value);
        }
        if (digits == 0) return false;
    }
    if (*p != 0) return false;
    uint8_t bytes[16];
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b) bytes[w * 4 + b] = static_cast<uint8_t>(words[w] >> (8 * b));
    std::memcpy(guid, bytes, sizeof bytes);
    return true;
}

std::u16string pelDinput8CodeText(uint32_t code, bool analog, bool capture) {
    std::u16string text;
    if (code >= PEL_INPUT_CODE_HALF_AXIS && code < PEL_INPUT_CODE_HAT) {
        text = keyName(capture ? u"方向ボタン%u" : u"方向%u", code);
    } else if (code >= PEL_INPUT_CODE_HAT && code < PEL_INPUT_CODE_BUTTON) {
        text = keyName(capture ? u"視点ボタン%u" : u"視点%u", code - 12);
    } else if (code >= PEL_INPUT_CODE_BUTTON && code <= PEL_INPUT_CODE_LAST) {
        text = keyName(u"ボタン%u", code - 28);
    } else {
        text = u"なし";
    }
    if (analog) text += u"(アナログ)";
    return text;
}

std::u16string pelDinput8KeyName(PEL_DINPUT8_PAGE* page, uint32_t key) {
    if (!page->keyboard) return u"unknown";
    DIPROPSTRING name{};
    name.diph = {sizeof(DIPROPSTRING), sizeof(DIPROPHEADER), key, DIPH_BYOFFSET};
    if (FAILED(page->keyboard->GetProperty(DIPROP_KEYNAME, &name.diph))) return u"unknown";
    name.wsz[MAX_PATH - 1] = 0;
    return name.wsz;
}

void pelDinput8ConfigSetKeyboardType(PEL_INPUT_SETTINGS* settings, uint32_t layout,
                                     const PEL_INPUT_REQUIREMENTS* requirements) {
    settings->keyboardType = layout;
    const PEL_INPUT_TYPE* type = pelDinput8Layout(*requirements, layout);
    for (uint32_t i = 0; i < PEL_INPUT_BUTTONS; ++i)
        settings->keyCodes[i] = i < type->buttonCount ? type->buttons[i].defaultKey : 0;
}

void pelDinput8ConfigClearButtons(uint32_t slot, uint32_t layout, PEL_INPUT_SETTINGS* settings,
                                  const PEL_INPUT_REQUIREMENTS* requirements) {
    settings->padFlags[slot] = 0;
    settings->padInstances[slot] = GUID{};
    settings->padTypes[slot] = layout < pelDinput8LayoutCount(*requirements) ? layout : 0;
    std::fill(std::begin(settings->padButtons[slot]), std::end(settings->padButtons[slot]), 0);
    std::fill(std::begin(settings->padAnalog[slot]), std::end(settings->padAnalog[slot]), 0);
}

void pelDinput8ConfigLoadButtons(uint32_t slot, PEL_INPUT_SETTINGS* settings,
                                 const PEL_DINPUT8_MAPPING* mapping) {
    std::copy(std::begin(mapping->codes), std::end(mapping->codes), settings->padButtons[slot]);
    std::copy(std::begin(mapping->analog), std::end(mapping->analog), settings->padAnalog[slot]);
}

PEL_DINPUT8_DEVICE_ENTRY* pelDinput8ConfigFindDevice(PEL_DINPUT8_PAGE* page, const GUID& guid) {
    for (const auto& entry : page->devices)
        if (entry->instance.guidInstance == guid) return entry.get();
    return nullptr;
}

PEL_DINPUT8_MAPPING* pelDinput8ConfigFindMapping(PEL_DINPUT8_PAGE* page, const GUID& guid,
                                                 uint32_t layout) {
    for (const auto& mapping : page->mappings)
        if (mapping->guid == guid && mapping->layout == layout) return mapping.get();
    return nullptr;
}

PEL_DINPUT8_MAPPING* pelDinput8ConfigAddMapping(const GUID& guid, PEL_DINPUT8_PAGE* page,
                                                uint32_t layout) {
    auto mapping = std::make_unique<PEL_DINPUT8_MAPPING>();
    mapping->guid = guid;
    mapping->layout = layout;
    page->mappings.push_back(std::move(mapping));
    return page->mappings.back().get();
}

void pelDinput8ConfigStoreMapping(uint32_t slot, PEL_DINPUT8_PAGE* page,
                                  const PEL_INPUT_SETTINGS* settings) {
    const GUID& guid = settings->padInstances[slot];
    PEL_DINPUT8_MAPPING* mapping =
        pelDinput8ConfigFindMapping(page, guid, settings->padTypes[slot]);
    if (!mapping) mapping = pelDinput8ConfigAddMapping(guid, page, settings->padTypes[slot]);
    std::copy(std::begin(settings->padButtons[slot]), std::end(settings->padButtons[slot]),
              mapping->codes);
    std::copy(std::begin(settings->padAnalog[slot]), std::end(settings->padAnalog[slot]),
              mapping->analog);
}

void pelDinput8ConfigFillRequired(PEL_DINPUT8_SLOT_DIALOG* dialog, int32_t spared) {
    if (dialog->slot >= PEL_INPUT_PAD_SLOTS) return;
    const PEL_INPUT_TYPE* type = pelDinput8Layout(dialog->page->requirements, dialog->layout);
    const int32_t count = static_cast<int32_t>(std::min(type->buttonCount, PEL_INPUT_BUTTONS));
    uint32_t* codes = dialog->settings.padButtons[dialog->slot];
    uint32_t* analog = dialog->settings.padAnalog[dialog->slot];
    const auto optional = [&](int32_t i) {
        return (type->buttons[i].flags & PEL_INPUT_BUTTON_OPTIONAL) != 0;
    };
    for (;;) {
        int32_t target = -1, source = -1;
        for (int32_t i = 0; i < count; ++i) {
            if (!optional(i) && codes[i] == 0) target = i;
            if (optional(i) && i != spared && codes[i] != 0) source = i;
        }
        if (target < 0 || source < 0) return;
        codes[target] = codes[source];
        analog[target] = analog[source];
        codes[source] = 0;
        analog[source] = 0;
    }
}

void pelDinput8ConfigAutoAssign(PEL_DINPUT8_SLOT_DIALOG* dialog,
                                const PEL_DINPUT8_DEVICE_ENTRY& device) {
    const PEL_INPUT_TYPE* type = pelDinput8Layout(dialog->page->requirements, dialog->layout);
    const uint32_t count = std::min(type->buttonCount, PEL_INPUT_BUTTONS);
    uint32_t* codes = dialog->settings.padButtons[dialog->slot];
    bool present[PEL_DINPUT8_CODES];
    std::copy(std::begin(device.present), std::end(device.present), present);
    const auto is = [&](uint32_t i, uint32_t flag) { return (type->buttons[i].flags & flag) != 0; };
    const auto assign = [&](uint32_t i, std::initializer_list<Category> order) {
        if (codes[i] == 0) codes[i] = takeFirst(present, order);
    };
    // Required direction buttons: the stick's half matching an arrow key first.
    for (uint32_t i = 0; i < count; ++i) {
        if (is(i, PEL_INPUT_BUTTON_OPTIONAL) || !is(i, PEL_INPUT_BUTTON_DIRECTION) || codes[i])
            continue;
        for (int arrow = 0; arrow < 4; ++arrow) {
            const uint32_t half = kArrowHalfAxes[arrow];
            if (type->buttons[i].defaultKey == kArrowKeys[arrow] && present[half]) {
                present[half] = false;
                codes[i] = half;
            }
        }
        assign(i, {kHalfAxis, kHat, kButton});
    }
    for (uint32_t i = 0; i < count; ++i)
        if (!is(i, PEL_INPUT_BUTTON_OPTIONAL)) assign(i, {kButton, kHat, kHalfAxis});
    for (uint32_t i = 0; i < count; ++i)
        if (is(i, PEL_INPUT_BUTTON_DIRECTION)) assign(i, {kHalfAxis, kHat, kButton});
    for (uint32_t i = 0; i < count; ++i) assign(i, {kButton, kHat, kHalfAxis});
    pelDinput8ConfigFillRequired(dialog, -1);
}

void pelDinput8ConfigDefault(PEL_DINPUT8_PAGE* page) {
    pelDinput8ConfigSetKeyboardType(page->settings, 0, &page->requirements);
    for (uint32_t slot = 0; slot < PEL_INPUT_PAD_SLOTS; ++slot)
        pelDinput8ConfigClearButtons(slot, 0, page->settings, &page->requirements);
}

void pelDinput8ConfigLoad(PEL_DINPUT8_PAGE* page, const char16_t* file, const char16_t* section) {
    pelDinput8ConfigDefault(page);
    if (!pelDinput8Object()) return;
    PEL_INPUT_SETTINGS& settings = *page->settings;
    const PEL_INPUT_REQUIREMENTS& requirements = page->requirements;
    const uint32_t layouts = pelDinput8LayoutCount(requirements);

    const uint32_t keyType = readUnsigned(section, u"inputKeyType", layouts, file);
    if (keyType < layouts) {
        pelDinput8ConfigSetKeyboardType(&settings, keyType, &requirements);
        for (uint32_t i = 0; i < PEL_INPUT_BUTTONS; ++i) {
            const uint32_t key = readUnsigned(section, keyName(u"inputKey%u", i).c_str(),
                                              settings.keyCodes[i], file);
            if (key <= 255) settings.keyCodes[i] = key;
        }
    }

    constexpr const char16_t* kRemembered = u"configInputPadButtonSetting";
    for (uint32_t n = 0;; ++n) {
        char16_t text[64];
        platform::os::getPrivateProfileString(kRemembered, keyName(u"guid%u", n).c_str(), u"", text,
                                              std::size(text), file);
        if (text[0] == 0) break;
        GUID guid{};
        const uint32_t layout =
            readUnsigned(kRemembered, keyName(u"type%u", n).c_str(), layouts, file);
        if (!pelDinput8ParseGuid(text, &guid) || layout >= layouts) continue;
        PEL_DINPUT8_MAPPING* mapping = pelDinput8ConfigFindMapping(page, guid, layout);
        if (mapping) {
            *mapping = PEL_DINPUT8_MAPPING{guid, layout, {}, {}};
        } else {
            mapping = pelDinput8ConfigAddMapping(guid, page, layout);
        }
        const uint32_t count =
            std::min(pelDinput8Layout(requirements, layout)->buttonCount, PEL_INPUT_BUTTONS);
        for (uint32_t j = 0; j < count; ++j) {
            const uint32_t code =
                readUnsigned(kRemembered, keyName(u"button%u_%u", n, j).c_str(), 0, file);
            if (code < 1 || code > PEL_INPUT_CODE_LAST) continue;
            mapping->codes[j] = code;
            mapping->analog[j] =
                readUnsigned(kRemembered, keyName(u"buttonFlag%u_%u", n, j).c_str(), 0, file);
        }
    }

    bool missing = false;
    for (uint32_t slot = 0; slot < pelDinput8PadCount(requirements); ++slot) {
        char16_t text[64];
        platform::os::getPrivateProfileString(section, keyName(u"inputPad%uInstance", slot).c_str(),
                                              u"", text, std::size(text), file);
        if (text[0] == 0) continue;
        GUID guid{};
        const uint32_t layout =
            readUnsigned(section, keyName(u"inputPad%uType", slot).c_str(), layouts, file);
        const PEL_DINPUT8_MAPPING* mapping = pelDinput8ParseGuid(text, &guid) && layout < layouts &&
                                                     pelDinput8ConfigFindDevice(page, guid)
                                                 ? pelDinput8ConfigFindMapping(page, guid, layout)
                                                 : nullptr;
        if (!mapping) {
            missing = true;
            continue;
        }
        settings.padFlags[slot] = 1;
        settings.padInstances[slot] = guid;
        settings.padTypes[slot] = layout;
        pelDinput8ConfigLoadButtons(slot, &settings, mapping);
    }
    if (missing) {
        pelReport(PEL_REPORT_WARNING,
                  u"Warning: [%s] 前回使用したコントローラが見つかりませんでした。", "loadSetting");
    }
}

void pelDinput8ConfigSave(const char16_t* file, const char16_t* section, PEL_DINPUT8_PAGE* page) {
    const PEL_INPUT_SETTINGS& settings = *page->settings;
    writeUnsigned(section, u"inputKeyType", settings.keyboardType, file);
    for (uint32_t i = 0; i < PEL_INPUT_BUTTONS; ++i)
        writeUnsigned(section, keyName(u"inputKey%u", i).c_str(), settings.keyCodes[i], file);
    constexpr const char16_t* kRemembered = u"configInputPadButtonSetting";
    uint32_t n = 0;
    for (const auto& mapping : page->mappings) {
        platform::os::writePrivateProfileString(kRemembered, keyName(u"guid%u", n).c_str(),
                                                pelDinput8GuidText(mapping->guid).c_str(), file);
        writeUnsigned(kRemembered, keyName(u"type%u", n).c_str(), mapping->layout, file);
        for (uint32_t j = 0; j < PEL_INPUT_BUTTONS; ++j) {
            writeUnsigned(kRemembered, keyName(u"button%u_%u", n, j).c_str(), mapping->codes[j],
                          file);
            writeUnsigned(kRemembered, keyName(u"buttonFlag%u_%u", n, j).c_str(),
                          mapping->analog[j], file);
        }
        ++n;
    }
    platform::os::writePrivateProfileString(kRemembered, keyName(u"guid%u", n).c_str(), u"", file);
    for (uint32_t slot = 0; slot < PEL_INPUT_PAD_SLOTS; ++slot) {
        const std::u16string instance = keyName(u"inputPad%uInstance", slot);
        platform::os::writePrivateProfileString(section, instance.c_str(), u"", file);
        if (!(settings.padFlags[slot] & 1)) continue;
        platform::os::writePrivateProfileString(
            section, instance.c_str(), pelDinput8GuidText(settings.padInstances[slot]).c_str(),
            file);
        writeUnsigned(section, keyName(u"inputPad%uType", slot).c_str(), settings.padTypes[slot],
                      file);
    }
}

bool pelDinput8AddDevice(PEL_DINPUT8_PAGE* page, const DIDEVICEINSTANCEW& instance) {
    void* window = page->page.toolkit->nativeHandle(page->page.window);
    IDirectInputDevice8* device = pelDinput8CreatePadDevice(instance.guidInstance, window);
    if (!device) return false;
    auto entry = std::make_unique<PEL_DINPUT8_DEVICE_ENTRY>();
    entry->instance = instance;
    entry->device = device;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    ObjectCount count{entry.get(), 0, 0};
    if (FAILED(device->GetCapabilities(&caps)) ||
        FAILED(device->EnumObjects(countObject, &count, DIDFT_ALL))) {
        device->Release();
        return false;
    }
    entry->objectCount = static_cast<uint32_t>(
        std::count(std::begin(entry->present), std::end(entry->present), true));
    device->Unacquire();
    for (uint32_t half = 0; half < 12; ++half) {
        // A half-axis whose range cannot be read never crosses its thresholds.
        entry->low[half] = INT32_MIN;
        entry->high[half] = INT32_MAX;
        if (!entry->present[half + 1]) continue;
        DIPROPRANGE range{};
        range.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER),
                      static_cast<DWORD>(half / 2 * sizeof(LONG)), DIPH_BYOFFSET};
        if (FAILED(device->GetProperty(DIPROP_RANGE, &range.diph))) continue;
        const int64_t span = static_cast<int64_t>(range.lMax) - range.lMin;
        entry->low[half] = static_cast<int32_t>(range.lMin + span / 4);
        entry->high[half] = static_cast<int32_t>(range.lMax - span / 4);
    }
    page->devices.push_back(std::move(entry));
    return true;
}
