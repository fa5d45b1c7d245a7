// The C API's stack discipline and return conventions.
#include "platform/os/utf8.h"
#include "squirrel/squirrel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Api : public ::testing::Test {
protected:
    void SetUp() override { v = sq_open(8); }
    void TearDown() override { sq_close(v); }

    std::string LastError() {
        sq_getlasterror(v);
        const SQChar* s = u"";
        sq_getstring(v, -1, &s);
        std::string text = platform::os::utf16ToUtf8(s);
        sq_pop(v, 1);
        return text;
    }
    // Runs `src` with the root table as `this` and leaves its result on the stack.
    void Eval(const std::u16string& src) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(
            v, src.c_str(), static_cast<SQInteger>(src.size()), u"t.nut", SQTrue)));
        sq_pushroottable(v);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
        sq_remove(v, -2);
    }
    // Iterates the object at `idx` with sq_next, as "key:value " pairs; stops at an error.
    std::string Listing(SQInteger idx) {
        std::string out;
        sq_pushnull(v);
        const SQInteger top = sq_gettop(v);
        while (SQ_SUCCEEDED(sq_next(v, idx - 1))) {
            for (SQInteger i : {-2, -1}) {
                sq_tostring(v, i);
                out += StringAt(-1) + (i == -2 ? ":" : " ");
                sq_pop(v, 1);
            }
            sq_pop(v, 2);
        }
        EXPECT_EQ(sq_gettop(v), top);
        sq_pop(v, 1);
        return out;
    }
    std::string StringAt(SQInteger idx) {
        const SQChar* s = nullptr;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_getstring(v, idx, &s)));
        return s ? platform::os::utf16ToUtf8(s) : "";
    }

    HSQUIRRELVM v = nullptr;
};

TEST_F(Api, PushAndReadValues) {
    sq_pushinteger(v, -5);
    sq_pushfloat(v, 2.5f);
    sq_pushbool(v, SQTrue);
    sq_pushstring(v, u"h\u00e9llo", -1);
    sq_pushnull(v);
    sq_pushuserpointer(v, this);
    EXPECT_EQ(sq_gettop(v), 6);
    SQInteger i = 0;
    SQFloat f = 0;
    SQBool b = SQFalse;
    SQUserPointer p = nullptr;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, 1, &i)));
    EXPECT_EQ(i, -5);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getfloat(v, 1, &f)));  // integers read as floats
    EXPECT_EQ(f, -5.0f);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, 2, &i)));
    EXPECT_EQ(i, 2);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getbool(v, 3, &b)));
    EXPECT_EQ(b, SQTrue);
    EXPECT_EQ(StringAt(-3), "h\xC3\xA9llo");
    EXPECT_EQ(sq_getsize(v, -3), 5);
    EXPECT_EQ(sq_gettype(v, -2), OT_NULL);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getuserpointer(v, -1, &p)));
    EXPECT_EQ(p, this);
    EXPECT_TRUE(SQ_FAILED(sq_getbool(v, 1, &b)));
    EXPECT_TRUE(SQ_FAILED(sq_getuserpointer(v, 1, &p)));
    EXPECT_EQ(LastError(), "wrong argument type, expected 'userdata' got '-5'");
    sq_remove(v, -2);
    EXPECT_EQ(sq_gettop(v), 5);
    EXPECT_EQ(sq_gettype(v, -1), OT_USERPOINTER);
    sq_settop(v, 2);
    EXPECT_EQ(sq_gettop(v), 2);
    sq_settop(v, 4);
    EXPECT_EQ(sq_gettype(v, 4), OT_NULL);
    sq_pop(v, 4);
    EXPECT_EQ(sq_gettop(v), 0);
}

TEST_F(Api, GetPopsTheKeyAndLeavesTheObjectOnFailure) {
    sq_newtable(v);
    sq_pushstring(v, u"k", -1);
    sq_pushinteger(v, 3);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_pushstring(v, u"k", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    EXPECT_EQ(sq_gettop(v), 2);
    SQInteger i = 0;
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 3);
    sq_pop(v, 1);
    sq_pushstring(v, u"missing", -1);
    EXPECT_TRUE(SQ_FAILED(sq_get(v, -2)));
    EXPECT_EQ(sq_gettop(v), 1);
    EXPECT_EQ(LastError(), "the index 'missing' does not exist");
    // the table's default delegate is found by sq_get
    sq_pushstring(v, u"len", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NATIVECLOSURE);
}

