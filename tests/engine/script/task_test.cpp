#include <gtest/gtest.h>

#include "engine/script/script_vm.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

class TaskTest : public ScriptTest {
protected:
    ScriptVM vm_;
};

TEST_F(TaskTest, WorkThatNeverSuspendsEndsInTheFirstUpdate) {
    ScriptTask task(vm_, vm_.root());
    const ScriptObject init =
        task.runPathAndInit(fixturePath("work_returns").c_str(), nullptr, nullptr);
    EXPECT_EQ(std::u16string(init.asString()), u"ready");
    EXPECT_EQ(task.update().toInt(), 7);
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_EQ(task.getRootTable().getInt(u"runs"), 1);
    EXPECT_FALSE(vm_.root().hasSlot(u"runs"));
    EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
}

TEST_F(TaskTest, SuspendValueComesBackFromUpdate) {
    ScriptTask task(vm_, vm_.root());
    EXPECT_EQ(task.runPathAndInit(fixturePath("work_suspends").c_str(), nullptr, nullptr).vm(),
              nullptr);
    const SQInteger top = sq_gettop(task.vm());
    EXPECT_EQ(task.update().toInt(), 5);
    EXPECT_TRUE(task.isSuspended());
    EXPECT_EQ(task.update().toInt(), 9);
    EXPECT_FALSE(task.isSuspended());
    EXPECT_EQ(sq_gettop(task.vm()), top);
    EXPECT_EQ(std::u16string(task.getRootTable().getString(u"resumedWith")), u"null");
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
}

TEST_F(TaskTest, WorkStartsWithoutInit) {
    ScriptTask task(vm_, vm_.root());
    EXPECT_EQ(task.runFile(fixturePath("").c_str(), u"no_init", nullptr, nullptr).vm(), nullptr);
    EXPECT_EQ(task.update().toInt(), 3);
}

TEST_F(TaskTest, MissingScriptIsSilentAndNeverRuns) {
    ScriptTask task(vm_, vm_.root());
    EXPECT_EQ(task.runPathAndInit(fixturePath("no_such_script").c_str(), nullptr, nullptr).vm(),
              nullptr);
    EXPECT_EQ(task.context().scriptDirectory, nullptr);
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_TRUE(reports().empty());
}

TEST_F(TaskTest, PrintLogsTheTextUnchangedAtDebugLevel) {
    ScriptTask task(vm_, vm_.root());
    task.runPath(fixturePath("print_percent").c_str(), nullptr, nullptr, false);
    EXPECT_EQ(textsAt(PEL_REPORT_DEBUG), std::vector<std::u16string>{u"[] 100%s%d"});
}

TEST_F(TaskTest, RuntimeErrorDumpsTheCallStackAndLocals) {
    ScriptTask task(vm_, vm_.root());
    task.runPathAndInit(fixturePath("runtime_error").c_str(), nullptr, nullptr);
    const auto dump = textsAt(PEL_REPORT_DEBUG);
    ASSERT_GE(dump.size(), 6u);
    EXPECT_EQ(dump[0], u"[] Script Runtime Error: the index 'undefinedName' does not exist");
    EXPECT_EQ(dump[1], u"[CALLSTACK]");
    EXPECT_EQ(dump[2].rfind(u"*FUNCTION [init()] ", 0), 0u)
        << std::string(dump[2].begin(), dump[2].end());
    EXPECT_NE(dump[2].find(u"runtime_error.nut line [5]\n"), std::u16string::npos);
    const auto blank = std::find(dump.begin(), dump.end(), u"");
    ASSERT_NE(blank, dump.end());
    ASSERT_NE(blank + 1, dump.end());
    EXPECT_EQ(*(blank + 1), u"[LOCAL VAR]");
    const std::vector<std::u16string> locals(blank + 2, dump.end());
    const auto half = std::find(locals.begin(), locals.end(), u"[half] 1.5");
    const auto flag = std::find(locals.begin(), locals.end(), u"[flag] \"true\"");
    EXPECT_NE(half, locals.end());
    EXPECT_NE(flag, locals.end());
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{u"[] Script Error: can't run script"});
}

