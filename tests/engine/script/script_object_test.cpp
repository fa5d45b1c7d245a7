#include "engine/script/script_object.h"

#include <functional>

#include "engine/script/script_vm.h"
#include "engine/script/vec3.h"
#include "tests/engine/script/script_test_support.h"

namespace tessera::test {
namespace {

class ScriptObjectTest : public ScriptTest {
protected:
    ScriptObject table() {
        return eval(vm_.thread(),
                    u"return {f = 2.75, n = -2.75, i = 3, one = 1, s = \"text\", t = true, "
                    u"nul = null, p = 7, jp = \"\u65E5\u672C\", arr = [10, 2.5, \"a\", true]}");
    }

    ScriptVM vm_;
};

TEST_F(ScriptObjectTest, TypedReadsConvertOrFallBack) {
    const ScriptObject t = table();
    const ScriptObject keyS = ScriptObject::fromString(vm_.vm(), u"s");
    const ScriptObject keyF = ScriptObject::fromString(vm_.vm(), u"f");
    const ScriptObject arr = t.getSlot(u"arr");
    EXPECT_EQ(t.getInt(u"f"), 2);
    EXPECT_EQ(t.getInt(u"n"), -2);
    EXPECT_EQ(t.getFloat(u"i"), 3.0f);
    EXPECT_FALSE(t.getBool(u"one"));
    EXPECT_TRUE(t.getBool(u"t"));
    EXPECT_EQ(t.getInt(u"s"), 0);
    EXPECT_EQ(t.getFloat(u"s"), 0.0f);
    EXPECT_EQ(t.getIntByKey(keyS, 9), 9);
    EXPECT_EQ(t.getIntByKey(keyF, 9), 2);
    EXPECT_EQ(t.getFloatByKey(keyS, 1.5f), 1.5f);
    EXPECT_EQ(std::u16string(t.getString(u"s")), u"text");
    EXPECT_EQ(std::u16string(t.getString(u"i")), u"");
    EXPECT_EQ(std::u16string(t.getStringByKey(keyS)), u"text");
    EXPECT_EQ(arr.getIntAtOr(0, -1), 10);
    EXPECT_EQ(arr.getIntAtOr(1, -1), 2);
    EXPECT_EQ(arr.getIntAtOr(2, -1), -1);
    EXPECT_EQ(arr.getIntAtOr(9, -1), -1);
    EXPECT_EQ(arr.getFloatAtOr(1, 0.0f), 2.5f);
    EXPECT_EQ(std::u16string(arr.getStringAt(2)), u"a");
    EXPECT_TRUE(arr.getBoolAt(3));
    EXPECT_FALSE(arr.getBoolAt(0));
    EXPECT_EQ(t.getInt(u"absent"), 0);
    EXPECT_TRUE(reports().empty());
}

TEST_F(ScriptObjectTest, NullSlotCountsAsMissing) {
    const ScriptObject t = table();
    EXPECT_FALSE(t.hasSlot(u"nul"));
    EXPECT_FALSE(t.hasSlot(u"absent"));
    EXPECT_TRUE(t.hasSlot(u"i"));
    EXPECT_TRUE(t.getSlot(u"nul").isNull());
    EXPECT_EQ(t.getSlot(u"absent").vm(), nullptr);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(t.getSlotOrError(u"nul").vm(), nullptr);
    EXPECT_EQ(t.getIndexOrError(4).vm(), nullptr);
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              (std::vector<std::u16string>{u"[] Script Error: can't find object(nul)",
                                           u"[] Script Error: can't find object(4)"}));
}

TEST_F(ScriptObjectTest, SizeCountsUnitsPairsAndElements) {
    const ScriptObject t = table();
    EXPECT_EQ(t.getSlot(u"jp").size(), 2);
    EXPECT_EQ(t.getSlot(u"arr").size(), 4);
    EXPECT_EQ(t.size(), 10);
    EXPECT_TRUE(reports().empty());
    EXPECT_LT(t.getSlot(u"i").size(), 0);
    EXPECT_TRUE(wasReported(PEL_REPORT_ERROR, u"[] Script Error: can't get object size"));
}

TEST_F(ScriptObjectTest, WritesCreateTableSlotsAndReplaceArrayElements) {
    const ScriptObject t = ScriptObject::newTable(vm_.vm());
    const ScriptObject key = ScriptObject::fromString(vm_.vm(), u"k");
    t.setInt(u"a", 1);
    t.setFloat(u"b", 0.5f);
    t.setIntByKey(key, 4);
    t.setIntAt(7, 70);
    EXPECT_EQ(t.getInt(u"a"), 1);
    EXPECT_EQ(t.getFloat(u"b"), 0.5f);
    EXPECT_EQ(t.getInt(u"k"), 4);
    EXPECT_EQ(t.getIntAtOr(7, 0), 70);
    const ScriptObject a = ScriptObject::newArray(vm_.vm(), 2);
    a.setStringAt(1, u"s");
    a.setBoolAt(0, true);
    a.append(ScriptObject::fromInt(vm_.vm(), 5));
    EXPECT_EQ(a.size(), 3);
    EXPECT_TRUE(a.getBoolAt(0));
    EXPECT_EQ(std::u16string(a.getStringAt(1)), u"s");
    EXPECT_TRUE(reports().empty());
    a.setIntAt(9, 1);
    t.append(ScriptObject::fromInt(vm_.vm(), 5));
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              (std::vector<std::u16string>{u"[] Script Error: can't set value(9)",
                                           u"[] Script Error: can't append array"}));
}

