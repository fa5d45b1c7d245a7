#include "framework/core/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "framework/core/format.h"
#include "framework/core/lock.h"
#include "platform/os/utf8.h"

namespace {

// The sink and the hook hold their defaults from the start of the process, so reports made
// before the core module starts still reach standard error.
struct ReportState {
    PEL_LOCK lock;
    PEL_REPORT_SINK sink = pelReportDefaultSink;
    PEL_REPORT_EXIT_HOOK exitHook = pelReportExitHook;
};

ReportState& state() {
    static ReportState instance;
    return instance;
}

void deliver(int32_t level, const char16_t* text) {
    PEL_REPORT_EXIT_HOOK hook;
    {
        std::lock_guard guard(state().lock);
        state().sink(level, text);
        hook = state().exitHook;
    }
    hook(level);
}

}  // namespace

void pelReport(int32_t level, const char16_t* format, ...) {
    char16_t text[kPelReportMaxText + 1];
    va_list args;
    va_start(args, format);
    pelVformatCut(text, kPelReportMaxText + 1, format, args);
    va_end(args);
    deliver(level, text);
}

void pelReportText(int32_t level, const char16_t* text) { deliver(level, text); }

void pelReportLock() { state().lock.enter(); }

void pelReportUnlock() { state().lock.leave(); }

void pelReportSetSink(PEL_REPORT_SINK sink) {
    std::lock_guard guard(state().lock);
    state().sink = sink ? sink : pelReportDefaultSink;
}

void pelReportSetExitHook(PEL_REPORT_EXIT_HOOK hook) {
    std::lock_guard guard(state().lock);
    state().exitHook = hook ? hook : pelReportExitHook;
}

void pelReportDefaultSink(int32_t, const char16_t* text) {
    std::string utf8 = platform::os::utf16ToUtf8(text);
    utf8 += '\n';
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

void pelReportExitHook(int32_t level) {
    if (level == PEL_REPORT_ERROR) std::exit(1);
}

void pelReportOutOfMemory() { pelReportText(PEL_REPORT_ERROR, u"Error: Out of memory."); }
