#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

namespace platform::window {

// Message-box styles and results, with the values of the Windows API.
inline constexpr uint32_t kMbOk = 0x00000000;
inline constexpr uint32_t kMbYesNo = 0x00000004;
inline constexpr uint32_t kMbIconError = 0x00000010;
inline constexpr uint32_t kMbIconWarning = 0x00000030;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Shows a message box over the owner window (an SdlWindow handle, or null for none) and waits
// for it to be closed; returns the button pressed. The box has an OK button, or Yes and No
// with kMbYesNo (closing it answers No). The style's icon picks the box's kind (error, warning,
// or information for any other). Headless runs, runs without a display, and runs with an
// observer installed open no box: the box is written to standard error as "[caption] text"
// and answered with OK, or No.
int messageBox(void* owner, std::string_view cp932Text, std::string_view cp932Caption,
               uint32_t style);
// The same with UTF-16 text and caption, which keep characters that CP932 lacks.
int messageBox(void* owner, std::u16string_view text, std::u16string_view caption, uint32_t style);

// Tests: every box is handed to the observer instead of being shown (an empty function
// removes it). The observer receives the texts in CP932.
using MessageBoxObserver =
    std::function<void(std::string_view cp932Text, std::string_view cp932Caption, uint32_t style)>;
void setMessageBoxObserver(MessageBoxObserver observer);

}  // namespace platform::window
