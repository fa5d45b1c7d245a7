#include "framework/config/config_dialog.h"

#include <cstddef>
#include <cstring>
#include <memory>

#include "framework/config/platform_report.h"
#include "framework/core/report.h"
#include "framework/msw/msw.h"
#include "platform/os/profile_file.h"
#include "platform/window/headless_dialog_toolkit.h"

using platform::window::DialogControlKind;
using platform::window::DialogToolkit;

namespace {

// The unit of the toolkit that stands in for a display: the size the tests use too.
constexpr int32_t kHeadlessUnit = 16;

DialogToolkit* toolkitOverride = nullptr;

template <typename Visit>
void forEachPage(PEL_MSW_CONFIG* dialog, Visit visit) {
    PEL_LIST* pages = &dialog->pages;
    for (PEL_LIST_LINK* link = pages->head.next; link != pelListEnd(pages); link = link->next)
        visit(static_cast<PEL_MSW_CONFIG_PAGE*>(pelListElement(pages, link)));
}

// Takes the pages off the list from its front and closes each.
void closePages(PEL_MSW_CONFIG* dialog, bool accepted) {
    while (auto* page = static_cast<PEL_MSW_CONFIG_PAGE*>(pelListFirst(&dialog->pages))) {
        pelListRemoveFirst(&dialog->pages);
        page->close(page, accepted);
    }
}

class MainDialog final : public platform::window::DialogEvents {
public:
    explicit MainDialog(PEL_MSW_CONFIG_CONTEXT& context) : context_(context) {}

    void command(uint32_t code, PEL_MSW_CONTROL control) override {
        if (control == context_.ok) {
            accept();
        } else if (control == context_.cancel) {
            context_.toolkit->postClose(context_.window);
        } else {
            forEachPage(context_.dialog,
                        [&](PEL_MSW_CONFIG_PAGE* page) { page->command(page, code, control); });
        }
    }

    void tabChanged(PEL_MSW_CONTROL) override {
        DialogToolkit& toolkit = *context_.toolkit;
        toolkit.show(context_.reportEdit, false);
        forEachPage(context_.dialog, [](PEL_MSW_CONFIG_PAGE* page) { page->hide(page); });
        const int selected = toolkit.tabSelection(context_.tab);
        if (selected == context_.infoTab) {
            toolkit.show(context_.reportEdit, true);
            pelMswConfigBuildReport(&context_, nullptr, false, context_.reportEdit);
            return;
        }
        forEachPage(context_.dialog, [selected](PEL_MSW_CONFIG_PAGE* page) {
            if (page->tabIndex == selected) page->show(page);
        });
    }

    void close() override {
        context_.toolkit->showWindow(context_.window, false);
        context_.toolkit->postQuit();
        closePages(context_.dialog, context_.result == PEL_OK);
    }

    bool transparent(PEL_MSW_CONTROL control) override {
        bool answer = false;
        forEachPage(context_.dialog, [&](PEL_MSW_CONFIG_PAGE* page) {
            answer = answer || page->isTransparent(page, control);
        });
        return answer;
    }

