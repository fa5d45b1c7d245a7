// Arbitrary bytes read as a controller's replay section and played to its end and one past.
#include "engine/script/file.h"
#include "engine/system/controller_replay.h"
#include "tests/engine/system/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string path = tessera::test::fuzzInputFile(data, size);
    File file;
    file.create(path.c_str(), PEL_FILE_MODE_READ, 0);
    ControllerReplay replay(file);
    uint64_t frames = 1;
    for (const ReplayRecord& record : replay.records()) frames += uint64_t{record.repeat} + 1;
    for (uint64_t frame = 0; frame < frames && frame < 100000; ++frame) replay.refresh();
    return 0;
}
