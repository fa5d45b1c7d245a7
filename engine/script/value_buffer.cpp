#include "engine/script/value_buffer.h"

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "engine/script/script_vm.h"
#include "engine/script/vec3.h"
#include "framework/core/wide_string.h"

namespace {

class Writer {
public:
    Writer(ScriptValueBuffer& out, HSQUIRRELVM source) : out_(out), source_(source) {}

    void write(const ScriptObject& value, int depth) {
        const SQObjectType type = value.object()._type;
        switch (type) {
        case OT_NULL:
            word(OT_NULL);
            return;
        case OT_BOOL:
            word(OT_BOOL);
            word(value.object()._unVal.nInteger != 0 ? 1 : 0);
            return;
        case OT_INTEGER:
            word(OT_INTEGER);
            word(static_cast<uint32_t>(value.toInt()));
            return;
        case OT_FLOAT:
            word(OT_FLOAT);
            word(std::bit_cast<uint32_t>(value.toFloat()));
            return;
        case OT_STRING: {
            const char16_t* text = value.asString();
            const size_t length = pelStrLength(text);
            word(OT_STRING);
            word(static_cast<uint32_t>(length));
            for (size_t i = 0; i <= length; ++i) unit(text[i]);
            return;
        }
        case OT_INSTANCE:
            if (const Vec3* v = vec3Of(value)) {
                word(OT_INSTANCE);
                word(std::bit_cast<uint32_t>(v->x));
                word(std::bit_cast<uint32_t>(v->y));
                word(std::bit_cast<uint32_t>(v->z));
                return;
            }
            break;
        case OT_ARRAY:
        case OT_TABLE:
            if (depth < ScriptValueBuffer::kMaxDepth && !onPath(value)) {
                path_.push_back(value.object()._unVal.raw);
                type == OT_ARRAY ? writeArray(value, depth) : writeTable(value, depth);
                path_.pop_back();
                return;
            }
            break;
        default:
            break;
        }
        word(OT_NULL);
    }

private:
    bool onPath(const ScriptObject& value) const {
        for (uint64_t container : path_) {
            if (container == value.object()._unVal.raw) return true;
        }
        return false;
    }

    void writeArray(const ScriptObject& array, int depth) {
        const int32_t n = array.size();
        word(OT_ARRAY);
        word(static_cast<uint32_t>(n));
        for (int32_t i = 0; i < n; ++i) write(array.getIndexOrError(i), depth + 1);
    }

    void writeTable(const ScriptObject& table, int depth) {
        word(OT_TABLE);
        word(static_cast<uint32_t>(table.size()));
        const SQInteger top = sq_gettop(source_);
        sq_pushobject(source_, table.object());
        sq_pushnull(source_);
        while (SQ_SUCCEEDED(sq_next(source_, -2))) {
            write(ScriptObject::fromStack(source_, -2), depth + 1);
            write(ScriptObject::fromStack(source_, -1), depth + 1);
            sq_pop(source_, 2);
        }
        sq_settop(source_, top);
    }

    void word(uint32_t value) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value >> 16),
                                  static_cast<uint8_t>(value >> 24)};
        out_.appendBytes(4, bytes);
    }

    void unit(char16_t value) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        out_.appendBytes(2, bytes);
    }

    ScriptValueBuffer& out_;
    HSQUIRRELVM source_;
    std::vector<uint64_t> path_;
};

// Every read checks the bytes left; the first failure stops the whole read.
class Reader {
public:
    Reader(const uint8_t* bytes, size_t size, ScriptVM& target)
        : bytes_(bytes), size_(size), target_(target), vm_(target.vm()) {}

