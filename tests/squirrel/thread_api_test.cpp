// Threads driven from the host the way the engine runs its script tasks: one thread per task,
// a private root table each, resumed once per frame.
#include "platform/os/utf8.h"
#include "squirrel/squirrel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_printed;

void Print(HSQUIRRELVM, const SQChar*, ...);

class ThreadApi : public ::testing::Test {
protected:
    void SetUp() override {
        v = sq_open(64);
        g_printed.clear();
        sq_setprintfunc(v, Print);
    }
    void TearDown() override { sq_close(v); }

    void Compile(const std::u16string& src, HSQUIRRELVM vm = nullptr) {
        vm = vm ? vm : v;
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(
            vm, src.c_str(), static_cast<SQInteger>(src.size()), u"task.nut", SQTrue)));
    }
    void Run(const std::u16string& src) {
        Compile(src);
        sq_pushroottable(v);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
        sq_pop(v, 1);
    }
    // A task: a thread whose root table is private and delegates to the VM's root table.
    HSQUIRRELVM StartTask(const std::u16string& src, HSQOBJECT* handle) {
        HSQUIRRELVM t = sq_newthread(v, 256);
        sq_getstackobj(v, -1, handle);
        sq_addref(v, handle);
        sq_pop(v, 1);
        sq_newtable(t);
        sq_pushroottable(v);
        sq_move(t, v, -1);
        sq_pop(v, 1);
        sq_setdelegate(t, -2);
        sq_setroottable(t);
        Compile(src, t);
        sq_pushroottable(t);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_call(t, 1, SQFalse, SQTrue)));
        return t;
    }

    HSQUIRRELVM v = nullptr;
};

void Print(HSQUIRRELVM, const SQChar*, ...) {}

SQInteger NativePrint(HSQUIRRELVM vm) {
    const SQChar* s = nullptr;
    sq_tostring(vm, 2);
    sq_getstring(vm, -1, &s);
    g_printed += platform::os::utf16ToUtf8(s);
    return 0;
}

void Register(HSQUIRRELVM vm, const SQChar* name, SQFUNCTION f) {
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    sq_newclosure(vm, f, 0);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}

TEST_F(ThreadApi, TasksAreResumedOncePerFrame) {
    Register(v, u"out", NativePrint);
    HSQOBJECT ha, hb;
    const std::u16string task =
        u"name <- vargc ? vargv[0] : \"?\"; for (local i = 0; i < 3; i++) { out(tag + i + \" \"); "
        u"suspend(); } out(tag + \"end \");";
    Run(u"::tag <- \"shared\";");
    HSQUIRRELVM a = StartTask(u"tag <- \"a\";" + task, &ha);
    HSQUIRRELVM b = StartTask(u"tag <- \"b\";" + task, &hb);
    EXPECT_EQ(sq_getvmstate(a), SQ_VMSTATE_SUSPENDED);
    EXPECT_EQ(g_printed, "a0 b0 ");
    int frames = 0;
    while (sq_getvmstate(a) == SQ_VMSTATE_SUSPENDED || sq_getvmstate(b) == SQ_VMSTATE_SUSPENDED) {
        for (HSQUIRRELVM t : {a, b}) {
            if (sq_getvmstate(t) == SQ_VMSTATE_SUSPENDED) {
                ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(t, SQFalse, SQFalse, SQTrue)));
            }
        }
        frames++;
    }
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(g_printed, "a0 b0 a1 b1 a2 b2 aend bend ");
    EXPECT_EQ(sq_getvmstate(a), SQ_VMSTATE_IDLE);
    // Each task wrote `tag` into its own root table; the shared one is untouched.
    Run(u"out(::tag);");
    EXPECT_EQ(g_printed.substr(g_printed.size() - 6), "shared");
    EXPECT_EQ(sq_getvmstate(v), SQ_VMSTATE_IDLE);
    sq_release(v, &ha);
    sq_release(v, &hb);
}

TEST_F(ThreadApi, SuspendValueIsTheCallResultAndWakeupValueTheSuspendResult) {
    HSQOBJECT h;
    HSQUIRRELVM t = sq_newthread(v, 64);
    sq_getstackobj(v, -1, &h);
    sq_addref(v, &h);
    sq_pop(v, 1);
    Compile(u"local got = suspend(41); return got * 2;", t);
    sq_pushroottable(t);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(t, 1, SQTrue, SQTrue)));
    SQInteger n = 0;
    sq_getinteger(t, -1, &n);
    EXPECT_EQ(n, 41);
    sq_pop(t, 1);
    EXPECT_EQ(sq_getvmstate(t), SQ_VMSTATE_SUSPENDED);
    sq_pushinteger(t, 50);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(t, SQTrue, SQTrue, SQTrue)));
    sq_getinteger(t, -1, &n);
    EXPECT_EQ(n, 100);
    EXPECT_EQ(sq_getvmstate(t), SQ_VMSTATE_IDLE);
    EXPECT_TRUE(SQ_FAILED(sq_wakeupvm(t, SQFalse, SQFalse, SQTrue)));
    sq_release(v, &h);
}

SQInteger CallBack(HSQUIRRELVM vm) {
    sq_push(vm, 2);
    sq_pushroottable(vm);
    return SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQFalse)) ? 1 : SQ_ERROR;
}

TEST_F(ThreadApi, SuspendIsRefusedThroughNativesAndMetamethods) {
    Register(v, u"callback", CallBack);
    Register(v, u"out", NativePrint);
    Run(u"local t = newthread(function() { callback(function() { suspend(1); }); return 2; });"
        u"try { t.call(); } catch (e) out(e + \"|\");"
        u"local u = newthread(function() { [2, 1].sort(function(a, b) { suspend(); return 0; }); "
        u"});"
        u"try { u.call(); } catch (e) out(e);");
    EXPECT_EQ(g_printed,
              "cannot suspend through native calls/metamethods|"
              "cannot suspend through native calls/metamethods");
}

// A native that starts another thread and drives it to its first suspend.
SQInteger StartOther(HSQUIRRELVM vm) {
    HSQUIRRELVM other = sq_newthread(vm, 64);
    sq_push(vm, 2);
    sq_move(other, vm, -1);
    sq_pop(vm, 1);
    sq_pushroottable(other);
    if (SQ_FAILED(sq_call(other, 1, SQTrue, SQTrue))) return SQ_ERROR;
    sq_move(vm, other, -1);
    sq_pop(other, 1);
    return 1;  // the value the other thread suspended with; the thread stays on vm's stack below
}

TEST_F(ThreadApi, NativeCallsIntoAnotherThreadFromARunningTask) {
    Register(v, u"startother", StartOther);
    Register(v, u"out", NativePrint);
    HSQOBJECT h;
    HSQUIRRELVM task = StartTask(
        u"out(startother(function() { out(\"other \"); suspend(\"from other\"); }) + \" \");"
        u"suspend(); out(\"task again\");",
        &h);
    EXPECT_EQ(g_printed, "other from other ");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(task, SQFalse, SQFalse, SQTrue)));
    EXPECT_EQ(g_printed, "other from other task again");
    sq_release(v, &h);
}

TEST_F(ThreadApi, SuspendInTheMainThreadStopsTheScript) {
    Register(v, u"out", NativePrint);
    Compile(u"out(\"before \"); suspend(7); out(\"after\");");
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    SQInteger n = 0;
    sq_getinteger(v, -1, &n);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(g_printed, "before ");
    EXPECT_EQ(sq_getvmstate(v), SQ_VMSTATE_SUSPENDED);
}

}  // namespace
