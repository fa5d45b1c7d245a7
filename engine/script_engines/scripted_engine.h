#pragma once
// What the bootstrap engine and the script-only engine share: a script directory and its root,
// four controller slots, the sound-effect group "seList", and the main task that runs the
// directory's compiled script "main" on a table of natives. The natives both engines register
// reach the calling engine through this class.
#include <array>
#include <cstdint>
#include <memory>

#include "engine/engine.h"
#include "engine/script/script_vm.h"
#include "engine/system/controller.h"
#include "engine/system/system.h"
#include "sound/LSeManager.h"

using SeGroup = mirel::LSeManager::_GROUPINFO;

class ScriptedEngine : public Engine {
public:
    // Releases the task, the controllers and the group while the VM still lives.
    ~ScriptedEngine() override;

    // The directory of the script "main", interned in this engine's VM; set by the creator
    // right after Engine::init.
    void setScriptDirectory(const char16_t* directory);
    const char16_t* scriptDirectory() const { return directory_; }
    // The directory as the scripts' files are found: lower-cased, ending in '/'; null until
    // the engine starts.
    const char16_t* scriptRoot() const { return root_; }

    // The player's controller (0 to 3), or null where the engine has none.
    Controller* controller(uint32_t player) const { return controllers_[player].get(); }
    SeGroup* seGroup() const { return seGroup_; }
    ScriptTask* mainTask() const { return task_.get(); }

    // Unloads the current group and, when the name is not empty, loads the group of that name
    // from the script root ("<name>.prp", sound type 1); a missing file leaves none.
    void switchSeGroup(const char16_t* name);

    // Refreshes the controllers, resumes the main task once and updates the sprite renderers.
    void update() override;

protected:
    ScriptedEngine() = default;

    void internScriptRoot();
    // One ControllerInput, without recording, per System controller that exists; the other
    // slots get a ControllerNone when `fillEmpty` is set, else stay empty.
    void createControllers(bool fillEmpty);
    void releaseControllers();
    void releaseTask();
    void unloadSeGroup();
    // A new table delegating to the VM's root table, the natives in it, and a task on it that
    // runs "main" of the script root and its "init". A missing "main" leaves a task that does
    // nothing.
    void runMain(void (*registerNatives)(const ScriptObject& table));

private:
    mirel::LSeManager* seManager() const;

    const char16_t* directory_ = nullptr;
    const char16_t* root_ = nullptr;
    SeGroup* seGroup_ = nullptr;
    std::array<std::unique_ptr<Controller>, kSystemControllers> controllers_;
    std::unique_ptr<ScriptTask> task_;
};

// The calling task's engine when it is a bootstrap or script-only engine, else null.
ScriptedEngine* callingScriptedEngine(HSQUIRRELVM vm);
// The calling task's engine of any kind, or null (a VM of no engine).
Engine* callingEngine(HSQUIRRELVM vm);
