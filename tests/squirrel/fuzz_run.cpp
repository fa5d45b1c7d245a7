// Fuzz target for the interpreter: compiles the input and runs it. Only straight-line code is
// run (inputs that could loop, recurse or allocate without bound are skipped), so every run
// ends; what is tested is that no operation on any values leaves its bounds.
#include "squirrel/squirrel.h"

#include <cstdint>
#include <string>

namespace {

bool MayNotTerminate(const std::string& text) {
    for (const char* word :
         {"while", "for", "do", "function", "compilestring", "array", "resize", "call", "vargv"}) {
        if (text.find(word) != std::string::npos) return true;
    }
    return false;
}

void IgnorePrint(HSQUIRRELVM, const SQChar*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (MayNotTerminate(text)) return 0;
    std::u16string units(text.begin(), text.end());
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, IgnorePrint);
    if (SQ_SUCCEEDED(sq_compilebuffer(v, units.data(), static_cast<SQInteger>(units.size()),
                                      u"fuzz", SQFalse))) {
        sq_pushroottable(v);
        sq_call(v, 1, SQFalse, SQFalse);
        sq_pop(v, 1);
    }
    sq_close(v);
    return 0;
}
