#pragma once
// The main window of headless runs (and of runs without a display): a record of what the
// window would be, to which tests inject the messages a window system would send.
#include <deque>
#include <string>

#include "platform/window/main_window.h"

namespace platform::window {

class HeadlessWindow : public MainWindow {
public:
    explicit HeadlessWindow(const MainWindowDesc& desc) : desc_(desc) {}

    void* handle() override { return nullptr; }
    void setMessageHandler(WindowMessageHandler handler) override { handler_ = std::move(handler); }
    bool pumpEvents() override;
    void raise() override { ++raiseCount_; }
    void hide() override { visible_ = false; }
    bool cursorPosition(int& x, int& y) override;
    void moveBy(int dx, int dy) override;

    // Queues a message for the next pumpEvents.
    void inject(const WindowMessage& message) { pending_.push_back(message); }
    void setCursor(int x, int y) { cursorX_ = x, cursorY_ = y; }

    const MainWindowDesc& desc() const { return desc_; }
    bool visible() const { return visible_; }
    int raiseCount() const { return raiseCount_; }
    int x() const { return x_; }
    int y() const { return y_; }

private:
    MainWindowDesc desc_;
    WindowMessageHandler handler_;
    std::deque<WindowMessage> pending_;
    bool closeRequested_ = false;
    bool visible_ = true;
    int raiseCount_ = 0;
    int x_ = 0, y_ = 0;
    int cursorX_ = 0, cursorY_ = 0;
};

}  // namespace platform::window
