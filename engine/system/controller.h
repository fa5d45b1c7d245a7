#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class File;

inline constexpr uint32_t kControllerButtons = 16;

// Recording kinds: none, the three planes, the planes and the analog values.
enum : uint32_t {
    CONTROLLER_RECORD_NONE = 0,
    CONTROLLER_RECORD_BUTTONS = 1,
    CONTROLLER_RECORD_ANALOG = 2,
};

// One run of identical frames: `repeat` further frames after the first. Planes: bit b the
// pressed plane, 16 + b the held plane, 32 + b the third plane; values only for kind 2.
struct ReplayRecord {
    uint32_t repeat = 0;
    uint64_t planes = 0;
    float values[kControllerButtons] = {};
};

// What a controller delivered, frame by frame and run-length coded, in chunks of 600 records
// so that a long recording never moves the records already written.
struct ControllerRecording {
    static constexpr size_t kChunkRecords = 600;

    explicit ControllerRecording(uint32_t kind) : kind(kind) {}
    uint32_t recordCount() const;
    // The new record, in a new chunk when the last one is full.
    ReplayRecord& append();
    ReplayRecord* last() { return chunks.empty() ? nullptr : &chunks.back().back(); }

    uint32_t kind;
    std::vector<std::vector<ReplayRecord>> chunks;
};

// What an engine reads of one player each frame: the button planes and the analog values,
// set by refresh. A controller built with a recording kind records every refresh.
class Controller {
public:
    explicit Controller(uint32_t recordingKind);
    virtual ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // Stops the recording (and drops what a replay still holds).
    virtual void reset();
    // 0 plain or empty, 1 replay, 2 input; the action engine's scripted controller is 3.
    virtual uint32_t getKind() const { return 0; }
    virtual void refresh() { record(); }

    // Appends this frame's planes (and values) to the recording.
    void record();
    // The recording as one replay section; nothing without a recording.
    void writeReplay(File& file) const;
    const ControllerRecording* recording() const { return recording_.get(); }

    uint8_t pressed[kControllerButtons] = {};
    uint8_t held[kControllerButtons] = {};
    // A double press of a digital button or a quick tilt of an analog one.
    uint8_t third[kControllerButtons] = {};
    float analog[kControllerButtons] = {};

protected:
    uint64_t packPlanes() const;
    void unpackPlanes(uint64_t planes);

private:
    std::unique_ptr<ControllerRecording> recording_;
};

// A player slot without input: the planes stay zero.
class ControllerNone : public Controller {
public:
    explicit ControllerNone(uint32_t recordingKind) : Controller(recordingKind) {}
};
