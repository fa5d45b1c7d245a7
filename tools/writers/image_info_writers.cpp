#include "tools/writers/image_info_writers.h"

#include <bit>

#include "tools/writers/big_endian.h"

namespace tools::writers {

std::string buildApib(const ApibSpec& spec) {
    std::string out = "APIB";
    putU32BigEndian(out, spec.version);
    putU32BigEndian(out, spec.flags);
    putU32BigEndian(out, static_cast<uint32_t>(spec.firstValue));
    putU32BigEndian(out, static_cast<uint32_t>(spec.secondValue));
    putU32BigEndian(out, spec.gammaMode);
    putU32BigEndian(out, std::bit_cast<uint32_t>(spec.gamma));
    putU32BigEndian(out, spec.alphaMode);
    return out;
}

std::string buildCpib(const CpibSpec& spec) {
    // The stored formats in file order, each with its levels' data.
    std::vector<const std::vector<std::string>*> stored = {&spec.baseLevels};
    uint32_t flags = 0;
    for (int kind = 0; kind < 5; ++kind) {
        if (spec.compressedLevels[kind].empty()) continue;
        stored.push_back(&spec.compressedLevels[kind]);
        flags |= 0x20000u << kind;
    }
    if (flags == 0) flags = 0x10000;
    if (spec.explicitFlags) flags = spec.flags;

    std::string out = "CPIB";
    putU32BigEndian(out, spec.version);
    putU32BigEndian(out, spec.width);
    putU32BigEndian(out, spec.height);
    putU32BigEndian(out, flags);
    putU32BigEndian(out, spec.levelsMinusOne);
    putU32BigEndian(out, static_cast<uint32_t>(spec.firstValue));
    putU32BigEndian(out, static_cast<uint32_t>(spec.secondValue));
    putU32BigEndian(out, std::bit_cast<uint32_t>(spec.gamma));
    putU32BigEndian(out, spec.alphaMode);

    const size_t levels = spec.levelsMinusOne + 1;
    uint32_t offset = static_cast<uint32_t>(out.size() + stored.size() * levels * 4);
    std::string data;
    for (const std::vector<std::string>* format : stored) {
        for (size_t level = 0; level < levels; ++level) {
            putU32BigEndian(out, offset);
            if (level < format->size()) {
                data += (*format)[level];
                offset += static_cast<uint32_t>((*format)[level].size());
            }
        }
    }
    return out + data;
}

}  // namespace tools::writers
