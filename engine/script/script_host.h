#pragma once

class BinManager;

// What a script task's natives reach of the engine (or other module) the task works for. The
// engine implements it; a module without byte buffers returns null.
class ScriptHost {
public:
    virtual BinManager* binManager() = 0;

protected:
    ~ScriptHost() = default;
};
