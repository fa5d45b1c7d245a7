#include "framework/core/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/os/cp932.h"

namespace {

// Collects the output: stores what fits, counts everything.
class Output {
public:
    Output(char16_t* destination, size_t size) : destination_(destination), size_(size) {}

    void put(char16_t unit) {
        if (length_ + 1 < size_) destination_[length_] = unit;
        ++length_;
    }
    void put(std::u16string_view units) {
        for (char16_t unit : units) put(unit);
    }
    void repeat(char16_t unit, size_t count) {
        for (size_t i = 0; i < count; ++i) put(unit);
    }

    // Terminates what was stored; a cut that would end on a lead surrogate drops it.
    size_t finish() {
        if (size_ == 0) return length_;
        size_t end = length_ < size_ ? length_ : size_ - 1;
        if (end < length_ && end > 0 && destination_[end - 1] >= 0xD800 &&
            destination_[end - 1] <= 0xDBFF)
            --end;
        destination_[end] = 0;
        return length_;
    }

private:
    char16_t* destination_;
    size_t size_;
    size_t length_ = 0;
};

struct Directive {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    enum class Length { None, Char, Short, Long, LongLong, Size } length = Length::None;
};

// Pads a finished field to the width. Zero padding goes after the sign and the "0x" prefix.
void emitField(Output& out, const Directive& directive, std::u16string_view prefix,
               std::u16string_view body, bool zeroPad) {
    const size_t length = prefix.size() + body.size();
    const size_t pad = directive.width > 0 && static_cast<size_t>(directive.width) > length
                           ? directive.width - length
                           : 0;
    if (!directive.left && !zeroPad) out.repeat(u' ', pad);
    out.put(prefix);
    if (!directive.left && zeroPad) out.repeat(u'0', pad);
    out.put(body);
    if (directive.left) out.repeat(u' ', pad);
}

std::u16string widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

uint64_t readUnsigned(const Directive& directive, va_list& args) {
    switch (directive.length) {
    case Directive::Length::Char:
        return static_cast<unsigned char>(va_arg(args, unsigned));
    case Directive::Length::Short:
        return static_cast<unsigned short>(va_arg(args, unsigned));
    case Directive::Length::Long:
        return va_arg(args, unsigned long);
    case Directive::Length::LongLong:
        return va_arg(args, unsigned long long);
    case Directive::Length::Size:
        return va_arg(args, size_t);
    case Directive::Length::None:
        break;
    }
    return va_arg(args, unsigned);
}

int64_t readSigned(const Directive& directive, va_list& args) {
    switch (directive.length) {
    case Directive::Length::Char:
        return static_cast<signed char>(va_arg(args, int));
    case Directive::Length::Short:
        return static_cast<short>(va_arg(args, int));
    case Directive::Length::Long:
        return va_arg(args, long);
    case Directive::Length::LongLong:
        return va_arg(args, long long);
    case Directive::Length::Size:
        return static_cast<int64_t>(va_arg(args, size_t));
    case Directive::Length::None:
        break;
    }
    return va_arg(args, int);
}

void formatInteger(Output& out, const Directive& directive, char conversion, va_list& args) {
    const bool isSigned = conversion == 'd' || conversion == 'i';
    uint64_t magnitude;
    std::u16string prefix;
    if (isSigned) {
        const int64_t value = readSigned(directive, args);
        magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        if (value < 0) {
            prefix = u"-";
        } else if (directive.plus) {
            prefix = u"+";
        } else if (directive.space) {
            prefix = u" ";
        }
    } else {
        magnitude = readUnsigned(directive, args);
    }
    const int base = conversion == 'x' || conversion == 'X' ? 16 : 10;
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
    std::u16string body = widen(std::string_view(digits, end - digits));
    if (conversion == 'X') {
        for (char16_t& unit : body) {
            if (unit >= u'a' && unit <= u'f') unit = static_cast<char16_t>(unit - 32);
        }
    }
    if (directive.precision >= 0) {
        if (directive.precision == 0 && magnitude == 0) body.clear();
        if (body.size() < static_cast<size_t>(directive.precision))
            body.insert(0, directive.precision - body.size(), u'0');
    }
    if (directive.alternate && base == 16 && magnitude != 0)
        prefix = conversion == 'X' ? u"0X" : u"0x";
    emitField(out, directive, prefix, body,
              directive.zero && !directive.left && directive.precision < 0);
}

void formatFloat(Output& out, const Directive& directive, char conversion, va_list& args) {
    const double value = va_arg(args, double);
    const int precision = directive.precision >= 0 ? directive.precision : 6;
    std::chars_format format = std::chars_format::general;
    const char lower = static_cast<char>(conversion | 0x20);
    if (lower == 'f') format = std::chars_format::fixed;
    if (lower == 'e') format = std::chars_format::scientific;
    char digits[400];
    const double magnitude = value < 0 || (value == 0 && std::signbit(value)) ? -value : value;
    auto result = std::to_chars(digits, digits + sizeof digits, magnitude, format, precision);
    std::u16string body = widen(std::string_view(digits, result.ptr - digits));
    if (conversion != lower) {
        for (char16_t& unit : body) {
            if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - 32);
        }
    }
    std::u16string prefix;
    if (std::signbit(value) && value == value) {
        prefix = u"-";
    } else if (directive.plus) {
        prefix = u"+";
    } else if (directive.space) {
        prefix = u" ";
    }
    const bool finite = value - value == 0;
    emitField(out, directive, prefix, body, directive.zero && !directive.left && finite);
}

