#pragma once
#include "engine/script/script_object.h"

// The script class Vec3: three floats held inside each instance. Angles are degrees.
struct Vec3 {
    float x;
    float y;
    float z;

    void construct(const ScriptArgs& args);
    float lengthSq();
    float length();
    float lengthXZSq();
    float lengthXZ();
    float lengthYSq();
    float lengthY();
    ScriptObject normalize(HSQUIRRELVM vm);
    ScriptObject rotateX(HSQUIRRELVM vm, float degrees);
    ScriptObject rotateY(HSQUIRRELVM vm, float degrees);
    ScriptObject rotateZ(HSQUIRRELVM vm, float degrees);
    float getAngleXZ();
    float getAngleY();
    float set_(const char16_t* key, float value);
    float get_(const char16_t* key);
    ScriptObject add_(HSQUIRRELVM vm, ScriptObject other);
    ScriptObject sub_(HSQUIRRELVM vm, ScriptObject other);
    ScriptObject mul_(HSQUIRRELVM vm, float factor);
    ScriptObject div_(HSQUIRRELVM vm, float divisor);
    ScriptObject unm_(HSQUIRRELVM vm);
};

// The type tag of the Vec3 class (and so of its instances).
void* vec3TypeTag();
// The components of a Vec3 instance; null for any other value.
const Vec3* vec3Of(const ScriptObject& value);
// Creates the class in the root table with its methods; returns the class, or null after the
// report "can't create class(Vec3)".
ScriptObject registerVec3Class(const ScriptObject& root);
// A new Vec3 instance of the VM the thread belongs to.
ScriptObject makeVec3(HSQUIRRELVM vm, float x, float y, float z);
