#include <gtest/gtest.h>

#include "engine/config/config.h"
#include "engine/script/script_object.h"
#include "tests/engine/script/script_test_support.h"

namespace tessera::test {
namespace {

class ConfigNativesTest : public ScriptTest {
protected:
    ConfigNativesTest() {
        config_.gameVersion = 123;
        config_.initScriptRecord(&record_);
        registerConfigNatives(table_);
        task_.context().engine = &record_;
    }

    void run(const char16_t* source) { eval(task_, source); }

    Config config_;
    ConfigScriptRecord record_;
    ScriptVM vm_;
    ScriptObject table_ = ScriptObject::newTableWithDelegate(vm_, &vm_.root());
    ScriptTask task_{vm_, table_};
};

TEST_F(ConfigNativesTest, FillTheRecordAndTheConfig) {
    run(uR"(
        confSetWindowClassName("ABCDEFGHIJKLMNOPQRST");
        confSetGameId(7);
        confSetGameTitleSimple("Short");
        confSetGameTitle("the game title is longer than thirty-one characters");
        confSetLogHeader("header");
        confSetInputType(0, "Pad");
        confAddInputButton(0, "A", 1, 44);
        confAddInputButton(0, "B", 2, 45);
        confSetInputType(2, "Third");
        confSetInputPadCount(2);
        confSetUpdater("maker.test", 8000, "game");
        confSetGameId(globalGetGameVersion() + 1000);
    )");
    EXPECT_EQ(std::u16string(record_.windowClassName), u"ABCDEFGHIJKLMNO");  // 15 units kept
    EXPECT_EQ(config_.gameId, 1123);
    EXPECT_EQ(std::u16string(config_.shortTitle), u"Short");
    EXPECT_EQ(std::u16string(config_.gameTitle), u"the game title is longer than t");
    EXPECT_EQ(std::u16string(record_.logHeader), u"header");
    EXPECT_EQ(record_.inputTypes[0].buttonCount, 2u);
    EXPECT_EQ(std::u16string(record_.inputTypes[0].buttons[1].name), u"B");
    EXPECT_EQ(record_.inputTypes[0].buttons[1].firstValue, 2);
    EXPECT_EQ(record_.inputTypes[0].buttons[1].secondValue, 45);
    EXPECT_EQ(record_.namedTypeCount(), 1);  // stops at the unnamed type 1
    EXPECT_EQ(record_.padCount, 2);
    EXPECT_EQ(std::u16string(record_.updaterHost), u"maker.test");
    EXPECT_EQ(record_.updaterPort, 8000);
    EXPECT_EQ(std::u16string(record_.updaterDirectory), u"game");
}

TEST_F(ConfigNativesTest, OutOfRangeTypesAndButtonsAreIgnored) {
    run(uR"(
        confSetInputType(-1, "x");
        confSetInputType(4, "x");
        confAddInputButton(4, "x", 1, 1);
        for (local i = 0; i < 17; i++) confAddInputButton(3, "b" + i, i, i);
    )");
    EXPECT_EQ(record_.inputTypes[3].buttonCount, 16u);
    EXPECT_EQ(std::u16string(record_.inputTypes[3].buttons[15].name), u"b15");
    EXPECT_EQ(record_.padCount, 0);
    EXPECT_EQ(textsAt(PEL_REPORT_MESSAGE),
              (std::vector<std::u16string>{
                  u"Message: [confSetInputType] input type -1 is out of range",
                  u"Message: [confSetInputType] input type 4 is out of range",
                  u"Message: [confAddInputButton] input type 4 is out of range",
                  u"Message: [confAddInputButton] input type 3 has no room for \"b16\""}));
}

}  // namespace
}  // namespace tessera::test
