#include "engine/startup/app_state.h"

#include "engine/startup/app_main.h"

AppState& appState() {
    static AppState state;
    return state;
}

void appStep(const char* step) {
    if (appState().stepObserver) appState().stepObserver(step);
}

Config* appConfig() { return appState().config; }

System* appSystem() { return appState().system; }

uint32_t appRootPackIndex() { return appState().rootPackIndex; }

void setAppStepObserver(void (*observer)(const char* step)) { appState().stepObserver = observer; }
