#include <cstring>

#include "engine/config/config_script_record.h"
#include "engine/script/script_native.h"
#include "engine/script/script_object.h"
#include "engine/script/script_vm.h"
#include "framework/core/report.h"

namespace {

ConfigScriptRecord& record(HSQUIRRELVM vm) {
    return *static_cast<ConfigScriptRecord*>(scriptContext(vm)->engine);
}

// Copies what fits with room for the terminator; a null text copies as empty.
void copyText(char16_t* destination, size_t capacity, const char16_t* text) {
    size_t length = 0;
    if (text)
        while (length + 1 < capacity && text[length]) ++length;
    if (length) std::memcpy(destination, text, length * sizeof(char16_t));
    destination[length] = 0;
}

template <size_t N>
void copyText(char16_t (&destination)[N], const char16_t* text) {
    copyText(destination, N, text);
}

// A type index outside the record would write past it: such calls are dropped.
bool validType(int32_t type, const char* tag) {
    if (type >= 0 && type < ConfigScriptRecord::kInputTypes) return true;
    pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] input type %d is out of range", tag, type);
    return false;
}

int32_t globalGetGameVersion(HSQUIRRELVM vm) {
    return static_cast<int32_t>(record(vm).gameVersion);
}

void confSetWindowClassName(HSQUIRRELVM vm, const char16_t* name) {
    copyText(record(vm).windowClassName, name);
}

void confSetGameId(HSQUIRRELVM vm, int32_t id) { *record(vm).gameId = id; }

void confSetGameTitleSimple(HSQUIRRELVM vm, const char16_t* title) {
    ConfigScriptRecord& r = record(vm);
    copyText(r.shortTitle, r.shortTitleCapacity, title);
}

void confSetGameTitle(HSQUIRRELVM vm, const char16_t* title) {
    ConfigScriptRecord& r = record(vm);
    copyText(r.gameTitle, r.gameTitleCapacity, title);
}

void confSetLogHeader(HSQUIRRELVM vm, const char16_t* text) {
    copyText(record(vm).logHeader, text);
}

void confSetInputType(HSQUIRRELVM vm, int32_t type, const char16_t* name) {
    if (!validType(type, "confSetInputType")) return;
    copyText(record(vm).inputTypes[type].name, 32, name);
}

void confAddInputButton(HSQUIRRELVM vm, int32_t type, const char16_t* name, int32_t first,
                        int32_t second) {
    if (!validType(type, "confAddInputButton")) return;
    ConfigInputType& input = record(vm).inputTypes[type];
    if (input.buttonCount >= ConfigScriptRecord::kButtonsPerType) {
        pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] input type %d has no room for \"%ls\"",
                  "confAddInputButton", type, name ? name : u"");
        return;
    }
    ConfigInputButton& button = input.buttons[input.buttonCount++];
    copyText(button.name, 16, name);
    button.firstValue = first;
    button.secondValue = second;
}

void confSetInputPadCount(HSQUIRRELVM vm, int32_t count) { record(vm).padCount = count; }

void confSetUpdater(HSQUIRRELVM vm, const char16_t* host, int32_t port, const char16_t* directory) {
    ConfigScriptRecord& r = record(vm);
    copyText(r.updaterHost, host);
    r.updaterPort = port;
    copyText(r.updaterDirectory, directory);
}

}  // namespace

int ConfigScriptRecord::namedTypeCount() const {
    int count = 0;
    while (count < kInputTypes && inputTypes[count].name[0]) ++count;
    return count;
}

void registerConfigNatives(const ScriptObject& table) {
    table.addFunction(u"globalGetGameVersion", &globalGetGameVersion)
        .addFunction(u"confSetWindowClassName", &confSetWindowClassName)
        .addFunction(u"confSetGameId", &confSetGameId)
        .addFunction(u"confSetGameTitleSimple", &confSetGameTitleSimple)
        .addFunction(u"confSetGameTitle", &confSetGameTitle)
        .addFunction(u"confSetLogHeader", &confSetLogHeader)
        .addFunction(u"confSetInputType", &confSetInputType)
        .addFunction(u"confAddInputButton", &confAddInputButton)
        .addFunction(u"confSetInputPadCount", &confSetInputPadCount)
        .addFunction(u"confSetUpdater", &confSetUpdater);
}
