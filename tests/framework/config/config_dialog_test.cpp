// The dialog framework over the headless toolkit: accepting, cancelling, the pages' callbacks,
// the information tab and its report, the geometry at U = 16 and modal sub-dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/format.h"
#include "tests/framework/config/config_fixture.h"

namespace {

using platform::window::DialogControlKind;
using platform::window::HeadlessDialogToolkit;

// A page that records its callbacks and owns one two-line label and one button.
struct RecordingPage {
    PEL_MSW_CONFIG_PAGE page;
    std::vector<std::string>* events;
    std::string name;
    PEL_MSW_CONTROL label = 0;
    PEL_MSW_CONTROL button = 0;
    bool* freed = nullptr;

    static RecordingPage* of(PEL_MSW_CONFIG_PAGE* page) {
        return reinterpret_cast<RecordingPage*>(page);
    }
    void note(const std::string& what) { events->push_back(name + " " + what); }
};

RecordingPage* addRecordingPage(PEL_MSW_CONFIG* dialog, std::vector<std::string>* events,
                                const char* name, const char16_t* title) {
    auto* record = new RecordingPage{};
    record->events = events;
    record->name = name;
    PEL_MSW_CONFIG_PAGE& page = record->page;
    page.title = title;
    page.init = [](PEL_MSW_CONFIG_PAGE* p, bool useDefaults) {
        RecordingPage* r = RecordingPage::of(p);
        r->note(useDefaults ? "init defaults" : "init load");
        r->label = pelMswConfigAddLabel(p, 2, u"two\r\nlines");
        r->button = pelMswConfigAddButton(p, u"press");
    };
    page.close = [](PEL_MSW_CONFIG_PAGE* p, bool accepted) {
        RecordingPage* r = RecordingPage::of(p);
        r->note(accepted ? "close accepted" : "close cancelled");
        delete r;
    };
    page.show = [](PEL_MSW_CONFIG_PAGE* p) { RecordingPage::of(p)->note("show"); };
    page.hide = [](PEL_MSW_CONFIG_PAGE* p) { RecordingPage::of(p)->note("hide"); };
    page.isTransparent = [](PEL_MSW_CONFIG_PAGE* p, PEL_MSW_CONTROL control) {
        return control == RecordingPage::of(p)->label;
    };
    page.command = [](PEL_MSW_CONFIG_PAGE* p, uint32_t code, PEL_MSW_CONTROL control) {
        RecordingPage* r = RecordingPage::of(p);
        if (control == r->button) r->note("command " + std::to_string(code));
    };
    page.report = [](char16_t* output, size_t size, PEL_MSW_CONFIG_PAGE* p) {
        pelSprintf(output, size, u"[%ls]\r\n", p->title);
    };
    pelListAppend(&dialog->pages, record);
    return record;
}

class ConfigDialog : public tessera::test::ConfigDialogTest {
protected:
    std::vector<std::string> events;
};

TEST_F(ConfigDialog, HiddenRunAcceptsWritesDefaultAndLogsTheReport) {
    dialog.reportHeader = u"Game log header\r\n";
    addRecordingPage(&dialog, &events, "video", u"ビデオ");
    addRecordingPage(&dialog, &events, "pad", u"コントローラ");

    EXPECT_EQ(pelMswConfigRunWith(&dialog, false, toolkit), PEL_OK);

    const std::vector<std::string> expected = {"video init defaults",  "pad init defaults",
                                               "video hide",           "pad hide",
                                               "video close accepted", "pad close accepted"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(dialog.pages.count, 0u);
    EXPECT_EQ(setting(u"Config", u"default"), u"1");
    EXPECT_TRUE(toolkit.windows().empty());
    EXPECT_FALSE(toolkit.windowVisible(1));

    const std::vector<std::u16string> logged = reports(PEL_REPORT_INFORMATION);
    ASSERT_EQ(logged.size(), 1u);
    const std::u16string& report = logged[0];
    EXPECT_EQ(report.rfind(u"Configuration Lists.\r\nGame log header\r\n-----\r\nPlatform\r\n  OS: "
                           u"Linux ",
                           0),
              0u);
    EXPECT_NE(report.find(u"  Processor Count: "), std::u16string::npos);
    EXPECT_TRUE(report.ends_with(u"\r\n\r\n[ビデオ]\r\n[コントローラ]\r\n"));

    // The next run loads what the pages saved.
    events.clear();
    addRecordingPage(&dialog, &events, "video", u"ビデオ");
    EXPECT_EQ(pelMswConfigRun(&dialog, false), PEL_OK);
    EXPECT_EQ(events.front(), "video init load");
}

TEST_F(ConfigDialog, CancelAndCloseBoxWriteNothing) {
    struct Case {
        const char* name;
        bool clickCancel;  // else the script runs out and the close box is used
    };
    for (const Case c : {Case{"cancel button", true}, Case{"close box", false}}) {
        SCOPED_TRACE(c.name);
        events.clear();
        addRecordingPage(&dialog, &events, "video", u"ビデオ");
        if (c.clickCancel) {
            toolkit.then([](HeadlessDialogToolkit& t) {
                ASSERT_TRUE(t.windowVisible(t.modalWindow()));
                ASSERT_TRUE(t.click(t.find(t.modalWindow(), u"キャンセル")));
            });
        }
        EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_E_IO);
        EXPECT_EQ(events.back(), "video close cancelled");
        EXPECT_EQ(dialog.pages.count, 0u);
        EXPECT_EQ(settings(), "");
        EXPECT_TRUE(reports(PEL_REPORT_INFORMATION).empty());
    }
}

TEST_F(ConfigDialog, ShownRunAcceptedWithOk) {
    addRecordingPage(&dialog, &events, "video", u"ビデオ");
    toolkit.then([](HeadlessDialogToolkit& t) { EXPECT_TRUE(t.click(t.find(0, u"OK"))); });
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_OK);
    EXPECT_EQ(events.back(), "video close accepted");
    EXPECT_EQ(setting(u"Config", u"default"), u"1");
}

