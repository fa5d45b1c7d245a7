// The main window: the window procedure driven without a display, the pump, the real window on
// SDL's dummy driver, and the single-instance check between two processes.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/report.h"
#include "framework/msw/msw.h"
#include "framework/msw/window.h"
#include "framework/msw/window_procedure.h"
#include "platform/window/headless_window.h"
#include "platform/window/sdl_window.h"
#include "platform/window/window_message.h"
#include "tests/framework/msw/msw_fixture.h"
#include "tests/platform/os/child_process.h"

namespace tessera::test {
namespace {

using namespace platform::window;

struct CopyRecord {
    std::vector<std::string> received;
};

void recordCopy(const void* data, uint32_t size, void* user) {
    static_cast<CopyRecord*>(user)->received.emplace_back(static_cast<const char*>(data), size);
}

// A headless main window whose messages tests inject.
class HeadlessMainWindow : public MswFiles {
protected:
    void SetUp() override {
        MswFiles::SetUp();
        setenv("TESSERA_HEADLESS", "1", 1);
        pelMswInitialize();
    }
    void TearDown() override {
        if (window_) pelMswWindowDestroy(window_);
        setenv("TESSERA_HEADLESS", "0", 1);
        MswFiles::TearDown();
    }
    PEL_MSW_WINDOW* create(PEL_MSW_WINDOW_DESC desc = {}) {
        window_ = pelMswWindowCreate(&desc);
        return window_;
    }
    HeadlessWindow& platform() { return *static_cast<HeadlessWindow*>(window_->platformWindow); }
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        return pelMswWindowProcedure(window_, message, wParam, lParam);
    }

    PEL_MSW_WINDOW* window_ = nullptr;
};

TEST_F(HeadlessMainWindow, RecordsTheDescriptorAndHandsOutNoHandle) {
    PEL_MSW_WINDOW_DESC desc{};
    desc.title = u"\u30C6\u30B9\u30C8 game";
    ASSERT_NE(create(desc), nullptr);
    EXPECT_EQ(window_->handle, nullptr);  // every service treats a null handle as headless
    EXPECT_EQ(window_->windowed, 1);
    EXPECT_EQ(platform().desc().width, 320);
    EXPECT_EQ(platform().desc().height, 240);
    EXPECT_EQ(platform().desc().utf8Title, "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 game");
    pelMswWindowDestroy(window_);
    desc.width = 800;
    desc.fullscreen = 1;
    ASSERT_NE(create(desc), nullptr);
    EXPECT_EQ(platform().desc().width, 800);
    EXPECT_EQ(platform().desc().height, 240);
    EXPECT_TRUE(platform().desc().fullscreen);
    EXPECT_EQ(window_->windowed, 0);
}

TEST_F(HeadlessMainWindow, CloseSetsTheFlagAndTheWindowStays) {
    ASSERT_NE(create(), nullptr);
    platform().inject({kWmPaint, 0, 0});
    platform().inject({kWmClose, 0, 0});
    pelMswWindowPumpMessages(window_);
    EXPECT_EQ(window_->closeRequested, 1);
    EXPECT_TRUE(platform().visible());
    window_->closeRequested = 0;  // the game reads and clears it, and goes on
    pelMswWindowPumpMessages(window_);
    EXPECT_EQ(window_->closeRequested, 0);
}

TEST_F(HeadlessMainWindow, ActivateSetsAndClearsTheActiveFlag) {
    ASSERT_NE(create(), nullptr);
    EXPECT_TRUE(pelMswApplicationActive());
    for (const auto& [wParam, active] :
         std::vector<std::pair<uintptr_t, bool>>{{0, false}, {1, true}, {2, false}, {1, true}}) {
        platform().inject({kWmActivateApp, wParam, 0});
        pelMswWindowPumpMessages(window_);
        EXPECT_EQ(pelMswApplicationActive(), active) << "wParam " << wParam;
    }
}

TEST_F(HeadlessMainWindow, CopyDataReachesTheCallbackOnlyWithItsTag) {
    CopyRecord record;
    PEL_MSW_WINDOW_DESC desc{};
    desc.copyData = recordCopy;
    desc.copyDataUser = &record;
    ASSERT_NE(create(desc), nullptr);
    const char payload[] = "hello";
    const CopyData tagged{0x504D4344, 5, payload};
    const CopyData reversed{0x44434D50, 5, payload};
    const CopyData other{1, 5, payload};
    for (const CopyData* copy : {&tagged, &reversed, &other, &tagged})
        send(kWmCopyData, 0, reinterpret_cast<intptr_t>(copy));
    EXPECT_EQ(record.received, (std::vector<std::string>{"hello", "hello"}));
    window_->copyData = nullptr;
    send(kWmCopyData, 0, reinterpret_cast<intptr_t>(&tagged));  // no callback: nothing happens
    EXPECT_EQ(record.received.size(), 2u);
}

TEST_F(HeadlessMainWindow, SystemCommandsAndPowerQueries) {
    ASSERT_NE(create(), nullptr);
    struct Case {
        uint32_t message;
        uintptr_t wParam;
        intptr_t result;
        bool closes;
    };
    const Case cases[] = {
        {kWmSysCommand, kPelScClose, 0, true},
        {kWmSysCommand, kPelScClose | 0x2, 0, true},  // the low four bits do not count
        {kWmSysCommand, kPelScDefault, 0, true},
        {kWmSysCommand, kPelScRestore, 0, false},
        {kWmSysCommand, kPelScScreenSave, 0, false},
        {kWmSysCommand, kPelScMonitorPower, 0, false},
        {kWmSysCommand, kPelScMinimize, 0, false},
        {kWmSysCommand, kPelScMaximize, 0, false},
        {kWmSysCommand, kPelScSize, 0, false},
        {kWmSysCommand, kPelScKeyMenu, 0, false},
        {kWmSysCommand, kPelScMouseMenu, 0, false},
        {kWmSysCommand, kPelScTaskList, 0, false},
        {kWmPowerBroadcast, kPelPbtQuerySuspend, kPelBroadcastQueryDeny, false},
        {kWmPowerBroadcast, kPelPbtQueryStandby, kPelBroadcastQueryDeny, false},
        {kWmPowerBroadcast, 4, 0, false},  // an event, not a query
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.message << " " << c.wParam);
        window_->closeRequested = 0;
        EXPECT_EQ(send(c.message, c.wParam), c.result);
        EXPECT_EQ(window_->closeRequested != 0, c.closes);
        EXPECT_EQ(window_->dragging, 0);
    }
}

