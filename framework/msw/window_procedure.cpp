#include "framework/msw/window_procedure.h"

#include <atomic>

#include "platform/window/main_window.h"
#include "platform/window/window_message.h"

namespace {

using namespace platform::window;

std::atomic<bool> applicationActive{true};

// What the window system does with a message the procedure passes on: a close command asks
// the window to close; everything else needs nothing here.
intptr_t defaultProcedure(PEL_MSW_WINDOW* window, uint32_t message, uintptr_t wParam) {
    if (window && message == kWmSysCommand && (wParam & ~uintptr_t{0xF}) == kPelScClose)
        return pelMswWindowProcedure(window, kWmClose, 0, 0);
    return 0;
}

void startDrag(PEL_MSW_WINDOW* window) {
    int x = 0, y = 0;
    if (!window->platformWindow || !window->platformWindow->cursorPosition(x, y)) return;
    window->dragging = 1;
    window->cursorX = x;
    window->cursorY = y;
}

intptr_t systemCommand(PEL_MSW_WINDOW* window, uintptr_t wParam) {
    switch (wParam & ~uintptr_t{0xF}) {
    case kPelScMove:
        startDrag(window);
        return 0;
    case kPelScClose:
    case kPelScRestore:
        return defaultProcedure(window, kWmSysCommand, wParam);
    case kPelScDefault:
        return pelMswWindowProcedure(window, kWmClose, 0, 0);
    default:
        // Size, minimise, maximise, the menus, the screen saver, monitor power, the task
        // list and the rest do nothing to the game's window.
        return 0;
    }
}

}  // namespace

void pelMswSetApplicationActive(bool active) { applicationActive = active; }

bool pelMswApplicationActive() { return applicationActive; }

intptr_t pelMswWindowProcedure(PEL_MSW_WINDOW* window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) {
    if (!window) return defaultProcedure(nullptr, message, wParam);
    if (window->hookCount > 0 && window->hook) {
        intptr_t result = 0;
        if (window->hook(&result, window, message, wParam, lParam, window->hookUser)) return result;
    }
    switch (message) {
    case kWmPaint:
        return 0;
    case kWmClose:
        window->closeRequested = 1;
        return 0;
    case kWmActivateApp:
        applicationActive = wParam == 1;
        return defaultProcedure(window, message, wParam);
    case kWmCancelMode:
    case kWmLButtonUp:
        window->dragging = 0;
        return 0;
    case kWmCopyData: {
        const auto* copy = reinterpret_cast<const CopyData*>(lParam);
        if (copy && copy->id == kPelMswCopyDataTag && window->copyData)
            window->copyData(copy->data, copy->size, window->copyDataUser);
        return defaultProcedure(window, message, wParam);
    }
    case kWmSysCommand:
        return systemCommand(window, wParam);
    case kWmPowerBroadcast:
        if (wParam == kPelPbtQuerySuspend || wParam == kPelPbtQueryStandby)
            return kPelBroadcastQueryDeny;
        return defaultProcedure(window, message, wParam);
    default:
        return defaultProcedure(window, message, wParam);
    }
}

intptr_t pelMswKeyboardHookProc(int32_t code, uintptr_t message, uint32_t virtualKey) {
    const bool windowsKey = virtualKey == kPelVkLeftWin || virtualKey == kPelVkRightWin;
    const bool keyMessage = message == kPelWmKeyDown || message == kPelWmKeyUp;
    return code >= 0 && keyMessage && windowsKey && applicationActive ? 1 : 0;
}
