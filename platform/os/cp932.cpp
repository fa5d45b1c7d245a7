#include "platform/os/cp932.h"

#include <iconv.h>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "platform/os/utf8.h"

namespace platform::os {
namespace {

constexpr const char* kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One iconv descriptor per thread and direction: descriptors keep shift state and must not be
// shared between threads.
class IconvDescriptor {
public:
    IconvDescriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("CP932 codec unavailable: iconv_open(") + to +
                                     ", " + from + ") failed");
        }
    }
    ~IconvDescriptor() { iconv_close(cd_); }
    IconvDescriptor(const IconvDescriptor&) = delete;
    IconvDescriptor& operator=(const IconvDescriptor&) = delete;

    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return cd_;
    }

private:
    iconv_t cd_;
};

iconv_t decoder() {
    thread_local IconvDescriptor descriptor(kUtf16Native, "CP932");
    return descriptor.get();
}

iconv_t encoder() {
    thread_local IconvDescriptor descriptor("CP932", kUtf16Native);
    return descriptor.get();
}

constexpr bool isCp932TrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// How many bytes an undefined sequence at text[0] spans: a lead byte with a byte of the trail
// range after it is one undefined double-byte character; anything else is one stray byte, so
// that an ASCII byte after a broken lead byte survives.
size_t undefinedSequenceLength(const char* text, size_t left) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (isCp932LeadByte(lead) && left >= 2 && isCp932TrailByte(static_cast<unsigned char>(text[1])))
        return 2;
    return 1;
}

// Decodes text; on an undefined sequence either substitutes '?' or gives up (strict).
std::optional<std::u16string> decode(std::string_view text, bool strict) {
    // Every CP932 character is one UTF-16 unit, so text.size() units always suffice.
    std::u16string out(text.size(), u'\0');
    iconv_t cd = decoder();
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outStart = reinterpret_cast<char*>(out.data());
    char* outPtr = outStart;
    size_t outLeft = out.size() * sizeof(char16_t);
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
        // EILSEQ (undefined sequence) or EINVAL (lead byte cut off at the end); the output is
        // sized so that it cannot run out.
        if (strict) return std::nullopt;
        const size_t skip = undefinedSequenceLength(in, inLeft);
        in += skip;
        inLeft -= skip;
        const char16_t question = u'?';
        std::memcpy(outPtr, &question, sizeof question);
        outPtr += sizeof question;
        outLeft -= sizeof question;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<size_t>(outPtr - outStart) / sizeof(char16_t));
    return out;
}

}  // namespace

std::u16string cp932ToUtf16(std::string_view text) { return *decode(text, false); }

std::optional<std::u16string> cp932ToUtf16Strict(std::string_view text) {
    return decode(text, true);
}

std::string utf16ToCp932(std::u16string_view text) {
    // At most two bytes per UTF-16 unit.
    std::string out(text.size() * 2, '\0');
    iconv_t cd = encoder();
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
    size_t inLeft = text.size() * sizeof(char16_t);
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
        // An unmappable character, an unpaired surrogate or a high surrogate cut off at the end:
        // one '?' for the whole code point.
        size_t skip = sizeof(char16_t);
        char16_t unit;
        std::memcpy(&unit, in, sizeof unit);
        if (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 2 * sizeof(char16_t)) {
            char16_t next;
            std::memcpy(&next, in + sizeof unit, sizeof next);
            if (next >= 0xDC00 && next <= 0xDFFF) skip *= 2;
        }
        in += skip;
        inLeft -= skip;
        *outPtr++ = '?';
        --outLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
}

std::string cp932ToUtf8(std::string_view text) { return utf16ToUtf8(cp932ToUtf16(text)); }

std::string utf8ToCp932(std::string_view text) { return utf16ToCp932(utf8ToUtf16(text)); }

}  // namespace platform::os