TEST_F(HeadlessMainWindow, MoveCommandDragsTheWindowOneStepPerPump) {
    ASSERT_NE(create(), nullptr);
    platform().setCursor(100, 50);
    EXPECT_EQ(send(kWmSysCommand, kPelScMove), 0);
    EXPECT_EQ(window_->dragging, 1);
    platform().setCursor(110, 45);
    pelMswWindowPumpMessages(window_);
    EXPECT_EQ(platform().x(), 10);
    EXPECT_EQ(platform().y(), -5);
    platform().setCursor(111, 45);
    pelMswWindowPumpMessages(window_);
    EXPECT_EQ(platform().x(), 11);
    for (uint32_t end : {kWmLButtonUp, kWmCancelMode}) {
        send(kWmSysCommand, kPelScMove);
        platform().inject({end, 0, 0});
        platform().setCursor(200, 200);
        pelMswWindowPumpMessages(window_);
        EXPECT_EQ(window_->dragging, 0);
        EXPECT_EQ(platform().x(), 11);  // released before the pump's step
    }
}

TEST_F(HeadlessMainWindow, MessageHookSeesMessagesFirst) {
    ASSERT_NE(create(), nullptr);
    window_->hookCount = 1;
    window_->hook = [](intptr_t* result, PEL_MSW_WINDOW*, uint32_t message, uintptr_t, intptr_t,
                       void* user) {
        ++*static_cast<int*>(user);
        if (message != kWmClose) return false;
        *result = 42;
        return true;
    };
    int seen = 0;
    window_->hookUser = &seen;
    EXPECT_EQ(send(kWmClose), 42);
    EXPECT_EQ(window_->closeRequested, 0);
    EXPECT_EQ(send(kWmPowerBroadcast, kPelPbtQuerySuspend), kPelBroadcastQueryDeny);
    EXPECT_EQ(seen, 2);
}

