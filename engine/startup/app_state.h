#pragma once
// What the start-up and the shutdown share: the program-wide objects of one run.
#include <cstdint>

#include "engine/startup/lfm_pellam.h"
#include "foundation/DFile.h"
#include "foundation/rcptr.h"

class Config;
class System;

struct AppState {
    Config* config = nullptr;
    System* system = nullptr;
    uint32_t rootPackIndex = 0;
    // The 3D library's log stream; the foundation's DDebug file is a view of it.
    mirel::DFile logStream;
    mirel::rcptr<LFmPellam> provider;
    void (*stepObserver)(const char* step) = nullptr;
};

AppState& appState();

// Tells the step observer that the step begins.
void appStep(const char* step);
