// Arbitrary bytes read as the parameter file.
#include "engine/system/parameters.h"
#include "tests/engine/system/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string path = tessera::test::fuzzInputFile(data, size);
    SystemParameters parameters;
    parameters.load(path.c_str());
    return 0;
}
