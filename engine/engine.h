#pragma once
// The base of every game mode: an engine owns its script VM, its 2D sprite context, its screen
// post effects and its byte buffers, and runs the frame loop (run) that reads input, updates,
// draws the 3D scene and the sprites, captures frames on request, paces to 60 frames per second
// (or lets the network session pace it) and presents, recovering from a lost device on the way.
#include <array>
#include <cstdint>
#include <memory>

#include "engine/engine_post_effect.h"
#include "engine/frame_pacer.h"
#include "engine/script/script_host.h"
#include "engine/script/script_object.h"
#include "engine/system/engine_base.h"
#include "framework/core/random.h"
#include "framework/sprite/backend.h"

class BinManager;
class Net;
class ScriptVM;
class System;
struct PEL_SPRITE_CONTEXT;

// The option-table keys the natives read, interned once per engine VM, in this order.
enum class EngineKey : uint32_t {
    X,
    Y,
    Z,
    Width,
    Height,
    Flag,
    Speed,
    ColorRed,
    Red,
    ColorGreen,
    Green,
    ColorBlue,
    Blue,
    Alpha,
    Base,
    Level,
    Show,
    Count
};
inline constexpr uint32_t kEngineKeyCount = static_cast<uint32_t>(EngineKey::Count);
extern const char16_t* const kEngineKeyNames[kEngineKeyCount];

class Engine;

// Watches every engine run from outside the game: the run harness of tests and CI.
class EngineRunObserver {
public:
    virtual ~EngineRunObserver() = default;
    // At the start of Engine::run, before the engine's own start.
    virtual void runStarting(Engine& engine) = 0;
    // At the end of every frame, after its pacing and presentation.
    virtual void frameEnded(Engine& engine) = 0;
};

class Engine : public EngineBase, public ScriptHost {
public:
    static constexpr uint32_t FramesPerSecond = 60;
    // Frame flags: bit 0 while the last effect task stepped a part of an order-dependent blend.
    static constexpr uint32_t FrameFlagEffects = 0x1;

    // Nothing bound yet; the pacer at 60 frames per second and the local generator seeded from
    // the calendar time.
    Engine();
    // Releases the subresources, the keys, the VM and both generators.
    ~Engine() override;

    // Right after construction: binds the System, clears the exit and capture state, creates
    // the engine's VM and its cached keys, enables the tasks.
    void init(System* system);

    // Once before the first frame (subclasses call it from their own): waits for the network
    // session, takes the seed (shared with the peers, else the calendar time) and makes the
    // subresources.
    virtual void start();
    // Once a frame: advances the sprite context.
    virtual void update();
    // The 3D scene; nothing here.
    virtual void draw();
    // The 2D pass: draws the sprite context.
    virtual void drawSprites();

    // The frame loop; returns once the exit flag is set. The quit request of the System ends
    // the program with LExceptGame.
    void run();

    void setRandomSeed(uint32_t seed);
    // Makes what is missing of the sprite context, the post effect and the byte buffers.
    void setupSubresources();
    // Byte buffers, post effect, sprite context, in that order.
    void releaseSubresources();
    // The pacer's lateness allowance: 6 ms of the timer's ticks.
    static void initPresentMargin(FramePacer& pacer);

    BinManager* binManager() override { return binaries_.get(); }

    System* system() const { return system_; }
    ScriptVM* vm() const { return vm_.get(); }
    const ScriptObject& key(EngineKey key) const { return keys_[static_cast<uint32_t>(key)]; }
    bool exitRequested() const { return exit_; }
    void requestExit() { exit_ = true; }
    // The next frame is drawn and the pacer restarts after it.
    void requestResync() { resync_ = true; }
    bool taskEnable() const { return taskEnable_; }
    void setTaskEnable(bool enable) { taskEnable_ = enable; }
    uint32_t frameFlags() const { return frameFlags_; }
    void setFrameFlags(uint32_t flags) { frameFlags_ = flags; }
    uint32_t seed() const { return seed_; }
    PEL_RAND* seededRandom() const { return seededRandom_; }
    PEL_RAND* localRandom() const { return localRandom_; }
    PEL_SPRITE_CONTEXT* spriteContext() const { return spriteContext_; }
    EnginePostEffect* postEffect() const { return postEffect_.get(); }

    // Frame capture: every (interval + 1)-th frame into "<prefix><n>.bmp" while the prefix (an
    // interned directory ending in '/') is set.
    void setCapture(const char16_t* prefix, uint32_t interval) {
        capturePrefix_ = prefix;
        captureInterval_ = interval;
        captureCounter_ = 0;
    }
    const char16_t* capturePrefix() const { return capturePrefix_; }

    // Seams: the pacer the loop steps (the engine's own by default) and the maker of post
    // effects (the screen post effects by default; null restores them).
    void setPacer(FramePacer* pacer) { pacer_ = pacer ? pacer : &ownPacer_; }
    static void setPostEffectFactory(EnginePostEffectFactory factory);
    // One observer of every engine run, or null.
    static void setRunObserver(EngineRunObserver* observer);

private:
    void drawFrame();
    void writeCapture(uint32_t number);
    // Presents unless the device is missing or lost; false when nothing reached the screen.
    bool presentFrame();
    // The pacing and presentation of one frame: by the network session, by the pacer before a
    // present that waits for the vertical blank, or by the pacer alone.
    void paceWithSession(Net& net, bool drawn);
    void paceBeforeBlank(bool drawn);
    void paceWithPacer(bool drawn);

    System* system_ = nullptr;
    bool exit_ = false;
    bool resync_ = false;
    bool skipped_ = false;
    const char16_t* capturePrefix_ = nullptr;
    uint32_t captureInterval_ = 0;
    uint32_t captureCounter_ = 0;
    TimerFramePacer ownPacer_{FramesPerSecond};
    FramePacer* pacer_ = &ownPacer_;
    uint32_t seed_ = 0;
    PEL_RAND* seededRandom_ = nullptr;
    PEL_RAND* localRandom_ = nullptr;
    std::unique_ptr<ScriptVM> vm_;
    std::array<ScriptObject, kEngineKeyCount> keys_;
    bool taskEnable_ = false;
    uint32_t frameFlags_ = 0;
    PEL_SPRITE_CONTEXT* spriteContext_ = nullptr;
    PEL_SPRITE_BACKEND spriteBackend_{};
    std::unique_ptr<EnginePostEffect> postEffect_;
    std::unique_ptr<BinManager> binaries_;
};
