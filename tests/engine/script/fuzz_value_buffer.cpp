// Arbitrary bytes loaded as a script value buffer into a VM.
#include <cstddef>
#include <cstdint>

#include "engine/script/script_vm.h"
#include "engine/script/value_buffer.h"
#include "framework/core/core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pelInitialize();
    static ScriptVM* vm = new ScriptVM();
    ScriptValueBuffer buffer;
    buffer.appendBytes(size, data);
    ScriptValueBuffer::load(&buffer, *vm);
    return 0;
}
