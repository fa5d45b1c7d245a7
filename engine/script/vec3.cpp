#include "engine/script/vec3.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "engine/script/script_native.h"
#include "engine/script/script_vm.h"
#include "framework/core/report.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kFullTurn = 6.2831855f;

const char kVec3Tag = 0;

float sine(float degrees) {
    return static_cast<float>(std::sin(double{degrees * kDegreesToRadians}));
}
float cosine(float degrees) {
    return static_cast<float>(std::cos(double{degrees * kDegreesToRadians}));
}

float degreesOf(float radians) {
    while (radians > kFullTurn) radians -= kFullTurn;
    while (radians < 0.0f) radians += kFullTurn;
    return radians * kRadiansToDegrees;
}

// The operand of _add and _sub: a Vec3, else the report and zeros.
Vec3 operand(const ScriptObject& other) {
    if (const Vec3* v = vec3Of(other)) return *v;
    sq_throwerror(other.vm(), u"the object is not a class instance");
    scriptReportError(PEL_REPORT_ERROR, u"can't get instance up");
    return Vec3{0.0f, 0.0f, 0.0f};
}

}  // namespace

void* vec3TypeTag() { return const_cast<char*>(&kVec3Tag); }

const Vec3* vec3Of(const ScriptObject& value) {
    if (value.object()._type != OT_INSTANCE || value.getTypeTag() != vec3TypeTag()) return nullptr;
    return static_cast<const Vec3*>(value.getInstanceUp());
}

ScriptObject makeVec3(HSQUIRRELVM vm, float x, float y, float z) {
    const ScriptTaskContext* context = scriptContext(vm);
    if (!context || !context->vm) return ScriptObject();
    return ScriptCall::prepare(*context->vm).pushFloat(x).pushFloat(y).pushFloat(z).run();
}

// One argument: a Vec3 to copy, else a number for all three; three arguments: x, y, z.
void Vec3::construct(const ScriptArgs& args) {
    if (args.top == 3) {
        if (const Vec3* other = vec3Of(ScriptObject::fromStack(args.vm, 2))) {
            *this = *other;
        } else {
            x = y = z = args.getFloat(2);
        }
    } else if (args.top == 5) {
        const float fz = args.getFloat(4);
        const float fy = args.getFloat(3);
        x = args.getFloat(2);
        y = fy;
        z = fz;
    }
}

float Vec3::lengthSq() { return x * x + y * y + z * z; }
float Vec3::length() { return std::sqrt(x * x + y * y + z * z); }
float Vec3::lengthXZSq() { return x * x + z * z; }
float Vec3::lengthXZ() { return std::sqrt(x * x + z * z); }
float Vec3::lengthYSq() { return y * y; }
float Vec3::lengthY() { return std::fabs(y); }

ScriptObject Vec3::normalize(HSQUIRRELVM vm) {
    const float r = 1.0f / std::sqrt(x * x + y * y + z * z);
    return makeVec3(vm, x * r, y * r, z * r);
}

ScriptObject Vec3::rotateX(HSQUIRRELVM vm, float degrees) {
    const float s = sine(degrees), c = cosine(degrees);
    return makeVec3(vm, x, c * y - s * z, s * y + c * z);
}

ScriptObject Vec3::rotateY(HSQUIRRELVM vm, float degrees) {
    const float s = sine(degrees), c = cosine(degrees);
    return makeVec3(vm, c * x + s * z, y, -s * x + c * z);
}

ScriptObject Vec3::rotateZ(HSQUIRRELVM vm, float degrees) {
    const float s = sine(degrees), c = cosine(degrees);
    return makeVec3(vm, c * x - s * y, s * x + c * y, z);
}

float Vec3::getAngleXZ() { return degreesOf(static_cast<float>(std::atan2(double{x}, double{z}))); }

float Vec3::getAngleY() {
    const float horizontal = std::sqrt(x * x + z * z);
    return degreesOf(static_cast<float>(std::atan2(double{-y}, double{horizontal})));
}

