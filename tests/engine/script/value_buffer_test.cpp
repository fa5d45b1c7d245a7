#include "engine/script/value_buffer.h"

#include <string>

#include "engine/script/script_vm.h"
#include "engine/script/vec3.h"
#include "tests/engine/script/script_test_support.h"

namespace tessera::test {
namespace {

class ValueBufferTest : public ScriptTest {
protected:
    // The bytes of the value the source expression gives.
    std::string bytesOf(const char16_t* source) {
        const ScriptObject value = eval(from_.thread(), source);
        ScriptValueBuffer* buffer = ScriptValueBuffer::create(from_.vm(), value);
        std::string bytes(reinterpret_cast<const char*>(buffer->bytes()), buffer->size());
        ScriptValueBuffer::free(buffer);
        return bytes;
    }

    ScriptObject carry(const char16_t* source) {
        const ScriptObject value = eval(from_.thread(), source);
        ScriptValueBuffer* buffer = ScriptValueBuffer::create(from_.vm(), value);
        ScriptObject loaded = ScriptValueBuffer::load(buffer, to_);
        ScriptValueBuffer::free(buffer);
        return loaded;
    }

    ScriptObject loadBytes(const std::string& bytes) {
        ScriptValueBuffer buffer;
        buffer.appendBytes(bytes.size(), bytes.data());
        return ScriptValueBuffer::load(&buffer, to_);
    }

    ScriptVM from_;
    ScriptVM to_;
};

TEST_F(ValueBufferTest, ExactBytes) {
    const struct {
        const char16_t* source;
        std::string bytes;
    } cases[] = {
        {u"return {}", std::string("\x20\0\0\x0A\0\0\0\0", 8)},
        {u"return \"xy\"", std::string("\x10\0\0\x08\x02\0\0\0x\0y\0\0\0", 14)},
        {u"return -1", std::string("\x02\0\0\x05\xFF\xFF\xFF\xFF", 8)},
        {u"return 1.0", std::string("\x04\0\0\x05\0\0\x80\x3F", 8)},
        {u"return true", std::string("\x08\0\0\x01\x01\0\0\0", 8)},
        {u"return null", std::string("\x01\0\0\x01", 4)},
        {u"return [7]", std::string("\x40\0\0\x08\x01\0\0\0\x02\0\0\x05\x07\0\0\0", 16)},
        {u"return Vec3(1, 2, 3)",
         std::string("\x00\x80\0\x0A\0\0\x80\x3F\0\0\0\x40\0\0\x40\x40", 16)},
        // The mend: an uncarried value is written as null, so the count stays true.
        {u"return [print, 5]",
         std::string("\x40\0\0\x08\x02\0\0\0\x01\0\0\x01\x02\0\0\x05\x05\0\0\0", 20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            std::string(c.source, c.source + std::char_traits<char16_t>::length(c.source)));
        EXPECT_EQ(bytesOf(c.source), c.bytes);
    }
}

TEST_F(ValueBufferTest, TableKeysSurviveAsIntegersOrNames) {
    const ScriptObject t = carry(
        u"local t = {}; t[0] <- \"zero\"; t[5] <- \"five\"; t[1.5] <- 1;"
        u"t.name <- 2; t.fn <- print; return t");
    EXPECT_EQ(t.vm(), to_.vm());
    EXPECT_EQ(std::u16string(t.getStringAt(0)), u"zero");
    EXPECT_EQ(std::u16string(t.getStringAt(5)), u"five");
    EXPECT_EQ(t.getInt(u""), 1);
    EXPECT_EQ(t.getInt(u"name"), 2);
    EXPECT_TRUE(t.getSlot(u"fn").isNull());
    EXPECT_EQ(t.size(), 5);
}

TEST_F(ValueBufferTest, NestedRoundTripAcrossVms) {
    const ScriptObject t = carry(
        u"return {n = null, b = false, i = -7, f = 0.25, s = \"\u3042\", "
        u"a = [1, [2, {deep = Vec3(1, 2, 3)}]], v = Vec3(-1, 0.5, 8)}");
    ASSERT_EQ(t.getType(), OT_TABLE);
    EXPECT_TRUE(t.getSlot(u"n").isNull());
    EXPECT_EQ(t.getSlot(u"b").getType(), OT_BOOL);
    EXPECT_FALSE(t.getBool(u"b"));
    EXPECT_EQ(t.getInt(u"i"), -7);
    EXPECT_EQ(t.getFloat(u"f"), 0.25f);
    EXPECT_EQ(std::u16string(t.getString(u"s")), u"\u3042");
    const ScriptObject deep = t.getSlot(u"a").getIndex(1).getIndex(1).getSlot(u"deep");
    const Vec3* v = vec3Of(deep);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->z, 3.0f);
    EXPECT_EQ(deep.vm(), to_.vm());
    EXPECT_NE(deep.object()._unVal.raw, 0u);
    const Vec3* w = vec3Of(t.getSlot(u"v"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->x, -1.0f);
    EXPECT_EQ(w->y, 0.5f);
    // The instance is made by the target's class.
    to_.root().setObject(u"carried", t.getSlot(u"v"));
    EXPECT_EQ(eval(to_.thread(), u"return carried instanceof Vec3").object()._unVal.nInteger, 1);
    EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
}

// The mend: a value that contains itself is written with null at the repeat.
TEST_F(ValueBufferTest, SelfContainingValueEndsWithNull) {
    const ScriptObject t = carry(
        u"local t = {x = 1}; t.self <- t; local a = [0]; a.append(a);"
        u"t.arr <- a; return t");
    EXPECT_EQ(t.getInt(u"x"), 1);
    EXPECT_TRUE(t.getSlot(u"self").isNull());
    EXPECT_EQ(t.getSlot(u"arr").size(), 2);
    EXPECT_TRUE(t.getSlot(u"arr").getIndex(1).isNull());
    std::u16string deep = u"local v = 1; for (local i = 0; i < 100; i++) v = [v]; return v";
    const ScriptObject nested = carry(deep.c_str());
    int depth = 0;
    for (ScriptObject o = nested; o.getType() == OT_ARRAY; o = o.getIndex(0)) ++depth;
    EXPECT_EQ(depth, ScriptValueBuffer::kMaxDepth);
}

TEST_F(ValueBufferTest, LoadWithoutBufferIsNullOfTheTarget) {
    const ScriptObject value = ScriptValueBuffer::load(nullptr, to_);
    EXPECT_TRUE(value.isNull());
    EXPECT_EQ(value.vm(), to_.vm());
}

// The mend: every length and count is checked against the bytes left.
TEST_F(ValueBufferTest, TruncatedOrOversizedInputLoadsAsNothing) {
    const std::string cases[] = {
        std::string("\x02\0\0", 3),
        std::string("\x02\0\0\x05\xFF", 5),
        std::string("\x10\0\0\x08\x02\0\0\0x\0y\0", 12),
        std::string("\x10\0\0\x08\xFF\xFF\xFF\x7F", 8),
        std::string("\x40\0\0\x08\xFF\xFF\xFF\xFF", 8),
        std::string("\x20\0\0\x0A\x01\0\0\0\x01\0\0\x01", 12),
        std::string("\x00\x80\0\x0A\0\0\x80\x3F", 8),
        std::string("\x99\0\0\0", 4),
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(loadBytes(bytes).vm(), nullptr);
    }
    EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace tessera::test
