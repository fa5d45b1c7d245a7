#include "engine/main_loop.h"

#include "engine/engine.h"
#include "engine/system/system.h"

void runMainLoop(System& system) {
    while (EngineBase* next = system.nextEngine()) {
        system.setCurrentEngine(next);
        system.setNextEngine(nullptr);
        // Only engines are recorded as the next engine.
        static_cast<Engine*>(next)->run();
        delete next;
        system.setCurrentEngine(nullptr);
        system.resetRenderer();
    }
}
