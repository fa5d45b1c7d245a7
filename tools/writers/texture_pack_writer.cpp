#include "tools/writers/texture_pack_writer.h"

#include <vector>

#include "tools/writers/dmf_writer.h"
#include "tools/writers/little_endian.h"

namespace tools::writers {

std::string writeTexturePack(const TexturePack& pack) {
    std::string spec = pack.alpha ? "DTCA" : "DTCC";
    putU32(spec, pack.size);
    std::vector<DmfMember> members{{"spec", spec}};
    if (!pack.compress.empty()) members.push_back({"compress", pack.compress});
    if (!pack.raw.empty()) members.push_back({"raw", pack.raw});
    return writeDmf(members);
}

std::string dxt1Block(uint16_t colour565) {
    std::string block;
    putU16(block, colour565);
    putU16(block, colour565);
    putU32(block, 0);
    return block;
}

std::string dxt3Block(uint8_t alpha4, uint16_t colour565) {
    const uint8_t pair = static_cast<uint8_t>((alpha4 & 0xF) | (alpha4 & 0xF) << 4);
    return std::string(8, static_cast<char>(pair)) + dxt1Block(colour565);
}

}  // namespace tools::writers
