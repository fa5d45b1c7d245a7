#pragma once
#include <cstdint>

// Geometry of the settings dialog. Every size is a multiple of the dialog unit U (the pixel
// height of the dialog font's one-line sample) written as k x U / 8 with integer division, so
// the same page code lays out identically in every toolkit that reports the same U.

struct PEL_MSW_CONFIG_RECT {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// Where a page's helpers put their next control: the page area in the control parent's client
// coordinates, the indent from its left edge and the row below its top edge.
struct PEL_MSW_CONFIG_LAYOUT {
    int32_t unit;  // U in pixels
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t indent;
    int32_t row;
};

// k x U / 8, rounded toward zero.
int32_t pelMswConfigScale(int32_t unit, int32_t eighths);

// The fixed parts of the main dialog for a given U.
struct PEL_MSW_CONFIG_FRAME {
    int32_t clientWidth;  // 30U
    int32_t clientHeight;
    PEL_MSW_CONFIG_RECT tab;  // the tab control, margin 4U/8, room below for the buttons
    PEL_MSW_CONFIG_RECT ok;
    PEL_MSW_CONFIG_RECT cancel;
};
PEL_MSW_CONFIG_FRAME pelMswConfigFrame(int32_t unit);

// A layout over `area` shrunk by the 4U/8 margin on every side, indent and row 0: the page area
// inside the tab control's display area, and the whole client area of a sub-dialog.
PEL_MSW_CONFIG_LAYOUT pelMswConfigInsetLayout(int32_t unit, const PEL_MSW_CONFIG_RECT& area);

// The layout helpers' placements. Each returns the rectangles of the controls it places at the
// current indent and row and advances the row by the helper's row height. Widths run to the
// area's right edge unless the control is sized.
PEL_MSW_CONFIG_RECT pelMswConfigPlaceLabel(PEL_MSW_CONFIG_LAYOUT* layout, int32_t lines);
PEL_MSW_CONFIG_RECT pelMswConfigPlaceEdit(PEL_MSW_CONFIG_LAYOUT* layout);
// The rectangle includes the drop-down list; the row advances by 2U only.
PEL_MSW_CONFIG_RECT pelMswConfigPlaceCombo(PEL_MSW_CONFIG_LAYOUT* layout);
PEL_MSW_CONFIG_RECT pelMswConfigPlaceCheck(PEL_MSW_CONFIG_LAYOUT* layout);
PEL_MSW_CONFIG_RECT pelMswConfigPlaceButton(PEL_MSW_CONFIG_LAYOUT* layout);

struct PEL_MSW_CONFIG_EDIT_BUTTON {
    PEL_MSW_CONFIG_RECT edit;
    PEL_MSW_CONFIG_RECT button;  // at the right edge, its bottom level with the edit's
};
PEL_MSW_CONFIG_EDIT_BUTTON pelMswConfigPlaceEditButton(PEL_MSW_CONFIG_LAYOUT* layout);

// Button, edit, button, edit in one row; the edits share what the buttons and gaps leave and
// are centred vertically on the buttons.
struct PEL_MSW_CONFIG_KEY_ROW {
    PEL_MSW_CONFIG_RECT button1;
    PEL_MSW_CONFIG_RECT edit1;
    PEL_MSW_CONFIG_RECT button2;
    PEL_MSW_CONFIG_RECT edit2;
};
PEL_MSW_CONFIG_KEY_ROW pelMswConfigPlaceKeyRow(PEL_MSW_CONFIG_LAYOUT* layout);

// "OK" and the cancel button at the bottom right of the area; the row does not move.
struct PEL_MSW_CONFIG_OK_CANCEL {
    PEL_MSW_CONFIG_RECT ok;
    PEL_MSW_CONFIG_RECT cancel;
};
PEL_MSW_CONFIG_OK_CANCEL pelMswConfigPlaceOkCancel(const PEL_MSW_CONFIG_LAYOUT& layout);
