// Debug support: stack infos and locals seen from scripts and from a host error handler, and
// the debug hook.
#include "platform/os/utf8.h"
#include "squirrel/sqhost.h"
#include "squirrel/squirrel.h"
#include "tests/squirrel/script_runner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(DebugScripts, StackInfosNameFramesLinesAndLocals) {
    const char* src =
        "function inner(a, b) {\n"
        "  local c = a + b;\n"
        "  local s = getstackinfos(1);\n"
        "  print(s.func + \" \" + s.src + \" \" + s.line + \" \" + s.locals.a + s.locals.b + "
        "s.locals.c + \"|\");\n"
        "  local z = getstackinfos(0);\n"
        "  print(z.func + \" \" + z.src + \" \" + z.line + \"|\" + getstackinfos(2).func + \" \" + "
        "getstackinfos(2).line);\n"
        "  print(\"|\" + (getstackinfos(50) == null) + (getstackinfos(-1) == null));\n"
        "}\n"
        "function outer(x) { local y = x * 2; inner(x, y); }\n"
        "outer(3);\n";
    const std::string expected = "inner dbg.nut 3 369|getstackinfos NATIVE -1|outer 9|truetrue";
    EXPECT_EQ(sqtest::Run("dbg.nut", src).out, expected);
    EXPECT_EQ(sqtest::Run("dbg.nut", sqtest::Compile("dbg.nut", src, true)).out, expected);
}

TEST(DebugScripts, DebugHookSeesCallsReturnsAndLines) {
    const char* src =
        "function f() {\n"
        "  return 1;\n"
        "}\n"
        "::log <- \"\";\n"
        "setdebughook(function(t, src, line, name) { ::log += t.tochar() + line + (name ? name : "
        "\"?\") + \" \"; });\n"
        "f();\n"
        "setdebughook(null);\n"
        "print(::log);\n";
    // Without LINE instructions only calls and returns are reported.
    EXPECT_EQ(sqtest::Run("hook.nut", sqtest::Compile("hook.nut", src, false)).out, "c1f r2f ");
    EXPECT_EQ(sqtest::Run("hook.nut", sqtest::Compile("hook.nut", src, true)).out,
              "l6main c2f l2f r2f l7main ");
    // The host (`sqc run`) compiles source with debug info; `sqc compile` writes streams
    // without it.
    EXPECT_EQ(sqtest::Run("hook.nut", src).out, "l6main c2f l2f r2f l7main ");
    std::string cnut;
    std::ostringstream err;
    ASSERT_TRUE(sqhost::CompileToStream("hook.nut", src, cnut, err));
    EXPECT_EQ(sqtest::Run("hook.nut", cnut).out, "c1f r2f ");
}

std::string g_dump;

// The engine's runtime error handler: the error, then each frame with its locals.
SQInteger DumpError(HSQUIRRELVM v) {
    const SQChar* err = u"?";
    sq_getstring(v, 2, &err);
    g_dump += "error: " + platform::os::utf16ToUtf8(err) + "\n";
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++) {
        g_dump += platform::os::utf16ToUtf8(si.funcname ? si.funcname : u"unknown") + " " +
                  platform::os::utf16ToUtf8(si.source ? si.source : u"unknown") + ":" +
                  std::to_string(si.line);
        const SQChar* name = nullptr;
        for (SQUnsignedInteger i = 0;
             (name = sq_getlocal(v, static_cast<SQUnsignedInteger>(level), i)); i++) {
            sq_tostring(v, -1);
            const SQChar* text = u"";
            sq_getstring(v, -1, &text);
            if (sq_gettype(v, -2) != OT_TABLE)
                g_dump +=
                    " " + platform::os::utf16ToUtf8(name) + "=" + platform::os::utf16ToUtf8(text);
            sq_pop(v, 2);
        }
        g_dump += "\n";
    }
    return 0;
}

TEST(DebugApi, ErrorHandlerDumpsFramesAndLocals) {
    HSQUIRRELVM v = sq_open(64);
    g_dump.clear();
    sq_newclosure(v, DumpError, 0);
    sq_seterrorhandler(v);
    const std::u16string src =
        u"function fail(n) {\n  local half = n / 2;\n  throw \"bad \" + half;\n}\n"
        u"function run() {\n  local k = 8;\n  fail(k);\n}\nrun();\n";
    sq_enabledebuginfo(v, SQTrue);
    ASSERT_TRUE(SQ_SUCCEEDED(
        sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), u"err.nut", SQTrue)));
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)));
    EXPECT_EQ(g_dump,
              "error: bad 4\n"
              "fail err.nut:3 half=4 n=8\n"
              "run err.nut:7 k=8\n"
              "main err.nut:9\n");
    // A thread inherits the handler; a caught error in a pcall-style call does not report.
    g_dump.clear();
    HSQUIRRELVM t = sq_newthread(v, 64);
    const std::u16string tsrc = u"throw \"in thread\";";
    ASSERT_TRUE(SQ_SUCCEEDED(
        sq_compilebuffer(t, tsrc.c_str(), static_cast<SQInteger>(tsrc.size()), u"t.nut", SQTrue)));
    sq_pushroottable(t);
    EXPECT_TRUE(SQ_FAILED(sq_call(t, 1, SQFalse, SQTrue)));
    EXPECT_EQ(g_dump.substr(0, 17), "error: in thread\n");
    sq_pop(v, 1);
    sq_close(v);
}

}  // namespace
