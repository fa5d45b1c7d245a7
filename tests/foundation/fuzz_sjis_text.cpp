// Runs the Shift-JIS text and path helpers over arbitrary bytes: malformed lead bytes,
// over-long paths and stray separators must never make a scan leave its text or buffer.
// The input is split at its first NUL into two texts, each in a heap block of exactly its size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/DPath.h"
#include "foundation/DStr.h"
#include "foundation/DString.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    const char* split = static_cast<const char*>(std::memchr(bytes, 0, size));
    const size_t firstLength = split ? size_t(split - bytes) : size;
    std::vector<char> a(bytes, bytes + firstLength);
    a.push_back('\0');
    std::vector<char> b;
    if (split) {
        const char* second = split + 1;
        const char* end = static_cast<const char*>(std::memchr(second, 0, size - firstLength - 1));
        b.assign(second, end ? end : bytes + size);
    }
    b.push_back('\0');

    DStrCompareNoCase(a.data(), b.data(), SIZE_MAX);
    DStrEqualsNoCase(a.data(), b.data());
    DStrEquals(a.data(), b.data());

    const char* cursor = a.data();
    while (DStrNextChar(cursor) != 0) {
    }

    std::vector<uint16_t> units(a.size());
    DStrToCodeUnits(units.data(), a.data());
    std::vector<char> back(2 * a.size() + 1);
    DCodeUnitsToStr(back.data(), units.data());

    char directory[DPATH_SIZE], name[DPATH_SIZE], extension[DPATH_SIZE], made[DPATH_SIZE];
    DPathSplit(a.data(), directory, name, extension);
    DPathSplitDrive(b.data(), directory, name, extension);
    DPathMake(made, a.data(), b.data(), extension);
    DPathConcat(made, b.data());

    DString result;
    DPathNormalize(a.data(), result, b.data());
    result.AppendStr(result.GetHandle());

    std::vector<char> slashed = a;
    DPathToSlash(slashed.data());
    return 0;
}
