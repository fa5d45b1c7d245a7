#include "tools/writers/apfc_writer.h"

#include <cstdint>
#include <fstream>

#include "tools/writers/big_endian.h"

namespace tools::writers {

using tools::writers::putBigEndian;

std::string buildApfc(const std::vector<ApfcMember>& members) {
    std::string out = "APFC";
    putBigEndian(out, 0, 4);  // version
    putBigEndian(out, 0, 8);  // reserved
    putBigEndian(out, members.size(), 4);
    for (const ApfcMember& member : members) {
        putBigEndian(out, member.name.size(), 4);
        for (char16_t unit : member.name) putBigEndian(out, unit, 2);
        putBigEndian(out, member.bytes.size(), 8);
    }
    for (const ApfcMember& member : members) out += member.bytes;
    for (size_t offset = 0; offset < out.size(); ++offset)
        out[offset] = static_cast<char>(out[offset] ^ (offset & 0xFF));
    return out;
}

bool writeApfc(const std::string& path, const std::vector<ApfcMember>& members) {
    const std::string bytes = buildApfc(members);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace tools::writers
