// The natives of the input script: what the devices read this frame, and the rows it fills.
#include "engine/script/script_native.h"
#include "engine/script/script_vm.h"
#include "engine/script/value_buffer.h"
#include "engine/system/system_input.h"
#include "framework/core/report.h"

namespace {

SystemInput& input(HSQUIRRELVM vm) { return *static_cast<SystemInput*>(scriptContext(vm)->owner); }

// Indices from the script are checked before they reach the devices or the rows; a bad one is
// reported and the call reads as neutral (or writes nothing).
bool inRange(int32_t value, int32_t last, const char* native, const char16_t* what) {
    if (value >= 0 && value <= last) return true;
    pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] %ls %d is out of range", native, what, value);
    return false;
}

constexpr int32_t kLastDevice = static_cast<int32_t>(kInputPads);
constexpr int32_t kLastButton = static_cast<int32_t>(kControllerButtons) - 1;
constexpr int32_t kLastPlayer = static_cast<int32_t>(kInputPlayers) - 1;

// The device of a valid number, or null after the report (a missing device is not reported:
// it simply reads as nothing).
PEL_INPUT_DEVICE* deviceArg(HSQUIRRELVM vm, int32_t device, const char* native) {
    if (!inRange(device, kLastDevice, native, u"device")) return nullptr;
    return input(vm).device(device);
}

// A handle without VM pushes null.
ScriptObject inputGetArgsVar(HSQUIRRELVM vm) { return input(vm).arguments(); }

int32_t inputGetDeviceKeyboard(HSQUIRRELVM vm) { return input(vm).device(0) ? 0 : -1; }

int32_t inputGetDevicePad(HSQUIRRELVM vm, int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(kInputPads)) return -1;
    return input(vm).device(index + 1) ? index + 1 : -1;
}

int32_t inputGetDeviceButtonCount(HSQUIRRELVM vm, int32_t device) {
    const PEL_INPUT_DEVICE* d = deviceArg(vm, device, "inputGetDeviceButtonCount");
    return d ? static_cast<int32_t>(d->buttonCount) : 0;
}

bool inputIsDeviceButtonInvalid(HSQUIRRELVM vm, int32_t device, int32_t button) {
    const PEL_INPUT_DEVICE* d = deviceArg(vm, device, "inputIsDeviceButtonInvalid");
    if (!d || !inRange(button, kLastButton, "inputIsDeviceButtonInvalid", u"button")) return false;
    return (pelInputGetButtonFlags(d, static_cast<uint32_t>(button)) & PEL_INPUT_FLAG_UNASSIGNED) !=
           0;
}

float inputGetDeviceButtonState(HSQUIRRELVM vm, int32_t device, int32_t button) {
    const PEL_INPUT_DEVICE* d = deviceArg(vm, device, "inputGetDeviceButtonState");
    if (!d || !inRange(button, kLastButton, "inputGetDeviceButtonState", u"button")) return 0.0f;
    return pelInputGetValue(d, static_cast<uint32_t>(button));
}

int32_t inputGetDeviceType(HSQUIRRELVM vm, int32_t device) {
    const PEL_INPUT_DEVICE* d = deviceArg(vm, device, "inputGetDeviceType");
    return d ? static_cast<int32_t>(d->type) : 0;
}

void inputSetButtonState(HSQUIRRELVM vm, int32_t player, int32_t button, float value) {
    if (!inRange(player, kLastPlayer, "inputSetButtonState", u"player") ||
        !inRange(button, kLastButton, "inputSetButtonState", u"button"))
        return;
    input(vm).values()[player][button] = value;
}

}  // namespace

void registerInputNatives(SystemInput* input, const char16_t* path, ScriptValueBuffer* arguments) {
    input->dropScript();
    if (!path || !path[0]) {
        ScriptValueBuffer::free(arguments);
        return;
    }
    ScriptVM& vm = *input->vm_;
    if (arguments) {
        input->arguments_ = ScriptValueBuffer::load(arguments, vm);
        ScriptValueBuffer::free(arguments);
    }
    const ScriptObject table = ScriptObject::newTableWithDelegate(vm, &vm.root());
    table.addFunction(u"inputGetArgsVar", &inputGetArgsVar)
        .addFunction(u"inputGetDeviceKeyboard", &inputGetDeviceKeyboard)
        .addFunction(u"inputGetDevicePad", &inputGetDevicePad)
        .addFunction(u"inputGetDeviceButtonCount", &inputGetDeviceButtonCount)
        .addFunction(u"inputIsDeviceButtonInvalid", &inputIsDeviceButtonInvalid)
        .addFunction(u"inputGetDeviceButtonState", &inputGetDeviceButtonState)
        .addFunction(u"inputGetDeviceType", &inputGetDeviceType)
        .addFunction(u"inputSetButtonState", &inputSetButtonState);
    input->task_ = new ScriptTask(vm, table);
    input->task_->runPathAndInit(path, input, input);
}
