// The print, compile-error and runtime-error handlers of every VM, and the read callback of
// compiled scripts.
#include <algorithm>
#include <cstdarg>
#include <string>

#include "engine/script/file.h"
#include "engine/script/script_vm.h"
#include "framework/core/format.h"
#include "framework/core/report.h"

namespace {

constexpr size_t kPrintFormatMax = 1024;
constexpr int kDumpLevels = 10;

// "[] " and the script's format with every "%s" turned into "%ls" (script text is UTF-16).
// A '%' toggles the flag; the character after a set flag clears it, so "%%s" stays.
std::u16string printFormat(const SQChar* format) {
    std::u16string out = u"[] ";
    bool percent = false;
    for (const SQChar* c = format; *c && out.size() < kPrintFormatMax - 1; ++c) {
        if (percent) {
            percent = false;
            if (*c == u's') out += u'l';
        } else if (*c == u'%') {
            percent = true;
        }
        out += *c;
    }
    out.resize(std::min(out.size(), kPrintFormatMax - 1));
    return out;
}

void dumpLocal(HSQUIRRELVM vm, const SQChar* name) {
    const int32_t level = PEL_REPORT_DEBUG;
    switch (sq_gettype(vm, -1)) {
    case OT_NULL:
        pelReport(level, u"[%ls] NULL", name);
        break;
    case OT_BOOL: {
        SQBool value = SQFalse;
        sq_getbool(vm, -1, &value);
        pelReport(level, u"[%ls] \"%ls\"", name, value ? u"true" : u"false");
        break;
    }
    case OT_INTEGER: {
        SQInteger value = 0;
        sq_getinteger(vm, -1, &value);
        pelReport(level, u"[%ls] %d", name, value);
        break;
    }
    case OT_FLOAT: {
        SQFloat value = 0.0f;
        sq_getfloat(vm, -1, &value);
        pelReport(level, u"[%ls] %.14g", name, static_cast<double>(value));
        break;
    }
    case OT_STRING: {
        const SQChar* text = u"";
        sq_getstring(vm, -1, &text);
        pelReport(level, u"[%ls] \"%ls\"", name, text);
        break;
    }
    case OT_USERPOINTER:
        pelReport(level, u"[%ls] USERPOINTER", name);
        break;
    case OT_ARRAY:
        pelReport(level, u"[%ls] ARRAY", name);
        break;
    case OT_CLOSURE:
        pelReport(level, u"[%ls] CLOSURE", name);
        break;
    case OT_NATIVECLOSURE:
        pelReport(level, u"[%ls] NATIVECLOSURE", name);
        break;
    case OT_GENERATOR:
        pelReport(level, u"[%ls] GENERATOR", name);
        break;
    case OT_THREAD:
        pelReport(level, u"[%ls] THREAD", name);
        break;
    case OT_CLASS:
        pelReport(level, u"[%ls] CLASS", name);
        break;
    case OT_WEAKREF:
        pelReport(level, u"[%ls] WEAKREF", name);
        break;
    case OT_TABLE:
        pelReport(level, u"[%ls] TABLE", name);
        break;
    case OT_USERDATA:
        pelReport(level, u"[%ls] USERDATA", name);
        break;
    case OT_INSTANCE:
        pelReport(level, u"[%ls] INSTANCE", name);
        break;
    default:
        pelReport(level, u"[%ls] UNKNOWN", name);
        break;
    }
}

}  // namespace

void scriptPrint(HSQUIRRELVM, const SQChar* format, ...) {
    const std::u16string converted = printFormat(format);
    char16_t text[kPelReportMaxText + 1];
    va_list args;
    va_start(args, format);
    pelVformatCut(text, kPelReportMaxText + 1, converted.c_str(), args);
    va_end(args);
    pelReportText(PEL_REPORT_DEBUG, text);
}

void scriptCompileError(HSQUIRRELVM, const SQChar* description, const SQChar* source,
                        SQInteger line, SQInteger column) {
    pelReport(PEL_REPORT_DEBUG, u"[%ls] Script Compile Error[%ls:%d:%d] %ls", u"", source, line,
              column, description);
}

SQInteger scriptRuntimeError(HSQUIRRELVM vm) {
    const int32_t level = PEL_REPORT_DEBUG;
    if (sq_gettop(vm) < 1) return 0;
    const SQChar* error = nullptr;
    if (SQ_SUCCEEDED(sq_getstring(vm, 2, &error))) {
        pelReport(level, u"[%ls] Script Runtime Error: %ls", u"", error);
    } else {
        pelReport(level, u"[%ls] Script Runtime Error: unknown", u"");
    }
    pelReport(level, u"[CALLSTACK]");
    SQStackInfos info;
    for (SQInteger depth = 1; SQ_SUCCEEDED(sq_stackinfos(vm, depth, &info)); ++depth) {
        pelReport(level, u"*FUNCTION [%ls()] %ls line [%d]\n",
                  info.funcname ? info.funcname : u"unknown",
                  info.source ? info.source : u"unknown", info.line);
    }
    pelReport(level, u"");
    pelReport(level, u"[LOCAL VAR]");
    for (int depth = 0; depth < kDumpLevels; ++depth) {
        for (SQUnsignedInteger index = 0;; ++index) {
            const SQChar* name = sq_getlocal(vm, depth, index);
            if (!name) break;
            dumpLocal(vm, name);
            sq_pop(vm, 1);
        }
    }
    return 0;
}

SQInteger scriptReadFile(SQUserPointer file, SQUserPointer destination, SQInteger size) {
    if (size < 0) return -1;
    if (!static_cast<File*>(file)->read(destination, static_cast<size_t>(size))) return -1;
    return size;
}