void formatText(Output& out, const Directive& directive, bool wide, va_list& args) {
    std::u16string body;
    if (wide) {
        const char16_t* text = va_arg(args, const char16_t*);
        if (!text) text = u"(null)";
        size_t length = 0;
        while (text[length] &&
               (directive.precision < 0 || length < static_cast<size_t>(directive.precision)))
            ++length;
        body.assign(text, length);
    } else {
        const char* text = va_arg(args, const char*);
        if (!text) text = "(null)";
        size_t length = 0;
        while (text[length] &&
               (directive.precision < 0 || length < static_cast<size_t>(directive.precision)))
            ++length;
        body = platform::os::cp932ToUtf16(std::string_view(text, length));
    }
    emitField(out, directive, u"", body, false);
}

void formatChar(Output& out, const Directive& directive, bool wide, va_list& args) {
    const int value = va_arg(args, int);
    std::u16string body;
    if (wide) {
        body.assign(1, static_cast<char16_t>(value));
    } else {
        const char byte = static_cast<char>(value);
        body = platform::os::cp932ToUtf16(std::string_view(&byte, 1));
    }
    emitField(out, directive, u"", body, false);
}

int readNumber(const char16_t*& at) {
    int value = 0;
    while (*at >= u'0' && *at <= u'9') {
        if (value < 100000) value = value * 10 + (*at - u'0');
        ++at;
    }
    return value;
}

// Reads one conversion after its '%'; returns the position after it.
const char16_t* convert(Output& out, const char16_t* at, va_list& args) {
    const char16_t* const start = at - 1;
    Directive directive;
    for (;; ++at) {
        if (*at == u'-')
            directive.left = true;
        else if (*at == u'+')
            directive.plus = true;
        else if (*at == u' ')
            directive.space = true;
        else if (*at == u'#')
            directive.alternate = true;
        else if (*at == u'0')
            directive.zero = true;
        else
            break;
    }
    if (*at == u'*') {
        ++at;
        directive.width = va_arg(args, int);
        if (directive.width < 0) {
            directive.left = true;
            directive.width = directive.width == INT32_MIN ? 0 : -directive.width;
        }
    } else {
        directive.width = readNumber(at);
    }
    if (*at == u'.') {
        ++at;
        if (*at == u'*') {
            ++at;
            directive.precision = va_arg(args, int);
            if (directive.precision < 0) directive.precision = -1;
        } else {
            directive.precision = readNumber(at);
        }
    }
    if (at[0] == u'h' && at[1] == u'h') {
        directive.length = Directive::Length::Char;
        at += 2;
    } else if (at[0] == u'h') {
        directive.length = Directive::Length::Short;
        ++at;
    } else if (at[0] == u'l' && at[1] == u'l') {
        directive.length = Directive::Length::LongLong;
        at += 2;
    } else if (at[0] == u'l') {
        directive.length = Directive::Length::Long;
        ++at;
    } else if (at[0] == u'z') {
        directive.length = Directive::Length::Size;
        ++at;
    } else if (at[0] == u'I' && at[1] == u'6' && at[2] == u'4') {
        directive.length = Directive::Length::LongLong;
        at += 3;
    } else if (at[0] == u'I' && at[1] == u'3' && at[2] == u'2') {
        at += 3;
    }
    const char16_t conversion = *at;
    switch (conversion) {
    case u'd':
    case u'i':
    case u'u':
    case u'x':
    case u'X':
        formatInteger(out, directive, static_cast<char>(conversion), args);
        break;
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
        formatFloat(out, directive, static_cast<char>(conversion), args);
        break;
    case u's':
        formatText(out, directive, directive.length == Directive::Length::Long, args);
        break;
    case u'c':
        formatChar(out, directive, directive.length == Directive::Length::Long, args);
        break;
    case u'%':
        out.put(u'%');
        break;
    case 0:
        return at;  // a '%' cut off by the end of the format prints nothing
    default:
        out.put(std::u16string_view(start, at + 1 - start));
        break;
    }
    return at + 1;
}

}  // namespace

size_t pelVformatCut(char16_t* destination, size_t size, const char16_t* format, va_list args) {
    Output out(destination, size);
    va_list walk;
    va_copy(walk, args);
    for (const char16_t* at = format; *at;) {
        if (*at != u'%') {
            out.put(*at++);
            continue;
        }
        at = convert(out, at + 1, walk);
    }
    va_end(walk);
    return out.finish();
}

void pelVsprintf(char16_t* destination, size_t size, const char16_t* format, va_list args) {
    if (size == 0) return;
    if (pelVformatCut(destination, size, format, args) >= size) destination[0] = 0;
}

void pelSprintf(char16_t* destination, size_t size, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    pelVsprintf(destination, size, format, args);
    va_end(args);
}
