#include "engine/startup/run_harness.h"

#include <string>

#include "engine/system/system.h"

RunHarness::RunHarness(System& system, uint32_t frames, const std::u16string& captureDirectory,
                       uint32_t captureSpan)
    : system_(system),
      framesLeft_(frames),
      captureDirectory_(captureDirectory),
      captureSpan_(captureSpan) {
    if (!captureDirectory_.empty() && captureDirectory_.back() != u'/') captureDirectory_ += u'/';
    Engine::setRunObserver(this);
}

RunHarness::~RunHarness() { Engine::setRunObserver(nullptr); }

void RunHarness::runStarting(Engine& engine) {
    const uint32_t run = runs_++;
    if (captureDirectory_.empty()) return;
    prefix_ = captureDirectory_ + u"run";
    for (char c : std::to_string(run)) prefix_ += static_cast<char16_t>(c);
    prefix_ += u'-';
    engine.setCapture(prefix_.c_str(), captureSpan_);
}

void RunHarness::frameEnded(Engine& engine) {
    if (framesLeft_ == 0 || --framesLeft_ > 0) return;
    engine.requestExit();
    delete system_.nextEngine();
    system_.setNextEngine(nullptr);
}
