#include "engine/script/core_natives.h"

#include <cmath>
#include <cstdlib>
#include <variant>

#include "engine/script/script_vm.h"
#include "engine/script/vec3.h"
#include "tests/engine/script/script_test_support.h"

namespace tessera::test {
namespace {

class CoreNativesTest : public ScriptTest {
protected:
    ScriptVM vm_;
};

struct Near {
    float value;
};
using Expected = std::variant<int32_t, float, Near, std::u16string>;

void expectValue(const ScriptObject& result, const Expected& expected) {
    if (const auto* i = std::get_if<int32_t>(&expected)) {
        ASSERT_EQ(result.getType(), OT_INTEGER);
        EXPECT_EQ(result.toInt(), *i);
    } else if (const auto* f = std::get_if<float>(&expected)) {
        ASSERT_EQ(result.getType(), OT_FLOAT);
        EXPECT_EQ(result.toFloat(), *f);
    } else if (const auto* n = std::get_if<Near>(&expected)) {
        ASSERT_EQ(result.getType(), OT_FLOAT);
        EXPECT_NEAR(result.toFloat(), n->value, 1e-4);
    } else {
        ASSERT_EQ(result.getType(), OT_STRING);
        EXPECT_EQ(std::u16string(result.asString()), std::get<std::u16string>(expected));
    }
}

TEST_F(CoreNativesTest, ValueTable) {
    struct Case {
        const char16_t* expression;
        Expected expected;
    };
    const Case cases[] = {
        {u"mathRound(2.5)", 3},
        {u"mathRound(-2.5)", -3},
        {u"mathRound(2.49)", 2},
        {u"mathRound(7)", 7},
        {u"mathRound(\"s\")", std::u16string(u"s")},
        // Beyond the integer range the truncation gives what the x86 conversion gives.
        {u"mathRound(mathPow(10, 10))", INT32_MIN},
        {u"mathRound(mathSqrt(-1))", INT32_MIN},
        {u"mathGetAbsolute(-3.5)", 3.5f},
        {u"mathGetAbsolute(-4)", 4},
        {u"mathGetAbsolute(true)", 0},
        {u"mathRoundAngle360(360)", 360.0f},
        {u"mathRoundAngle360(720.5)", 0.5f},
        {u"mathRoundAngle360(-30)", 330.0f},
        {u"mathRoundAngle180(190)", -170.0f},
        {u"mathRoundAngle180(-180)", -180.0f},
        {u"strConvert(\"03\", 7)", std::u16string(u"007")},
        {u"strConvert(\".2\", 1.5)", std::u16string(u"1.50")},
        {u"strConvert(\".2\", 2)", std::u16string(u"02")},
        {u"strConvert(\"-4\", 5)", std::u16string(u"5   ")},
        {u"strConvert(\"\", \"x\")", std::u16string(u"0")},
        // Script text never becomes a conversion of its own.
        {u"strConvert(\"s%n\", 5)", std::u16string(u"5")},
        {u"strConvert(\"%s\", 1.5)", std::u16string(u"1.500000")},
        {u"strConvert(\"1.2.3\", 5)", std::u16string(u"5")},
        {u"mathPow(2, 10)", 1024.0f},
        {u"mathSqrt(16)", 4.0f},
        {u"mathRcp(4)", 0.25f},
        {u"mathSin(90)", Near{1.0f}},
        {u"mathCos(180)", Near{-1.0f}},
        {u"mathTan(45)", Near{1.0f}},
        {u"mathAsin(1)", Near{90.0f}},
        {u"mathAcos(0)", Near{90.0f}},
        {u"mathAtan(1)", Near{45.0f}},
        {u"mathAtan2(1, 0)", Near{90.0f}},
        {u"sysGetDebugTime()", 0},
        {u"Vec3(1, 2, 3).rotateY(90).x", Near{3.0f}},
        {u"Vec3(1, 2, 3).rotateY(90).y", Near{2.0f}},
        {u"Vec3(1, 2, 3).rotateY(90).z", Near{-1.0f}},
        {u"Vec3(1, 0, 0).rotateZ(90).y", Near{1.0f}},
        {u"Vec3(1, 0, 0).rotateZ(90).x", Near{0.0f}},
        {u"Vec3(0, 1, 0).rotateX(90).z", Near{1.0f}},
        {u"Vec3(1, 0, 0).getAngleXZ()", Near{90.0f}},
        {u"Vec3(0, 0, -1).getAngleXZ()", Near{180.0f}},
        {u"Vec3(-1, 0, 0).getAngleXZ()", Near{270.0f}},
        {u"Vec3(0, 1, 0).getAngleY()", Near{270.0f}},
        {u"Vec3(0, -1, 0).getAngleY()", Near{90.0f}},
        {u"Vec3(1, 2, 3).w", 0.0f},
        {u"(function() { local v = Vec3(1, 2, 3); v.w = 9; return v.x + v.y + v.z; })()", 6.0f},
        {u"(function() { local v = Vec3(1, 2, 3); v.y = 5; return v.y; })()", 5.0f},
        {u"Vec3(2).z", 2.0f},
        {u"Vec3(Vec3(4, 5, 6)).y", 5.0f},
        {u"(function() { local v = Vec3(0); v.set(Vec3(1, 2, 3)); return v.z; })()", 3.0f},
        {u"Vec3(3, 4, 0).length()", 5.0f},
        {u"Vec3(3, 4, 12).lengthSq()", 169.0f},
        {u"Vec3(3, 9, 4).lengthXZ()", 5.0f},
        {u"Vec3(3, 9, 4).lengthXZSq()", 25.0f},
        {u"Vec3(0, -2, 0).lengthY()", 2.0f},
        {u"Vec3(0, -2, 0).lengthYSq()", 4.0f},
        {u"Vec3(0, 0, 5).normalize().z", 1.0f},
        {u"(Vec3(1, 2, 3) + Vec3(10, 20, 30)).y", 22.0f},
        {u"(Vec3(1, 2, 3) - Vec3(10, 20, 30)).z", -27.0f},
        {u"(Vec3(1, 2, 3) * 2).z", 6.0f},
        {u"(Vec3(1, 2, 4) / 4).z", 1.0f},
        {u"(-Vec3(1, 2, 3)).x", -1.0f},
        // The mend: a new Vec3 starts zeroed.
        {u"Vec3().x + Vec3().y + Vec3(1, 2).z", 0.0f},
    };
    ScriptTask task(vm_, vm_.root());
    for (const Case& c : cases) {
        const std::u16string source = std::u16string(u"return ") + c.expression;
        SCOPED_TRACE(std::string(source.begin(), source.end()));
        clearReports();
        expectValue(eval(task, source.c_str()), c.expected);
        EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
    }
}

// The mend: only a Vec3 instance is copied; another class's instance takes the number path.
TEST_F(CoreNativesTest, Vec3CopiesOnlyVec3Instances) {
    const ScriptObject result = eval(vm_.thread(), u"class Other { a = 1 } return Vec3(Other()).x");
    EXPECT_EQ(result.toFloat(), 0.0f);
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{u"[] Script Error: get float from stack(2)"});
    clearReports();
    EXPECT_EQ(
        eval(vm_.thread(), u"class Other2 { a = 1 } return (Vec3(1, 1, 1) + Other2()).x").toFloat(),
        1.0f);
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{u"[] Script Error: can't get instance up"});
}

