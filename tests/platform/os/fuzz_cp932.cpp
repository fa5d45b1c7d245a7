// Runs the CP932 and UTF-8 codecs over arbitrary bytes. Besides staying inside their buffers,
// the conversions must round-trip what they produce: decoded CP932 text encodes back to bytes
// that decode to the same text, and decoded UTF-8 survives a trip through UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/os/cp932.h"
#include "platform/os/utf8.h"

using namespace platform::os;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::u16string decoded = cp932ToUtf16(bytes);
    if (decoded.size() > bytes.size()) std::abort();
    if (cp932ToUtf16(utf16ToCp932(decoded)) != decoded) std::abort();
    if (const auto strict = cp932ToUtf16Strict(bytes); strict && *strict != decoded) std::abort();

    const std::u16string fromUtf8 = utf8ToUtf16(bytes);
    if (utf8ToUtf16(utf16ToUtf8(fromUtf8)) != fromUtf8) std::abort();
    utf8ToCp932(bytes);

    // The same bytes as UTF-16 units: unpaired surrogates and all.
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    const std::string encoded = utf16ToCp932(units);
    if (encoded.size() > 2 * units.size()) std::abort();
    utf16ToUtf8(units);
    return 0;
}
