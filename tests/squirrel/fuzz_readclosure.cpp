// Fuzz target: any byte string given to sq_readclosure is refused cleanly, or loads a closure
// that passed the bounds checks and can be written back.
#include "squirrel/squirrel.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

SQInteger ReadInput(SQUserPointer up, SQUserPointer dst, SQInteger size) {
    auto* in = static_cast<Input*>(up);
    if (size < 0 || in->size - in->pos < static_cast<size_t>(size)) return -1;
    memcpy(dst, in->data + in->pos, static_cast<size_t>(size));
    in->pos += static_cast<size_t>(size);
    return size;
}

SQInteger AppendBytes(SQUserPointer up, SQUserPointer src, SQInteger size) {
    static_cast<std::string*>(up)->append(static_cast<const char*>(src), static_cast<size_t>(size));
    return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HSQUIRRELVM v = sq_open(1024);
    Input in{data, size, 0};
    if (SQ_SUCCEEDED(sq_readclosure(v, ReadInput, &in))) {
        std::string stream;
        if (SQ_FAILED(sq_writeclosure(v, AppendBytes, &stream))) __builtin_trap();
    }
    sq_close(v);
    return 0;
}
