// A native class the way the engine binds its vector type: 12 bytes of inline user data, a
// native constructor, arithmetic and member metamethods written in C++.
#include "platform/os/utf8.h"
#include "squirrel/squirrel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Vec3 {
    float x, y, z;
};
static_assert(sizeof(Vec3) == 12);

int kVec3Tag;
int gReleased;

SQInteger CountRelease(SQUserPointer, SQInteger) {
    gReleased++;
    return 1;
}

Vec3* VecAt(HSQUIRRELVM v, SQInteger idx) {
    SQUserPointer p = nullptr;
    if (sq_gettype(v, idx) != OT_INSTANCE || SQ_FAILED(sq_getinstanceup(v, idx, &p, &kVec3Tag))) {
        return nullptr;
    }
    return static_cast<Vec3*>(p);
}

// A new instance of the class of `this`, holding `value`.
SQInteger ReturnVec(HSQUIRRELVM v, const Vec3& value) {
    sq_getclass(v, 1);
    sq_createinstance(v, -1);
    *VecAt(v, -1) = value;
    sq_remove(v, -2);
    return 1;
}

SQInteger Vec3Constructor(HSQUIRRELVM v) {
    Vec3* self = VecAt(v, 1);
    float f[3] = {0, 0, 0};
    for (SQInteger i = 0; i < 3 && i + 2 <= sq_gettop(v); i++) {
        if (SQ_FAILED(sq_getfloat(v, i + 2, &f[i]))) return sq_throwerror(v, u"number expected");
    }
    *self = {f[0], f[1], f[2]};
    return 0;
}

template <char Op>
SQInteger Vec3Arith(HSQUIRRELVM v) {
    const Vec3* a = VecAt(v, 1);
    const Vec3* b = VecAt(v, 2);
    if (!b) return sq_throwerror(v, u"Vec3 expected");
    if (Op == '+') return ReturnVec(v, {a->x + b->x, a->y + b->y, a->z + b->z});
    return ReturnVec(v, {a->x - b->x, a->y - b->y, a->z - b->z});
}

template <char Op>
SQInteger Vec3Scale(HSQUIRRELVM v) {
    const Vec3* a = VecAt(v, 1);
    SQFloat s = 0;
    if (SQ_FAILED(sq_getfloat(v, 2, &s))) return sq_throwerror(v, u"number expected");
    if (Op == '*') return ReturnVec(v, {a->x * s, a->y * s, a->z * s});
    return ReturnVec(v, {a->x / s, a->y / s, a->z / s});
}

SQInteger Vec3Unm(HSQUIRRELVM v) {
    const Vec3* a = VecAt(v, 1);
    return ReturnVec(v, {-a->x, -a->y, -a->z});
}

float* Component(Vec3* self, HSQUIRRELVM v) {
    const SQChar* name = nullptr;
    if (SQ_FAILED(sq_getstring(v, 2, &name))) return nullptr;
    const std::u16string key = name;
    if (key == u"x") return &self->x;
    if (key == u"y") return &self->y;
    if (key == u"z") return &self->z;
    return nullptr;
}

SQInteger Vec3Get(HSQUIRRELVM v) {
    const float* c = Component(VecAt(v, 1), v);
    if (!c) return sq_throwerror(v, u"no such component");
    sq_pushfloat(v, *c);
    return 1;
}

SQInteger Vec3Set(HSQUIRRELVM v) {
    float* c = Component(VecAt(v, 1), v);
    if (!c || SQ_FAILED(sq_getfloat(v, 3, c))) return sq_throwerror(v, u"no such component");
    return 0;
}

