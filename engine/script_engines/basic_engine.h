#pragma once
// The script-only engine for menus and other 2D screens: runs the script "main" of its
// directory with the layered sprite natives and receives an argument value from the engine
// that switched to it.
#include <memory>

#include "engine/script/script_object.h"
#include "engine/script/value_buffer.h"
#include "engine/script_engines/scripted_engine.h"

namespace basic {

class Engine : public ScriptedEngine {
public:
    Engine();
    // The arguments and a buffer never taken go first, then the base releases the task, the
    // controllers, the group and the VM.
    ~Engine() override;

    // Takes the serialised arguments (null for none), rebuilt in this engine's VM at start.
    void setArgumentBuffer(ScriptValueBuffer* buffer) { buffer_.reset(buffer); }
    const ScriptValueBuffer* argumentBuffer() const { return buffer_.get(); }

    // Set-up before the first frame: the base start, the script root, the arguments, fresh
    // subresources, the group "seList", four controllers (a ControllerNone where the System
    // has no controller) and the script "main".
    void start() override;

    // The arguments in this engine's VM; null when none were given.
    const ScriptObject& arguments() const { return arguments_; }

private:
    struct BufferFree {
        void operator()(ScriptValueBuffer* buffer) const { ScriptValueBuffer::free(buffer); }
    };

    std::unique_ptr<ScriptValueBuffer, BufferFree> buffer_;
    ScriptObject arguments_;
};

// The script-only context's natives: the shared ones, engineGetArgsVar, the layered sprite
// natives and the byte-buffer natives.
void registerNatives(const ScriptObject& table);

}  // namespace basic