TEST_F(TaskTest, UnreadableScriptIsFatal) {
    TempDir temp;
    temp.write("broken.cnut", "\xFA\xFA\x01");
    ScriptTask task(vm_, vm_.root());
    task.runPathAndInit(widen(temp.file("broken")).c_str(), nullptr, nullptr);
    const auto errors = textsAt(PEL_REPORT_ERROR);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], u"Error: [File::read] ファイル操作でエラーが発生しました。");
    EXPECT_EQ(errors.back(), u"[] Script Error: can't read a closure");
    EXPECT_EQ(task.update().vm(), nullptr);
}

TEST_F(TaskTest, TopLevelSuspendRefusesToStartWork) {
    ScriptTask task(vm_, vm_.root());
    task.runPathAndInit(fixturePath("top_suspend").c_str(), nullptr, nullptr);
    EXPECT_TRUE(task.isSuspended());
    EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{
                  u"[] Script Error: can't prepare script because vm suspends now"});
}

TEST_F(TaskTest, ScriptCallsAreRefusedOnceWorkWasSuspended) {
    ScriptTask task(vm_, vm_.root());
    task.runPathAndInit(fixturePath("run_after_resume").c_str(), nullptr, nullptr);
    EXPECT_EQ(task.update().toInt(), 0);
    EXPECT_TRUE(task.update().isNull());
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{
                  u"[] Script Error: can't prepare script because vm suspends now"});
    EXPECT_FALSE(task.isSuspended());
}

TEST_F(TaskTest, ErrorAfterWakeUpEndsTheTask) {
    ScriptTask task(vm_, vm_.root());
    task.runPathAndInit(fixturePath("resume_error").c_str(), nullptr, nullptr);
    const SQInteger top = sq_gettop(task.vm());
    EXPECT_EQ(task.update().toInt(), 1);
    EXPECT_EQ(task.update().vm(), nullptr);
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{u"[] Script Error: can't continue script"});
    EXPECT_EQ(task.thread().suspendedTop, -1);
    EXPECT_EQ(sq_gettop(task.vm()), top);
    EXPECT_EQ(task.update().vm(), nullptr);
}

TEST_F(TaskTest, CompileErrorIsADebugReport) {
    const SQInteger top = sq_gettop(vm_.vm());
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(vm_.vm(), u"local = ;", 9, u"broken", SQTrue)));
    sq_settop(vm_.vm(), top);
    const auto debug = textsAt(PEL_REPORT_DEBUG);
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0].rfind(u"[] Script Compile Error[broken:1:", 0), 0u);
    EXPECT_TRUE(textsAt(PEL_REPORT_ERROR).empty());
}

TEST_F(TaskTest, VmDestroyedWithLiveTasksFreesThemWithoutRunningScripts) {
    auto* vm = new ScriptVM();
    auto* suspended = new ScriptTask(*vm, vm->root());
    suspended->runPathAndInit(fixturePath("work_suspends").c_str(), nullptr, nullptr);
    EXPECT_EQ(suspended->update().toInt(), 5);
    new ScriptTask(*vm, vm->root());
    clearReports();
    delete vm;  // ASan's leak check sees the tasks freed
    EXPECT_TRUE(reports().empty());
}

TEST_F(TaskTest, InternedNamesAreOneLowerCaseCopy) {
    const char16_t* path = vm_.internPath(u"Menu");
    EXPECT_EQ(std::u16string(path), u"menu/");
    EXPECT_EQ(vm_.internPath(u"menu/"), path);
    EXPECT_EQ(std::u16string(vm_.internPath(u"")), u"/");
    EXPECT_EQ(std::u16string(vm_.internName(u"Menu")), u"menu");
    EXPECT_NE(vm_.internName(u"menu"), path);
    const std::u16string longName(200, u'A');
    EXPECT_EQ(std::u16string(vm_.internName(longName.c_str())), std::u16string(127, u'a'));
}

}  // namespace
}  // namespace tessera::test