    // Builds the controls and initialises the pages.
    void create() {
        DialogToolkit& toolkit = *context_.toolkit;
        const int32_t unit = toolkit.unit();
        const PEL_MSW_CONFIG_FRAME frame = pelMswConfigFrame(unit);
        const auto rect = [](const PEL_MSW_CONFIG_RECT& r) {
            return platform::window::DialogRect{r.x, r.y, r.width, r.height};
        };
        context_.tab =
            toolkit.addControl(context_.window, DialogControlKind::Tab, u"", rect(frame.tab));
        toolkit.addTab(context_.tab, u"情報");
        context_.infoTab = 0;
        int32_t index = 1;
        forEachPage(context_.dialog, [&](PEL_MSW_CONFIG_PAGE* page) {
            toolkit.addTab(context_.tab, page->title ? page->title : u"");
            page->tabIndex = index++;
        });
        context_.ok =
            toolkit.addControl(context_.window, DialogControlKind::Button, u"OK", rect(frame.ok));
        context_.cancel = toolkit.addControl(context_.window, DialogControlKind::Button,
                                             u"キャンセル", rect(frame.cancel));
        const platform::window::DialogRect area = toolkit.tabDisplayArea(context_.tab);
        const bool useDefaults = platform::os::getPrivateProfileInt(context_.section, u"default", 0,
                                                                    context_.settingsPath) == 0;
        const PEL_MSW_CONFIG_LAYOUT layout =
            pelMswConfigInsetLayout(unit, {area.x, area.y, area.width, area.height});
        context_.reportEdit =
            toolkit.addControl(context_.window, DialogControlKind::Report, u"",
                               {layout.x, layout.y, layout.width, layout.height}, false);
        forEachPage(context_.dialog, [&](PEL_MSW_CONFIG_PAGE* page) {
            page->toolkit = &toolkit;
            page->window = context_.window;
            page->tab = context_.tab;
            page->parent = context_.window;
            page->layout = layout;
            page->init(page, useDefaults);
        });
    }

private:
    void accept() {
        platform::os::writePrivateProfileString(context_.section, u"default", u"1",
                                                context_.settingsPath);
        pelMswConfigBuildReport(&context_, u"Configuration Lists.\r\n", true, 0);
        context_.result = PEL_OK;
        context_.toolkit->postClose(context_.window);
    }

    PEL_MSW_CONFIG_CONTEXT& context_;
};

// The events of a sub-dialog, handed to its procedure.
class SubDialog final : public platform::window::DialogEvents {
public:
    SubDialog(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONFIG_SUB_PROC procedure, void* user)
        : page_(page), procedure_(procedure), user_(user) {}

    void command(uint32_t code, PEL_MSW_CONTROL control) override {
        procedure_(page_, PEL_MSW_CONFIG_SUB_COMMAND, code, control, user_);
    }
    void timer(uint32_t id) override { procedure_(page_, PEL_MSW_CONFIG_SUB_TIMER, id, 0, user_); }
    void close() override { procedure_(page_, PEL_MSW_CONFIG_SUB_CLOSE, 0, 0, user_); }

private:
    PEL_MSW_CONFIG_PAGE* page_;
    PEL_MSW_CONFIG_SUB_PROC procedure_;
    void* user_;
};

platform::window::DialogRect toDialogRect(const PEL_MSW_CONFIG_RECT& r) {
    return {r.x, r.y, r.width, r.height};
}

PEL_MSW_CONTROL addToPage(PEL_MSW_CONFIG_PAGE* page, DialogControlKind kind, const char16_t* text,
                          const PEL_MSW_CONFIG_RECT& rect) {
    return page->toolkit->addControl(page->parent, kind, text ? text : u"", toDialogRect(rect));
}

}  // namespace

void pelMswConfigInitDialog(PEL_MSW_CONFIG* dialog) {
    *dialog = PEL_MSW_CONFIG{};
    pelListInit(&dialog->pages, offsetof(PEL_MSW_CONFIG_PAGE, link), nullptr, nullptr);
}

void pelMswConfigSetToolkitOverride(DialogToolkit* toolkit) { toolkitOverride = toolkit; }

PEL_STATUS pelMswConfigRun(PEL_MSW_CONFIG* dialog, bool show) {
    if (show && toolkitOverride) return pelMswConfigRunWith(dialog, true, *toolkitOverride);
    // Hidden, or no display to show it on: accepted at once with the saved settings.
    platform::window::HeadlessDialogToolkit headless(kHeadlessUnit);
    return pelMswConfigRunWith(dialog, false, headless);
}