TEST_F(ScriptObjectTest, TaskTableReadsTheRootThroughItsDelegate) {
    vm_.root().setInt(u"rootOnly", 5);
    ScriptTask task(vm_, vm_.root());
    EXPECT_EQ(task.getRootTable().getInt(u"rootOnly"), 5);
    const ScriptObject child = ScriptObject::newTableWithDelegate(vm_, nullptr);
    EXPECT_EQ(child.getInt(u"rootOnly"), 5);
    eval(task, u"private <- 1");
    EXPECT_TRUE(task.getRootTable().hasSlot(u"private"));
    EXPECT_FALSE(vm_.root().hasSlot(u"private"));
}

TEST_F(ScriptObjectTest, HandlesKeepValuesAliveAndAssignToThemselves) {
    ScriptObject kept = ScriptObject::fromString(vm_.vm(), u"alive");
    ScriptObject copy = kept;
    kept = kept;
    kept.reset();
    EXPECT_TRUE(kept.isNull());
    EXPECT_EQ(kept.vm(), vm_.vm());
    sq_collectgarbage(vm_.vm());
    EXPECT_EQ(std::u16string(copy.asString()), u"alive");
    copy.assignInt(4);
    EXPECT_EQ(copy.getType(), OT_INTEGER);
    EXPECT_EQ(copy.toInt(), 4);
}

TEST_F(ScriptObjectTest, HandleFromATaskOutlivesTheTask) {
    ScriptObject kept;
    {
        ScriptTask task(vm_, vm_.root());
        kept = eval(task, u"return {a = 4}");
    }
    sq_collectgarbage(vm_.vm());
    EXPECT_EQ(kept.vm(), vm_.vm());
    EXPECT_EQ(kept.getInt(u"a"), 4);
    kept.setInt(u"b", 5);
    EXPECT_EQ(kept.getInt(u"b"), 5);
}

// The mend: a handle without VM (a failed look-up) reads as nothing, silently.
TEST_F(ScriptObjectTest, HandleWithoutVmGivesNeutralValues) {
    const ScriptObject missing = table().getSlot(u"absent").getSlot(u"deeper");
    const ScriptObject key = ScriptObject::fromString(vm_.vm(), u"k");
    EXPECT_EQ(missing.vm(), nullptr);
    EXPECT_EQ(missing.getInt(u"x"), 0);
    EXPECT_EQ(missing.getIntByKey(key, 6), 6);
    EXPECT_EQ(missing.getFloatAtOr(0, 2.5f), 2.5f);
    EXPECT_EQ(std::u16string(missing.getString(u"x")), u"");
    EXPECT_EQ(missing.getUserPointer(u"x"), nullptr);
    EXPECT_EQ(missing.getSlotOrError(u"x").vm(), nullptr);
    EXPECT_EQ(missing.getInstanceUp(), nullptr);
    EXPECT_EQ(missing.getTypeTag(), nullptr);
    EXPECT_EQ(missing.getType(), OT_NULL);
    missing.setInt(u"x", 1);
    missing.append(key);
    EXPECT_TRUE(reports().empty());
}

