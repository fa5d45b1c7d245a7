#pragma once
// Scripted input devices for tests: a keyboard and pads whose state the test sets, the window
// that has the keyboard focus, and the failures a test may ask for (a keyboard or pad that
// cannot be opened, a pad whose range query fails).
#include <array>
#include <deque>
#include <memory>

#include "platform/input/direct_input8.h"

namespace platform::input {

struct FakePad {
    PadDescription description;
    DIJOYSTATE state{};  // what reads return for the pad's objects
    bool opens = true;
    bool rangeFails = false;
    int polls = 0;
};

struct FakeInput {
    bool keyboardOpens = true;
    std::array<BYTE, kKeyboardStateSize> keys{};  // by key code; codes without a key read 0
    HWND focusWindow = nullptr;
    std::deque<FakePad> pads;  // references stay valid as pads are added

    // Adds an attached pad with the instance GUID {n, 0, 0, {0}} for the nth pad (from 1).
    FakePad& addPad(PadShape shape, std::u16string name = u"Fake pad");
};

// A DirectInput object over the fake devices, with one reference for the caller.
IDirectInput8* createFakeDirectInput(std::shared_ptr<FakeInput> input);

}  // namespace platform::input
