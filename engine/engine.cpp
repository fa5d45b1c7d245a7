#include "engine/engine.h"

#include <cstdlib>
#include <utility>

#include "engine/screen_post_effect.h"
#include "engine/script/bin_buffer.h"
#include "engine/script/script_vm.h"
#include "engine/sprite/sprite2.h"
#include "engine/system/net.h"
#include "engine/system/system.h"
#include "framework/core/report.h"
#include "framework/sprite/sprite.h"
#include "framework/timer/timer.h"
#include "platform/os/clock.h"

const char16_t* const kEngineKeyNames[kEngineKeyCount] = {
    u"x",     u"y",        u"z",    u"width",      u"height", u"flag",
    u"speed", u"colorRed", u"red",  u"colorGreen", u"green",  u"colorBlue",
    u"blue",  u"alpha",    u"base", u"level",      u"show"};

namespace {

EnginePostEffectFactory& postEffectFactory() {
    static EnginePostEffectFactory factory = makeScreenPostEffect;
    return factory;
}

}  // namespace

void Engine::setPostEffectFactory(EnginePostEffectFactory factory) {
    postEffectFactory() = factory ? std::move(factory) : makeScreenPostEffect;
}

Engine::Engine() : localRandom_(pelRandCreate(0)) {}

Engine::~Engine() {
    releaseSubresources();
    for (ScriptObject& key : keys_) key.release();
    vm_.reset();
    std::free(seededRandom_);
    seededRandom_ = nullptr;
    capturePrefix_ = nullptr;
    system_ = nullptr;
    std::free(localRandom_);
}

void Engine::init(System* system) {
    system_ = system;
    exit_ = false;
    capturePrefix_ = nullptr;
    captureInterval_ = 0;
    captureCounter_ = 0;
    vm_ = std::make_unique<ScriptVM>();
    for (uint32_t i = 0; i < kEngineKeyCount; ++i)
        keys_[i] = ScriptObject::fromString(vm_->vm(), kEngineKeyNames[i]);
    taskEnable_ = true;
    frameFlags_ = 0;
    spriteContext_ = nullptr;
    postEffect_.reset();
    binaries_.reset();
}

void Engine::start() {
    Net* net = system_->net();
    if (net) net->start();
    resync_ = true;
    const uint32_t seed =
        net ? net->getSharedSeed() : static_cast<uint32_t>(platform::os::clock().calendarSeconds());
    setRandomSeed(seed);
    setupSubresources();
}

void Engine::update() {
    if (spriteContext_) pelSpriteUpdate(spriteContext_);
}

void Engine::draw() {}

void Engine::drawSprites() {
    if (spriteContext_) pelSpriteDraw(spriteContext_);
}

void Engine::setRandomSeed(uint32_t seed) {
    std::free(seededRandom_);
    seed_ = seed;
    seededRandom_ = pelRandCreate(seed);
}

void Engine::setupSubresources() {
    if (!spriteContext_) {
        sprite2CreateDeviceSet(&spriteBackend_, system_);
        spriteContext_ = pelSpriteCreateContext(&spriteBackend_);
        if (!spriteContext_) {
            sprite2DestroyDeviceSet(&spriteBackend_);
            pelReport(PEL_REPORT_ERROR, u"Error: [%s] スプライトエンジンの作成に失敗しました",
                      "Engine::setupSubresources");
        }
    }
    if (!postEffect_ && postEffectFactory()) {
        postEffect_ = postEffectFactory()();
        if (postEffect_ && !postEffect_->setup(system_)) postEffect_.reset();
    }
    if (!binaries_) binaries_ = std::make_unique<BinManager>();
}

void Engine::releaseSubresources() {
    if (binaries_) {
        binaries_->destroy();
        binaries_.reset();
    }
    postEffect_.reset();
    if (spriteContext_) {
        pelSpriteDestroyContext(spriteContext_);
        spriteContext_ = nullptr;
        sprite2DestroyDeviceSet(&spriteBackend_);
    }
}

void Engine::initPresentMargin(FramePacer& pacer) {
    pacer.setLateAllowance(pelTimerGetFrequency() * 6 / 1000);
}
