// The DirectInput 8 module's object and device operations.
#include "framework/input/dinput8.h"
#include "tests/framework/input/fake_dinput8.h"

namespace {

using namespace platform::input;
using Dinput8Module = tessera::test::FakeDinput8;

TEST_F(Dinput8Module, KeepsOneObjectFromStartUpToTheFinaliser) {
    IDirectInput8* object = pelDinput8Object();
    ASSERT_NE(object, nullptr);
    pelDinput8Initialize();
    EXPECT_EQ(pelDinput8Object(), object);
    pelDinput8Finalize();
    EXPECT_EQ(pelDinput8Object(), nullptr);
    EXPECT_EQ(pelDinput8CreateKeyboardDevice(kWindow), nullptr);
    pelDinput8Finalize();  // not running: nothing
}

TEST_F(Dinput8Module, ReadStateFollowsTheFocus) {
    IDirectInputDevice8* keyboard = pelDinput8CreateKeyboardDevice(kWindow);
    ASSERT_NE(keyboard, nullptr);
    input_->keys[0x39] = 0x80;
    BYTE keys[256] = {};
    EXPECT_FALSE(pelDinput8ReadState(keyboard, keys, 80));  // wrong size
    ASSERT_TRUE(pelDinput8ReadState(keyboard, keys, sizeof keys));
    EXPECT_EQ(keys[0x39], 0x80);
    input_->focusWindow = nullptr;
    EXPECT_FALSE(pelDinput8ReadState(keyboard, keys, sizeof keys));
    keyboard->Release();

    // A foreground device needs a window.
    EXPECT_EQ(pelDinput8CreateKeyboardDevice(nullptr), nullptr);
    EXPECT_EQ(pelDinput8CreatePadDevice(GUID{1, 0, 0, {}}, kWindow), nullptr);  // not attached
}

}  // namespace
