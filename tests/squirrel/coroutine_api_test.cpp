// Generators and threads reached from host code: sq_resume and sq_getthread.
#include "platform/os/utf8.h"
#include "squirrel/squirrel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_handled;

SQInteger RecordError(HSQUIRRELVM v) {
    const SQChar* msg = u"?";
    sq_getstring(v, 2, &msg);
    g_handled.push_back(platform::os::utf16ToUtf8(msg));
    return 0;
}

class CoroutineApi : public ::testing::Test {
protected:
    void SetUp() override {
        v = sq_open(16);
        g_handled.clear();
        sq_newclosure(v, RecordError, 0);
        sq_seterrorhandler(v);
    }
    void TearDown() override { sq_close(v); }

    // Runs `src` with the root table as `this` and leaves its result on the stack.
    void Eval(const std::u16string& src) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(
            v, src.c_str(), static_cast<SQInteger>(src.size()), u"t.nut", SQTrue)));
        sq_pushroottable(v);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
        sq_remove(v, -2);
    }
    // Resumes the generator on the top and describes what came back.
    std::string Resume(SQBool raiseerror = SQTrue) {
        const SQInteger top = sq_gettop(v);
        if (SQ_FAILED(sq_resume(v, SQTrue, raiseerror))) {
            EXPECT_EQ(sq_gettop(v), top);
            return "error: " + LastError();
        }
        EXPECT_EQ(sq_gettop(v), top + 1);
        std::string out = Describe(-1);
        sq_pop(v, 1);
        return out;
    }
    std::string Describe(SQInteger idx) {
        sq_tostring(v, idx);
        const SQChar* s = u"";
        sq_getstring(v, -1, &s);
        std::string text = platform::os::utf16ToUtf8(s);
        sq_pop(v, 1);
        return text;
    }
    std::string LastError() {
        sq_getlasterror(v);
        std::string text = Describe(-1);
        sq_pop(v, 1);
        return text;
    }
    std::string Status() {
        sq_pushstring(v, u"getstatus", -1);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
        sq_push(v, -2);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)));
        std::string status = Describe(-1);
        sq_pop(v, 2);
        return status;
    }

    HSQUIRRELVM v = nullptr;
};

TEST_F(CoroutineApi, ResumePushesEachYieldThenTheResult) {
    // the result comes through a tail call, which reuses the generator's frame
    Eval(
        uR"(function id(x) { return x; }
function g(n) { for (local i = 1; i <= n; i++) yield i * 10; return id("done"); }
return g(2);)");
    EXPECT_EQ(Status(), "suspended");
    EXPECT_EQ(Resume(), "10");
    EXPECT_EQ(Resume(), "20");
    EXPECT_EQ(Resume(), "done");
    EXPECT_EQ(Status(), "dead");
    EXPECT_EQ(Resume(), "error: resuming dead generator");
    EXPECT_TRUE(g_handled.empty());
    EXPECT_EQ(sq_gettop(v), 1);
}

TEST_F(CoroutineApi, ResumeWithoutRetvalPushesNothing) {
    Eval(u"::log <- \"\"; function g() { ::log += \"a\"; yield 1; ::log += \"b\"; } return g();");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_resume(v, SQFalse, SQTrue)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_resume(v, SQFalse, SQTrue)));
    EXPECT_EQ(sq_gettop(v), 1);
    Eval(u"return ::log;");
    EXPECT_EQ(Describe(-1), "ab");
}

TEST_F(CoroutineApi, ResumeRefusesOtherValues) {
    const std::u16string others[] = {u"return function() { yield 1; };", u"return 5;",
                                     u"return newthread(function() {});"};
    for (const std::u16string& src : others) {
        Eval(src);
        EXPECT_EQ(Resume(), "error: only generators can be resumed");
        sq_pop(v, 1);
    }
    EXPECT_EQ(Resume(), "error: only generators can be resumed");  // empty stack
    EXPECT_TRUE(g_handled.empty());
}

TEST_F(CoroutineApi, ErrorsKillTheGeneratorAndReachTheHandlerWhenAsked) {
    struct Case {
        SQBool raiseerror;
        std::vector<std::string> handled;
    };
    for (const Case& c : {Case{SQTrue, {"boom"}}, Case{SQFalse, {}}}) {
        g_handled.clear();
        Eval(u"function g() { yield 1; throw \"boom\"; } return g();");
        EXPECT_EQ(Resume(c.raiseerror), "1");
        EXPECT_EQ(Resume(c.raiseerror), "error: boom");
        EXPECT_EQ(g_handled, c.handled);
        EXPECT_EQ(Status(), "dead");
        sq_pop(v, 1);
    }
}

TEST_F(CoroutineApi, TrapsInsideTheGeneratorSurviveHostResumes) {
    Eval(
        uR"(function g() { try { yield 1; throw "x"; } catch (e) { yield "caught " + e; } yield 3; }
return g();)");
    EXPECT_EQ(Resume(), "1");
    EXPECT_EQ(Resume(), "caught x");
    EXPECT_EQ(Resume(), "3");
    EXPECT_TRUE(g_handled.empty());
}

// A native that resumes the generator it gets and returns what it yielded.
SQInteger NativeResume(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_resume(v, SQTrue, SQFalse))) return SQ_ERROR;
    return 1;
}

TEST_F(CoroutineApi, NativesResumeGeneratorsThatScriptsAlsoDrive) {
    sq_pushroottable(v);
    sq_pushstring(v, u"step", -1);
    sq_newclosure(v, NativeResume, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    Eval(
        uR"(function g() { local i = 0; while (true) yield i++; }
local gen = g(); local s = step(gen) + " " + (resume gen) + " " + step(gen);
foreach (v in gen) { s += " " + v; if (v == 4) break; }
function self() { yield step(::me); } ::me <- self();
try { resume ::me; } catch (e) s += " / " + e;
return s;)");
    EXPECT_EQ(Describe(-1), "0 1 2 3 4 / resuming active generator");
}

TEST_F(CoroutineApi, GetThreadReachesAThreadMadeByAScript) {
    Eval(u"return newthread(function(a) { return a * 2; });");
    HSQUIRRELVM t = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getthread(v, -1, &t)));
    // the thread's stack holds the function newthread was given
    ASSERT_EQ(sq_gettype(t, 1), OT_CLOSURE);
    sq_pushroottable(t);
    sq_pushinteger(t, 21);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(t, 2, SQTrue, SQTrue)));
    SQInteger r = 0;
    sq_getinteger(t, -1, &r);
    EXPECT_EQ(r, 42);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_getthread(v, -1, &t)));
    EXPECT_EQ(LastError(), "wrong argument type, expected 'thread' got '1'");
}

}  // namespace
