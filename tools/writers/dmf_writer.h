#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools::writers {

// One member of a "DMF " archive: its name (8-bit, stored as given) and its bytes.
struct DmfMember {
    std::string name;
    std::string bytes;
};

// A "DMF " archive: the magic, the member count and one directory entry per member (name
// length, name, offset from the archive's start, size; little-endian 32-bit integers), then
// the members' bytes one after the other in the given order.
std::string writeDmf(const std::vector<DmfMember>& members);

// A directory entry written as given, for archives whose entries point anywhere.
struct DmfEntry {
    std::string name;
    int32_t offset = 0;
    int32_t size = 0;
};

// The magic, `count` and the entries as given (count need not match the entries).
std::string writeDmfDirectory(int32_t count, const std::vector<DmfEntry>& entries);

}  // namespace tools::writers
