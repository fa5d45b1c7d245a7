#pragma once
// The run harness of tests and CI (TESSERA_RUN_FRAMES, TESSERA_CAPTURE_DIR,
// TESSERA_CAPTURE_SPAN): it watches every engine run of the main loop.
#include <cstdint>
#include <string>

#include "engine/engine.h"

class System;

class RunHarness final : public EngineRunObserver {
public:
    // frames: the run ends normally after that many frames in all (0: never). captureDirectory:
    // every engine run i captures into "<directory>/run<i>-<n>.bmp" (empty: no captures), every
    // (captureSpan + 1)-th frame.
    // Watches the engines from construction to destruction.
    RunHarness(System& system, uint32_t frames, const std::u16string& captureDirectory,
               uint32_t captureSpan);
    ~RunHarness() override;
    RunHarness(const RunHarness&) = delete;
    RunHarness& operator=(const RunHarness&) = delete;

    void runStarting(Engine& engine) override;
    // After the last frame: the running engine's exit flag is set and a recorded next engine
    // is dropped, so the main loop ends as if the game had ended.
    void frameEnded(Engine& engine) override;

private:
    System& system_;
    uint32_t framesLeft_;
    std::u16string captureDirectory_;
    uint32_t captureSpan_;
    uint32_t runs_ = 0;
    // The capture prefix of the current engine run, alive while it runs.
    std::u16string prefix_;
};
