#include "engine/script/script_native.h"

#include <functional>

#include "engine/script/script_vm.h"
#include "tests/engine/script/script_test_support.h"

namespace tessera::test {
namespace {

struct Received {
    int32_t a = 0;
    int32_t b = 0;
    bool flag = false;
    const char16_t* text = nullptr;
    ScriptObject object;
    int calls = 0;
};
Received received;

void takeInts(HSQUIRRELVM, int32_t a, int32_t b) {
    received.a = a;
    received.b = b;
    ++received.calls;
}
void takeBool(bool flag) { received.flag = flag; }
int32_t takeString(const char16_t* text) {
    received.text = text;
    return text ? 1 : 0;
}
void* nullPointer(HSQUIRRELVM) { return nullptr; }
const char16_t* nullString(HSQUIRRELVM) { return nullptr; }
int32_t first() { return 1; }
int32_t second() { return 2; }
int32_t optionCount(HSQUIRRELVM, int32_t n, ScriptObject options) {
    received.object = options;
    return n + options.getInt(u"count");
}
float half(float x) { return x / 2; }

class NativeTest : public ScriptTest {
protected:
    NativeTest() {
        received = Received{};
        vm_.root()
            .addFunction(u"takeInts", &takeInts)
            .addFunction(u"takeBool", &takeBool)
            .addFunction(u"takeString", &takeString)
            .addFunction(u"nullPointer", &nullPointer)
            .addFunction(u"nullString", &nullString)
            .addFunction(u"twice", &first)
            .addFunction(u"twice", &second)
            .addFunction(u"optionCount", &optionCount)
            .addFunction(u"half", &half);
    }
    ~NativeTest() override { received.object.release(); }

    ScriptObject run(const char16_t* source) { return eval(vm_.thread(), source); }

    ScriptVM vm_;
};

TEST_F(NativeTest, SignatureCases) {
    struct Case {
        const char16_t* source;
        std::u16string report;  // the first level-0 report, or empty for none
        std::function<void(const ScriptObject&)> check;
    };
    const Case cases[] = {
        {u"return takeInts(3.9, -3.9)", u"",
         [](const ScriptObject& r) {
             EXPECT_TRUE(r.isNull());
             EXPECT_EQ(received.a, 3);
             EXPECT_EQ(received.b, -3);
         }},
        // The holder sits at position 3 when one argument is missing.
        {u"return takeInts(1)", u"[] Script Error: get integer from stack(3)", nullptr},
        // Parameters are read from the last one down.
        {u"return takeInts()", u"[] Script Error: get integer from stack(3)",
         [](const ScriptObject&) { EXPECT_EQ(received.calls, 1); }},
        {u"takeBool(1)", u"[] Script Error: get bool from stack(2)",
         [](const ScriptObject&) { EXPECT_FALSE(received.flag); }},
        {u"takeBool(true)", u"", [](const ScriptObject&) { EXPECT_TRUE(received.flag); }},
        {u"return takeString(5)", u"[] Script Error: get string from stack(2)",
         [](const ScriptObject& r) { EXPECT_EQ(r.toInt(), 0); }},
        {u"return nullPointer()", u"",
         [](const ScriptObject& r) {
             EXPECT_EQ(r.getType(), OT_USERPOINTER);
             EXPECT_EQ(r.object()._unVal.pUserPointer, nullptr);
         }},
        {u"return nullString()", u"",
         [](const ScriptObject& r) {
             EXPECT_TRUE(r.isNull());
             EXPECT_NE(r.vm(), nullptr);
         }},
        {u"return takeInts(4, 5, 6, 7)", u"",
         [](const ScriptObject&) {
             EXPECT_EQ(received.a, 4);
             EXPECT_EQ(received.b, 5);
         }},
        {u"return twice()", u"", [](const ScriptObject& r) { EXPECT_EQ(r.toInt(), 2); }},
        {u"return half(3)", u"", [](const ScriptObject& r) { EXPECT_EQ(r.toFloat(), 1.5f); }},
        {u"return optionCount(1, {count = 4})", u"",
         [](const ScriptObject& r) { EXPECT_EQ(r.toInt(), 5); }},
        // Kept on purpose: a trailing option table left out receives the native's holder (a user
        // data), whose slots all read as their defaults.
        {u"return optionCount(1)", u"",
         [](const ScriptObject& r) {
             EXPECT_EQ(r.toInt(), 1);
             EXPECT_EQ(received.object.getType(), OT_USERDATA);
         }},
        {u"return Vec3.lengthSq.call(5)", u"[] Script Error: get instance up from stack(1)",
         [](const ScriptObject& r) { EXPECT_TRUE(r.isNull()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            std::string(c.source, c.source + std::char_traits<char16_t>::length(c.source)));
        clearReports();
        received.calls = 0;
        const ScriptObject result = run(c.source);
        const auto errors = textsAt(PEL_REPORT_ERROR);
        if (c.report.empty()) {
            EXPECT_TRUE(errors.empty());
        } else {
            ASSERT_FALSE(errors.empty());
            EXPECT_EQ(errors[0], c.report);
        }
        if (c.check) c.check(result);
    }
}

}  // namespace
}  // namespace tessera::test
