// The music natives over the System's music player. File names are relative to the calling
// engine's script root.
#include "engine/script/script_native.h"
#include "engine/script_engines/scripted_engine.h"
#include "engine/script_engines/shared_natives.h"
#include "sound/BgmPlayer.h"

namespace {

BgmPlayer* musicPlayer(HSQUIRRELVM vm) {
    Engine* engine = callingEngine(vm);
    return engine ? engine->system()->bgmPlayer() : nullptr;
}

const char16_t* scriptRoot(HSQUIRRELVM vm) {
    const ScriptedEngine* engine = callingScriptedEngine(vm);
    return engine && engine->scriptRoot() ? engine->scriptRoot() : u"";
}

void bgmPlay(HSQUIRRELVM vm, const char16_t* intro, const char16_t* loop, bool loopFlag) {
    if (BgmPlayer* player = musicPlayer(vm))
        player->playIntroLoop(scriptRoot(vm), intro, loop, loopFlag);
}

void bgmStop(HSQUIRRELVM vm) {
    if (BgmPlayer* player = musicPlayer(vm)) player->stop();
}

void bgmSetVolume(HSQUIRRELVM vm, float volume) {
    if (BgmPlayer* player = musicPlayer(vm)) player->setVolume(volume);
}

void bgmFadeout(HSQUIRRELVM vm, int32_t milliseconds) {
    if (BgmPlayer* player = musicPlayer(vm)) player->fadeOut(milliseconds);
}

void bgmPlaySound(HSQUIRRELVM vm, int32_t channel, const char16_t* name) {
    if (BgmPlayer* player = musicPlayer(vm)) player->playSound(channel, scriptRoot(vm), name);
}

}  // namespace

void registerMusicNatives(const ScriptObject& table) {
    table.addFunction(u"bgmPlay", &bgmPlay)
        .addFunction(u"bgmStop", &bgmStop)
        .addFunction(u"bgmSetVolume", &bgmSetVolume)
        .addFunction(u"bgmFadeout", &bgmFadeout)
        .addFunction(u"bgmPlaySound", &bgmPlaySound);
}