TEST_F(Api, RawSetOnTablesAndArrays) {
    sq_newarray(v, 2);
    EXPECT_EQ(sq_getsize(v, -1), 2);
    sq_pushinteger(v, 1);
    sq_pushstring(v, u"x", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_rawset(v, -3)));
    sq_pushinteger(v, 5);
    sq_pushstring(v, u"y", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawset(v, -3)));  // arrays only take existing indices
    EXPECT_EQ(LastError(), "the index '5' does not exist");
    sq_pop(v, 2);
    sq_pushinteger(v, 9);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayappend(v, -2)));
    EXPECT_EQ(sq_getsize(v, -1), 3);
    sq_pushinteger(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_rawget(v, -2)));
    EXPECT_EQ(StringAt(-1), "x");
    sq_pop(v, 1);
    sq_newtable(v);
    sq_pushnull(v);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_rawset(v, -3)));
    EXPECT_EQ(LastError(), "null key");
    EXPECT_EQ(sq_gettop(v), 2);
}

TEST_F(Api, NextIteratesInNodeOrder) {
    sq_newtable(v);
    for (const char16_t* k : {u"a", u"b", u"c", u"d", u"e"}) {
        sq_pushstring(v, k, -1);
        sq_pushinteger(v, 0);
        sq_newslot(v, -3, SQFalse);
    }
    std::string order;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        order += StringAt(-2);
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(order, "acbed");
    EXPECT_EQ(sq_getsize(v, -1), 5);
}

TEST_F(Api, NextStepsLikeForeach) {
    Eval(
        uR"(class Squares { n = 0; constructor(n) { this.n = n; }
  function _nexti(prev) { local i = prev == null ? 0 : prev + 1; return i < n ? i : null; }
  function _get(i) { return i * i; } }
return Squares(3);)");
    EXPECT_EQ(Listing(-1), "0:0 1:1 2:4 ");
    Eval(u"return \"ab\";");
    EXPECT_EQ(Listing(-1), "0:97 1:98 ");
    Eval(u"class K { a = 1; function f() {} } return K;");
    EXPECT_EQ(Listing(-1).substr(0, 6), "a:1 f:");
    EXPECT_EQ(sq_gettop(v), 3);
}

TEST_F(Api, NextRefusesWhatForeachRefuses) {
    struct Case {
        const char16_t* src;
        const char* error;
    };
    const Case cases[] = {
        {u"class E {} return E();", "_nexti failed"},
        {u"class B { function _nexti(p) { return \"nokey\"; } } return B();",
         "_nexti returned an invalid idx"},
        {u"class T { function _nexti(p) { throw \"inner\"; } } return T();", "_nexti failed"},
        {u"function g() { yield 1; } return g();", "cannot iterate a generator"},
        {u"return 5;", "cannot iterate integer"},
    };
    for (const Case& c : cases) {
        Eval(c.src);
        sq_pushnull(v);
        EXPECT_TRUE(SQ_FAILED(sq_next(v, -2)));
        EXPECT_EQ(LastError(), c.error);
        EXPECT_EQ(sq_gettop(v), 2);
        sq_pop(v, 2);
    }
}

TEST_F(Api, SizeOfStringsTablesArraysAndUserDataOnly) {
    struct Case {
        const char16_t* src;
        SQInteger size;
        const char* error;
    };
    const Case cases[] = {
        {u"return \"\u65e5\u672cx\";", 3, ""},  // UTF-16 units
        {u"return { a = 1, b = 2 };", 2, ""},
        {u"return [1, 2, 3, 4];", 4, ""},
        {u"class C {} return C;", -1, "unexpected type class"},
        {u"class C {} return C();", -1, "unexpected type instance"},
        {u"return 7;", -1, "unexpected type integer"},
        {u"return null;", -1, "unexpected type null"},
    };
    for (const Case& c : cases) {
        Eval(c.src);
        EXPECT_EQ(sq_getsize(v, -1), c.size) << platform::os::utf16ToUtf8(c.src);
        if (c.size < 0) {
            EXPECT_EQ(LastError(), c.error);
        }
        sq_pop(v, 1);
    }
    sq_newuserdata(v, 12);
    EXPECT_EQ(sq_getsize(v, -1), 12);
}

