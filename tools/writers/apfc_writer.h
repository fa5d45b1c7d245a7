#pragma once
#include <string>
#include <vector>

namespace tools::writers {

// One member of an "APFC" pack archive: its path inside the pack ('/' separators, no leading
// slash) and its bytes.
struct ApfcMember {
    std::u16string name;
    std::string bytes;
};

// The bytes of an "APFC" pack archive holding the members in this order: the big-endian
// header and index, then the data, every byte XORed with the low 8 bits of its offset.
std::string buildApfc(const std::vector<ApfcMember>& members);

// Writes buildApfc's bytes to a UTF-8 path; false when the file cannot be written.
bool writeApfc(const std::string& path, const std::vector<ApfcMember>& members);

}  // namespace tools::writers