PEL_STATUS pelMswConfigRunWith(PEL_MSW_CONFIG* dialog, bool show, DialogToolkit& toolkit) {
    PEL_MSW_CONFIG_CONTEXT context{};
    context.result = PEL_E_IO;
    context.dialog = dialog;
    context.section = dialog->section && dialog->section[0] ? dialog->section : u"Config";
    pelMswGetSettingsFilePath(context.settingsPath);
    context.show = show;
    context.toolkit = &toolkit;
    forEachPage(dialog, [&](PEL_MSW_CONFIG_PAGE* page) {
        page->dialog = dialog;
        page->tabIndex = 0;
        page->settingsPath = context.settingsPath;
        page->section = context.section;
        page->toolkit = nullptr;
        page->window = 0;
        page->tab = 0;
        page->parent = 0;
        page->layout = PEL_MSW_CONFIG_LAYOUT{};
    });

    MainDialog events(context);
    const PEL_MSW_CONFIG_FRAME frame = pelMswConfigFrame(toolkit.unit());
    context.window = toolkit.createWindow(dialog->caption ? dialog->caption : u"",
                                          frame.clientWidth, frame.clientHeight, 0, &events);
    if (!context.window) {
        // The pages are closed unaccepted, so that they release what they hold.
        closePages(dialog, false);
        return PEL_E_CREATE;
    }
    events.create();
    if (!show) toolkit.postCommand(context.window, platform::window::kDialogClicked, context.ok);
    events.tabChanged(context.tab);
    if (show) {
        toolkit.showWindow(context.window, true);
        toolkit.activateWindow(context.window);
    }
    toolkit.runModal(context.window);
    toolkit.destroyWindow(context.window);
    // Pages still listed (a loop ended without a close) are closed unaccepted.
    closePages(dialog, false);
    return context.result;
}

int pelMswConfigRunSubDialog(PEL_MSW_CONFIG_PAGE* page, const char16_t* title, int32_t width,
                             int32_t height, PEL_MSW_CONFIG_SUB_PROC procedure, void* user) {
    DialogToolkit& toolkit = *page->toolkit;
    const int32_t unit = toolkit.unit();
    const PEL_MSW_DIALOG_WINDOW owner = page->parent;
    const PEL_MSW_DIALOG_WINDOW savedParent = page->parent;
    const PEL_MSW_CONFIG_LAYOUT savedLayout = page->layout;
    SubDialog events(page, procedure, user);
    const int32_t clientWidth = pelMswConfigScale(unit, width);
    const int32_t clientHeight = pelMswConfigScale(unit, height);
    const PEL_MSW_DIALOG_WINDOW window =
        toolkit.createWindow(title ? title : u"", clientWidth, clientHeight, owner, &events);
    if (!window) return 0;
    page->parent = window;
    page->layout = pelMswConfigInsetLayout(unit, {0, 0, clientWidth, clientHeight});
    procedure(page, PEL_MSW_CONFIG_SUB_CREATE, 0, 0, user);
    toolkit.enableWindow(owner, false);
    toolkit.showWindow(window, true);
    toolkit.activateWindow(window);
    toolkit.runModal(window);
    toolkit.enableWindow(owner, true);
    toolkit.showWindow(window, false);
    toolkit.destroyWindow(window);
    toolkit.activateWindow(owner);
    page->parent = savedParent;
    page->layout = savedLayout;
    return 1;
}

void pelMswConfigEndSubDialog(PEL_MSW_CONFIG_PAGE* page) { page->toolkit->postQuit(); }

std::u16string pelMswConfigBuildReport(PEL_MSW_CONFIG_CONTEXT* context, const char16_t* header,
                                       bool log, PEL_MSW_CONTROL reportEdit) {
    std::u16string text = header ? header : u"";
    if (context->dialog->reportHeader) text += context->dialog->reportHeader;
    char16_t platform[PEL_MSW_CONFIG_PLATFORM_MAX];
    pelMswConfigFormatPlatform(platform, PEL_MSW_CONFIG_PLATFORM_MAX, pelMswConfigGatherPlatform());
    text += platform;
    forEachPage(context->dialog, [&](PEL_MSW_CONFIG_PAGE* page) {
        char16_t part[PEL_MSW_CONFIG_PAGE_REPORT_MAX] = {};
        page->report(part, PEL_MSW_CONFIG_PAGE_REPORT_MAX, page);
        text += part;
    });
    if (log) pelReportText(PEL_REPORT_INFORMATION, text.c_str());
    if (reportEdit) context->toolkit->setText(reportEdit, text);
    return text;
}

