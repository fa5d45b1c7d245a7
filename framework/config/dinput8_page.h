#pragma once
// The controller page "コントローラ" of the settings dialog: the keyboard row and the pad slots
// over a PEL_INPUT_SETTINGS, each opening the slot dialog, and the controller block of the
// report.
#include "framework/config/dinput8_settings.h"

// Zeroes the settings and appends the page to the dialog; the settings and the layouts the
// requirements point to must outlive the dialog run.
void pelDinput8ConfigAddPage(PEL_INPUT_SETTINGS* settings, PEL_MSW_CONFIG* dialog,
                             const PEL_INPUT_REQUIREMENTS* requirements);

// The page's callbacks.
void pelDinput8PageInit(PEL_MSW_CONFIG_PAGE* page, bool useDefaults);
void pelDinput8PageShow(PEL_MSW_CONFIG_PAGE* page);
void pelDinput8PageHide(PEL_MSW_CONFIG_PAGE* page);
bool pelDinput8PageOwnsControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control);
void pelDinput8PageCommand(PEL_MSW_CONFIG_PAGE* page, uint32_t code, PEL_MSW_CONTROL control);
void pelDinput8PageReport(char16_t* output, size_t size, PEL_MSW_CONFIG_PAGE* page);
void pelDinput8PageFree(PEL_MSW_CONFIG_PAGE* page, bool save);

// The page's modal dialogs: the slot dialog (slot 0 to 3, or the keyboard), and from it the
// controller choice, the pad button capture and the key capture for one logical button.
void pelDinput8SlotRun(PEL_DINPUT8_PAGE* page, uint32_t slot);
void pelDinput8ChoiceRun(PEL_DINPUT8_SLOT_DIALOG* dialog);
void pelDinput8CaptureRun(PEL_DINPUT8_SLOT_DIALOG* dialog, uint32_t button);
void pelDinput8KeyCaptureRun(PEL_DINPUT8_SLOT_DIALOG* dialog, uint32_t button);
