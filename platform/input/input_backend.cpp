#include "platform/input/input_backend.h"

#include <bit>

namespace platform::input {

DWORD PadShape::axisCount() const { return static_cast<DWORD>(std::popcount(axisMask)); }

namespace {

class HeadlessInputBackend final : public InputBackend {
public:
    std::vector<PadDescription> attachedPads() override { return {}; }
    std::unique_ptr<KeyboardSource> openKeyboard() override { return nullptr; }
    std::unique_ptr<PadSource> openPad(const GUID&, PadDescription&) override { return nullptr; }
    bool hasKeyboardFocus(HWND) override { return false; }
};

}  // namespace

std::shared_ptr<InputBackend> headlessInputBackend() {
    return std::make_shared<HeadlessInputBackend>();
}

}  // namespace platform::input