TEST_F(ConfigDialog, SectionNamesTheDefaultKey) {
    dialog.section = u"NetConfig";
    EXPECT_EQ(pelMswConfigRunWith(&dialog, false, toolkit), PEL_OK);
    EXPECT_EQ(setting(u"NetConfig", u"default"), u"1");
    EXPECT_EQ(setting(u"Config", u"default"), u"(none)");
}

TEST_F(ConfigDialog, WithoutPagesOnlyTheInformationTab) {
    dialog.reportHeader = u"HEADER\r\n";
    toolkit.then([](HeadlessDialogToolkit& t) {
        const PEL_MSW_CONTROL tab = t.nth(t.modalWindow(), DialogControlKind::Tab, 0);
        ASSERT_NE(tab, 0);
        EXPECT_EQ(t.control(tab)->tabs, std::vector<std::u16string>{u"情報"});
        const PEL_MSW_CONTROL report = t.nth(t.modalWindow(), DialogControlKind::Report, 0);
        ASSERT_NE(report, 0);
        EXPECT_TRUE(t.control(report)->visible);
        const std::u16string& text = t.control(report)->text;
        EXPECT_EQ(text.rfind(u"HEADER\r\n-----\r\nPlatform\r\n", 0), 0u);
        EXPECT_TRUE(text.ends_with(u"\r\n\r\n"));
        t.click(t.find(0, u"OK"));
    });
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_OK);
}

TEST_F(ConfigDialog, GeometryAtUnitSixteen) {
    RecordingPage* page = addRecordingPage(&dialog, &events, "video", u"ビデオ");
    PEL_MSW_CONTROL label = 0;
    toolkit.then([&](HeadlessDialogToolkit& t) {
        const PEL_MSW_DIALOG_WINDOW window = t.modalWindow();
        EXPECT_EQ(t.windowWidth(window), 480);
        EXPECT_EQ(t.windowHeight(window), 480);
        EXPECT_EQ(t.windowTitle(window), u"Test game");
        label = page->label;
        const auto* state = t.control(label);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->rect.height, 32);
        // The page area is the tab's display area less the margin.
        const auto area = t.tabDisplayArea(t.nth(window, DialogControlKind::Tab, 0));
        EXPECT_EQ(state->rect.x, area.x + 8);
        EXPECT_EQ(state->rect.y, area.y + 8);
        EXPECT_EQ(state->rect.width, area.width - 16);
        const auto* ok = t.control(t.find(window, u"OK"));
        EXPECT_EQ(ok->rect.x, 248);
        EXPECT_EQ(ok->rect.y, 440);
    });
    pelMswConfigRunWith(&dialog, true, toolkit);
}

TEST_F(ConfigDialog, TabChangeHidesEveryPageThenShowsOne) {
    addRecordingPage(&dialog, &events, "video", u"ビデオ");
    addRecordingPage(&dialog, &events, "pad", u"コントローラ");
    toolkit.then([&](HeadlessDialogToolkit& t) {
        const PEL_MSW_CONTROL tab = t.nth(t.modalWindow(), DialogControlKind::Tab, 0);
        const PEL_MSW_CONTROL report = t.nth(t.modalWindow(), DialogControlKind::Report, 0);
        events.clear();
        ASSERT_TRUE(t.selectTab(tab, 2));
        EXPECT_EQ(events, (std::vector<std::string>{"video hide", "pad hide", "pad show"}));
        EXPECT_FALSE(t.control(report)->visible);
        events.clear();
        ASSERT_TRUE(t.selectTab(tab, 0));
        EXPECT_EQ(events, (std::vector<std::string>{"video hide", "pad hide"}));
        EXPECT_TRUE(t.control(report)->visible);
        // Without a header: the report starts with the platform block.
        EXPECT_EQ(t.control(report)->text.rfind(u"-----\r\nPlatform", 0), 0u);
        t.click(t.find(0, u"キャンセル"));
    });
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_E_IO);
}

