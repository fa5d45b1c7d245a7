// The input natives of the engines' contexts: the input script and the players' controllers.
#include "engine/script/script_native.h"
#include "engine/script_engines/scripted_engine.h"
#include "engine/script_engines/shared_natives.h"
#include "engine/system/system_input.h"

namespace {

void inputCustomize(HSQUIRRELVM vm, const char16_t* path) {
    Engine* engine = callingEngine(vm);
    if (engine && engine->system()->input())
        registerInputNatives(engine->system()->input(), path, nullptr);
}

// The player's controller: a negative player reads as player 0; one above 3 finds none, with
// a message. Null also where the engine has no controller for the player.
const Controller* playerController(HSQUIRRELVM vm, int32_t player) {
    const ScriptedEngine* engine = callingScriptedEngine(vm);
    if (!engine) return nullptr;
    if (player < 0) player = 0;
    if (player >= static_cast<int32_t>(kSystemControllers)) {
        scriptReportError(PEL_REPORT_MESSAGE, u"controller player out of range(%d)", player);
        return nullptr;
    }
    return engine->controller(static_cast<uint32_t>(player));
}

// The button's entry of a plane; false for a button outside 0 to 15, with a message.
bool buttonState(const uint8_t (&plane)[kControllerButtons], int32_t button) {
    if (button < 0 || button >= static_cast<int32_t>(kControllerButtons)) {
        scriptReportError(PEL_REPORT_MESSAGE, u"controller button out of range(%d)", button);
        return false;
    }
    return plane[button] != 0;
}

// A controller that reads nothing (kind 0, a ControllerNone) does not count as existing.
bool ctrlIsExist(HSQUIRRELVM vm, int32_t player) {
    const Controller* controller = playerController(vm, player);
    return controller && controller->getKind() != 0;
}

bool ctrlGetStatus(HSQUIRRELVM vm, int32_t player, int32_t button) {
    const Controller* controller = playerController(vm, player);
    return controller && buttonState(controller->held, button);
}

bool ctrlGetEvent(HSQUIRRELVM vm, int32_t player, int32_t button) {
    const Controller* controller = playerController(vm, player);
    return controller && buttonState(controller->pressed, button);
}

}  // namespace

void registerInputControlNatives(const ScriptObject& table) {
    table.addFunction(u"inputCustomize", &inputCustomize)
        .addFunction(u"ctrlIsExist", &ctrlIsExist)
        .addFunction(u"ctrlGetStatus", &ctrlGetStatus)
        .addFunction(u"ctrlGetEvent", &ctrlGetEvent);
}
