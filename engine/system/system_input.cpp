#include "engine/system/system_input.h"

#include <algorithm>
#include <cstring>

#include "engine/script/script_vm.h"

SystemInput::~SystemInput() { release(); }

void SystemInput::init(ScriptVM* vm, const PEL_INPUT_SETTINGS* settings, void* window,
                       bool allPads) {
    release();
    vm_ = vm;
    std::memset(values_, 0, sizeof(values_));
    keyboard_ = pelInputCreateKeyboard(settings, window);
    const uint32_t padCount = allPads ? kInputPads : 1;
    for (uint32_t slot = 0; slot < padCount; ++slot)
        pads_[slot] = pelInputCreatePad(window, settings, slot);
}

void SystemInput::update() {
    std::memset(values_, 0, sizeof(values_));
    if (task_) {
        for (PEL_INPUT_DEVICE* pad : pads_)
            if (pad) pelInputPoll(pad);
        if (keyboard_) pelInputPoll(keyboard_);
        task_->update();
        return;
    }
    for (uint32_t slot = 0; slot < kInputPads; ++slot) {
        PEL_INPUT_DEVICE* pad = pads_[slot];
        if (!pad) continue;
        pelInputPoll(pad);
        const uint32_t count = std::min(pad->buttonCount, kControllerButtons);
        for (uint32_t i = 0; i < count; ++i) values_[slot][i] = pelInputGetValue(pad, i);
    }
    if (keyboard_) {
        pelInputPoll(keyboard_);
        const uint32_t count = std::min(keyboard_->buttonCount, kControllerButtons);
        for (uint32_t i = 0; i < count; ++i)
            values_[0][i] = std::max(values_[0][i], pelInputGetValue(keyboard_, i));
    }
}

void SystemInput::dropScript() {
    arguments_.release();
    delete task_;
    task_ = nullptr;
}

void SystemInput::release() {
    dropScript();
    for (PEL_INPUT_DEVICE*& pad : pads_) {
        if (pad) pelInputDestroy(pad);
        pad = nullptr;
    }
    if (keyboard_) pelInputDestroy(keyboard_);
    keyboard_ = nullptr;
}

namespace {

// The row needs no poll: update has filled it before the controllers read it.
void rowBeginFrame(void*) {}

uint32_t rowCount(void*) { return kControllerButtons; }

float rowValue(void* row, uint32_t index) {
    return index < kControllerButtons ? static_cast<const float*>(row)[index] : 0.0f;
}

}  // namespace

bool SystemInput::makeControllerInterface(uint32_t slot, PEL_CONTROLLER_SOURCE* source) {
    if (slot >= kInputPlayers || (slot > 0 && !pads_[slot])) return false;
    *source = PEL_CONTROLLER_SOURCE{values_[slot], rowBeginFrame, rowCount, nullptr, rowValue};
    return true;
}

PEL_INPUT_DEVICE* SystemInput::device(int32_t number) const {
    if (number == 0) return keyboard_;
    if (number >= 1 && number <= static_cast<int32_t>(kInputPads)) return pads_[number - 1];
    return nullptr;
}