TEST(KeyboardFilter, SwallowsTheWindowsKeysWhileActive) {
    struct Case {
        int32_t code;
        uintptr_t message;
        uint32_t key;
        bool active;
        intptr_t result;
    };
    const Case cases[] = {
        {0, kPelWmKeyDown, kPelVkLeftWin, true, 1},  {0, kPelWmKeyUp, kPelVkRightWin, true, 1},
        {0, kPelWmKeyDown, kPelVkLeftWin, false, 0}, {0, kPelWmKeyDown, 0x41, true, 0},
        {0, 0x0104, kPelVkLeftWin, true, 0},  // system keys pass
        {-1, kPelWmKeyDown, kPelVkLeftWin, true, 0},
    };
    for (const Case& c : cases) {
        PEL_MSW_WINDOW window{};
        pelMswWindowProcedure(&window, kWmActivateApp, c.active ? 1 : 0, 0);
        EXPECT_EQ(pelMswKeyboardHookProc(c.code, c.message, c.key), c.result)
            << c.code << " " << c.message << " " << c.key << " " << c.active;
    }
}

TEST_F(HeadlessMainWindow, ClassNameIsFixedOnceAWindowExists) {
    pelMswSetLogLevel(PEL_REPORT_INFORMATION);
    pelMswWindowSetClassName(std::u16string(60, u'x').c_str());
    ASSERT_NE(create(), nullptr);
    pelMswWindowSetClassName(u"late");
    pelMswWindowDestroy(window_);
    window_ = nullptr;
    pelMswWindowSetClassName(u"later");  // the class stays registered
    EXPECT_EQ(logBytes(),
              "\xEF\xBB\xBF"
              "[Info] Information: [pelMswWindowSetClassName] can't set class name after window "
              "creation\r\n"
              "[Info] Information: [pelMswWindowSetClassName] can't set class name after window "
              "creation\r\n");
    // The name, cut to 63 units, keys the single-instance lock.
    setenv("XDG_RUNTIME_DIR", temp().path().c_str(), 1);
    EXPECT_FALSE(pelMswWindowFindRunning());
    const std::string name = "PELLAM_MSW_WINDOW_CLASS_" + std::string(39, 'x');
    EXPECT_TRUE(std::filesystem::exists(temp().path() + "/" + name + ".lock"));
    unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(HeadlessMainWindow, SecondStartIsRefusedAndRaisesTheRunningWindow) {
    setenv("XDG_RUNTIME_DIR", temp().path().c_str(), 1);
    ChildProcess running([](int in, int out) {
        pelMswWindowSetClassName(u"TAVORIN_ENGINE_test");
        if (pelMswWindowFindRunning()) return 1;
        PEL_MSW_WINDOW_DESC desc{};
        PEL_MSW_WINDOW* window = pelMswWindowCreate(&desc);
        auto& platform = *static_cast<HeadlessWindow*>(window->platformWindow);
        if (!ChildProcess::writeByte(out, 'L') || ChildProcess::readByte(in) != 'S') return 2;
        pelMswWindowPumpMessages(window);
        return ChildProcess::writeByte(out, platform.raiseCount() == 1 ? 'R' : 'N') ? 0 : 3;
    });
    ASSERT_EQ(running.read(), 'L');
    pelMswWindowSetClassName(u"TAVORIN_ENGINE_test");
    EXPECT_TRUE(pelMswWindowFindRunning());
    running.write('S');
    EXPECT_EQ(running.read(), 'R');
    EXPECT_EQ(running.wait(), 0);
    unsetenv("XDG_RUNTIME_DIR");
}

// The SDL2 window on SDL's dummy video driver (the suite's environment).
TEST_F(MswFiles, RealWindowCreatePumpAndDestroy) {
    pelMswInitialize();
    PEL_MSW_WINDOW_DESC desc{};
    desc.title = u"\u30C6\u30B9\u30C8 \u00E9";
    PEL_MSW_WINDOW* window = pelMswWindowCreate(&desc);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->handle, nullptr);
    auto* sdl = static_cast<SdlWindow*>(window->handle);
    EXPECT_EQ(static_cast<MainWindow*>(sdl), window->platformWindow);
    int width = 0, height = 0;
    SDL_GetWindowSize(sdl->sdlWindow(), &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl->sdlWindow()),
                 "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 \xC3\xA9");
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    pelMswWindowPumpMessages(window);
    EXPECT_EQ(window->closeRequested, 1);
    pelMswWindowDestroy(window);
}

}  // namespace
}  // namespace tessera::test
