#pragma once

// What System holds of an engine: the current and the next engine run, deleted through this
// base. The engines derive from it.
class EngineBase {
public:
    virtual ~EngineBase() = default;

protected:
    EngineBase() = default;
    EngineBase(const EngineBase&) = delete;
    EngineBase& operator=(const EngineBase&) = delete;
};
