#include "engine/config/config.h"

#include <cstring>

#include "engine/script/script_object.h"
#include "engine/script/script_vm.h"
#include "framework/core/report.h"
#include "framework/file/file.h"
#include "framework/msw/window.h"
#include "platform/os/pipe.h"

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
    if (!platform::os::pipeBytesWaiting(inputPipe, &waiting)) {
        reportPipeError("Config::readLoungeData");
        return false;
    }
    if (waiting < sizeof(LoungeRecord)) return false;
    if (!platform::os::pipeRead(inputPipe, record, sizeof(LoungeRecord))) {
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
    if (!platform::os::pipeWrite(outputPipe, &record, sizeof(record)))
        reportPipeError("Config::writeLoungeData");
}

void Config::initScriptRecord(ConfigScriptRecord* record) {
    record->windowClassName[0] = 0;
    record->gameId = &gameId;
    record->gameVersion = gameVersion;
    record->shortTitle = shortTitle;
    record->shortTitleCapacity = 32;
    record->gameTitle = gameTitle;
    record->gameTitleCapacity = 32;
    record->logHeader[0] = 0;
    for (int type = 0; type < ConfigScriptRecord::kInputTypes; ++type) {
        record->typeNames[type][0] = 0;
        record->inputTypes[type] = {record->typeNames[type], record->buttons[type], 0};
        for (int button = 0; button < ConfigScriptRecord::kButtonsPerType; ++button) {
            record->buttonNames[type][button][0] = 0;
            record->buttons[type][button] = {record->buttonNames[type][button], 0, 0};
        }
    }
    record->padCount = 0;
    record->updaterHost[0] = 0;
    record->updaterPort = 0;
    record->updaterDirectory[0] = 0;
}

void Config::runConfigScript(ConfigScriptRecord* record) {
    ScriptVM vm;
    const ScriptObject table = ScriptObject::newTableWithDelegate(vm, &vm.root());
    registerConfigNatives(table);
    ScriptTask task(vm, table);
    task.runPath(u"sys/config", record, nullptr, false);
}

void Config::readVersion() {
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ_SYSTEM, u"ver", 0);
    if (!file) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] \"%ls\"を開けません。", "File::create", u"ver");
        return;
    }
    uint32_t version = 0;
    if (pelFileReadU32(&version, file) != PEL_OK) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] ファイル操作でエラーが発生しました。",
                  "File::readU32");
    } else {
        gameVersion = version;
        pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] game version is \"%u\"", "Config::init",
                  gameVersion);
    }
    pelFileClose(file);
}

std::u16string windowClassSuffix(const char16_t* windowClassName) {
    return u"TAVORIN_ENGINE_" + std::u16string(windowClassName);
}

void Config::setWindowClass(const ConfigScriptRecord& record) {
    pelMswWindowSetClassName(windowClassSuffix(record.windowClassName).c_str());
}
