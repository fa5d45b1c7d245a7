#include "engine/script_engines/scripted_engine.h"

#include "engine/script/script_vm.h"
#include "engine/system/controller_input.h"
#include "model3d/object/Da3dObject.h"
#include "render3d/L3DRenderer.h"

namespace {

// The sound type of the engines' groups.
constexpr uint32_t kSeGroupType = 1;

}  // namespace

ScriptedEngine::~ScriptedEngine() {
    releaseTask();
    releaseControllers();
    unloadSeGroup();
}

void ScriptedEngine::setScriptDirectory(const char16_t* directory) {
    directory_ = vm()->internPath(directory ? directory : u"");
}

void ScriptedEngine::internScriptRoot() { root_ = vm()->internPath(directory_ ? directory_ : u""); }

void ScriptedEngine::switchSeGroup(const char16_t* name) {
    unloadSeGroup();
    if (name && name[0])
        seGroup_ = Da3dObject::loadProperties(*system(), name, u"", kSeGroupType, root_);
}

void ScriptedEngine::update() {
    for (const std::unique_ptr<Controller>& controller : controllers_)
        if (controller) controller->refresh();
    if (task_) task_->update();
    Engine::update();
}

void ScriptedEngine::createControllers(bool fillEmpty) {
    for (uint32_t slot = 0; slot < kSystemControllers; ++slot) {
        if (system()->controller(slot)) {
            controllers_[slot] = std::make_unique<ControllerInput>(CONTROLLER_RECORD_NONE,
                                                                   system()->controllerSlot(slot));
        } else if (fillEmpty) {
            controllers_[slot] = std::make_unique<ControllerNone>(CONTROLLER_RECORD_NONE);
        }
    }
}

void ScriptedEngine::releaseControllers() {
    for (std::unique_ptr<Controller>& controller : controllers_) controller.reset();
}

void ScriptedEngine::releaseTask() { task_.reset(); }

void ScriptedEngine::unloadSeGroup() {
    if (!seGroup_) return;
    if (mirel::LSeManager* manager = seManager()) manager->UnloadGroup(seGroup_);
    seGroup_ = nullptr;
}

void ScriptedEngine::runMain(void (*registerNatives)(const ScriptObject& table)) {
    const ScriptObject table = ScriptObject::newTableWithDelegate(*vm(), nullptr);
    registerNatives(table);
    task_ = std::make_unique<ScriptTask>(*vm(), table);
    task_->runFile(root_, u"main", this, this);
}

mirel::LSeManager* ScriptedEngine::seManager() const {
    if (!system() || !system()->renderer()) return nullptr;
    return system()->renderer()->seManager.get();
}

ScriptedEngine* callingScriptedEngine(HSQUIRRELVM vm) {
    return dynamic_cast<ScriptedEngine*>(callingEngine(vm));
}

Engine* callingEngine(HSQUIRRELVM vm) {
    ScriptTaskContext* context = scriptContext(vm);
    return context ? dynamic_cast<Engine*>(context->engine) : nullptr;
}
