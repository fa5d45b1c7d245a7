#pragma once
#include <cstdint>
#include <memory>

#include "engine/system/engine_base.h"
#include "engine/system/parameters.h"
#include "foundation/rcptr.h"
#include "framework/input/controller.h"
#include "render3d/L3DDevice.h"
#include "sound/DsndManager.h"

class BgmPlayer;
class Config;
class L3DRenderer;
class Net;
class ScriptVM;
class SystemInput;
struct PEL_MSW_WINDOW;
struct PEL_MSW_WINDOW_DESC;

inline constexpr uint32_t kSystemControllers = 4;

// The application's core object, alive from after Config to the shutdown: the main window,
// the device, the sound device, the renderer of the current engine run, the input and its four
// virtual controllers, the network session, the music player, the script parameters kept in
// the parameter file, and the current and next engine.
class System {
public:
    static constexpr uint32_t FlagInitialised = 1;
    static constexpr uint32_t FlagQuit = 2;

    System();
    // Saves the parameter file when initialised, then releases everything.
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    // Builds everything from the configuration (its video mode and controller settings); every
    // failure is a level-0 report. The network session is created by the caller (null outside
    // lobby-driven starts) and owned from here on.
    void init(Config& config, std::unique_ptr<Net> net = nullptr);

    // Stops the music and builds a fresh renderer from "sys/renderer.csa".
    void resetRenderer();
    // Once a frame: window messages, input, and the close request (quit offline, dropped
    // during a network game).
    void pollInput();
    void setNetReady();
    void resizeIntParams(uint32_t n) { parameters_.resizeInts(n); }
    void resizeStringParams(uint32_t n) { parameters_.resizeStrings(n); }
    // Replaces the main window; false when the new one cannot be created.
    bool createMainWindow(const PEL_MSW_WINDOW_DESC& desc);
    // Replaces the slot's virtual controller by one over the source (double presses within 20
    // frames, quick tilts within 10); false when it cannot be created.
    bool createController(uint32_t slot, const PEL_CONTROLLER_SOURCE& source);

    Config* config() const { return config_; }
    // The configured display size and resource scale.
    uint32_t displayWidth() const;
    uint32_t displayHeight() const;
    int32_t resourceScale() const;
    uint32_t flags() const { return flags_; }
    bool quitRequested() const { return (flags_ & FlagQuit) != 0; }
    ScriptVM* vm() const { return vm_.get(); }
    PEL_MSW_WINDOW* window() const { return window_; }
    L3DDevice& device() { return device_; }
    mirel::DsndManager& soundManager() { return sound_; }
    const mirel::rcptr<L3DRenderer>& renderer() const { return renderer_; }
    SystemInput* input() const { return input_.get(); }
    Net* net() const { return net_.get(); }
    // The slot's virtual controller (null when none); the slot's address for ControllerInput.
    PEL_CONTROLLER* controller(uint32_t slot) const { return controllers_[slot]; }
    PEL_CONTROLLER* const* controllerSlot(uint32_t slot) const { return &controllers_[slot]; }
    BgmPlayer* bgmPlayer() const { return bgm_.get(); }
    SystemParameters& parameters() { return parameters_; }
    float soundVolume(uint32_t type) const { return soundVolumes_[type]; }
    void setSoundVolume(uint32_t type, float volume) { soundVolumes_[type] = volume; }
    EngineBase* currentEngine() const { return current_; }
    EngineBase* nextEngine() const { return next_; }
    void setNextEngine(EngineBase* engine) { next_ = engine; }
    void setCurrentEngine(EngineBase* engine) { current_ = engine; }

    // The parameter file: "//<localappdata>/" + the executable's base name + ".prm".
    static std::u16string parameterFilePath();

private:
    bool createDevice();
    bool createControllers();
    void loadParameters();
    void saveParameters();
    void destroyMainWindow();
    void destroyController(uint32_t slot);

    Config* config_ = nullptr;
    uint32_t flags_ = 0;
    std::unique_ptr<ScriptVM> vm_;
    PEL_MSW_WINDOW* window_ = nullptr;
    L3DDevice device_;
    mirel::DsndManager sound_;
    mirel::rcptr<L3DRenderer> renderer_;
    std::unique_ptr<SystemInput> input_;
    std::unique_ptr<Net> net_;
    PEL_CONTROLLER* controllers_[kSystemControllers] = {};
    std::unique_ptr<BgmPlayer> bgm_;
    uint32_t defaultPack_ = 0;  // where the music player finds its files
    SystemParameters parameters_;
    float soundVolumes_[3] = {1.0f, 1.0f, 1.0f};
    EngineBase* current_ = nullptr;
    EngineBase* next_ = nullptr;
};
