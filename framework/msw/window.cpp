#include "framework/msw/window.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "framework/core/report.h"
#include "framework/core/wide_string.h"
#include "framework/msw/window_module.h"
#include "framework/msw/window_procedure.h"
#include "platform/os/single_instance.h"
#include "platform/os/utf8.h"
#include "platform/window/main_window.h"

namespace {

constexpr char16_t kBaseClassName[] = u"PELLAM_MSW_WINDOW_CLASS";
constexpr size_t kClassNameSize = 64;

struct WindowModule {
    std::mutex lock;  // class name and registration, against creation on another thread
    char16_t className[kClassNameSize] = {};
    bool classRegistered = false;
    platform::os::SingleInstance instance;
};

WindowModule& module() {
    static WindowModule instance;
    return instance;
}

}  // namespace

void pelMswWindowStartModule() {
    WindowModule& m = module();
    std::lock_guard guard(m.lock);
    pelStrCopy(kBaseClassName, m.className, kClassNameSize);
    m.classRegistered = false;
    pelMswSetApplicationActive(true);
}

void pelMswWindowStopModule() {
    WindowModule& m = module();
    std::lock_guard guard(m.lock);
    m.instance.release();
}

void pelMswWindowSetClassName(const char16_t* suffix) {
    WindowModule& m = module();
    std::unique_lock guard(m.lock);
    if (m.classRegistered) {
        guard.unlock();
        pelReport(PEL_REPORT_INFORMATION,
                  u"Information: [%s] can't set class name after window creation",
                  "pelMswWindowSetClassName");
        return;
    }
    std::u16string name = kBaseClassName;
    name += u'_';
    name += suffix ? suffix : u"";
    pelStrCopy(name.c_str(), m.className, kClassNameSize);
}

bool pelMswWindowFindRunning() {
    WindowModule& m = module();
    std::lock_guard guard(m.lock);
    if (m.instance.held()) return false;
    const std::string name = platform::os::utf16ToUtf8(m.className);
    return m.instance.acquire(name) == platform::os::SingleInstance::Result::AlreadyRunning;
}

PEL_MSW_WINDOW* pelMswWindowCreate(const PEL_MSW_WINDOW_DESC* desc) {
    if (!desc) return nullptr;
    auto* window =
        pelCheckAlloc(static_cast<PEL_MSW_WINDOW*>(std::calloc(1, sizeof(PEL_MSW_WINDOW))));
    if (!window) return nullptr;
    window->copyData = desc->copyData;
    window->copyDataUser = desc->copyDataUser;
    {
        std::lock_guard guard(module().lock);
        module().classRegistered = true;
    }
    platform::window::MainWindowDesc platformDesc;
    platformDesc.utf8Title = platform::os::utf16ToUtf8(desc->title ? desc->title : u"");
    platformDesc.width = desc->width ? static_cast<int>(desc->width) : 320;
    platformDesc.height = desc->height ? static_cast<int>(desc->height) : 240;
    platformDesc.fullscreen = desc->fullscreen != 0;
    platformDesc.icon = desc->icon;
    std::unique_ptr<platform::window::MainWindow> platformWindow =
        platform::window::openMainWindow(platformDesc);
    if (!platformWindow) {
        pelReportText(PEL_REPORT_INFORMATION, u"ウインドウの作成に失敗しました。");
        std::free(window);
        return nullptr;
    }
    platformWindow->setMessageHandler([window](const platform::window::WindowMessage& message) {
        pelMswWindowProcedure(window, message.message, message.wParam, message.lParam);
    });
    window->handle = platformWindow->handle();
    window->windowed = desc->fullscreen ? 0 : 1;
    window->platformWindow = platformWindow.release();
    return window;
}

void pelMswWindowDestroy(PEL_MSW_WINDOW* window) {
    if (!window) return;
    window->platformWindow->hide();
    delete window->platformWindow;
    std::free(window);
}

void pelMswWindowPumpMessages(PEL_MSW_WINDOW* window) {
    if (!window) return;
    platform::window::MainWindow* platformWindow = window->platformWindow;
    platformWindow->pumpEvents();
    int x = 0, y = 0;
    if (window->dragging && platformWindow->cursorPosition(x, y)) {
        platformWindow->moveBy(x - window->cursorX, y - window->cursorY);
        window->cursorX = x;
        window->cursorY = y;
    }
    bool raise = false;
    {
        std::lock_guard guard(module().lock);
        raise = module().instance.takeRaiseRequests();
    }
    if (raise) platformWindow->raise();
}
