#include "framework/msw/msw.h"

#include <cstdlib>
#include <string>
#include <thread>

#include "framework/core/report.h"
#include "framework/core/wide_string.h"
#include "framework/file/file.h"
#include "framework/file/path.h"
#include "framework/msw/window_module.h"
#include "platform/os/file_lock.h"
#include "platform/os/module_path.h"
#include "platform/os/profile_file.h"
#include "platform/os/utf8.h"
#include "platform/window/message_box.h"

namespace {

// Everything the sink reads is guarded by the report lock, under which the sink runs.
struct MswModule {
    bool running = false;
    int32_t level = PEL_REPORT_MESSAGE;
    PEL_FILE* log = nullptr;
    // Held while this process owns the log, so a second start of the game neither cuts nor
    // writes the log of the running one.
    platform::os::FileLock logLock;
    bool flushEveryLine = false;
    void* messageBoxOwner = nullptr;
    std::thread::id mainThread;
};

MswModule& module() {
    static MswModule instance;
    return instance;
}

struct ReportLockGuard {
    ReportLockGuard() { pelReportLock(); }
    ~ReportLockGuard() { pelReportUnlock(); }
    ReportLockGuard(const ReportLockGuard&) = delete;
    ReportLockGuard& operator=(const ReportLockGuard&) = delete;
};

const char16_t* levelPrefix(int32_t level) {
    switch (level) {
    case PEL_REPORT_ERROR:
        return u"[Err] ";
    case PEL_REPORT_WARNING:
        return u"[Warn] ";
    case PEL_REPORT_MESSAGE:
        return u"[Mes] ";
    case PEL_REPORT_INFORMATION:
        return u"[Info] ";
    case PEL_REPORT_DEBUG:
        return u"[Debug] ";
    default:
        return u"";
    }
}

// The level a "level" word names, or -1 for any other text.
int32_t levelOfWord(const char16_t* word) {
    static constexpr const char16_t* kWords[] = {u"error", u"warning", u"message", u"information",
                                                 u"debug"};
    for (int32_t level = 0; level < 5; ++level) {
        const size_t length = pelStrLength(kWords[level]);
        if (pelStrLength(word) == length && pelStrCompareNoCase(word, kWords[level], length))
            return level;
    }
    return -1;
}

// Caller holds the report lock. Each piece reaches the operating system before the call
// returns, so the lines before a crash survive; "fileFlush" also syncs them to disk.
void appendToLog(const char16_t* text, size_t length) {
    MswModule& m = module();
    if (!m.log) return;
    pelFileLock();
    if (pelFileWriteText(m.log, nullptr, text, length) == PEL_OK) {
        if (m.flushEveryLine) {
            pelFileCommit(m.log);
        } else {
            pelFileFlush(m.log);
        }
    }
    pelFileUnlock();
}

void fatalStart() { pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized."); }

// Opens the log when this process can own it: the lock is taken on the file without cutting
// it, and only then is the file cut and written.
void openLog(const char16_t* settingsPath) {
    MswModule& m = module();
    char16_t logPath[kPelMswPathSize];
    pelMswGetDataFilePath(logPath, u"log");
    char16_t nativeLog[kPelMswPathSize];
    pelPathToNative(nativeLog, kPelMswPathSize, logPath);
    if (m.logLock.tryAcquire(platform::os::utf16ToUtf8(nativeLog)) !=
        platform::os::FileLock::Result::Acquired)
        return;
    m.log = pelFileOpen(PEL_FILE_MODE_WRITE_ALT, logPath, PEL_FILE_CREATE | PEL_FILE_TEST_BOM);
    if (!m.log) {
        m.logLock.release();
        return;
    }
    m.flushEveryLine =
        platform::os::getPrivateProfileInt(u"debug", u"fileFlush", 0, settingsPath) != 0;
}

}  // namespace

void pelMswInitialize() {
    {
        ReportLockGuard guard;
        if (module().running) return;
        module().running = true;
        module().mainThread = std::this_thread::get_id();
    }
    if (pelFileCreateDirectory(u"//<localappdata>/") != PEL_OK ||
        pelFileCreateDirectory(u"//<userappdata>/") != PEL_OK)
        fatalStart();
    pelReportSetSink(pelMswLogSink);

    char16_t settingsPath[kPelMswPathSize];
    pelMswGetSettingsFilePath(settingsPath);
    char16_t word[32];
    platform::os::getPrivateProfileString(u"debug", u"level", u"", word, 32, settingsPath);
    {
        ReportLockGuard guard;
        if (const int32_t level = levelOfWord(word); level >= 0) module().level = level;
        if (platform::os::getPrivateProfileInt(u"debug", u"file", 1, settingsPath) != 0)
            openLog(settingsPath);
    }
    // The common controls and the timer resolution need no start here; the settings
    // dialog's module is started by the application right after this.
    pelMswWindowStartModule();

    static const bool registered = std::atexit(pelMswFinalize) == 0;
    if (!registered) fatalStart();
}

void pelMswFinalize() {
    MswModule& m = module();
    {
        ReportLockGuard guard;
        if (!m.running) return;
        m.running = false;
        pelReportSetSink(nullptr);
        if (m.log) pelFileClose(m.log);
        m.log = nullptr;
        m.logLock.release();
        m.flushEveryLine = false;
        m.level = PEL_REPORT_MESSAGE;
        m.messageBoxOwner = nullptr;
    }
    pelMswWindowStopModule();
}

void pelMswGetDataFilePath(char16_t* output, const char16_t* extension) {
    const std::u16string executable = platform::os::utf8ToUtf16(platform::os::moduleFileName());
    const size_t slash = executable.find_last_of(u"/\\");
    const std::u16string name =
        slash == std::u16string::npos ? executable : executable.substr(slash + 1);
    char16_t renamed[kPelMswPathSize];
    pelPathReplaceExtension(name.c_str(), renamed, kPelMswPathSize, extension);
    pelPathJoin(kPelMswPathSize, output, u"//<localappdata>/", renamed, nullptr);
}

void pelMswGetSettingsFilePath(char16_t* output) {
    char16_t dataPath[kPelMswPathSize];
    pelMswGetDataFilePath(dataPath, u"ini");
    pelPathToNative(output, kPelMswPathSize, dataPath);
}

void pelMswLogSink(int32_t level, const char16_t* text) {
    MswModule& m = module();
    const char16_t* prefix = levelPrefix(level);
    if (m.log && level <= m.level) {
        std::u16string line = prefix;
        line += text;
        line += u"\r\n";
        appendToLog(line.c_str(), line.size());
    }
    if (level == PEL_REPORT_ERROR || level == PEL_REPORT_WARNING) {
        // The box is modal and holds the report lock until closed: other threads' reports
        // wait meanwhile.
        void* owner = std::this_thread::get_id() == m.mainThread ? m.messageBoxOwner : nullptr;
        const uint32_t icon = level == PEL_REPORT_ERROR ? platform::window::kMbIconError
                                                        : platform::window::kMbIconWarning;
        platform::window::messageBox(owner, std::u16string_view(text), std::u16string_view(prefix),
                                     platform::window::kMbOk | icon);
    }
}

void pelMswSetLogLevel(int32_t level) {
    ReportLockGuard guard;
    module().level = level;
}

void pelMswSetMessageBoxOwner(void* window) {
    ReportLockGuard guard;
    module().messageBoxOwner = window;
}

void pelMswLogWrite(const char16_t* text, size_t length) {
    ReportLockGuard guard;
    appendToLog(text, length);
}
