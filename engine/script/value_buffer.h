#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/script/script_object.h"
#include "framework/core/array.h"

class ScriptVM;

// A script value serialised to carry it from one VM into another: each value a little-endian
// 4-byte Squirrel type tag and its payload. Carried: null, bool, integer, float, string, array,
// table and Vec3; anything else (and a container met again inside itself, or nesting deeper
// than kMaxDepth) is written as null so that counts stay true.
class ScriptValueBuffer {
public:
    static constexpr int kMaxDepth = 64;

    static ScriptValueBuffer* create(HSQUIRRELVM source, const ScriptObject& value);
    // The value rebuilt in the target; null of the target without a buffer. Bytes that end
    // early or hold an impossible count yield the null handle without VM.
    static ScriptObject load(const ScriptValueBuffer* buffer, ScriptVM& target);
    static void free(ScriptValueBuffer* buffer);

    ScriptValueBuffer();
    ~ScriptValueBuffer();
    ScriptValueBuffer(const ScriptValueBuffer&) = delete;
    ScriptValueBuffer& operator=(const ScriptValueBuffer&) = delete;

    void appendBytes(size_t count, const void* bytes);
    const uint8_t* bytes() const { return static_cast<const uint8_t*>(bytes_.data); }
    size_t size() const { return bytes_.count; }

private:
    PEL_ARRAY bytes_;
};