class NativeClass : public ::testing::Test {
protected:
    void SetUp() override {
        gReleased = 0;
        v = sq_open(64);
        sq_pushroottable(v);
        sq_pushstring(v, u"Vec3", -1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newclass(v, SQFalse)));
        ASSERT_TRUE(SQ_SUCCEEDED(sq_settypetag(v, -1, &kVec3Tag)));
        ASSERT_TRUE(SQ_SUCCEEDED(sq_setclassudsize(v, -1, sizeof(Vec3))));
        sq_setreleasehook(v, -1, CountRelease);
        const struct {
            const char16_t* name;
            SQFUNCTION f;
        } methods[] = {{u"constructor", Vec3Constructor},
                       {u"_add", Vec3Arith<'+'>},
                       {u"_sub", Vec3Arith<'-'>},
                       {u"_mul", Vec3Scale<'*'>},
                       {u"_div", Vec3Scale<'/'>},
                       {u"_unm", Vec3Unm},
                       {u"_get", Vec3Get},
                       {u"_set", Vec3Set}};
        for (const auto& m : methods) {
            sq_pushstring(v, m.name, -1);
            sq_newclosure(v, m.f, 0);
            ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
        }
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
        sq_pop(v, 1);
    }
    void TearDown() override { sq_close(v); }

    // Runs source that returns a string; the string, or "error: " and the error.
    std::string Run(const std::u16string& src) {
        const SQInteger top = sq_gettop(v);
        EXPECT_TRUE(SQ_SUCCEEDED(
            sq_compilebuffer(v, src.data(), static_cast<SQInteger>(src.size()), u"t", SQFalse)));
        sq_pushroottable(v);
        std::string result;
        if (SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse))) {
            const SQChar* s = u"";
            sq_getstring(v, -1, &s);
            result = platform::os::utf16ToUtf8(s);
        } else {
            sq_getlasterror(v);
            const SQChar* s = u"";
            sq_getstring(v, -1, &s);
            result = "error: " + platform::os::utf16ToUtf8(s);
        }
        sq_settop(v, top);
        return result;
    }

    HSQUIRRELVM v = nullptr;
};

TEST_F(NativeClass, ScriptsUseTheOperatorsAndMembers) {
    const std::string r =
        Run(uR"(
local a = Vec3(1, 2, 3), b = Vec3(4, 5, 6);
local c = a + b, d = b - a, e = a * 2, f = b / 2, g = -a;
a.x = 10;
local s = c.x + "," + c.y + "," + c.z + " " + d.x + " " + e.z + " " + f.y + " " + g.x + " " + a.x;
s += " " + (c instanceof Vec3) + " " + typeof c;
try { a.w; } catch (err) s += " / " + err;
try { a.w = 1; } catch (err) s += " / " + err;
try { a + 1; } catch (err) s += " / " + err;
return s;)");
    EXPECT_EQ(r,
              "5,7,9 3 6 2.5 -1 10 true instance / the index 'w' does not exist / the index 'w' "
              "does not exist / arith op + on between 'instance' and 'integer'");
    // Seven instances were made; none is referenced any more.
    EXPECT_EQ(gReleased, 7);
}

TEST_F(NativeClass, HostCallOfTheClassRunsTheConstructor) {
    sq_pushroottable(v);
    sq_pushstring(v, u"Vec3", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pushroottable(v);
    sq_pushfloat(v, 1.5f);
    sq_pushinteger(v, 2);
    sq_pushfloat(v, -3.0f);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 4, SQTrue, SQFalse)));
    ASSERT_EQ(sq_gettype(v, -1), OT_INSTANCE);
    const Vec3* p = VecAt(v, -1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->x, 1.5f);
    EXPECT_EQ(p->y, 2.0f);
    EXPECT_EQ(p->z, -3.0f);
    SQUserPointer tag = nullptr;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_gettypetag(v, -1, &tag)));
    EXPECT_EQ(tag, &kVec3Tag);

    // The class is locked now: its layout cannot change under live instances.
    sq_push(v, -2);
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -1, 4)));
    sq_getlasterror(v);
    const SQChar* err = u"";
    sq_getstring(v, -1, &err);
    EXPECT_EQ(platform::os::utf16ToUtf8(err), "the class is locked");
    sq_settop(v, 0);
    EXPECT_EQ(gReleased, 1);
}

TEST_F(NativeClass, TypeTagsRejectOtherClasses) {
    sq_newclass(v, SQFalse);
    sq_createinstance(v, -1);
    SQUserPointer p = this;
    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &p, &kVec3Tag)));
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, nullptr)));
    EXPECT_EQ(p, nullptr);  // no inline data and nothing set
    EXPECT_TRUE(SQ_SUCCEEDED(sq_setinstanceup(v, -1, this)));
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, nullptr)));
    EXPECT_EQ(p, this);

    // A derived class answers to its base's tag.
    sq_pushroottable(v);
    sq_pushstring(v, u"Vec3", -1);
    sq_get(v, -2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newclass(v, SQTrue)));
    sq_createinstance(v, -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, &kVec3Tag)));
    EXPECT_NE(p, nullptr);
    sq_push(v, -2);
    sq_push(v, -2);
    EXPECT_TRUE(sq_instanceof(v));
    EXPECT_TRUE(SQ_FAILED(sq_newclass(v, SQTrue)));  // the base must be a class
}

TEST_F(NativeClass, ScriptClassesExtendNativeOnes) {
    EXPECT_EQ(Run(uR"(
class Pos extends Vec3 { name = "p"; constructor(n) { name = n; ::Vec3.constructor(1, 1, 1); } }
local p = Pos("here"), q = p + p;
return p.name + " " + q.x + " " + (q instanceof Pos) + " " + (p instanceof Vec3);)"),
              "here 2 true true");
}

