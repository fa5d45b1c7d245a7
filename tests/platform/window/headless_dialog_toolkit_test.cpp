// The dialog toolkit's windows, controls and modal loops, over the headless toolkit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/headless_dialog_toolkit.h"
#include "platform/window/message_box.h"

namespace {

using namespace platform::window;

// Records what a window receives; a close ends its loop.
struct Recorder final : DialogEvents {
    DialogToolkit* toolkit = nullptr;
    std::vector<std::string> seen;
    void command(uint32_t code, DialogControl control) override {
        seen.push_back("command " + std::to_string(code) + " " + std::to_string(control));
    }
    void tabChanged(DialogControl) override { seen.push_back("tab"); }
    void timer(uint32_t id) override { seen.push_back("timer " + std::to_string(id)); }
    void close() override {
        seen.push_back("close");
        toolkit->postQuit();
    }
};

TEST(HeadlessDialogToolkit, UserActionsNeedAnOperableControl) {
    HeadlessDialogToolkit toolkit(16);
    Recorder events;
    events.toolkit = &toolkit;
    const DialogWindow window = toolkit.createWindow(u"W", 100, 100, 0, &events);
    ASSERT_NE(window, 0);
    const DialogControl button = toolkit.addControl(window, DialogControlKind::Button, u"B", {});
    const DialogControl label = toolkit.addControl(window, DialogControlKind::Label, u"L", {});
    const DialogControl combo = toolkit.addControl(window, DialogControlKind::Combo, u"", {});
    toolkit.comboAdd(combo, u"one", 10);
    toolkit.comboAdd(combo, u"two", 20);

    EXPECT_TRUE(toolkit.click(button));
    EXPECT_FALSE(toolkit.click(label));
    toolkit.enable(button, false);
    EXPECT_FALSE(toolkit.click(button));
    toolkit.enable(button, true);
    toolkit.show(button, false);
    EXPECT_FALSE(toolkit.click(button));
    toolkit.show(button, true);
    toolkit.enableWindow(window, false);
    EXPECT_FALSE(toolkit.click(button));
    toolkit.enableWindow(window, true);

    EXPECT_TRUE(toolkit.select(combo, 20));
    EXPECT_EQ(toolkit.comboSelectedData(combo), 20);
    EXPECT_FALSE(toolkit.select(combo, 30));  // no such item: the selection stays
    EXPECT_EQ(toolkit.comboSelectedData(combo), 20);
    toolkit.comboClear(combo);
    EXPECT_EQ(toolkit.comboSelectedData(combo), -1);

    const std::vector<std::string> expected = {"command 0 " + std::to_string(button),
                                               "command 1 " + std::to_string(combo)};
    EXPECT_EQ(events.seen, expected);

    toolkit.destroyWindow(window);
    EXPECT_EQ(toolkit.control(button), nullptr);
    EXPECT_FALSE(toolkit.click(button));
}

TEST(HeadlessDialogToolkit, QuitEndsTheInnermostLoopAndPostedMessagesDieWithTheirWindow) {
    HeadlessDialogToolkit toolkit(16);
    Recorder outer, inner;
    outer.toolkit = inner.toolkit = &toolkit;
    const DialogWindow first = toolkit.createWindow(u"outer", 100, 100, 0, &outer);
    std::vector<std::string> order;
    toolkit.then([&](HeadlessDialogToolkit& t) {
        const DialogWindow second = t.createWindow(u"inner", 50, 50, first, &inner);
        t.setTimer(second, 7, 100);
        t.then([&](HeadlessDialogToolkit& s) {
            EXPECT_EQ(s.modalWindow(), second);
            EXPECT_TRUE(s.tick(7));
            s.postCommand(second, 0, 99);
            s.postCommand(first, 0, 42);
            s.close(second);
        });
        t.runModal(second);
        order.push_back("inner ended");
        t.destroyWindow(second);
        EXPECT_FALSE(t.tick(7));
    });
    toolkit.runModal(first);
    // The inner loop ended at its close before delivering the posted commands; the outer loop
    // delivered its own, and the inner window's died with it. With the script run out, the
    // outer window was closed as by its close box.
    EXPECT_EQ(order, std::vector<std::string>{"inner ended"});
    EXPECT_EQ(inner.seen, (std::vector<std::string>{"timer 7", "close"}));
    EXPECT_EQ(outer.seen, (std::vector<std::string>{"command 0 42", "close"}));
}

TEST(HeadlessDialogToolkit, YesNoAnswersInOrderThenNo) {
    HeadlessDialogToolkit toolkit(16);
    toolkit.answerYesNo(true);
    EXPECT_EQ(toolkit.messageBoxYesNo(0, u"Q1", u"C"), kIdYes);
    EXPECT_EQ(toolkit.messageBoxYesNo(0, u"Q2", u"C"), kIdNo);
    ASSERT_EQ(toolkit.questions().size(), 2u);
    EXPECT_EQ(toolkit.questions()[1].text, u"Q2");
}

TEST(HeadlessDialogToolkit, RefusedWindowsAndTabs) {
    HeadlessDialogToolkit toolkit(16);
    Recorder events;
    events.toolkit = &toolkit;
    EXPECT_EQ(toolkit.createWindow(u"empty", 0, 10, 0, &events), 0);
    toolkit.refuseWindows(true);
    EXPECT_EQ(toolkit.createWindow(u"W", 10, 10, 0, &events), 0);
    toolkit.refuseWindows(false);
    const DialogWindow window = toolkit.createWindow(u"W", 480, 480, 0, &events);
    const DialogControl tab =
        toolkit.addControl(window, DialogControlKind::Tab, u"", {8, 8, 464, 424});
    toolkit.addTab(tab, u"a");
    toolkit.addTab(tab, u"b");
    EXPECT_FALSE(toolkit.selectTab(tab, 2));
    EXPECT_TRUE(toolkit.selectTab(tab, 1));
    EXPECT_EQ(toolkit.tabSelection(tab), 1);
    EXPECT_EQ(events.seen, std::vector<std::string>{"tab"});
    const DialogRect area = toolkit.tabDisplayArea(tab);
    EXPECT_EQ(area.x, 10);
    EXPECT_EQ(area.y, 8 + 24 + 2);
    EXPECT_EQ(area.width, 460);
    EXPECT_EQ(area.height, 424 - 24 - 4);
}

}  // namespace
