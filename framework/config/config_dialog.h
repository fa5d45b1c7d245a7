#pragma once
// The settings dialog: a tab control with the information tab (the report) and one tab per
// page, "OK" and "キャンセル". Pages are plug-ins of eight callbacks that build their controls
// with the layout helpers, load their values from the settings file and save them when the
// dialog is accepted. The dialog runs over a dialog toolkit: drawn on the display when it is
// shown and one can be opened, otherwise headless, accepting itself at once.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/config/layout.h"
#include "framework/core/list.h"
#include "framework/core/status.h"
#include "platform/window/dialog_toolkit.h"

using PEL_MSW_CONTROL = platform::window::DialogControl;
using PEL_MSW_DIALOG_WINDOW = platform::window::DialogWindow;

inline constexpr size_t PEL_MSW_CONFIG_PATH_SIZE = 260;
// Longest part of the report a page writes, terminator included.
inline constexpr size_t PEL_MSW_CONFIG_PAGE_REPORT_MAX = 1024;

struct PEL_MSW_CONFIG_PAGE;

// One dialog, filled by the caller (pelMswConfigInitDialog first).
struct PEL_MSW_CONFIG {
    uint16_t icon;                 // the dialog's icon resource, 0 for none
    const char16_t* caption;       // the window title
    const char16_t* section;       // the section of the dialog's keys; null or empty: "Config"
    const char16_t* reportHeader;  // put at the start of every report; null for none
    PEL_LIST pages;                // of PEL_MSW_CONFIG_PAGE, linked through `link`
};

// One page; its creator allocates and clears it, fills the title and callbacks and appends it
// to the dialog's page list. The dialog fills the fields after the link before calling init.
struct PEL_MSW_CONFIG_PAGE {
    const char16_t* title;  // the tab's text
    // Builds the controls and loads the values; `useDefaults` when no dialog was accepted yet.
    void (*init)(PEL_MSW_CONFIG_PAGE* page, bool useDefaults);
    // The dialog is closing (the page is already off the list): saves when accepted and frees
    // the page.
    void (*close)(PEL_MSW_CONFIG_PAGE* page, bool accepted);
    void (*show)(PEL_MSW_CONFIG_PAGE* page);
    void (*hide)(PEL_MSW_CONFIG_PAGE* page);
    // Whether a label or check box is the page's, drawn transparently over the tab page.
    bool (*isTransparent)(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control);
    // A notification (0 click, 1 selection change) of a control.
    void (*command)(PEL_MSW_CONFIG_PAGE* page, uint32_t code, PEL_MSW_CONTROL control);
    // Writes the page's part of the report into `output` (`size` units).
    void (*report)(char16_t* output, size_t size, PEL_MSW_CONFIG_PAGE* page);
    PEL_LIST_LINK link;

    PEL_MSW_CONFIG* dialog;
    int32_t tabIndex;
    const char16_t* settingsPath;  // the settings file's system path
    const char16_t* section;
    platform::window::DialogToolkit* toolkit;
    PEL_MSW_DIALOG_WINDOW window;  // the dialog window
    PEL_MSW_CONTROL tab;
    PEL_MSW_DIALOG_WINDOW parent;  // where the helpers build: the dialog, or a sub-dialog
    PEL_MSW_CONFIG_LAYOUT layout;
};

// The running dialog.
struct PEL_MSW_CONFIG_CONTEXT {
    PEL_STATUS result;
    PEL_MSW_CONFIG* dialog;
    char16_t settingsPath[PEL_MSW_CONFIG_PATH_SIZE];
    const char16_t* section;
    bool show;
    platform::window::DialogToolkit* toolkit;
    PEL_MSW_DIALOG_WINDOW window;
    PEL_MSW_CONTROL tab;
    PEL_MSW_CONTROL ok;
    PEL_MSW_CONTROL cancel;
    int32_t infoTab;
    PEL_MSW_CONTROL reportEdit;
};

// Clears the record and makes its page list empty.
void pelMswConfigInitDialog(PEL_MSW_CONFIG* dialog);

