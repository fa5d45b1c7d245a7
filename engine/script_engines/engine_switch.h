#pragma once
// Engine switching: a script prepares the next engine and records it in the System; the main
// loop runs it once the running engine has been asked to exit.
class Engine;
class ScriptObject;
class ScriptValueBuffer;
class System;

namespace simple {
class Engine;
}
namespace basic {
class Engine;
}

// Records the engine as the System's next engine. A next engine recorded earlier and not yet
// taken by the main loop is deleted with its VM.
void recordNextEngine(System& system, Engine* engine);

// A bootstrap engine bound to the System, its script directory interned in its own VM,
// recorded as the next engine.
simple::Engine* prepareNextSimpleEngine(System& system, const char16_t* directory);
// A script-only engine likewise, taking the serialised arguments (null for none).
basic::Engine* prepareNextBasicEngine(System& system, const char16_t* directory,
                                      ScriptValueBuffer* arguments);

// globalPrepareNextSimpleEngine and globalPrepareNextBasicEngine: each takes a table with the
// string "dir"; the script-only one also serialises a non-null "args" from the calling VM.
void registerSwitchNatives(const ScriptObject& table);
