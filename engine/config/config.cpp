#include "engine/config/config.h"

#include <cstring>

#include "engine/config/lounge_pipe.h"
#include "framework/core/report.h"

namespace {

void reportPipeError(const char* tag) {
    pelReport(PEL_REPORT_ERROR, u"Error: [%s] ラウンジとの通信エラー", tag);
}

}  // namespace

bool Config::applyStartOptions(const StartOptions& options) {
    mode = options.mode;
    inputPipe = options.inputPipe;
    outputPipe = options.outputPipe;
    if (!pipesMatchMode(options)) return false;
    loungeFlag = options.mode == StartMode::Lounge;
    return true;
}

bool Config::readLoungeData(LoungeRecord* record) {
    if (!loungeFlag) return false;
    size_t waiting = 0;
    if (!loungePipeBytesWaiting(inputPipe, &waiting)) {
        reportPipeError("Config::readLoungeData");
        return false;
    }
    if (waiting < sizeof(LoungeRecord)) return false;
    if (!loungePipeRead(inputPipe, record, sizeof(LoungeRecord))) {
        reportPipeError("Config::readLoungeData");
        return false;
    }
    return true;
}

void Config::writeLoungeData(uint32_t type) {
    if (!loungeFlag) return;
    LoungeRecord record;
    std::memset(&record, 0, sizeof(record));
    record.type = type;
    if (!loungePipeWrite(outputPipe, &record, sizeof(record)))
        reportPipeError("Config::writeLoungeData");
}
