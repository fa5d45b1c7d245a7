// The virtual controller over scripted sources.
#include <vector>

#include "framework/input/controller.h"
#include "framework/input/input_device.h"
#include "tests/framework/input/fake_dinput8.h"

namespace {

// A source whose buttons read the values the test sets.
struct ScriptedSource {
    std::vector<float> values;
    int frames = 0;
    int countQueries = 0;

    PEL_CONTROLLER_SOURCE source() {
        return {
            this,
            [](void* user) { ++static_cast<ScriptedSource*>(user)->frames; },
            [](void* user) {
                auto* self = static_cast<ScriptedSource*>(user);
                ++self->countQueries;
                return static_cast<uint32_t>(self->values.size());
            },
            [](void*, uint32_t) { return 0u; },
            [](void* user, uint32_t index) {
                return static_cast<ScriptedSource*>(user)->values[index];
            },
        };
    }
};

// One controller over a one-button scripted source.
class Controller : public ::testing::Test {
protected:
    void make(uint32_t doublePress, uint32_t quickTilt) {
        const PEL_CONTROLLER_SOURCE source = script_.source();
        const PEL_CONTROLLER_PARAMETERS parameters{&source, doublePress, quickTilt};
        controller_ = pelControllerCreate(&parameters);
    }
    void TearDown() override { pelControllerDestroy(controller_); }

    // Runs one frame with the button at `value`; returns its flags.
    uint32_t frame(float value) {
        script_.values[0] = value;
        pelControllerUpdate(controller_);
        return controller_->flags[0];
    }
    // Presses the button again `gap` frames (2 or more) after the last press, resting in
    // between; returns the flags of that press.
    uint32_t pressAgainAfter(int gap) {
        for (int i = 1; i < gap; ++i) frame(0.0f);
        return frame(1.0f);
    }

