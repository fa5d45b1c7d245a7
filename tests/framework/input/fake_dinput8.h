#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "framework/input/dinput8.h"
#include "platform/input/fake_input_backend.h"

namespace tessera::test {

// Starts the DirectInput 8 module over fake devices, with kWindow focused.
class FakeDinput8 : public ::testing::Test {
protected:
    static inline void* const kWindow = reinterpret_cast<void*>(0x1000);

    void SetUp() override {
        input_->focusWindow = kWindow;
        platform::input::setDirectInput8CreateOverride([input = input_](platform::input::DWORD) {
            return platform::input::createFakeDirectInput(input);
        });
        pelDinput8Finalize();
        pelDinput8Initialize();
    }
    void TearDown() override {
        pelDinput8Finalize();
        platform::input::setDirectInput8CreateOverride({});
    }

    std::shared_ptr<platform::input::FakeInput> input_ =
        std::make_shared<platform::input::FakeInput>();
};

}  // namespace tessera::test
