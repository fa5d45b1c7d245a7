#pragma once
#include <cstddef>
#include <cstdint>

// The main window: created from a descriptor, pumped once per frame by the game loop, closed
// only by the game (a close request sets a flag the game reads).

// Called with the data of a copy-data message tagged "PMCD".
using PEL_MSW_COPYDATA_CALLBACK = void (*)(const void* data, uint32_t size, void* user);

// Descriptor flags.
enum : uint8_t {
    PEL_MSW_WINDOW_NO_COMPOSITION = 1,  // desktop composition off (nothing to do here)
    PEL_MSW_WINDOW_HOOK_WIN_KEYS = 2,   // the Windows keys do nothing while the game is active
};

struct PEL_MSW_WINDOW_DESC {
    uint8_t flags;
    uint16_t icon;  // icon resource number, 0 for none
    const char16_t* title;
    uint32_t width;  // client area; 0 means 320 (width) and 240 (height)
    uint32_t height;
    uint8_t fullscreen;
    PEL_MSW_COPYDATA_CALLBACK copyData;
    void* copyDataUser;
};

struct PEL_MSW_WINDOW;
// Sees every message first; returns true when it handled the message, whose result it stored.
using PEL_MSW_MESSAGE_HOOK = bool (*)(intptr_t* result, PEL_MSW_WINDOW* window, uint32_t message,
                                      uintptr_t wParam, intptr_t lParam, void* user);

namespace platform::window {
class MainWindow;
}

struct PEL_MSW_WINDOW {
    // The handle given to the device, input and sound: the SdlWindow's address, or null for
    // a headless window.
    void* handle;
    uint8_t windowed;
    uint8_t closeRequested;  // set by a close message; read and cleared by the game
    uint8_t dragging;        // a move started from the system menu, until the button is up
    int32_t cursorX;         // the cursor at the last step of a drag
    int32_t cursorY;
    PEL_MSW_COPYDATA_CALLBACK copyData;
    void* copyDataUser;
    uint32_t hookCount;  // 0 or 1
    PEL_MSW_MESSAGE_HOOK hook;
    void* hookUser;
    platform::window::MainWindow* platformWindow;  // owned
};

// The class name becomes "PELLAM_MSW_WINDOW_CLASS_<suffix>", cut to 63 units; it names the
// running game for the single-instance check. Only before the first window is created.
void pelMswWindowSetClassName(const char16_t* suffix);
PEL_MSW_WINDOW* pelMswWindowCreate(const PEL_MSW_WINDOW_DESC* desc);
void pelMswWindowDestroy(PEL_MSW_WINDOW* window);
// Delivers the pending messages to the window procedure, applies a drag, and raises the
// window when a second start of the game asked for it.
void pelMswWindowPumpMessages(PEL_MSW_WINDOW* window);

// Looks for a running game of this window class. When one holds the class name, asks it to
// bring its window to the front and returns true; otherwise this process holds the name until
// pelMswFinalize (a later start finds it) and false is returned.
bool pelMswWindowFindRunning();

// Set while the game is the active application (initially set).
bool pelMswApplicationActive();
