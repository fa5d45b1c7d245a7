// The engine natives: exit and frame control, sound-type volumes, the sound-effect group and
// the engine's seeded random numbers.
#include "engine/script/core_natives.h"
#include "engine/script/script_native.h"
#include "engine/script_engines/scripted_engine.h"
#include "engine/script_engines/shared_natives.h"
#include "render3d/L3DRenderer.h"

namespace {

// The System keeps three sound-type volumes.
constexpr int32_t kSoundTypes = 3;

void engineRequestExit(HSQUIRRELVM vm) {
    if (Engine* engine = callingEngine(vm)) engine->requestExit();
}

void engineReload() {}

void engineResetFrameController(HSQUIRRELVM vm) {
    if (Engine* engine = callingEngine(vm)) engine->requestResync();
}

// A type outside the System's three is ignored with a message; one the sound-effect manager
// does not have is its fatal error.
void engineSetAudioVolume(HSQUIRRELVM vm, int32_t type, float volume) {
    Engine* engine = callingEngine(vm);
    if (!engine) return;
    if (type < 0 || type >= kSoundTypes) {
        scriptReportError(PEL_REPORT_MESSAGE, u"audio type out of range(%d)", type);
        return;
    }
    System& system = *engine->system();
    system.setSoundVolume(static_cast<uint32_t>(type), volume);
    if (system.renderer() && system.renderer()->seManager)
        system.renderer()->seManager->configureTypeSetting(static_cast<uint32_t>(type), volume);
}

void engineSwitchSeGroup(HSQUIRRELVM vm, const char16_t* name) {
    if (ScriptedEngine* engine = callingScriptedEngine(vm)) engine->switchSeGroup(name);
}

void enginePlaySe(HSQUIRRELVM vm, int32_t index) {
    ScriptedEngine* engine = callingScriptedEngine(vm);
    if (!engine || index < 0 || !engine->seGroup()) return;
    const mirel::rcptr<L3DRenderer>& renderer = engine->system()->renderer();
    if (renderer && renderer->seManager)
        renderer->seManager->Play(engine->seGroup(), static_cast<uint32_t>(index), nullptr,
                                  nullptr);
}

// The generator's next value times 2^-32: exact in double, rounded once to float, so the
// largest values give 1.0.
float engineGetRandomValue(HSQUIRRELVM vm) {
    Engine* engine = callingEngine(vm);
    if (!engine || !engine->seededRandom()) return 0.0f;
    return static_cast<float>(static_cast<double>(pelRandNext(engine->seededRandom())) * 0x1p-32);
}

int32_t engineGetRandomRange(HSQUIRRELVM vm, int32_t a, int32_t b) {
    Engine* engine = callingEngine(vm);
    if (!engine || !engine->seededRandom()) return a < b ? a : b;
    return randomRangeInt(a, b, engine->seededRandom());
}

}  // namespace

void registerEngineNatives(const ScriptObject& table) {
    table.addFunction(u"engineRequestExit", &engineRequestExit)
        .addFunction(u"engineReload", &engineReload)
        .addFunction(u"engineResetFrameController", &engineResetFrameController)
        .addFunction(u"engineSetAudioVolume", &engineSetAudioVolume)
        .addFunction(u"engineSwitchSeGroup", &engineSwitchSeGroup)
        .addFunction(u"enginePlaySe", &enginePlaySe)
        .addFunction(u"engineGetRandomValue", &engineGetRandomValue)
        .addFunction(u"engineGetRandomRange", &engineGetRandomRange);
}