TEST_F(Api, BindEnvTakesClosuresAndObjectEnvironments) {
    struct Case {
        const char16_t* env;
        const char16_t* target;
        const char* result;  // what the bound closure returns, or the error
    };
    const Case cases[] = {
        {u"return { k = \"table\" };", u"return function() { return this.k; };", "table"},
        {u"class C { static k = \"class\"; } return C;", u"return function() { return this.k; };",
         "class"},
        {u"return {};", u"return 3;", "the target is not a closure"},
        {u"return [];", u"return function() {};", "invalid environment"},
    };
    for (const Case& c : cases) {
        Eval(c.env);  // stays on the stack: the binding alone would not keep it alive
        Eval(c.target);
        sq_push(v, -2);
        if (SQ_FAILED(sq_bindenv(v, -2))) {
            EXPECT_EQ(LastError(), c.result);
            EXPECT_EQ(sq_gettop(v), 3);
            sq_pop(v, 3);
            continue;
        }
        ASSERT_EQ(sq_gettop(v), 3);  // the environment popped, the clone pushed
        sq_pushroottable(v);         // the call's own `this` gives way to the bound one
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
        EXPECT_EQ(StringAt(-1), c.result);
        sq_pop(v, 4);
    }
}

TEST_F(Api, DelegatesRefuseCycles) {
    sq_newtable(v);
    sq_newtable(v);
    sq_push(v, -2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));  // second's delegate = first
    sq_push(v, -1);
    EXPECT_TRUE(SQ_FAILED(sq_setdelegate(v, -3)));  // first's delegate = second: cycle
    EXPECT_EQ(LastError(), "delagate cycle");
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getdelegate(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
    sq_pushnull(v);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));
    EXPECT_EQ(sq_gettop(v), 2);
}

// A native with one free variable: the free variable comes after the arguments.
SQInteger NativeWithFreeVar(HSQUIRRELVM v) {
    EXPECT_EQ(sq_gettop(v), 4);  // this, 2 arguments, 1 free variable
    SQInteger a = 0, b = 0, fv = 0;
    sq_getinteger(v, 2, &a);
    sq_getinteger(v, 3, &b);
    sq_getinteger(v, 4, &fv);
    sq_pushinteger(v, a * 100 + b * 10 + fv);
    return 1;
}

SQInteger NativeThatFails(HSQUIRRELVM v) { return sq_throwerror(v, u"native failed"); }

TEST_F(Api, NativeClosuresAndCalls) {
    sq_pushroottable(v);
    sq_pushstring(v, u"nat", -1);
    sq_pushinteger(v, 7);
    sq_newclosure(v, NativeWithFreeVar, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_pushstring(v, u"fails", -1);
    sq_newclosure(v, NativeThatFails, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_pop(v, 1);

    const std::u16string src = u"return nat(1, 2) + 1000 * a;";
    ASSERT_TRUE(SQ_SUCCEEDED(
        sq_compilebuffer(v, src.data(), static_cast<SQInteger>(src.size()), u"t", SQTrue)));
    sq_pushroottable(v);
    sq_pushstring(v, u"a", -1);
    sq_pushinteger(v, 4);
    sq_newslot(v, -3, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    EXPECT_EQ(sq_gettop(v), 2);  // the closure and its result
    SQInteger r = 0;
    sq_getinteger(v, -1, &r);
    EXPECT_EQ(r, 4127);
    sq_pop(v, 2);

    const std::u16string bad = u"fails();";
    ASSERT_TRUE(SQ_SUCCEEDED(
        sq_compilebuffer(v, bad.data(), static_cast<SQInteger>(bad.size()), u"t", SQTrue)));
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQTrue, SQTrue)));
    EXPECT_EQ(sq_gettop(v), 1);
    EXPECT_EQ(LastError(), "native failed");
}

TEST_F(Api, ParamsCheckAndTypeMask) {
    sq_pushroottable(v);
    sq_pushstring(v, u"nat", -1);
    sq_pushinteger(v, 0);
    sq_newclosure(v, NativeWithFreeVar, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, 3, u".n|b i")));
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    struct Case {
        const char16_t* src;
        const char* error;
    };
    const Case cases[] = {
        {u"nat(1);", "wrong number of parameters"},
        {u"nat(\"x\", 1);",
         "parameter 1 has an invalid type 'string' ; expected: 'integer|float|bool'"},
        {u"nat(1, 1.5);", "parameter 2 has an invalid type 'float' ; expected: 'integer'"},
    };
    for (const Case& c : cases) {
        const std::u16string src = c.src;
        ASSERT_TRUE(SQ_SUCCEEDED(
            sq_compilebuffer(v, src.data(), static_cast<SQInteger>(src.size()), u"t", SQFalse)));
        sq_pushroottable(v);
        EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
        EXPECT_EQ(LastError(), c.error);
        sq_pop(v, 1);
    }
    sq_newclosure(v, NativeWithFreeVar, 0);
    EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 1, u"q")));
    EXPECT_EQ(LastError(), "invalid typemask");
}

