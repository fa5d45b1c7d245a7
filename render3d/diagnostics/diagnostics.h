#pragma once
#include <atomic>
#include <cstdint>

#include "render3d/diagnostics/LExceptGame.h"

// The 3D library's diagnostics: log lines, warnings and the fatal-error path. Every text is
// 8-bit (CP932) and formatted printf-style into a buffer of l3dFormatCapacity bytes, so it is
// cut at 2071 characters. Callable from any thread; one lock serialises the log, the message
// boxes and the deferred warnings.

inline constexpr int l3dFormatCapacity = 2072;

// Bit 0x1: show each warning in a message box at once; bit 0x2: keep it for
// l3dShowDeferredWarnings. 1 at load.
inline constexpr uint32_t l3dDiagShowAtOnce = 0x1;
inline constexpr uint32_t l3dDiagDefer = 0x2;
extern std::atomic<uint32_t> l3dDiagMode;
// The highest level written to the log. 2 at load.
extern std::atomic<int32_t> l3dLogThreshold;
// The owner of the message boxes (null: none).
extern std::atomic<void*> l3dOwnerWindow;

// Writes the text and a line feed to the debug log when the level does not exceed the
// threshold.
void l3dWriteLog(const char* text, int32_t level);
void l3dLog(int32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Logs the text at level 0, then shows it (caption "Code:QN") or keeps it, by the mode.
void l3dWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Reports like l3dWarning, then throws LExceptGame.
[[noreturn]] void l3dError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Throws LExceptGame without a report.
[[noreturn]] void l3dThrowGameExcept();

// Shows every kept warning in its own message box, in the order raised, and forgets them.
void l3dShowDeferredWarnings();
// Shutdown: forgets the kept warnings without showing them.
void l3dTermDiag();
