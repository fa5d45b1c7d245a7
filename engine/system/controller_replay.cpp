#include "engine/system/controller_replay.h"

#include "engine/script/file.h"
#include "framework/core/report.h"

namespace {

// Bytes of one record in a section of the kind.
uint64_t recordBytes(uint32_t kind) {
    return kind == CONTROLLER_RECORD_ANALOG ? 12 + 4 * kControllerButtons : 12;
}

}  // namespace

ControllerReplay::ControllerReplay(File& file) : Controller(CONTROLLER_RECORD_NONE) {
    kind_ = file.readU32();
    const uint32_t count = file.readU32();
    if (kind_ != CONTROLLER_RECORD_BUTTONS && kind_ != CONTROLLER_RECORD_ANALOG) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] 不明なリプレイ種別です(%u)",
                  "ControllerReplay::ControllerReplay", kind_);
        return;
    }
    // A count the whole file could not hold is a short file; checked before the records are
    // allocated, so a corrupt count never asks for gigabytes.
    if (count > file.getSize() / recordBytes(kind_)) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] ファイル操作でエラーが発生しました。",
                  "File::read");
        return;
    }
    records_.resize(count);
    for (ReplayRecord& r : records_) {
        r.repeat = file.readU32();
        r.planes = file.readU64();
        if (kind_ == CONTROLLER_RECORD_ANALOG)
            for (float& value : r.values) value = file.readF32();
    }
}

void ControllerReplay::reset() {
    Controller::reset();
    records_.clear();
    records_.shrink_to_fit();
    cursor_ = 0;
}

void ControllerReplay::refresh() {
    if (cursor_ >= records_.size()) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] リプレイ異常", "ControllerReplay::refresh");
        return;
    }
    ReplayRecord& r = records_[cursor_];
    unpackPlanes(r.planes);
    if (kind_ == CONTROLLER_RECORD_ANALOG)
        for (uint32_t i = 0; i < kControllerButtons; ++i) analog[i] = r.values[i];
    if (r.repeat > 0) {
        --r.repeat;
    } else {
        ++cursor_;
    }
}
