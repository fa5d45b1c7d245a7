#include "platform/window/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/os/cp932.h"
#include "platform/os/headless.h"
#include "platform/os/utf8.h"
#include "platform/window/sdl_window.h"

namespace platform::window {
namespace {

std::mutex& ObserverLock() {
    static std::mutex lock;
    return lock;
}

MessageBoxObserver& Observer() {
    static MessageBoxObserver observer;
    return observer;
}

// True when the observer took the box.
bool Observe(std::string_view cp932Text, std::string_view cp932Caption, uint32_t style) {
    std::lock_guard lock(ObserverLock());
    if (!Observer()) return false;
    Observer()(cp932Text, cp932Caption, style);
    return true;
}

Uint32 BoxKind(uint32_t style) {
    switch (style & 0xF0) {
    case kMbIconError:
        return SDL_MESSAGEBOX_ERROR;
    case kMbIconWarning:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// Shows the box with SDL; the button pressed, or 0 when SDL cannot show it.
int ShowWithSdl(SDL_Window* parent, const std::string& utf8Text, const std::string& utf8Caption,
                uint32_t style) {
    const bool yesNo = (style & 0x0F) == kMbYesNo;
    const SDL_MessageBoxButtonData okButton[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdOk,
         "OK"}};
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdYes, "はい"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdNo, "いいえ"}};
    SDL_MessageBoxData data{};
    data.flags = BoxKind(style);
    data.window = parent;
    data.title = utf8Caption.c_str();
    data.message = utf8Text.c_str();
    data.numbuttons = yesNo ? 2 : 1;
    data.buttons = yesNo ? yesNoButtons : okButton;
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) return 0;
    // A box closed without a button answers with its Escape button.
    return pressed == kIdOk || pressed == kIdYes ? pressed : (yesNo ? kIdNo : kIdOk);
}

int Show(void* owner, const std::string& utf8Text, const std::string& utf8Caption, uint32_t style,
         bool observed) {
    if (!observed && !platform::os::headlessRun()) {
        SDL_Window* parent = owner ? static_cast<SdlWindow*>(owner)->sdlWindow() : nullptr;
        if (const int pressed = ShowWithSdl(parent, utf8Text, utf8Caption, style)) return pressed;
    }
    const std::string line = "[" + utf8Caption + "] " + utf8Text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return (style & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
}

}  // namespace

int messageBox(void* owner, std::string_view cp932Text, std::string_view cp932Caption,
               uint32_t style) {
    const bool observed = Observe(cp932Text, cp932Caption, style);
    return Show(owner, os::cp932ToUtf8(cp932Text), os::cp932ToUtf8(cp932Caption), style, observed);
}

int messageBox(void* owner, std::u16string_view text, std::u16string_view caption, uint32_t style) {
    const bool observed = Observe(os::utf16ToCp932(text), os::utf16ToCp932(caption), style);
    return Show(owner, os::utf16ToUtf8(text), os::utf16ToUtf8(caption), style, observed);
}

void setMessageBoxObserver(MessageBoxObserver observer) {
    std::lock_guard lock(ObserverLock());
    Observer() = std::move(observer);
}

}  // namespace platform::window