// Runs the dialog modally: PEL_OK when accepted with "OK", PEL_E_IO when cancelled or closed,
// PEL_E_CREATE when its window cannot be created. On return every page has been closed and the
// list is empty. Hidden runs, and shown runs without a display, accept at once.
PEL_STATUS pelMswConfigRun(PEL_MSW_CONFIG* dialog, bool show);
// The same over a given toolkit (shown: the toolkit's user decides; hidden: accepted at once).
PEL_STATUS pelMswConfigRunWith(PEL_MSW_CONFIG* dialog, bool show,
                               platform::window::DialogToolkit& toolkit);
// Tests: shown runs use this toolkit instead of the display's (null restores the display's).
void pelMswConfigSetToolkitOverride(platform::window::DialogToolkit* toolkit);

// What a sub-dialog's procedure receives.
enum PEL_MSW_CONFIG_SUB_MESSAGE : uint32_t {
    PEL_MSW_CONFIG_SUB_CREATE,   // build the controls (the page's helpers build into the window)
    PEL_MSW_CONFIG_SUB_COMMAND,  // `code` and `control` of a notification
    PEL_MSW_CONFIG_SUB_TIMER,    // `code` is the timer id
    PEL_MSW_CONFIG_SUB_CLOSE,    // the close box or Escape
};
using PEL_MSW_CONFIG_SUB_PROC = void (*)(PEL_MSW_CONFIG_PAGE* page, uint32_t message, uint32_t code,
                                         PEL_MSW_CONTROL control, void* user);

// Runs a modal child dialog of the page with a client area of width x height units of U/8;
// the page's helpers build into it while it runs. The procedure ends it with
// pelMswConfigEndSubDialog. Non-zero when it ran, 0 when its window could not be created.
int pelMswConfigRunSubDialog(PEL_MSW_CONFIG_PAGE* page, const char16_t* title, int32_t width,
                             int32_t height, PEL_MSW_CONFIG_SUB_PROC procedure, void* user);
// Ends the innermost running sub-dialog loop.
void pelMswConfigEndSubDialog(PEL_MSW_CONFIG_PAGE* page);

// The report: `header` (null: none), the dialog's report header, the platform block and each
// page's part in list order. Logged at level 3 when asked; becomes the edit's text when one is
// given. Returns the text.
std::u16string pelMswConfigBuildReport(PEL_MSW_CONFIG_CONTEXT* context, const char16_t* header,
                                       bool log, PEL_MSW_CONTROL reportEdit);

// Layout helpers: controls in the page's control parent at the layout's position, advancing
// its row (sizes in layout.h).
PEL_MSW_CONTROL pelMswConfigAddLabel(PEL_MSW_CONFIG_PAGE* page, int32_t lines,
                                     const char16_t* text);
PEL_MSW_CONTROL pelMswConfigAddEdit(PEL_MSW_CONFIG_PAGE* page);
PEL_MSW_CONTROL pelMswConfigAddCombo(PEL_MSW_CONFIG_PAGE* page);
PEL_MSW_CONTROL pelMswConfigAddCheck(PEL_MSW_CONFIG_PAGE* page, const char16_t* text);
void pelMswConfigAddEditButton(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL* button,
                               PEL_MSW_CONTROL* edit);
void pelMswConfigAddKeyRow(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL* button1,
                           PEL_MSW_CONTROL* edit1, PEL_MSW_CONTROL* button2,
                           PEL_MSW_CONTROL* edit2);
PEL_MSW_CONTROL pelMswConfigAddButton(PEL_MSW_CONFIG_PAGE* page, const char16_t* text);
void pelMswConfigAddOkCancel(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL* ok,
                             PEL_MSW_CONTROL* cancel);

// Combo-box helpers over the page's toolkit.
int pelMswComboAddItem(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL combo, const char16_t* text,
                       intptr_t data);
intptr_t pelMswComboGetSelectedData(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL combo);
void pelMswComboSelectByData(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL combo, intptr_t data);

// Shows or hides, enables or disables one control of the page (0 is ignored).
void pelMswConfigShowControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control, bool visible);
void pelMswConfigEnableControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control, bool enabled);
