#include "platform/window/headless_window.h"

namespace platform::window {

bool HeadlessWindow::pumpEvents() {
    while (!pending_.empty()) {
        const WindowMessage message = pending_.front();
        pending_.pop_front();
        if (message.message == kWmClose) closeRequested_ = true;
        if (handler_) handler_(message);
    }
    return !closeRequested_;
}

bool HeadlessWindow::cursorPosition(int& x, int& y) {
    x = cursorX_;
    y = cursorY_;
    return true;
}

void HeadlessWindow::moveBy(int dx, int dy) {
    x_ += dx;
    y_ += dy;
}

}  // namespace platform::window
