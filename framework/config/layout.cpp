#include "framework/config/layout.h"

namespace {

// Sizes the helpers share.
int32_t buttonWidth(int32_t unit) { return pelMswConfigScale(unit, 54); }
int32_t editHeight(int32_t unit) { return pelMswConfigScale(unit, 14); }
int32_t margin(int32_t unit) { return pelMswConfigScale(unit, 4); }

int32_t left(const PEL_MSW_CONFIG_LAYOUT& layout) { return layout.x + layout.indent; }
int32_t top(const PEL_MSW_CONFIG_LAYOUT& layout) { return layout.y + layout.row; }
int32_t right(const PEL_MSW_CONFIG_LAYOUT& layout) { return layout.x + layout.width; }

// A control from the current position to the area's right edge; advances the row.
PEL_MSW_CONFIG_RECT fullRow(PEL_MSW_CONFIG_LAYOUT* layout, int32_t height, int32_t advance) {
    const PEL_MSW_CONFIG_RECT rect{left(*layout), top(*layout), right(*layout) - left(*layout),
                                   height};
    layout->row += advance;
    return rect;
}

}  // namespace

int32_t pelMswConfigScale(int32_t unit, int32_t eighths) { return eighths * unit / 8; }

PEL_MSW_CONFIG_FRAME pelMswConfigFrame(int32_t unit) {
    PEL_MSW_CONFIG_FRAME frame{};
    const int32_t m = margin(unit);
    const int32_t button = buttonWidth(unit);
    frame.clientWidth = 30 * unit;
    frame.clientHeight = 30 * unit;
    frame.tab = {m, m, frame.clientWidth - 2 * m, frame.clientHeight - 3 * m - 2 * unit};
    const int32_t buttonY = frame.clientHeight - m - 2 * unit;
    frame.ok = {frame.clientWidth - 2 * button - 2 * m, buttonY, button, 2 * unit};
    frame.cancel = {frame.clientWidth - m - button, buttonY, button, 2 * unit};
    return frame;
}

PEL_MSW_CONFIG_LAYOUT pelMswConfigInsetLayout(int32_t unit, const PEL_MSW_CONFIG_RECT& area) {
    const int32_t m = margin(unit);
    return {unit, area.x + m, area.y + m, area.width - 2 * m, area.height - 2 * m, 0, 0};
}

PEL_MSW_CONFIG_RECT pelMswConfigPlaceLabel(PEL_MSW_CONFIG_LAYOUT* layout, int32_t lines) {
    return fullRow(layout, lines * layout->unit, lines * layout->unit);
}

PEL_MSW_CONFIG_RECT pelMswConfigPlaceEdit(PEL_MSW_CONFIG_LAYOUT* layout) {
    const int32_t height = editHeight(layout->unit);
    return fullRow(layout, height, height);
}

PEL_MSW_CONFIG_RECT pelMswConfigPlaceCombo(PEL_MSW_CONFIG_LAYOUT* layout) {
    return fullRow(layout, pelMswConfigScale(layout->unit, 98), 2 * layout->unit);
}

PEL_MSW_CONFIG_RECT pelMswConfigPlaceCheck(PEL_MSW_CONFIG_LAYOUT* layout) {
    return fullRow(layout, layout->unit, layout->unit);
}

PEL_MSW_CONFIG_RECT pelMswConfigPlaceButton(PEL_MSW_CONFIG_LAYOUT* layout) {
    const int32_t width = pelMswConfigScale(layout->unit, 86);
    const PEL_MSW_CONFIG_RECT rect{right(*layout) - width, top(*layout), width, 2 * layout->unit};
    layout->row += 2 * layout->unit;
    return rect;
}

PEL_MSW_CONFIG_EDIT_BUTTON pelMswConfigPlaceEditButton(PEL_MSW_CONFIG_LAYOUT* layout) {
    const int32_t unit = layout->unit;
    PEL_MSW_CONFIG_EDIT_BUTTON placed{};
    placed.edit = {left(*layout), top(*layout),
                   right(*layout) - pelMswConfigScale(unit, 40) - left(*layout), editHeight(unit)};
    const int32_t buttonW = pelMswConfigScale(unit, 38);
    placed.button = {right(*layout) - buttonW, placed.edit.y + placed.edit.height - 2 * unit,
                     buttonW, 2 * unit};
    layout->row += 2 * unit;
    return placed;
}

PEL_MSW_CONFIG_KEY_ROW pelMswConfigPlaceKeyRow(PEL_MSW_CONFIG_LAYOUT* layout) {
    const int32_t unit = layout->unit;
    const int32_t button = buttonWidth(unit);
    const int32_t gap = pelMswConfigScale(unit, 2);
    const int32_t pairGap = pelMswConfigScale(unit, 4);
    const int32_t x = left(*layout);
    const int32_t y = top(*layout);
    const int32_t edit = (right(*layout) - x - 2 * button - 2 * gap - pairGap) / 2;
    const int32_t editY = y + (2 * unit - editHeight(unit)) / 2;
    PEL_MSW_CONFIG_KEY_ROW row{};
    row.button1 = {x, y, button, 2 * unit};
    row.edit1 = {x + button + gap, editY, edit, editHeight(unit)};
    row.button2 = {row.edit1.x + edit + pairGap, y, button, 2 * unit};
    row.edit2 = {row.button2.x + button + gap, editY, edit, editHeight(unit)};
    layout->row += 2 * unit;
    return row;
}

PEL_MSW_CONFIG_OK_CANCEL pelMswConfigPlaceOkCancel(const PEL_MSW_CONFIG_LAYOUT& layout) {
    const int32_t unit = layout.unit;
    const int32_t button = buttonWidth(unit);
    const int32_t y = layout.y + layout.height - 2 * unit;
    PEL_MSW_CONFIG_OK_CANCEL placed{};
    placed.cancel = {right(layout) - button, y, button, 2 * unit};
    placed.ok = {placed.cancel.x - pelMswConfigScale(unit, 4) - button, y, button, 2 * unit};
    return placed;
}
