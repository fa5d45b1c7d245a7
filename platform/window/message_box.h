#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

namespace platform::window {

// Message-box styles and results, with the values of the Windows API.
inline constexpr uint32_t kMbOk = 0x00000000;
inline constexpr uint32_t kMbIconWarning = 0x00000030;
inline constexpr int kIdOk = 1;

// Shows a message box over the owner window (null: no owner) with CP932 text and caption and
// waits for it to be closed; returns the button pressed. Until the window service draws real
// dialogs, the box is written to standard error as "[caption] text" and accepted with OK.
int messageBox(void* owner, std::string_view cp932Text, std::string_view cp932Caption,
               uint32_t style);

// Tests: every box is also handed to the observer (an empty function removes it).
using MessageBoxObserver =
    std::function<void(std::string_view cp932Text, std::string_view cp932Caption, uint32_t style)>;
void setMessageBoxObserver(MessageBoxObserver observer);

}  // namespace platform::window
