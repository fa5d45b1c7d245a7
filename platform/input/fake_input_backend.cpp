#include "platform/input/fake_input_backend.h"

#include <algorithm>

namespace platform::input {
namespace {

class FakeKeyboard final : public KeyboardSource {
public:
    explicit FakeKeyboard(std::shared_ptr<FakeInput> input) : input_(std::move(input)) {}
    void read(std::array<BYTE, kKeyboardStateSize>& keys) override { keys = input_->keys; }

private:
    std::shared_ptr<FakeInput> input_;
};

class FakePadSource final : public PadSource {
public:
    FakePadSource(std::shared_ptr<FakeInput> input, FakePad& pad)
        : input_(std::move(input)), pad_(pad) {}
    void poll() override { ++pad_.polls; }
    void read(DIJOYSTATE& state) override {
        const PadShape& shape = pad_.description.shape;
        LONG* axes[] = {&state.lX, &state.lY, &state.lZ, &state.lRx, &state.lRy, &state.lRz};
        const LONG* values[] = {&pad_.state.lX,  &pad_.state.lY,  &pad_.state.lZ,
                                &pad_.state.lRx, &pad_.state.lRy, &pad_.state.lRz};
        for (int axis = 0; axis < 6; ++axis)
            if (shape.hasAxis(axis)) *axes[axis] = *values[axis];
        std::copy_n(pad_.state.rgdwPOV, shape.hats, state.rgdwPOV);
        std::copy_n(pad_.state.rgbButtons, shape.buttons, state.rgbButtons);
    }
    bool answersRange() const override { return !pad_.rangeFails; }

private:
    std::shared_ptr<FakeInput> input_;
    FakePad& pad_;
};

class FakeInputBackend final : public InputBackend {
public:
    explicit FakeInputBackend(std::shared_ptr<FakeInput> input) : input_(std::move(input)) {}

    std::vector<PadDescription> attachedPads() override {
        std::vector<PadDescription> pads;
        for (const FakePad& pad : input_->pads) pads.push_back(pad.description);
        return pads;
    }
    std::unique_ptr<KeyboardSource> openKeyboard() override {
        if (!input_->keyboardOpens) return nullptr;
        return std::make_unique<FakeKeyboard>(input_);
    }
    std::unique_ptr<PadSource> openPad(const GUID& instance, PadDescription& description) override {
        for (FakePad& pad : input_->pads) {
            if (!(pad.description.instance == instance) || !pad.opens) continue;
            description = pad.description;
            return std::make_unique<FakePadSource>(input_, pad);
        }
        return nullptr;
    }
    bool hasKeyboardFocus(HWND window) override { return window && window == input_->focusWindow; }

private:
    std::shared_ptr<FakeInput> input_;
};

}  // namespace

FakePad& FakeInput::addPad(PadShape shape, std::u16string name) {
    FakePad& pad = pads.emplace_back();
    pad.description.instance = GUID{static_cast<DWORD>(pads.size()), 0, 0, {}};
    pad.description.product = GUID{0xFA4E, 0, 0, {}};
    pad.description.productName = name;
    pad.description.instanceName = std::move(name);
    pad.description.shape = shape;
    std::fill(std::begin(pad.state.rgdwPOV), std::end(pad.state.rgdwPOV), kPovCentred);
    return pad;
}

IDirectInput8* createFakeDirectInput(std::shared_ptr<FakeInput> input) {
    return new IDirectInput8(std::make_shared<FakeInputBackend>(std::move(input)));
}

}  // namespace platform::input