TEST_F(Api, HandlesKeepValuesAlive) {
    HSQOBJECT handle;
    sq_pushstring(v, u"kept", -1);
    sq_getstackobj(v, -1, &handle);
    sq_addref(v, &handle);
    sq_pop(v, 1);
    sq_pushobject(v, handle);
    EXPECT_EQ(StringAt(-1), "kept");
    sq_pop(v, 1);
    EXPECT_TRUE(sq_release(v, &handle));
    sq_resetobject(&handle);
    EXPECT_EQ(handle._type, OT_NULL);
}

TEST_F(Api, UserDataAndForeignPointer) {
    int marker = 0;
    sq_setforeignptr(v, &marker);
    EXPECT_EQ(sq_getforeignptr(v), &marker);
    auto* p = static_cast<void**>(sq_newuserdata(v, sizeof(void*)));
    *p = &marker;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_settypetag(v, -1, &marker)));
    SQUserPointer data = nullptr, tag = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getuserdata(v, -1, &data, &tag)));
    EXPECT_EQ(*static_cast<void**>(data), &marker);
    EXPECT_EQ(tag, &marker);
    EXPECT_EQ(sq_getsize(v, -1), static_cast<SQInteger>(sizeof(void*)));
}

TEST_F(Api, CompileErrorsReachTheHandlerOnlyWhenAsked) {
    static std::vector<std::string> reports;
    reports.clear();
    sq_setcompilererrorhandler(v, [](HSQUIRRELVM, const SQChar* desc, const SQChar* src,
                                     SQInteger line, SQInteger column) {
        reports.push_back(platform::os::utf16ToUtf8(src) + ":" + std::to_string(line) + ":" +
                          std::to_string(column) + ": " + platform::os::utf16ToUtf8(desc));
    });
    const std::u16string bad = u"local a = 1;\n/* x\n */ local b = @x;";
    EXPECT_TRUE(SQ_FAILED(
        sq_compilebuffer(v, bad.data(), static_cast<SQInteger>(bad.size()), u"s.nut", SQFalse)));
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(SQ_FAILED(
        sq_compilebuffer(v, bad.data(), static_cast<SQInteger>(bad.size()), u"s.nut", SQTrue)));
    ASSERT_EQ(reports.size(), 1u);
    // the column keeps counting across the newline inside the block comment
    EXPECT_EQ(reports[0], "s.nut:3:21: string expected");
    EXPECT_EQ(LastError(), "string expected");
    EXPECT_EQ(sq_gettop(v), 0);
}

TEST_F(Api, ArrayFunctionsKeepTheStackBalanced) {
    sq_newarray(v, 0);
    for (SQInteger i = 1; i <= 4; i++) {
        sq_pushinteger(v, i);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayappend(v, -2)));
    }
    sq_pushinteger(v, 9);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayinsert(v, -2, 0)));    // 9 1 2 3 4
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayremove(v, -1, 2)));    // 9 1 3 4
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayreverse(v, -1)));      // 4 3 1 9
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arraypop(v, -1, SQTrue)));  // 4 3 1, pushed 9
    SQInteger popped = 0;
    sq_getinteger(v, -1, &popped);
    EXPECT_EQ(popped, 9);
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayresize(v, -1, 5)));  // 4 3 1 null null
    EXPECT_TRUE(SQ_FAILED(sq_arrayresize(v, -1, -1)));
    EXPECT_EQ(LastError(), "negative size");
    EXPECT_TRUE(SQ_FAILED(sq_arrayremove(v, -1, 7)));
    EXPECT_EQ(LastError(), "index out of range");
    EXPECT_EQ(sq_gettop(v), 1);
    std::string listing;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        SQInteger key = 0, val = -1;
        sq_getinteger(v, -2, &key);
        sq_getinteger(v, -1, &val);
        listing += std::to_string(key) + ":" +
                   (sq_gettype(v, -1) == OT_NULL ? "n" : std::to_string(val)) + " ";
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(listing, "0:4 1:3 2:1 3:n 4:n ");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_clone(v, -1)));
    EXPECT_EQ(sq_getsize(v, -1), 5);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_clear(v, -1)));
    EXPECT_EQ(sq_getsize(v, -1), 0);
    EXPECT_EQ(sq_getsize(v, -2), 5);  // the clone is a separate array
    EXPECT_EQ(sq_gettop(v), 2);
}

