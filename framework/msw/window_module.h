#pragma once
// The main window's module inside the window platform module.

// Started by pelMswInitialize: the class name back to "PELLAM_MSW_WINDOW_CLASS", no class
// registered, the application active.
void pelMswWindowStartModule();
// Stopped by pelMswFinalize: gives up the single-instance name.
void pelMswWindowStopModule();

void pelMswSetApplicationActive(bool active);