TEST_F(CoreNativesTest, AngleWrapsEndOnHugeValues) {
    EXPECT_TRUE(
        std::isinf(eval(vm_.thread(), u"return mathRoundAngle360(mathPow(10, 39))").toFloat()));
    EXPECT_GT(eval(vm_.thread(), u"return mathRoundAngle180(mathPow(10, 30))").toFloat(), 180.0f);
    EXPECT_TRUE(
        std::isnan(eval(vm_.thread(), u"return mathRoundAngle360(mathSqrt(-1))").toFloat()));
}

TEST_F(CoreNativesTest, SysErrorIsFatal) {
    eval(vm_.thread(), u"sysError(\"bad\")");
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{u"Error: [`anonymous-namespace'::sysError] [] bad"});
}

TEST_F(CoreNativesTest, RootDirClimbsOncePerDirectory) {
    ScriptTask task(vm_, vm_.root());
    const struct {
        const char16_t* directory;
        const char16_t* expected;
    } cases[] = {{u"a/", u"../"}, {u"a/b/", u"../../"}, {u"/", u"/"}, {u"a//b", u"..//"}};
    for (const auto& c : cases) {
        task.context().scriptDirectory = c.directory;
        EXPECT_EQ(std::u16string(eval(task, u"return sysGetRootDir()").asString()), c.expected);
    }
}

TEST_F(CoreNativesTest, SysRunResolvesAgainstTheCallersDirectoryAndRestoresIt) {
    ScriptTask task(vm_, vm_.root());
    task.runPath(fixturePath("run_parent").c_str(), nullptr, nullptr, false);
    const ScriptObject globals = task.getRootTable();
    const std::u16string before = globals.getString(u"before");
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(std::u16string(globals.getString(u"child")), before + u"../");
    EXPECT_EQ(std::u16string(globals.getString(u"after")), before);
    EXPECT_TRUE(globals.hasSlot(u"after"));
    EXPECT_FALSE(globals.hasSlot(u"missing"));
    EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
}

TEST(UnitToByte, ClampsAndRounds) {
    EXPECT_EQ(unitToByte(0.5f), 128);
    EXPECT_EQ(unitToByte(1.2f), 255);
    EXPECT_EQ(unitToByte(-0.1f), 0);
    EXPECT_EQ(unitToByte(1.0f), 255);
    EXPECT_EQ(unitToByte(0.0f), 0);
}

// A generator whose every word is the value returns it next.
PEL_RAND fixedGenerator(uint32_t value) {
    PEL_RAND generator{};
    std::fill(std::begin(generator.x), std::end(generator.x), value);
    generator.i0 = 0;
    generator.i1 = 0;
    generator.i2 = 0;
    return generator;
}

TEST(RandomRangeInt, ScalesAndStaysInRange) {
    struct Case {
        int32_t a, b;
        uint32_t r;
        int32_t expected;
    } cases[] = {
        {0, 9, 0, 0},
        {9, 0, 0x80000000u, 5},
        {-5, 5, 0x40000000u, -3},
        // r * 10 rounds up to 10 * 2^32 in single precision: the result is clamped to hi.
        {0, 9, 0xFFFFFFFFu, 9},
        {7, 7, 0xFFFFFFFFu, 7},
        {INT32_MIN, INT32_MAX, 0xFFFFFFFFu, INT32_MAX},
        {INT32_MIN, INT32_MAX, 0, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r);
        PEL_RAND generator = fixedGenerator(c.r);
        EXPECT_EQ(randomRangeInt(c.a, c.b, &generator), c.expected);
    }
}

}  // namespace
}  // namespace tessera::test
