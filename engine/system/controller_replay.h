#pragma once
#include <vector>

#include "engine/system/controller.h"

// A player played back from one replay section. Each record plays its frame and then its
// repeats; a refresh past the last record is fatal, so a replay plays once.
class ControllerReplay : public Controller {
public:
    // Reads one section; an unknown kind or a short file is fatal.
    explicit ControllerReplay(File& file);

    void reset() override;
    uint32_t getKind() const override { return 1; }
    void refresh() override;

    uint32_t replayKind() const { return kind_; }
    const std::vector<ReplayRecord>& records() const { return records_; }

private:
    uint32_t kind_ = 0;
    std::vector<ReplayRecord> records_;
    size_t cursor_ = 0;
};