TEST_F(ConfigDialog, CommandsReachEveryPageAndTransparencyIsAsked) {
    RecordingPage* video = addRecordingPage(&dialog, &events, "video", u"ビデオ");
    addRecordingPage(&dialog, &events, "pad", u"コントローラ");
    toolkit.then([&](HeadlessDialogToolkit& t) {
        events.clear();
        EXPECT_TRUE(t.click(video->button));
        EXPECT_EQ(events, std::vector<std::string>{"video command 0"});
        t.click(t.find(0, u"OK"));
    });
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_OK);
}

TEST_F(ConfigDialog, WindowThatCannotOpenClosesThePagesUnaccepted) {
    addRecordingPage(&dialog, &events, "video", u"ビデオ");
    addRecordingPage(&dialog, &events, "pad", u"コントローラ");
    toolkit.refuseWindows(true);
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_E_CREATE);
    EXPECT_EQ(events, (std::vector<std::string>{"video close cancelled", "pad close cancelled"}));
    EXPECT_EQ(dialog.pages.count, 0u);
    EXPECT_EQ(settings(), "");
}

// A sub-dialog that counts timer ticks and ends on its OK button.
struct SubDialogProbe {
    PEL_MSW_CONTROL ok = 0;
    PEL_MSW_CONTROL cancel = 0;
    PEL_MSW_CONTROL label = 0;
    int ticks = 0;
    bool accepted = false;
};

void probeProcedure(PEL_MSW_CONFIG_PAGE* page, uint32_t message, uint32_t code,
                    PEL_MSW_CONTROL control, void* user) {
    auto* probe = static_cast<SubDialogProbe*>(user);
    switch (message) {
    case PEL_MSW_CONFIG_SUB_CREATE:
        probe->label = pelMswConfigAddLabel(page, 1, u"sub");
        pelMswConfigAddOkCancel(page, &probe->ok, &probe->cancel);
        page->toolkit->setTimer(page->parent, 12345, 100);
        break;
    case PEL_MSW_CONFIG_SUB_TIMER:
        if (code == 12345) ++probe->ticks;
        break;
    case PEL_MSW_CONFIG_SUB_COMMAND:
        if (control == probe->ok || control == probe->cancel) {
            probe->accepted = control == probe->ok;
            pelMswConfigEndSubDialog(page);
        }
        break;
    case PEL_MSW_CONFIG_SUB_CLOSE:
        pelMswConfigEndSubDialog(page);
        break;
    }
}

TEST_F(ConfigDialog, SubDialogRunsModallyInItsOwnWindow) {
    RecordingPage* page = addRecordingPage(&dialog, &events, "video", u"ビデオ");
    SubDialogProbe probe;
    PEL_MSW_DIALOG_WINDOW sub = 0;
    toolkit.then([&](HeadlessDialogToolkit& t) {
        const PEL_MSW_DIALOG_WINDOW main = t.modalWindow();
        const PEL_MSW_CONFIG_LAYOUT before = page->page.layout;
        EXPECT_EQ(pelMswConfigRunSubDialog(&page->page, u"Sub", 248, 128, probeProcedure, &probe),
                  1);
        // Restored after the sub-dialog.
        EXPECT_EQ(page->page.parent, main);
        EXPECT_EQ(page->page.layout.row, before.row);
        EXPECT_EQ(page->page.layout.x, before.x);
        EXPECT_TRUE(t.windowEnabled(main));
        EXPECT_FALSE(t.windowExists(sub));
        t.click(t.find(main, u"OK"));
    });
    toolkit.then([&](HeadlessDialogToolkit& t) {
        sub = t.modalWindow();
        EXPECT_EQ(t.windowTitle(sub), u"Sub");
        EXPECT_EQ(t.windowWidth(sub), 248 * 16 / 8);
        EXPECT_EQ(t.windowHeight(sub), 128 * 16 / 8);
        EXPECT_FALSE(t.windowEnabled(1));
        // The owner takes no input while the sub-dialog runs.
        EXPECT_FALSE(t.click(page->button));
        const auto* label = t.control(probe.label);
        EXPECT_EQ(label->window, sub);
        EXPECT_EQ(label->rect.x, 8);
        EXPECT_EQ(label->rect.y, 8);
        EXPECT_TRUE(t.tick(12345));
        EXPECT_TRUE(t.tick(12345));
        EXPECT_FALSE(t.tick(999));
        EXPECT_EQ(t.control(probe.ok)->rect.y + 32, 256 - 8);
    });
    toolkit.then([&](HeadlessDialogToolkit& t) { EXPECT_TRUE(t.click(probe.ok)); });
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, toolkit), PEL_OK);
    EXPECT_EQ(probe.ticks, 2);
    EXPECT_TRUE(probe.accepted);
}

}  // namespace
