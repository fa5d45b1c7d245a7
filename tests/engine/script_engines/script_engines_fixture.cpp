#include "tests/engine/script_engines/script_engines_fixture.h"

#include <cstdlib>

#include "engine/script/script_vm.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {

void ScriptEnginesTest::installScript(const std::string& directory, const std::string& name) {
    const char* fixtures = std::getenv("ENGINE_SCRIPT_ENGINES_FIXTURES");
    ASSERT_NE(fixtures, nullptr);
    const std::string file = directory + "/" + name + ".cnut";
    writeBesideExecutable(file, readFileBytes(std::string(fixtures) + "/" + file));
}

ScriptObject ScriptEnginesTest::call(ScriptedEngine& engine, const char16_t* function) {
    ScriptTask* task = engine.mainTask();
    if (!task) return ScriptObject();
    const ScriptObject closure = task->getRootTable().getSlot(function);
    if (closure.isNull()) return ScriptObject();
    return ScriptCall::prepareOnTask(task->thread(), closure).run();
}

ScriptObject ScriptEnginesTest::global(ScriptedEngine& engine, const char16_t* name) {
    ScriptTask* task = engine.mainTask();
    return task ? task->getRootTable().getSlot(name) : ScriptObject();
}

}  // namespace tessera::test