    ScriptObject read(int depth) {
        uint32_t tag = 0;
        if (failed_ || !word(&tag)) return fail();
        switch (tag) {
        case OT_NULL:
            return ScriptObject::makeNull(vm_);
        case OT_BOOL: {
            uint32_t flag = 0;
            if (!word(&flag)) return fail();
            return ScriptObject::fromBool(vm_, flag != 0);
        }
        case OT_INTEGER: {
            uint32_t bits = 0;
            if (!word(&bits)) return fail();
            return ScriptObject::fromInt(vm_, static_cast<int32_t>(bits));
        }
        case OT_FLOAT: {
            uint32_t bits = 0;
            if (!word(&bits)) return fail();
            return ScriptObject::fromFloat(vm_, std::bit_cast<float>(bits));
        }
        case OT_STRING:
            return readString();
        case OT_ARRAY:
            return depth < ScriptValueBuffer::kMaxDepth ? readArray(depth) : fail();
        case OT_TABLE:
            return depth < ScriptValueBuffer::kMaxDepth ? readTable(depth) : fail();
        case OT_INSTANCE: {
            uint32_t x = 0, y = 0, z = 0;
            if (!word(&x) || !word(&y) || !word(&z)) return fail();
            return ScriptCall::prepare(target_)
                .pushFloat(std::bit_cast<float>(x))
                .pushFloat(std::bit_cast<float>(y))
                .pushFloat(std::bit_cast<float>(z))
                .run();
        }
        default:
            return fail();
        }
    }

    bool failed() const { return failed_; }

private:
    ScriptObject fail() {
        failed_ = true;
        return ScriptObject();
    }

    size_t left() const { return size_ - position_; }

    bool word(uint32_t* out) {
        if (left() < 4) return false;
        const uint8_t* p = bytes_ + position_;
        *out = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
               (uint32_t{p[3]} << 24);
        position_ += 4;
        return true;
    }

    // n units and a terminator; the text ends at its first zero unit, as a stored string does.
    ScriptObject readString() {
        uint32_t n = 0;
        if (!word(&n) || (left() / 2) < uint64_t{n} + 1) return fail();
        std::u16string text(n, u'\0');
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* p = bytes_ + position_ + 2 * i;
            text[i] = static_cast<char16_t>(p[0] | (p[1] << 8));
        }
        position_ += (size_t{n} + 1) * 2;
        return ScriptObject::fromString(vm_, text.c_str());
    }

    ScriptObject readArray(int depth) {
        uint32_t n = 0;
        if (!word(&n) || n > left() / 4) return fail();
        ScriptObject array = ScriptObject::newArray(vm_, static_cast<int32_t>(n));
        for (uint32_t i = 0; i < n; ++i) {
            ScriptObject element = read(depth + 1);
            if (failed_) return ScriptObject();
            array.setObjectAt(static_cast<int32_t>(i), element);
        }
        return array;
    }

    ScriptObject readTable(int depth) {
        uint32_t n = 0;
        if (!word(&n) || n > left() / 8) return fail();
        ScriptObject table = ScriptObject::newTable(vm_);
        for (uint32_t i = 0; i < n; ++i) {
            ScriptObject key = read(depth + 1);
            ScriptObject value = read(depth + 1);
            if (failed_) return ScriptObject();
            if (key.object()._type == OT_INTEGER) {
                table.setObjectAt(key.toInt(), value);
            } else {
                table.setObject(key.asString(), value);
            }
        }
        return table;
    }

    const uint8_t* bytes_;
    size_t size_;
    size_t position_ = 0;
    ScriptVM& target_;
    HSQUIRRELVM vm_;
    bool failed_ = false;
};

}  // namespace

ScriptValueBuffer::ScriptValueBuffer() { pelArrayInit(&bytes_, 1, 256); }

ScriptValueBuffer::~ScriptValueBuffer() { pelArrayDestroy(&bytes_); }

void ScriptValueBuffer::appendBytes(size_t count, const void* bytes) {
    const uint32_t start = bytes_.count;
    auto* data =
        static_cast<uint8_t*>(pelArrayResize(&bytes_, start + static_cast<uint32_t>(count)));
    if (data && count) std::memcpy(data + start, bytes, count);
}

ScriptValueBuffer* ScriptValueBuffer::create(HSQUIRRELVM source, const ScriptObject& value) {
    auto* buffer = new ScriptValueBuffer();
    Writer(*buffer, source).write(value, 0);
    return buffer;
}

ScriptObject ScriptValueBuffer::load(const ScriptValueBuffer* buffer, ScriptVM& target) {
    if (!buffer) return ScriptObject::makeNull(target.vm());
    Reader reader(buffer->bytes(), buffer->size(), target);
    ScriptObject value = reader.read(0);
    return reader.failed() ? ScriptObject() : value;
}

void ScriptValueBuffer::free(ScriptValueBuffer* buffer) { delete buffer; }