    ScriptedSource script_{{0.0f}};
    PEL_CONTROLLER* controller_ = nullptr;
};

TEST_F(Controller, CreationAsksTheCountOnceAndUpdatesCallTheSourceEachFrame) {
    script_.values = {0.0f, 0.0f, 0.0f};
    make(20, 10);
    EXPECT_EQ(controller_->buttonCount, 3u);
    EXPECT_EQ(script_.countQueries, 1);
    script_.values = {0.2f, 0.7f, 1.0f};
    pelControllerUpdate(controller_);
    pelControllerUpdate(controller_);
    EXPECT_EQ(script_.frames, 2);
    EXPECT_EQ(script_.countQueries, 1);
    EXPECT_EQ(controller_->values[0], 0.2f);
    EXPECT_EQ(controller_->values[2], 1.0f);
}

TEST_F(Controller, PressAndReleaseHaveHysteresis) {
    make(0, 0);
    const std::pair<float, uint32_t> sequence[] = {
        {0.45f, 0},
        {0.55f, PEL_CONTROLLER_PRESSED | PEL_CONTROLLER_HELD},
        {0.45f, PEL_CONTROLLER_HELD},
        {0.4f, PEL_CONTROLLER_HELD},
        {0.35f, PEL_CONTROLLER_RELEASED},
        {0.49f, 0},
        {0.5f, PEL_CONTROLLER_PRESSED | PEL_CONTROLLER_HELD},
    };
    for (const auto& [value, flags] : sequence) EXPECT_EQ(frame(value), flags) << value;
}

TEST_F(Controller, DoublePressWithinTheWindow) {
    make(20, 0);
    // The counters start at 0: the first press already counts as a double press.
    EXPECT_TRUE(frame(1.0f) & PEL_CONTROLLER_DOUBLE_PRESS);
    struct Case {
        int gap;
        bool doublePress;
    };
    const Case cases[] = {{21, true}, {22, false}, {2, true}, {100, false}};
    for (const Case& c : cases) {
        const uint32_t flags = pressAgainAfter(c.gap);
        EXPECT_TRUE(flags & PEL_CONTROLLER_PRESSED) << c.gap;
        EXPECT_EQ((flags & PEL_CONTROLLER_DOUBLE_PRESS) != 0, c.doublePress) << c.gap;
    }
}

TEST_F(Controller, QuickTiltFromRestToFullTravelWithinTheWindow) {
    make(0, 10);
    struct Case {
        int middleFrames;
        bool quickTilt;
    };
    const Case cases[] = {{9, true}, {10, false}, {0, true}};
    for (const Case& c : cases) {
        frame(0.0f);
        for (int i = 0; i < c.middleFrames; ++i)
            EXPECT_FALSE(frame(0.5f) & PEL_CONTROLLER_QUICK_TILT);
        EXPECT_EQ((frame(1.0f) & PEL_CONTROLLER_QUICK_TILT) != 0, c.quickTilt) << c.middleFrames;
    }
    // Held at full travel, or back to the middle band and out again, flags nothing until the
    // value has been at rest.
    for (const float value : {1.0f, 1.0f, 0.5f, 0.02f, 1.0f})
        EXPECT_FALSE(frame(value) & PEL_CONTROLLER_QUICK_TILT) << value;
    frame(0.005f);
    EXPECT_TRUE(frame(0.995f) & PEL_CONTROLLER_QUICK_TILT);
}

TEST_F(Controller, CountersStopAtTheirMaximum) {
    make(20, 10);
    frame(0.0f);
    controller_->doublePressCounters[0] = 0xFFFFFFFE;
    frame(0.0f);
    frame(0.0f);
    EXPECT_EQ(controller_->doublePressCounters[0], 0xFFFFFFFFu);
    // A wrapped counter would have made this a double press.
    EXPECT_FALSE(frame(1.0f) & PEL_CONTROLLER_DOUBLE_PRESS);

    frame(0.0f);
    controller_->quickTiltCounters[0] = 0xFFFFFFFE;
    frame(0.5f);
    frame(0.5f);
    EXPECT_EQ(controller_->quickTiltCounters[0], 0xFFFFFFFFu);
    EXPECT_FALSE(frame(1.0f) & PEL_CONTROLLER_QUICK_TILT);
}

TEST_F(Controller, WindowsOfZeroTurnTheFlagsOff) {
    make(0, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(frame(1.0f),
                  i == 0 ? PEL_CONTROLLER_PRESSED | PEL_CONTROLLER_HELD : PEL_CONTROLLER_HELD);
    }
    frame(0.0f);
    EXPECT_EQ(frame(1.0f), PEL_CONTROLLER_PRESSED | PEL_CONTROLLER_HELD);
}

using ControllerOverDevice = tessera::test::FakeDinput8;

TEST_F(ControllerOverDevice, KeyboardDeviceFeedsAController) {
    PEL_INPUT_SETTINGS settings{};
    settings.keyCodes[0] = 0xC8;  // up
    settings.keyCodes[1] = 0x39;  // space
    PEL_INPUT_DEVICE* device = pelInputCreateKeyboard(&settings, kWindow);
    ASSERT_NE(device, nullptr);
    const PEL_CONTROLLER_SOURCE source = pelInputControllerSource(device);
    const PEL_CONTROLLER_PARAMETERS parameters{&source, 20, 10};
    PEL_CONTROLLER* controller = pelControllerCreate(&parameters);
    EXPECT_EQ(controller->buttonCount, 2u);
    input_->keys[0x39] = 0x80;
    pelControllerUpdate(controller);
    EXPECT_EQ(controller->flags[0], 0u);
    // A digital key flags a quick tilt on every press, and a double press within the window.
    EXPECT_EQ(controller->flags[1], PEL_CONTROLLER_PRESSED | PEL_CONTROLLER_HELD |
                                        PEL_CONTROLLER_DOUBLE_PRESS | PEL_CONTROLLER_QUICK_TILT);
    EXPECT_EQ(source.buttonFlags(source.user, 1), 0u);
    pelControllerDestroy(controller);
    pelInputDestroy(device);
}

}  // namespace
