#include "engine/script/bin_buffer.h"

#include "engine/script/script_host.h"
#include "engine/script/script_vm.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

// The least owner a task's natives need: one BinManager.
class BufferOwner final : public ScriptHost {
public:
    BinManager* binManager() override { return &buffers; }
    BinManager buffers;
};

class BinBufferTest : public ScriptTest {
protected:
    BinBufferTest() {
        registerBinaryNatives(vm_.root());
        temp_.write("data/ascending.bin", std::string("\x00\x00\x01\x02", 4));
        temp_.write("data/minus.bin", "\xFF\xFF\xFF\xFE");
        // Natives resolve paths against the calling script's directory.
        task_.context().scriptDirectory = vm_.internPath(widen(temp_.path() + "/data/").c_str());
        task_.context().engine = &owner_;
    }

    ScriptObject run(const std::u16string& source) { return eval(task_, source.c_str()); }

    TempDir temp_;
    BufferOwner owner_;
    ScriptVM vm_;
    ScriptTask task_{vm_, vm_.root()};
};

TEST_F(BinBufferTest, ByteCases) {
    const struct {
        const char16_t* source;
        int32_t expected;
    } cases[] = {
        {u"return binaryReadI32(binaryLoad(\"ascending.bin\"), 0)", 258},
        {u"return binaryReadU8(binaryLoad(\"ascending.bin\"), 3)", 2},
        {u"return binaryReadI32(binaryLoad(\"minus.bin\"), 0)", -2},
        {u"local b = binaryLoad(\"ascending.bin\"); local old = binaryWriteU8(b, 3, 300);"
         u"return old * 1000 + binaryReadU8(b, 3)",
         2255},
        {u"local b = binaryLoad(\"ascending.bin\"); binaryWriteU8(b, 2, -5);"
         u"return binaryReadU8(b, 2)",
         0},
        {u"local b = binaryLoad(\"minus.bin\"); local old = binaryWriteI32(b, 0, 1);"
         u"return old == -2 && binaryReadI32(b, 0) == 1 && binaryReadU8(b, 3) == 1"
         u" && binaryReadU8(b, 0) == 0",
         1},
        {u"local b = binaryLoad(\"../data/minus.bin\"); local v = binaryReadU8(b, 1);"
         u"binaryDestroy(b); return v",
         255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            std::string(c.source, c.source + std::char_traits<char16_t>::length(c.source)));
        const ScriptObject result = run(c.source);
        EXPECT_EQ(result.getType() == OT_BOOL ? int32_t{result.object()._unVal.nInteger != 0}
                                              : result.toInt(),
                  c.expected);
    }
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(owner_.buffers.count(), 6u);
}

TEST_F(BinBufferTest, BuffersLeftAtTeardownAreForceDestroyed) {
    run(u"binaryLoad(\"ascending.bin\"); binaryLoad(\"minus.bin\"); "
        u"binaryDestroy(binaryLoad(\"minus.bin\"));");
    EXPECT_TRUE(reports().empty());
    owner_.buffers.destroy();
    EXPECT_EQ(textsAt(PEL_REPORT_DEBUG),
              (std::vector<std::u16string>{u"Debug: [BinManager::destroy] force destroy",
                                           u"Debug: [BinManager::destroy] force destroy"}));
    EXPECT_EQ(owner_.buffers.count(), 0u);
}

// The mend: ids are checked in the calling engine's list and offsets against the size; bad
// ones read 0, write nothing and are reported at level 2.
TEST_F(BinBufferTest, BadIdsAndOffsetsAreReportedAndHarmless) {
    const struct {
        const char16_t* source;
        const char16_t* report;
    } cases[] = {
        {u"return binaryReadU8(b, 4)", u"[] Script Error: byte offset out of range(4)"},
        {u"return binaryReadU8(b, -1)", u"[] Script Error: byte offset out of range(-1)"},
        {u"return binaryReadI32(b, 1)", u"[] Script Error: byte offset out of range(1)"},
        {u"return binaryWriteI32(b, 2, 7)", u"[] Script Error: byte offset out of range(2)"},
        {u"return binaryWriteU8(b, 99, 7)", u"[] Script Error: byte offset out of range(99)"},
        {u"return binaryReadU8(stale, 0)", nullptr},
        {u"binaryDestroy(stale); return 0", nullptr},
        {u"return binaryReadU8(forged, 0)", nullptr},
    };
    run(u"b <- binaryLoad(\"ascending.bin\"); stale <- binaryLoad(\"minus.bin\");"
        u"binaryDestroy(stale);");
    task_.getRootTable().setObject(
        u"forged", ScriptObject::fromUserPointer(vm_.vm(), reinterpret_cast<void*>(0x70001)));
    // A buffer of another engine is not this engine's to touch.
    BufferOwner other;
    ScriptTask otherTask(vm_, vm_.root());
    otherTask.context().engine = &other;
    otherTask.context().scriptDirectory = task_.context().scriptDirectory;
    const ScriptObject foreign = eval(otherTask, u"return binaryLoad(\"minus.bin\")");
    vm_.root().setObject(u"foreign", foreign);
    for (const auto& c : cases) {
        SCOPED_TRACE(
            std::string(c.source, c.source + std::char_traits<char16_t>::length(c.source)));
        clearReports();
        EXPECT_EQ(run(c.source).toInt(), 0);
        const auto messages = textsAt(PEL_REPORT_MESSAGE);
        ASSERT_EQ(messages.size(), 1u);
        if (c.report) {
            EXPECT_EQ(messages[0], c.report);
        }
        EXPECT_EQ(messages[0].rfind(u"[] Script Error: ", 0), 0u);
        EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
    }
    clearReports();
    EXPECT_EQ(run(u"return binaryReadU8(foreign, 0)").toInt(), 0);
    EXPECT_EQ(textsAt(PEL_REPORT_MESSAGE).size(), 1u);
    EXPECT_EQ(run(u"return binaryReadU8(b, 3)").toInt(), 2);
    EXPECT_EQ(eval(otherTask, u"return binaryReadU8(foreign, 0)").toInt(), 255);
}

TEST_F(BinBufferTest, MissingFileIsFatal) {
    run(u"return binaryLoad(\"absent.bin\")");
    const auto errors = textsAt(PEL_REPORT_ERROR);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(u"Error: [File::create] \"", 0), 0u);
    EXPECT_EQ(owner_.buffers.count(), 0u);
}

}  // namespace
}  // namespace tessera::test
