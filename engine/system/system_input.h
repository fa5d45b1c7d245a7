#pragma once
#include <cstdint>

#include "engine/script/script_host.h"
#include "engine/script/script_object.h"
#include "engine/system/controller.h"
#include "framework/input/controller.h"
#include "framework/input/input_device.h"

class ScriptTask;
class ScriptValueBuffer;
class ScriptVM;
struct PEL_INPUT_SETTINGS;

inline constexpr uint32_t kInputPlayers = 4;
inline constexpr uint32_t kInputPads = 4;

// The keyboard and up to four game pads, read once a frame into 4 x 16 button values (row =
// player slot). Without an input script pad n drives row n and the keyboard also drives row 0;
// an input script in the system VM may map the devices to the rows as it likes.
class SystemInput : public ScriptHost {
public:
    SystemInput() = default;
    ~SystemInput();
    SystemInput(const SystemInput&) = delete;
    SystemInput& operator=(const SystemInput&) = delete;

    // Opens the keyboard and the pads for the window; pads 1 to 3 only when `allPads` (not
    // during a network game). A missing device is no error.
    void init(ScriptVM* vm, const PEL_INPUT_SETTINGS* settings, void* window, bool allPads);
    // Clears the values, then polls the devices into them, directly or through the script.
    void update();
    // Drops the input script and its arguments and closes the devices.
    void release();
    // The source over a row for a virtual controller: row 0 always, rows 1 to 3 only when that
    // pad exists. False for other slots.
    bool makeControllerInterface(uint32_t slot, PEL_CONTROLLER_SOURCE* source);

    // Device numbers of the input natives: 0 the keyboard, 1 to 4 pad 0 to 3. Null when the
    // device does not exist.
    PEL_INPUT_DEVICE* device(int32_t number) const;
    float (&values())[kInputPlayers][kControllerButtons] { return values_; }
    const ScriptObject& arguments() const { return arguments_; }
    ScriptTask* task() const { return task_; }

    BinManager* binManager() override { return nullptr; }

private:
    friend void registerInputNatives(SystemInput* input, const char16_t* path,
                                     ScriptValueBuffer* arguments);
    void dropScript();

    ScriptVM* vm_ = nullptr;
    float values_[kInputPlayers][kControllerButtons] = {};
    PEL_INPUT_DEVICE* keyboard_ = nullptr;
    PEL_INPUT_DEVICE* pads_[kInputPads] = {};
    ScriptTask* task_ = nullptr;
    ScriptObject arguments_;
};

// Replaces the input script: with a path, runs the compiled script in a table of the system VM
// holding the eight input natives (its "work" is resumed every frame) and rebuilds the argument
// buffer there as its arguments; with an empty path the devices are copied directly again. The
// buffer is freed in both cases.
void registerInputNatives(SystemInput* input, const char16_t* path, ScriptValueBuffer* arguments);
