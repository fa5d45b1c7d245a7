#include "engine/script/core_natives.h"

#include <bit>
#include <cmath>

#include "engine/script/script_native.h"
#include "engine/script/script_vm.h"
#include "framework/core/format.h"
#include "framework/core/report.h"
#include "framework/file/path.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr size_t kRootDirMax = 127;
constexpr size_t kConvertSize = 16;

void sysError(HSQUIRRELVM, const char16_t* text) {
    pelReport(PEL_REPORT_ERROR, u"Error: [%s] [%ls] %ls", "`anonymous-namespace'::sysError", u"",
              text ? text : u"");
}

// Points the thread's foreign pointer at another context while a nested script runs.
class ForeignSwap {
public:
    ForeignSwap(HSQUIRRELVM vm, ScriptTaskContext* context)
        : vm_(vm), saved_(sq_getforeignptr(vm)) {
        sq_setforeignptr(vm, context);
    }
    ~ForeignSwap() { sq_setforeignptr(vm_, saved_); }
    ForeignSwap(const ForeignSwap&) = delete;
    ForeignSwap& operator=(const ForeignSwap&) = delete;

private:
    HSQUIRRELVM vm_;
    SQUserPointer saved_;
};

ScriptObject sysRun(HSQUIRRELVM vm, const char16_t* path) {
    ScriptTaskContext* context = scriptContext(vm);
    if (!context || !context->task || !path) return ScriptObject();
    char16_t resolved[kPelPathDirectorySize];
    pelPathResolve(resolved, context->scriptDirectory, kPelPathDirectorySize, path);
    ScriptTask& task = *context->task;
    ScriptObject closure;
    const char16_t* directory = nullptr;
    if (!task.loadScript(resolved, &closure, &directory)) return ScriptObject();
    ScriptTaskContext nested = *context;
    nested.scriptDirectory = directory;
    ForeignSwap swap(vm, &nested);
    return ScriptCall::prepareOnTask(task.thread(), closure).run();
}

ScriptObject sysGetRootDir(HSQUIRRELVM vm) {
    const ScriptTaskContext* context = scriptContext(vm);
    const char16_t* directory = context ? context->scriptDirectory : nullptr;
    char16_t result[kRootDirMax + 1];
    size_t length = 0;
    bool inName = false;
    for (const char16_t* c = directory ? directory : u""; *c; ++c) {
        if (*c != u'/' && *c != u'\\') {
            inName = true;
            continue;
        }
        if (inName && length < kRootDirMax - 1) {
            result[length++] = u'.';
            result[length++] = u'.';
        }
        if (length < kRootDirMax) result[length++] = u'/';
        inName = false;
    }
    result[length] = 0;
    return ScriptObject::fromString(vm, result);
}

int32_t sysGetDebugTime(HSQUIRRELVM) { return 0; }

// Only flags, a width and one precision may reach the format: anything else (a conversion of
// its own, "%n", another '%') would let script text drive the formatter.
bool isNumberSpecification(const char16_t* text) {
    bool point = false;
    for (const char16_t* c = text; *c; ++c) {
        if (*c == u'.') {
            if (point) return false;
            point = true;
        } else if (!(*c >= u'0' && *c <= u'9') && *c != u'-' && *c != u'+' && *c != u' ' &&
                   *c != u'#') {
            return false;
        }
    }
    return true;
}

ScriptObject strConvert(HSQUIRRELVM vm, const char16_t* specification, ScriptObject value) {
    if (!specification || !isNumberSpecification(specification)) specification = u"";
    char16_t format[kConvertSize];
    char16_t text[kConvertSize];
    if (value.object()._type == OT_FLOAT) {
        pelSprintf(format, kConvertSize, u"%%%lsf", specification);
        pelSprintf(text, kConvertSize, format, static_cast<double>(value.toFloat()));
    } else {
        pelSprintf(format, kConvertSize, u"%%%lsd", specification);
        pelSprintf(text, kConvertSize, format, value.toInt());
    }
    return ScriptObject::fromString(vm, text);
}

