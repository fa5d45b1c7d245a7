#pragma once
// The video page "ビデオ" of the settings dialog: adapter, mode and multisampling combo boxes
// and the three switches over a PEL_D3D9_SETTINGS, and the video block of the report.
#include "framework/config/config_dialog.h"
#include "framework/config/d3d9_settings.h"

// Zeroes the settings and appends the page to the dialog; the settings and requirements must
// outlive the dialog run.
void pelD3d9ConfigAddPage(PEL_D3D9_SETTINGS* settings, PEL_MSW_CONFIG* dialog,
                          const PEL_D3D9_REQUIREMENTS* requirements);

// The page's callbacks.
void pelD3d9PageInit(PEL_MSW_CONFIG_PAGE* page, bool useDefaults);
void pelD3d9PageShow(PEL_MSW_CONFIG_PAGE* page);
void pelD3d9PageHide(PEL_MSW_CONFIG_PAGE* page);
bool pelD3d9PageOwnsControl(PEL_MSW_CONFIG_PAGE* page, PEL_MSW_CONTROL control);
void pelD3d9PageCommand(PEL_MSW_CONFIG_PAGE* page, uint32_t code, PEL_MSW_CONTROL control);
void pelD3d9PageReport(char16_t* output, size_t size, PEL_MSW_CONFIG_PAGE* page);
void pelD3d9PageFree(PEL_MSW_CONFIG_PAGE* page, bool save);
