// Engine::run: the frame loop, its drawing, frame captures and the three ways a frame is paced
// and presented.
#include <string>

#include "effects/L3DEffectManager.h"
#include "engine/engine.h"
#include "engine/system/net.h"
#include "engine/system/system.h"
#include "foundation/DFile.h"
#include "foundation/pack/pack_registry.h"
#include "framework/core/format.h"
#include "framework/core/report.h"
#include "framework/timer/timer.h"
#include "platform/os/cp932.h"
#include "platform/os/float_mode.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/LSeManager.h"

namespace {

using namespace platform::d3d9;

// Open flags of a capture: created or truncated.
constexpr uint32_t kCaptureOpenFlags = mirel::DFile::OpenCreate | mirel::DFile::OpenNew;
// Capture names, in units and in bytes with the terminator.
constexpr size_t kCaptureNameSize = 128;

// The CP932 form of the name, cut to fit the size without splitting a character.
std::string narrowPath(const char16_t* name, size_t size) {
    std::string path = platform::os::utf16ToCp932(name);
    size_t end = 0;
    while (end < path.size()) {
        const size_t width =
            platform::os::isCp932LeadByte(static_cast<unsigned char>(path[end])) ? 2 : 1;
        if (end + width > size - 1) break;
        end += width;
    }
    path.resize(end);
    return path;
}

EngineRunObserver* runObserver = nullptr;

}  // namespace

void Engine::setRunObserver(EngineRunObserver* observer) { runObserver = observer; }

void Engine::run() {
    Net* net = system_->net();
    L3DDevice& device = system_->device();
    // The renderer of this run; the System replaces it only between engines.
    L3DRenderer* renderer = system_->renderer().Get();

    if (runObserver) runObserver->runStarting(*this);
    start();
    // Nothing the start-up played keeps sounding into the first frame.
    if (renderer) renderer->StopAll();
    resync_ = true;
    skipped_ = false;
    bool firstFrame = true;
    uint32_t captureNumber = 0;

    while (!exit_) {
        platform::os::setGameFloatMode();
        system_->pollInput();
        if (system_->quitRequested()) l3dThrowGameExcept();

        frameFlags_ = 0;
        update();
        if (taskEnable_ && renderer) {
            if (renderer->seManager) renderer->seManager->Update();
            if (renderer->effectManager) renderer->effectManager->Task();
        }
        // The word the last effect task left, also in frames in which the task is off.
        if (renderer && renderer->effectManager &&
            (renderer->effectManager->blendSeen & L3DEffectBlendSeenOrdered))
            frameFlags_ |= FrameFlagEffects;
        if (postEffect_) postEffect_->animate();

        const bool drawn = resync_ || !skipped_ || capturePrefix_;
        if (drawn) drawFrame();

        if (capturePrefix_) {
            if (captureCounter_ == captureInterval_) {
                writeCapture(captureNumber++);
                captureCounter_ = 0;
            } else {
                ++captureCounter_;
            }
        }

        if (net)
            paceWithSession(*net, drawn);
        else if (device.flags() & L3DDevice::FlagPresentWaits)
            paceBeforeBlank(drawn);
        else
            paceWithPacer(drawn);

        if (firstFrame) {
            // The second frame is always drawn and restarts the schedule.
            firstFrame = false;
            if (net) net->setReady();
            resync_ = true;
        }
        if (runObserver) runObserver->frameEnded(*this);
    }

    if (net) {
        if (firstFrame) system_->setNetReady();
        do {
            net->nextFrame();
        } while (!net->isReady());
        net->resetRound();
    }
}

void Engine::drawFrame() {
    L3DDevice& device = system_->device();
    device.Restore(device.windowed());
    IDirect3DDevice9* d3d = device.device();
    if (!d3d) return;
    device.SetViewportFull();
    if (!postEffect_) {
        d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d3d->BeginScene();
        draw();
        drawSprites();
    } else {
        d3d->BeginScene();
        postEffect_->beginFrame();
        draw();
        postEffect_->render();
        drawSprites();
    }
    d3d->EndScene();
}

void Engine::writeCapture(uint32_t number) {
    char16_t name[kCaptureNameSize];
    pelSprintf(name, kCaptureNameSize, u"%ls%u.bmp", capturePrefix_, number);
    const std::string path = narrowPath(name, kCaptureNameSize);
    mirel::DFile file;
    lfmOpenPath(path.c_str(), file, kCaptureOpenFlags);
    if (!system_->device().SaveScreenshot(file))
        pelReport(PEL_REPORT_ERROR,
                  u"Error: [%s] レンダリング結果をファイルに保存できませんでした(%ls)",
                  "Engine::run", name);
    file.Close();
}

bool Engine::presentFrame() { return system_->device().Present(); }

void Engine::paceWithSession(Net& net, bool drawn) {
    if (resync_) {
        net.nextFrame();
        skipped_ = false;
        resync_ = false;
        pacer_->reset();
    } else {
        pacer_->step();
        skipped_ = net.nextFrame();
    }
    // The session sets the pace: a failed present restores the device without forcing the next
    // frame to be drawn.
    L3DDevice& device = system_->device();
    if (drawn && !presentFrame()) device.Restore(device.windowed());
}

void Engine::paceBeforeBlank(bool drawn) {
    if (!drawn) {
        if (!resync_) skipped_ = pacer_->step();
        return;
    }
    if (!resync_) {
        // Sleep until shortly before the frame is due and let the present wait for the blank.
        const uint64_t remaining = pacer_->remaining();
        const uint64_t margin = pelTimerGetFrequency() * 6 / 1000;
        if (remaining > margin) pelTimerWait(static_cast<int64_t>(remaining - margin));
    }
    L3DDevice& device = system_->device();
    if (!presentFrame()) {
        device.RestoreIfNeeded();
        resync_ = true;
    } else if (resync_) {
        skipped_ = false;
        resync_ = false;
        initPresentMargin(*pacer_);
        pacer_->reset();
    } else {
        skipped_ = pacer_->step();
    }
}

void Engine::paceWithPacer(bool drawn) {
    L3DDevice& device = system_->device();
    if (resync_) {
        skipped_ = false;
        resync_ = false;
        device.WaitVBlank();
        pacer_->reset();
    } else {
        skipped_ = pacer_->step();
        pacer_->wait();
    }
    if (drawn && !presentFrame()) {
        device.Restore(device.windowed());
        resync_ = true;
    }
}
