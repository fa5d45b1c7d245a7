#pragma once
// The bootstrap and script-only engines over the engine fixture's headless System, with their
// script directories copied beside the test program from the compiled fixtures.
#include <memory>
#include <string>

#include "engine/script/script_object.h"
#include "engine/script_engines/scripted_engine.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {

class ScriptEnginesTest : public EngineTest {
protected:
    // Copies fixtures/<dir>/<name>.cnut to <dir>/<name>.cnut beside the program.
    void installScript(const std::string& directory, const std::string& name = "main");
    // Writes a file of the default pack (beside the program).
    void addPackFile(const std::string& name, const std::string& bytes) {
        writeBesideExecutable(name, bytes);
    }
    // Calls the function of that name without arguments on the engine's main task.
    static ScriptObject call(ScriptedEngine& engine, const char16_t* function);
    // A global of the engine's main script.
    static ScriptObject global(ScriptedEngine& engine, const char16_t* name);
};

}  // namespace tessera::test