namespace {

float* component(Vec3& v, const char16_t* key) {
    if (!key || !key[0] || key[1]) return nullptr;
    switch (key[0]) {
    case u'x':
        return &v.x;
    case u'y':
        return &v.y;
    case u'z':
        return &v.z;
    default:
        return nullptr;
    }
}

}  // namespace

float Vec3::set_(const char16_t* key, float value) {
    if (float* c = component(*this, key)) *c = value;
    return value;
}

float Vec3::get_(const char16_t* key) {
    const float* c = component(*this, key);
    return c ? *c : 0.0f;
}

ScriptObject Vec3::add_(HSQUIRRELVM vm, ScriptObject other) {
    const Vec3 o = operand(other);
    return makeVec3(vm, x + o.x, y + o.y, z + o.z);
}

ScriptObject Vec3::sub_(HSQUIRRELVM vm, ScriptObject other) {
    const Vec3 o = operand(other);
    return makeVec3(vm, x - o.x, y - o.y, z - o.z);
}

ScriptObject Vec3::mul_(HSQUIRRELVM vm, float factor) {
    return makeVec3(vm, x * factor, y * factor, z * factor);
}

ScriptObject Vec3::div_(HSQUIRRELVM vm, float divisor) {
    const float r = 1.0f / divisor;
    return makeVec3(vm, r * x, r * y, r * z);
}

ScriptObject Vec3::unm_(HSQUIRRELVM vm) {
    auto flip = [](float f) {
        return std::bit_cast<float>(std::bit_cast<uint32_t>(f) ^ 0x80000000u);
    };
    return makeVec3(vm, flip(x), flip(y), flip(z));
}

ScriptObject registerVec3Class(const ScriptObject& root) {
    const HSQUIRRELVM vm = root.vm();
    const SQInteger top = sq_gettop(vm);
    root.push();
    sq_pushstring(vm, u"Vec3", -1);
    if (SQ_FAILED(sq_newclass(vm, SQFalse))) {
        sq_settop(vm, top);
        scriptReportError(PEL_REPORT_ERROR, u"can't create class(%ls)", u"Vec3");
        return ScriptObject();
    }
    sq_setclassudsize(vm, -1, sizeof(Vec3));
    sq_settypetag(vm, -1, vec3TypeTag());
    const ScriptObject vec3 = ScriptObject::fromStack(vm, -1);
    sq_newslot(vm, -3, SQFalse);
    sq_settop(vm, top);

    vec3.addMethod(u"constructor", &Vec3::construct)
        .addMethod(u"set", &Vec3::construct)
        .addMethod(u"lengthSq", &Vec3::lengthSq)
        .addMethod(u"length", &Vec3::length)
        .addMethod(u"lengthXZSq", &Vec3::lengthXZSq)
        .addMethod(u"lengthXZ", &Vec3::lengthXZ)
        .addMethod(u"lengthYSq", &Vec3::lengthYSq)
        .addMethod(u"lengthY", &Vec3::lengthY)
        .addMethod(u"normalize", &Vec3::normalize)
        .addMethod(u"rotateX", &Vec3::rotateX)
        .addMethod(u"rotateY", &Vec3::rotateY)
        .addMethod(u"rotateZ", &Vec3::rotateZ)
        .addMethod(u"getAngleXZ", &Vec3::getAngleXZ)
        .addMethod(u"getAngleY", &Vec3::getAngleY)
        .addMethod(u"_set", &Vec3::set_)
        .addMethod(u"_get", &Vec3::get_)
        .addMethod(u"_add", &Vec3::add_)
        .addMethod(u"_sub", &Vec3::sub_)
        .addMethod(u"_mul", &Vec3::mul_)
        .addMethod(u"_div", &Vec3::div_)
        .addMethod(u"_unm", &Vec3::unm_);
    return vec3;
}
