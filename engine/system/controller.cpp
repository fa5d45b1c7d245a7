#include "engine/system/controller.h"

#include "engine/script/file.h"

uint32_t ControllerRecording::recordCount() const {
    if (chunks.empty()) return 0;
    return static_cast<uint32_t>(kChunkRecords * (chunks.size() - 1) + chunks.back().size());
}

ReplayRecord& ControllerRecording::append() {
    if (chunks.empty() || chunks.back().size() == kChunkRecords) {
        chunks.emplace_back();
        chunks.back().reserve(kChunkRecords);
    }
    return chunks.back().emplace_back();
}

Controller::Controller(uint32_t recordingKind) {
    if (recordingKind == CONTROLLER_RECORD_BUTTONS || recordingKind == CONTROLLER_RECORD_ANALOG)
        recording_ = std::make_unique<ControllerRecording>(recordingKind);
}

Controller::~Controller() = default;

void Controller::reset() { recording_.reset(); }

uint64_t Controller::packPlanes() const {
    uint64_t planes = 0;
    for (uint32_t b = 0; b < kControllerButtons; ++b) {
        planes |= uint64_t{pressed[b] != 0} << b;
        planes |= uint64_t{held[b] != 0} << (16 + b);
        planes |= uint64_t{third[b] != 0} << (32 + b);
    }
    return planes;
}

void Controller::unpackPlanes(uint64_t planes) {
    for (uint32_t b = 0; b < kControllerButtons; ++b) {
        pressed[b] = (planes >> b) & 1;
        held[b] = (planes >> (16 + b)) & 1;
        third[b] = (planes >> (32 + b)) & 1;
    }
}

void Controller::record() {
    if (!recording_) return;
    const uint64_t planes = packPlanes();
    const bool withValues = recording_->kind == CONTROLLER_RECORD_ANALOG;
    if (ReplayRecord* last = recording_->last(); last && last->planes == planes) {
        bool same = true;
        // Float comparison on purpose: a NaN never repeats, and -0 repeats 0.
        if (withValues)
            for (uint32_t i = 0; i < kControllerButtons && same; ++i)
                same = last->values[i] == analog[i];
        if (same) {
            ++last->repeat;
            return;
        }
    }
    ReplayRecord& next = recording_->append();
    next.planes = planes;
    if (withValues)
        for (uint32_t i = 0; i < kControllerButtons; ++i) next.values[i] = analog[i];
}

void Controller::writeReplay(File& file) const {
    if (!recording_) return;
    file.writeU32(recording_->kind);
    file.writeU32(recording_->recordCount());
    const bool withValues = recording_->kind == CONTROLLER_RECORD_ANALOG;
    for (const std::vector<ReplayRecord>& chunk : recording_->chunks) {
        for (const ReplayRecord& r : chunk) {
            file.writeU32(r.repeat);
            file.writeU64(r.planes);
            if (withValues)
                for (float value : r.values) file.writeF32(value);
        }
    }
}
