#pragma once
#include <cstdint>

// Report levels.
enum : int32_t {
    PEL_REPORT_ERROR = 0,
    PEL_REPORT_WARNING = 1,
    PEL_REPORT_MESSAGE = 2,
    PEL_REPORT_INFORMATION = 3,
    PEL_REPORT_DEBUG = 4,
};

// Receives every report. Called under the report lock, which is recursive, so a sink may
// report again on the same thread.
using PEL_REPORT_SINK = void (*)(int32_t level, const char16_t* text);
// Runs after each report has reached the sink and the lock is released.
using PEL_REPORT_EXIT_HOOK = void (*)(int32_t level);

// Longest report text in units; a longer formatted message is cut to this length.
inline constexpr int kPelReportMaxText = 1024;

// Formats a message (printf conventions of pelSprintf: "%s" 8-bit CP932 text, "%ls" UTF-16)
// and reports it.
void pelReport(int32_t level, const char16_t* format, ...);
// Reports a text as it stands.
void pelReportText(int32_t level, const char16_t* text);

// The report lock, which every report holds while its sink runs. It is recursive, and a thread
// that waits for it sleeps (a sink may hold it for long: a message box stays open under it).
// Code that must not interleave with reports (the log's own writers, a change of exit hook
// together with other start-up state) takes it around its work.
void pelReportLock();
void pelReportUnlock();

// NULL restores the default.
void pelReportSetSink(PEL_REPORT_SINK sink);
void pelReportSetExitHook(PEL_REPORT_EXIT_HOOK hook);

// Writes the text and a line break to standard error as UTF-8; the level is ignored.
void pelReportDefaultSink(int32_t level, const char16_t* text);
// At level 0 ends the process with exit code 1; otherwise does nothing.
void pelReportExitHook(int32_t level);

// Reports "Error: Out of memory." at level 0 (so the exit hook runs).
void pelReportOutOfMemory();

// Returns the pointer; a NULL pointer is first reported as out of memory.
template <typename T>
T* pelCheckAlloc(T* pointer) {
    if (!pointer) pelReportOutOfMemory();
    return pointer;
}
