// Received bytes through the line reader, then each line as a status line and as a
// "Location:" header.
#include <cstddef>
#include <cstdint>

#include "engine/config/http_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HttpLineReader reader;
    HttpTarget target{u"host", 80, u"/"};
    for (size_t i = 0; i < size; ++i) {
        if (!reader.push(data[i])) continue;
        const std::u16string line = reader.take();
        httpStatus(line.c_str());
        readLocation(line.c_str(), &target);
    }
    const std::u16string rest = reader.take();
    httpStatus(rest.c_str());
    readLocation(rest.c_str(), &target);
    return 0;
}