ScriptObject mathGetAbsolute(HSQUIRRELVM vm, ScriptObject value) {
    if (value.object()._type == OT_FLOAT) {
        return ScriptObject::fromFloat(
            vm, std::bit_cast<float>(std::bit_cast<uint32_t>(value.toFloat()) & 0x7FFFFFFFu));
    }
    const int32_t n = value.toInt();
    const uint32_t magnitude = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    return ScriptObject::fromInt(vm, static_cast<int32_t>(magnitude));
}

ScriptObject mathRound(HSQUIRRELVM vm, ScriptObject value) {
    if (value.object()._type != OT_FLOAT) return value;
    const float x = value.toFloat();
    return ScriptObject::fromInt(vm, scriptTruncate(x >= 0.0f ? x + 0.5f : x - 0.5f));
}

// Steps the angle into range; stops when a step no longer changes it (infinities and values
// too large for a step to register would otherwise never end).
float wrapAngle(float a, float high, float low) {
    while (a > high) {
        const float next = a - 360.0f;
        if (next == a) return a;
        a = next;
    }
    while (a < low) {
        const float next = a + 360.0f;
        if (next == a) return a;
        a = next;
    }
    return a;
}

float mathRoundAngle360(float a) { return wrapAngle(a, 360.0f, 0.0f); }
float mathRoundAngle180(float a) { return wrapAngle(a, 180.0f, -180.0f); }
float mathPow(float a, float b) {
    return static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b)));
}
float mathSqrt(float x) { return std::sqrt(x); }
float mathRcp(float x) { return 1.0f / x; }
float mathSin(float d) { return static_cast<float>(std::sin(double{d * kDegreesToRadians})); }
float mathCos(float d) { return static_cast<float>(std::cos(double{d * kDegreesToRadians})); }
float mathTan(float d) { return static_cast<float>(std::tan(double{d * kDegreesToRadians})); }
float mathAsin(float x) { return static_cast<float>(std::asin(double{x})) * kRadiansToDegrees; }
float mathAcos(float x) { return static_cast<float>(std::acos(double{x})) * kRadiansToDegrees; }
float mathAtan(float x) { return static_cast<float>(std::atan(double{x})) * kRadiansToDegrees; }
float mathAtan2(float y, float x) {
    return static_cast<float>(std::atan2(double{y}, double{x})) * kRadiansToDegrees;
}

}  // namespace

void registerCoreNatives(const ScriptObject& root) {
    root.addFunction(u"sysError", &sysError)
        .addFunction(u"sysRun", &sysRun)
        .addFunction(u"sysGetRootDir", &sysGetRootDir)
        .addFunction(u"sysGetDebugTime", &sysGetDebugTime)
        .addFunction(u"strConvert", &strConvert)
        .addFunction(u"mathGetAbsolute", &mathGetAbsolute)
        .addFunction(u"mathRound", &mathRound)
        .addFunction(u"mathRoundAngle360", &mathRoundAngle360)
        .addFunction(u"mathRoundAngle180", &mathRoundAngle180)
        .addFunction(u"mathPow", &mathPow)
        .addFunction(u"mathSqrt", &mathSqrt)
        .addFunction(u"mathRcp", &mathRcp)
        .addFunction(u"mathSin", &mathSin)
        .addFunction(u"mathCos", &mathCos)
        .addFunction(u"mathTan", &mathTan)
        .addFunction(u"mathAsin", &mathAsin)
        .addFunction(u"mathAcos", &mathAcos)
        .addFunction(u"mathAtan", &mathAtan)
        .addFunction(u"mathAtan2", &mathAtan2);
}

uint8_t unitToByte(float x) {
    if (x <= 0.0f) return 0;
    if (x >= 1.0f) return 255;
    return static_cast<uint8_t>(x * 255.0f + 0.5f);
}

int32_t randomRangeInt(int32_t a, int32_t b, PEL_RAND* generator) {
    const int64_t lo = a < b ? a : b;
    const uint64_t span = static_cast<uint64_t>(a < b ? int64_t{b} - a : int64_t{a} - b);
    const uint64_t r = pelRandNext(generator);
    const float product = static_cast<float>(r * (span + 1));
    const float scaled = product * 0x1p-32f;
    uint64_t offset = static_cast<uint64_t>(scaled);
    if (offset > span) offset = span;
    return static_cast<int32_t>(lo + static_cast<int64_t>(offset));
}