PEL_MSW_CONTROL pelMswConfigAddLabel(PEL_MSW_CONFIG_PAGE* page, int32_t lines,
                                     const char16_t* text) {
    return addToPage(page, DialogControlKind::Label, text,
                     pelMswConfigPlaceLabel(&page->layout, lines));
}

PEL_MSW_CONTROL pelMswConfigAddEdit(PEL_MSW_CONFIG_PAGE* page) {
    return addToPage(page, DialogControlKind::Edit, u"", pelMswConfigPlaceEdit(&page->layout));
}

PEL_MSW_CONTROL pelMswConfigAddCombo(PEL_MSW_CONFIG_PAGE* page) {
    return addToPage(page, DialogControlKind::Combo, u"", pelMswConfigPlaceCombo(&page->layout));
}

PEL_MSW_CONTROL pelMswConfigAddCheck(PEL_MSW_CONFIG_PAGE* page, const char16_t* text) {
    return addToPage(page, DialogControlKind::Check, text, pelMswConfigPlaceCheck(&page->layout));
}

void pelMswConfigAddEditButton(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL* button,
                               PEL_MSW_CONTROL* edit) {
    const PEL_MSW_CONFIG_EDIT_BUTTON placed = pelMswConfigPlaceEditButton(&page->layout);
    *edit = addToPage(page, DialogControlKind::Edit, u"", placed.edit);
    *button = addToPage(page, DialogControlKind::Button, u"", placed.button);
}

void pelMswConfigAddKeyRow(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL* button1,
                           PEL_MSW_CONTROL* edit1, PEL_MSW_CONTROL* button2,
                           PEL_MSW_CONTROL* edit2) {
    const PEL_MSW_CONFIG_KEY_ROW row = pelMswConfigPlaceKeyRow(&page->layout);
    *button1 = addToPage(page, DialogControlKind::Button, u"", row.button1);
    *edit1 = addToPage(page, DialogControlKind::Edit, u"", row.edit1);
    *button2 = addToPage(page, DialogControlKind::Button, u"", row.button2);
    *edit2 = addToPage(page, DialogControlKind::Edit, u"", row.edit2);
}

PEL_MSW_CONTROL pelMswConfigAddButton(PEL_MSW_CONFIG_PAGE* page, const char16_t* text) {
    return addToPage(page, DialogControlKind::Button, text, pelMswConfigPlaceButton(&page->layout));
}

void pelMswConfigAddOkCancel(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL* ok,
                             PEL_MSW_CONTROL* cancel) {
    const PEL_MSW_CONFIG_OK_CANCEL placed = pelMswConfigPlaceOkCancel(page->layout);
    *ok = addToPage(page, DialogControlKind::Button, u"OK", placed.ok);
    *cancel = addToPage(page, DialogControlKind::Button, u"キャンセル", placed.cancel);
}

int pelMswComboAddItem(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL combo, const char16_t* text,
                       intptr_t data) {
    return page->toolkit->comboAdd(combo, text, data);
}

intptr_t pelMswComboGetSelectedData(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL combo) {
    return page->toolkit->comboSelectedData(combo);
}

void pelMswComboSelectByData(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL combo, intptr_t data) {
    page->toolkit->comboSelectByData(combo, data);
}

void pelMswConfigShowControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control, bool visible) {
    if (control) page->toolkit->show(control, visible);
}

void pelMswConfigEnableControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control, bool enabled) {
    if (control) page->toolkit->enable(control, enabled);
}
