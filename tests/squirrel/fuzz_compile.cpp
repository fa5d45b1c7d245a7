// Fuzz target: any text given to the compiler is compiled or refused with a syntax error
// (never with an internal one), and a compiled closure can be written out.
#include "squirrel/squirrel.h"

#include <cstdint>
#include <string>

namespace {

SQInteger AppendBytes(SQUserPointer up, SQUserPointer src, SQInteger size) {
    static_cast<std::string*>(up)->append(static_cast<const char*>(src), static_cast<size_t>(size));
    return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i < size; i++) text.push_back(data[i]);
    HSQUIRRELVM v = sq_open(1024);
    if (SQ_SUCCEEDED(sq_compilebuffer(v, text.data(), static_cast<SQInteger>(text.size()), u"fuzz",
                                      SQFalse))) {
        std::string stream;
        if (SQ_FAILED(sq_writeclosure(v, AppendBytes, &stream))) __builtin_trap();
    } else {
        sq_getlasterror(v);
        const SQChar* msg = nullptr;
        if (SQ_SUCCEEDED(sq_getstring(v, -1, &msg))) {
            const std::u16string text(msg);
            if (text == u"internal compiler error: invalid code" ||
                text == u"internal compiler error: no target") {
                __builtin_trap();
            }
        }
    }
    sq_close(v);
    return 0;
}
