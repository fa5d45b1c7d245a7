#include "render3d/diagnostics/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "foundation/DDebug.h"
#include "foundation/DList.h"
#include "platform/os/critical_section.h"
#include "platform/window/message_box.h"

std::atomic<uint32_t> l3dDiagMode{l3dDiagShowAtOnce};
std::atomic<int32_t> l3dLogThreshold{2};
std::atomic<void*> l3dOwnerWindow{nullptr};

namespace {

constexpr const char* kCaption = "Code:QN";

// Recursive: a message box or a log stream may report again from inside.
platform::os::CriticalSection& DiagLock() {
    static platform::os::CriticalSection* lock = new platform::os::CriticalSection;
    return *lock;
}

// Copies of the kept warning texts, in the order raised. Never destroyed, so warnings raised
// by static destructors at exit still find it.
mirel::DList<char>& DeferredWarnings() {
    static mirel::DList<char>* warnings = new mirel::DList<char>;
    return *warnings;
}

struct FormattedText {
    char text[l3dFormatCapacity];
};

void Format(FormattedText& out, const char* format, va_list arguments) {
    std::vsnprintf(out.text, sizeof out.text, format ? format : "", arguments);
}

void ShowBox(const char* text) {
    platform::window::messageBox(l3dOwnerWindow.load(), text, kCaption,
                                 platform::window::kMbIconWarning);
}

void WarningCore(const char* text) {
    std::lock_guard lock(DiagLock());
    l3dWriteLog(text, 0);
    const uint32_t mode = l3dDiagMode.load();
    if (mode & l3dDiagShowAtOnce) ShowBox(text);
    if (mode & l3dDiagDefer) {
        const size_t length = std::strlen(text);
        mirel::rcptr<char> copy;
        copy.Allocate(length + 1);
        std::memcpy(copy.Get(), text, length + 1);
        DeferredWarnings().AddTail(copy);
    }
}

}  // namespace

void l3dWriteLog(const char* text, int32_t level) {
    std::lock_guard lock(DiagLock());
    if (level > l3dLogThreshold.load()) return;
    mirel::DDebug& debug = mirel::DDebug::Global();
    debug.Print(text);
    debug.Print("\n");
}

void l3dLog(int32_t level, const char* format, ...) {
    FormattedText formatted;
    va_list arguments;
    va_start(arguments, format);
    Format(formatted, format, arguments);
    va_end(arguments);
    l3dWriteLog(formatted.text, level);
}

void l3dWarning(const char* format, ...) {
    FormattedText formatted;
    va_list arguments;
    va_start(arguments, format);
    Format(formatted, format, arguments);
    va_end(arguments);
    WarningCore(formatted.text);
}

void l3dError(const char* format, ...) {
    FormattedText formatted;
    va_list arguments;
    va_start(arguments, format);
    Format(formatted, format, arguments);
    va_end(arguments);
    WarningCore(formatted.text);
    throw LExceptGame();
}

void l3dThrowGameExcept() { throw LExceptGame(); }

void l3dShowDeferredWarnings() {
    std::lock_guard lock(DiagLock());
    mirel::DList<char>& warnings = DeferredWarnings();
    while (warnings.Count() > 0) {
        const mirel::rcptr<char> text = warnings._GetFirstRef();
        warnings.Erase(warnings._GetFirstNode());
        ShowBox(text.Get());
    }
}

void l3dTermDiag() {
    std::lock_guard lock(DiagLock());
    DeferredWarnings()._EraseAllNodes();
}
