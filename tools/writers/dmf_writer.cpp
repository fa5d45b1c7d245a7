#include "tools/writers/dmf_writer.h"

#include "tools/writers/little_endian.h"

namespace tools::writers {

std::string writeDmfDirectory(int32_t count, const std::vector<DmfEntry>& entries) {
    std::string out = "DMF ";
    putU32(out, static_cast<uint32_t>(count));
    for (const DmfEntry& entry : entries) {
        putU32(out, static_cast<uint32_t>(entry.name.size()));
        out += entry.name;
        putU32(out, static_cast<uint32_t>(entry.offset));
        putU32(out, static_cast<uint32_t>(entry.size));
    }
    return out;
}

std::string writeDmf(const std::vector<DmfMember>& members) {
    size_t directorySize = 8;
    for (const DmfMember& member : members) directorySize += 12 + member.name.size();

    std::vector<DmfEntry> entries;
    size_t offset = directorySize;
    for (const DmfMember& member : members) {
        entries.push_back(
            {member.name, static_cast<int32_t>(offset), static_cast<int32_t>(member.bytes.size())});
        offset += member.bytes.size();
    }
    std::string out = writeDmfDirectory(static_cast<int32_t>(members.size()), entries);
    for (const DmfMember& member : members) out += member.bytes;
    return out;
}

}  // namespace tools::writers