TEST_F(NativeClass, UserDataTakesMetamethodsFromItsDelegate) {
    // A user data whose delegate comes from a script.
    const std::u16string del =
        uR"(return {
  _get = function(k) { return "ud." + k; }, _set = function(k, val) { ::stored <- k + "=" + val; },
  _typeof = function() { return "U"; }, _tostring = function() { return "<ud>"; },
  _add = function(o) { return 40 + o; }, _unm = function() { return "minus"; },
  _call = function(self, a) { return a * 2; }, _cmp = function(o) { return -1; },
  _nexti = function(prev) { return prev == null ? "only" : null; },
  _delslot = function(k) { ::stored <- "deleted " + k; } };)";
    ASSERT_TRUE(SQ_SUCCEEDED(
        sq_compilebuffer(v, del.data(), static_cast<SQInteger>(del.size()), u"d", SQFalse)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)));
    sq_remove(v, 1);      // 1: the delegate
    sq_pushroottable(v);  // 2
    for (const char16_t* name : {u"ud", u"ud2"}) {
        sq_pushstring(v, name, -1);
        sq_newuserdata(v, 4);
        sq_push(v, 1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, 2, SQFalse)));
    }
    sq_settop(v, 0);
    EXPECT_EQ(Run(uR"(
local s = ud.x + " " + typeof ud + " " + (ud + 2) + " " + (-ud) + " " + ud(21) + " " + ("x" in ud) + " " + ud;
ud.k = 5; s += " " + ::stored;
delete ud.k; s += " " + ::stored;
foreach (k, val in ud) s += " " + k + ":" + val;
return s + " " + (ud < ud) + " " + (ud < ::ud2) + " " + (::ud2 < ud);)"),
              "ud.x U 42 minus 42 false <ud> k=5 deleted k only:ud.only false true true");
}

}  // namespace

namespace {

class ClassApi : public ::testing::Test {
protected:
    void SetUp() override { v = sq_open(64); }
    void TearDown() override { sq_close(v); }
    std::string StringAt(SQInteger idx) {
        const SQChar* s = u"";
        sq_getstring(v, idx, &s);
        return platform::os::utf16ToUtf8(s);
    }
    HSQUIRRELVM v = nullptr;
};

TEST_F(ClassApi, MembersAttributesAndBases) {
    sq_newclass(v, SQFalse);  // 1: base
    sq_pushstring(v, u"f", -1);
    sq_pushinteger(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, 1, SQFalse)));
    sq_pushstring(v, u"f", -1);
    sq_pushstring(v, u"attr", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setattributes(v, 1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);  // the old attributes
    sq_pop(v, 1);
    sq_pushstring(v, u"f", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, 1)));
    EXPECT_EQ(StringAt(-1), "attr");
    sq_pop(v, 1);
    sq_pushstring(v, u"missing", -1);
    EXPECT_TRUE(SQ_FAILED(sq_getattributes(v, 1)));
    sq_settop(v, 1);

    sq_push(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newclass(v, SQTrue)));  // 2: derived
    EXPECT_EQ(sq_gettop(v), 2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbase(v, 2)));
    HSQOBJECT a, b;
    sq_getstackobj(v, -1, &a);
    sq_getstackobj(v, 1, &b);
    EXPECT_EQ(a._unVal.pClass, b._unVal.pClass);
    sq_pop(v, 1);

    // Raw access to a class and to an instance's fields.
    sq_pushstring(v, u"g", -1);
    sq_pushinteger(v, 2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_rawset(v, 2)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, 2)));  // 3
    sq_pushstring(v, u"g", -1);
    sq_pushinteger(v, 7);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_rawset(v, 3)));
    sq_pushstring(v, u"g", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_rawget(v, 3)));
    SQInteger n = 0;
    sq_getinteger(v, -1, &n);
    EXPECT_EQ(n, 7);
    sq_pop(v, 1);
    sq_pushstring(v, u"h", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawget(v, 3)));

    // Instances lock the class; the members can still be iterated.
    sq_pushstring(v, u"late", -1);
    sq_pushinteger(v, 3);
    EXPECT_TRUE(SQ_FAILED(sq_newslot(v, 2, SQFalse)));
    sq_settop(v, 2);
    sq_pushnull(v);
    std::string keys;
    while (SQ_SUCCEEDED(sq_next(v, 2))) {
        keys += StringAt(-2);
        sq_pop(v, 2);
    }
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_NE(keys.find('f'), std::string::npos);
    EXPECT_NE(keys.find('g'), std::string::npos);
}

}  // namespace
