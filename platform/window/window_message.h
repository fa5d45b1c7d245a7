#pragma once
// The messages a main window delivers to its handler, with the numbers and parameter meanings
// of the Windows messages they stand for, so that one window procedure serves the SDL2 window
// and tests that inject messages into a headless one.
#include <cstdint>
#include <functional>

namespace platform::window {

inline constexpr uint32_t kWmPaint = 0x000F;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmActivateApp = 0x001C;  // wParam 1: active, 0: inactive
inline constexpr uint32_t kWmCancelMode = 0x001F;
inline constexpr uint32_t kWmCopyData = 0x004A;    // lParam: const CopyData*
inline constexpr uint32_t kWmSysCommand = 0x0112;  // wParam: the command
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmPowerBroadcast = 0x0218;  // wParam: the event

// The data of a copy-data message.
struct CopyData {
    uintptr_t id;
    uint32_t size;
    const void* data;
};

struct WindowMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WindowMessageHandler = std::function<void(const WindowMessage&)>;

}  // namespace platform::window
