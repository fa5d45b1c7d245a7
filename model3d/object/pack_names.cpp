#include "model3d/object/pack_names.h"

#include "foundation/pack/pack_registry.h"
#include "framework/file/path.h"
#include "platform/os/cp932.h"

namespace {

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

std::u16string resolvePackPath(const char16_t* directory, const char16_t* name) {
    char16_t resolved[kPackPathUnits];
    pelPathResolve(resolved, directory, kPackPathUnits, name ? name : u"");
    return resolved;
}

std::string packName(const std::u16string& path) {
    std::string bytes = platform::os::utf16ToCp932(path);
    if (bytes.size() < kPackNameBytes) return bytes;
    // Walk the characters so that a cut never splits a double-byte one.
    size_t end = 0;
    while (end < bytes.size()) {
        const size_t width = isLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        if (end + width > kPackNameBytes - 1) break;
        end += width;
    }
    bytes.resize(end);
    return bytes;
}

uint32_t defaultPack() { return lfmRegistPack(""); }
