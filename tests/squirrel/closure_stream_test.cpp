// Closure streams: round trips, and refusal of truncated or corrupted streams with the
// reference error texts (and without reading out of bounds, which ASan checks).
#include "platform/os/utf8.h"
#include "squirrel/squirrel.h"
#include "tests/squirrel/script_runner.h"
#include "tests/support/fixture_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Reader {
    const std::string* data;
    size_t pos = 0;
};

SQInteger ReadBytes(SQUserPointer up, SQUserPointer dst, SQInteger size) {
    auto* r = static_cast<Reader*>(up);
    if (size < 0 || r->data->size() - r->pos < static_cast<size_t>(size)) return -1;
    memcpy(dst, r->data->data() + r->pos, static_cast<size_t>(size));
    r->pos += static_cast<size_t>(size);
    return size;
}

SQInteger AppendBytes(SQUserPointer up, SQUserPointer src, SQInteger size) {
    static_cast<std::string*>(up)->append(static_cast<const char*>(src), static_cast<size_t>(size));
    return size;
}

// Loads `data`; on success writes the closure back into `rewritten`. Returns the error text
// (empty on success).
std::string Load(const std::string& data, std::string* rewritten = nullptr) {
    HSQUIRRELVM v = sq_open(64);
    Reader r{&data};
    std::string error;
    const SQInteger top = sq_gettop(v);
    if (SQ_SUCCEEDED(sq_readclosure(v, ReadBytes, &r))) {
        EXPECT_EQ(sq_gettop(v), top + 1);
        EXPECT_EQ(sq_gettype(v, -1), OT_CLOSURE);
        if (rewritten) {
            EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, AppendBytes, rewritten)));
        }
    } else {
        EXPECT_EQ(sq_gettop(v), top);
        sq_getlasterror(v);
        const SQChar* msg = u"?";
        sq_getstring(v, -1, &msg);
        error = platform::os::utf16ToUtf8(msg);
    }
    sq_close(v);
    return error;
}

std::string RefFile(const std::string& name) {
    return sqtest::ReadFile(tessera::test::sharedDir() + "/squirrel-ref/" + name);
}

const char* const kIoError =
    "io error, read function failure, the origin stream could be corrupted/trucated";
const char* const kCorrupted = "invalid or corrupted closure stream";

TEST(ClosureStream, ReferenceStreamsWriteBackByteForByte) {
    for (const char* name : {"closures.cnut", "errors_caught.nodebug.cnut", "str_escapes.cnut",
                             "class_native.cnut", "generator.nodebug.cnut"}) {
        const std::string data = RefFile(name);
        std::string rewritten;
        ASSERT_EQ(Load(data, &rewritten), "") << name;
        EXPECT_TRUE(rewritten == data) << name;
    }
}

TEST(ClosureStream, EveryTruncationIsRefused) {
    const std::string data = RefFile("tbl_mixed.nodebug.cnut");
    ASSERT_FALSE(data.empty());
    for (size_t len = 0; len < data.size(); len++) {
        const std::string error = Load(data.substr(0, len));
        ASSERT_EQ(error, kIoError) << "truncated at " << len;
    }
}

TEST(ClosureStream, CorruptedHeadersAndTags) {
    const std::string good = sqtest::Compile("t.nut", "local a = 1; print(a);");
    ASSERT_FALSE(good.empty());
    struct Case {
        size_t offset;
        char byte;
        const char* error;
    };
    const Case cases[] = {
        {0, 0x00, "invalid stream"},  // not FA FA
        {2, 'X', kCorrupted},         // 'SQIR' tag
        {6, 0x01, kCorrupted},        // character size 1 (an 8-bit build)
        {10, 'X', kCorrupted},        // first 'PART'
        {static_cast<size_t>(good.size() - 4), 'X', kCorrupted},  // 'TAIL'
    };
    for (const Case& c : cases) {
        std::string bad = good;
        bad[c.offset] = c.byte;
        EXPECT_EQ(Load(bad), c.error) << "offset " << c.offset;
    }
}

// Offset of the instruction section of the main function: the bytes of its first
// instruction are found by searching for a known encoding.
size_t FindInstruction(const std::string& data, const std::string& encoded) {
    const size_t pos = data.find(encoded);
    EXPECT_NE(pos, std::string::npos);
    return pos;
}

TEST(ClosureStream, InstructionsOutsideTheFunctionAreRefused) {
    // `local a = 7;` compiles to LOADINT 1 7 (arg1 = 7, op 0x02, arg0 1, arg2 0, arg3 0).
    const std::string good = sqtest::Compile("t.nut", "local a = 7; return a;");
    ASSERT_FALSE(good.empty());
    ASSERT_EQ(Load(good), "");
    const std::string loadint("\x07\x00\x00\x00\x02\x01\x00\x00", 8);
    const size_t at = FindInstruction(good, loadint);
    struct Case {
        size_t offset;
        unsigned char byte;
        const char* what;
    };
    const Case cases[] = {
        {4, 0x3D, "opcode above the last one"},
        {4, 0xFF, "opcode 0xFF"},
        {5, 0xF0, "target register beyond the stack size"},
        {4, 0x01, "LOAD of a literal that does not exist"},
        {4, 0x18, "jump far outside the function"},
        {4, 0x1B, "free variable that does not exist"},
        {4, 0x30, "closure of a function that does not exist"},
    };
    for (const Case& c : cases) {
        std::string bad = good;
        bad[at + c.offset] = static_cast<char>(c.byte);
        if (c.byte == 0x01 || c.byte == 0x18 || c.byte == 0x1B || c.byte == 0x30) {
            bad[at] = 0x70;  // arg1 = 112: no such literal, jump target, outer value or function
        }
        EXPECT_EQ(Load(bad), kCorrupted) << c.what;
    }
}

TEST(ClosureStream, ForgedCountsDoNotAllocateOrReadBeyondTheStream) {
    std::string good = sqtest::Compile("t.nut", "return \"abc\";");
    ASSERT_FALSE(good.empty());
    // The source name is the first string: tag at offset 14, length at 18.
    std::string huge = good;
    huge[18] = '\xFF';
    huge[19] = '\xFF';
    huge[20] = '\xFF';
    huge[21] = '\x7F';
    EXPECT_EQ(Load(huge), kIoError);
    std::string negative = good;
    negative[21] = '\x80';
    EXPECT_EQ(Load(negative), kCorrupted);
    std::string badtype = good;
    badtype[14] = 0x20;  // a table tag where an object is expected
    badtype[17] = 0x0A;
    EXPECT_EQ(Load(badtype), kCorrupted);
}

TEST(ClosureStream, CompiledClosureRunsAfterRoundTrip) {
    const std::string src =
        "local t = { a = 1, b = [1, 2.5, \"x\"] };\n"
        "function f(x, y = 3) : (t) { return x + y + t.b.len(); }\n"
        "function g(...) { return vargc; }\n"
        "print(f(1) + \" \" + f(1, 2) + g(3, 4) + \" \" + (-7) + \" \" + 3000000000);\n";
    const std::string cnut = sqtest::Compile("rt.nut", src);
    std::string rewritten;
    ASSERT_EQ(Load(cnut, &rewritten), "");
    EXPECT_TRUE(rewritten == cnut);
    EXPECT_EQ(sqtest::Run("rt.nut", rewritten).out, "7 62 -7 -1294967296");
}

}  // namespace
