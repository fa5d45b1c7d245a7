#pragma once
#include <cstdint>

#include "framework/msw/window.h"

// The window procedure over the window's messages (platform/window/window_message.h), free of
// any window system, so that every message can be driven by tests.

inline constexpr uint32_t kPelMswCopyDataTag = 0x504D4344;  // "PMCD"

// System commands (the low four bits are masked off before comparing).
inline constexpr uintptr_t kPelScSize = 0xF000;
inline constexpr uintptr_t kPelScMove = 0xF010;
inline constexpr uintptr_t kPelScMinimize = 0xF020;
inline constexpr uintptr_t kPelScMaximize = 0xF030;
inline constexpr uintptr_t kPelScClose = 0xF060;
inline constexpr uintptr_t kPelScMouseMenu = 0xF090;
inline constexpr uintptr_t kPelScKeyMenu = 0xF100;
inline constexpr uintptr_t kPelScRestore = 0xF120;
inline constexpr uintptr_t kPelScTaskList = 0xF130;
inline constexpr uintptr_t kPelScScreenSave = 0xF140;
inline constexpr uintptr_t kPelScDefault = 0xF160;
inline constexpr uintptr_t kPelScMonitorPower = 0xF170;

// Power events queried before a suspend or standby, and the answer that refuses them.
inline constexpr uintptr_t kPelPbtQuerySuspend = 0;
inline constexpr uintptr_t kPelPbtQueryStandby = 1;
inline constexpr intptr_t kPelBroadcastQueryDeny = 0x424D5144;

intptr_t pelMswWindowProcedure(PEL_MSW_WINDOW* window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam);

// Key messages and the Windows keys, for the keyboard filter.
inline constexpr uintptr_t kPelWmKeyDown = 0x0100;
inline constexpr uintptr_t kPelWmKeyUp = 0x0101;
inline constexpr uint32_t kPelVkLeftWin = 0x5B;
inline constexpr uint32_t kPelVkRightWin = 0x5C;

// The keyboard filter of descriptor flag 2: 1 (swallow) for a key-down or key-up of a Windows
// key while the game is the active application and the code is an action (0 or more); 0 (pass
// it on) otherwise. The window system here sends no such key events to filter.
intptr_t pelMswKeyboardHookProc(int32_t code, uintptr_t message, uint32_t virtualKey);