// Every operation, succeeding or failing, leaves the VM's stack top where it was.
TEST_F(ScriptObjectTest, EveryOperationRestoresTheStackTop) {
    const HSQUIRRELVM v = vm_.vm();
    const ScriptObject t = table();
    const ScriptObject arr = t.getSlot(u"arr");
    const ScriptObject key = ScriptObject::fromString(v, u"s");
    const ScriptObject badKey = ScriptObject::fromString(v, u"absent");
    const ScriptObject number = ScriptObject::fromInt(v, 1);
    const ScriptObject vec = eval(vm_.thread(), u"return Vec3(1, 2, 3)");
    sq_pushinteger(v, 99);  // something below, so that a stray pop would show
    const std::vector<std::function<void()>> operations = {
        [&] { ScriptObject::makeNull(v); },
        [&] { ScriptObject::fromString(v, u"x"); },
        [&] { ScriptObject::fromInt(v, 1); },
        [&] { ScriptObject::fromFloat(v, 1.0f); },
        [&] { ScriptObject::fromBool(v, 2); },
        [&] { ScriptObject::fromUserPointer(v, nullptr); },
        [&] { ScriptObject::newTable(v); },
        [&] { ScriptObject::newArray(v, 3); },
        [&] { ScriptObject::newTableWithDelegate(vm_, &t); },
        [&] { t.getType(); },
        [&] { vec.getTypeTag(); },
        [&] { number.getTypeTag(); },
        [&] { t.size(); },
        [&] { number.size(); },
        [&] { key.asString(); },
        [&] { number.asUserPointer(); },
        [&] { vec.getInstanceUp(); },
        [&] { t.getInstanceUp(); },
        [&] { t.getSlot(u"i"); },
        [&] { t.getSlot(u"absent"); },
        [&] { arr.getIndex(1); },
        [&] { arr.getIndex(40); },
        [&] { t.getObjectByKey(key); },
        [&] { t.getObjectByKeyOrError(badKey); },
        [&] { t.getSlotOrError(u"absent"); },
        [&] { t.hasSlot(u"nul"); },
        [&] { t.hasSlotByKey(key); },
        [&] { t.getIntByKey(badKey, 1); },
        [&] { t.getFloat(u"s"); },
        [&] { t.getBoolByKey(key); },
        [&] { t.getStringByKey(badKey); },
        [&] { t.getUserPointer(u"absent"); },
        [&] { t.getUserPointer(u"i"); },
        [&] { t.getUserPointerByKey(key); },
        [&] { t.setObject(u"x", number); },
        [&] { t.setObjectByKey(key, number); },
        [&] { t.setFloatByKey(key, 2.0f); },
        [&] { t.setBoolByKey(key, true); },
        [&] { arr.setFloatAt(0, 1.0f); },
        [&] { arr.setFloatAt(50, 1.0f); },
        [&] { number.setInt(u"x", 1); },
        [&] { arr.append(number); },
        [&] { t.append(number); },
        [&] { t.setDelegate(t); },
        [&] {
            ScriptArgs{v, 1}.getObject(1);
        },
        [&] {
            ScriptArgs{v, 1}.getType(3);
        },
        [&] {
            ScriptArgs{v, 1}.getFloat(1);
        },
        [&] {
            ScriptArgs{v, 1}.getInstanceUp(1);
        },
    };
    for (size_t i = 0; i < operations.size(); ++i) {
        SCOPED_TRACE(i);
        const SQInteger top = sq_gettop(v);
        operations[i]();
        EXPECT_EQ(sq_gettop(v), top);
    }
    const SQInteger base = sq_gettop(v);
    if (t.pushSlot(u"i")) {
        EXPECT_EQ(sq_gettop(v), base + 1);
        sq_pop(v, 1);
    } else {
        ADD_FAILURE() << "pushSlot";
    }
    EXPECT_FALSE(t.pushSlotByKey(badKey));
    EXPECT_EQ(sq_gettop(v), base);
}

}  // namespace
}  // namespace tessera::test