TEST_F(Api, GetAndRawGetReadWeakReferencesAsTheirObject) {
    Eval(u"::obj <- { v = 7 }; local t = { w = ::obj.weakref() }; return [t, [::obj.weakref()]];");
    for (bool raw : {false, true}) {
        sq_pushinteger(v, 1);  // the array
        ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
        sq_pushinteger(v, 0);
        ASSERT_TRUE(SQ_SUCCEEDED(raw ? sq_rawget(v, -2) : sq_get(v, -2)));
        EXPECT_EQ(sq_gettype(v, -1), OT_TABLE) << raw;
        sq_pop(v, 2);
        sq_pushinteger(v, 0);  // the table
        ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
        sq_pushstring(v, u"w", -1);
        ASSERT_TRUE(SQ_SUCCEEDED(raw ? sq_rawget(v, -2) : sq_get(v, -2)));
        EXPECT_EQ(sq_gettype(v, -1), OT_TABLE) << raw;
        sq_pop(v, 2);
    }
    // Once the object is gone the slot reads as null but is still there.
    sq_pushroottable(v);
    sq_pushstring(v, u"obj", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_deleteslot(v, -2, SQFalse)));
    sq_pop(v, 1);
    sq_pushinteger(v, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pushstring(v, u"w", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_rawget(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 3);
}

TEST_F(Api, CallingUserDataWithoutAWorkingCallNamesTheType) {
    sq_pushroottable(v);
    for (const char16_t* name : {u"plain", u"failing", u"working"}) {
        sq_pushstring(v, name, -1);
        sq_newuserdata(v, 4);
        if (name[0] != u'p') {
            Eval(name[0] == u'f' ? u"return { _call = function(self) { throw \"inner\"; } };"
                                 : u"return { _call = function(self, x) { return x * 2; } };");
            ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));
        }
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    }
    sq_pop(v, 1);
    Eval(
        u"local r = ::working(21); foreach (f in [::plain, ::failing]) "
        u"try { f(); } catch (e) r += \" \" + e; return r;");
    EXPECT_EQ(StringAt(-1), "42 attempt to call 'userdata' attempt to call 'userdata'");
    sq_pop(v, 1);
}

TEST_F(Api, DeleteSlotReturnsTheValue) {
    sq_newtable(v);
    sq_pushstring(v, u"k", -1);
    sq_pushstring(v, u"v", -1);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, u"k", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_deleteslot(v, -2, SQTrue)));
    EXPECT_EQ(StringAt(-1), "v");
    sq_pop(v, 1);
    EXPECT_EQ(sq_getsize(v, -1), 0);
    sq_pushstring(v, u"k", -1);
    EXPECT_TRUE(SQ_FAILED(sq_deleteslot(v, -2, SQFalse)));
    EXPECT_EQ(LastError(), "the index 'k' does not exist");
    sq_pop(v, 1);
    sq_pushstring(v, u"k", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_rawdeleteslot(v, -2, SQTrue)));  // missing: pushes null
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    EXPECT_EQ(sq_gettop(v), 2);
}

std::vector<std::string> g_handled;

SQInteger RecordError(HSQUIRRELVM v) {
    // called with (root table, error value)
    EXPECT_EQ(sq_gettop(v), 2);
    EXPECT_EQ(sq_gettype(v, 1), OT_TABLE);
    const SQChar* msg = u"?";
    sq_getstring(v, 2, &msg);
    g_handled.push_back(platform::os::utf16ToUtf8(msg));
    return 0;
}

TEST_F(Api, ErrorHandlerRunsWhenAnErrorLeavesAnInvocationWithoutTrap) {
    sq_newclosure(v, RecordError, 0);
    sq_seterrorhandler(v);
    EXPECT_EQ(sq_gettop(v), 0);
    struct Case {
        const char16_t* src;
        std::vector<std::string> handled;
        bool fails;
    };
    const Case cases[] = {
        {u"throw \"plain\";", {"plain"}, true},
        {u"try { throw \"caught\"; } catch (e) {}", {}, false},
        {u"function f() { throw \"in pcall\"; } try { f.pcall(this); } catch (e) {}", {}, false},
        {u"function f() { throw \"in call\"; } try { f.call(this); } catch (e) {}",
         {"in call"},
         false},
    };
    for (const Case& c : cases) {
        g_handled.clear();
        const std::u16string src = c.src;
        ASSERT_TRUE(SQ_SUCCEEDED(
            sq_compilebuffer(v, src.data(), static_cast<SQInteger>(src.size()), u"t", SQFalse)));
        sq_pushroottable(v);
        EXPECT_EQ(SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)), c.fails);
        sq_pop(v, 1);
        EXPECT_EQ(g_handled, c.handled);
        EXPECT_EQ(sq_gettop(v), 0);
    }
}

}  // namespace
