#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framework/core/format.h"

namespace {

template <typename... Args>
std::u16string format(const char16_t* pattern, Args... args) {
    char16_t out[256];
    pelSprintf(out, 256, pattern, args...);
    return out;
}

TEST(Format, Conversions) {
    EXPECT_EQ(format(u"%d|%i|%u|%x|%X", -12, 7, 4000000000u, 0xBEEFu, 0xBEEFu),
              u"-12|7|4000000000|beef|BEEF");
    EXPECT_EQ(format(u"%5d|%-5d|%05d|%+d|% d", 42, 42, -42, 42, 42), u"   42|42   |-0042|+42| 42");
    EXPECT_EQ(format(u"%.3d|%#x|%08X", 7, 255u, 0xABu), u"007|0xff|000000AB");
    EXPECT_EQ(format(u"%lu|%llu|%I64d", 123ul, 18446744073709551615ull, -9000000000ll),
              u"123|18446744073709551615|-9000000000");
    EXPECT_EQ(format(u"%*d|%-*d|", 4, 1, 3, 2), u"   1|2  |");
    EXPECT_EQ(format(u"%ls|%5ls|%-4ls|%.2ls", u"wide", u"ab", u"c", u"xyz"), u"wide|   ab|c   |xy");
    EXPECT_EQ(format(u"%lc%c%%", char16_t(0x3042), 'z'), u"\u3042z%");
    EXPECT_EQ(
        format(u"%ls %s", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
        u"(null) (null)");
    EXPECT_EQ(format(u"%.14g|%g|%.2f|%e", 0.1, 1e20, 2.345, 1.5), u"0.1|1e+20|2.35|1.500000e+00");
    EXPECT_EQ(format(u"%d%%", INT32_MIN), u"-2147483648%");
    EXPECT_EQ(format(u"%q|%"), u"%q|");
}

TEST(Format, EightBitTextIsDecodedAsCp932) {
    // "日本" in Shift-JIS, then half-width katakana "ｱ".
    EXPECT_EQ(format(u"[%s]", "\x93\xFA\x96\x7B\xB1"), u"[\u65E5\u672C\uFF71]");
    EXPECT_EQ(format(u"%s", "back\\slash"), u"back\\slash");
    EXPECT_EQ(format(u"%c", '\xB1'), u"\uFF71");
}

TEST(Format, ResultThatDoesNotFitBecomesEmpty) {
    char16_t out[4];
    pelSprintf(out, 4, u"%ls", u"abc");
    EXPECT_EQ(std::u16string(out), u"abc");
    pelSprintf(out, 4, u"%ls", u"abcd");
    EXPECT_EQ(std::u16string(out), u"");
    out[0] = u'#';
    pelSprintf(out, 0, u"x");
    EXPECT_EQ(out[0], u'#');
}

std::u16string cut(size_t size, const char16_t* pattern, ...) {
    char16_t out[16];
    va_list args;
    va_start(args, pattern);
    const size_t needed = pelVformatCut(out, size, pattern, args);
    va_end(args);
    return std::u16string(out) + u"/" + static_cast<char16_t>(u'0' + needed);
}

TEST(Format, CuttingKeepsWhatFitsAndNeverSplitsASurrogatePair) {
    EXPECT_EQ(cut(4, u"%ls", u"abcdef"), u"abc/6");
    EXPECT_EQ(cut(4, u"%ls", u"ab\U0001F600"), u"ab/4");
    EXPECT_EQ(cut(5, u"%ls", u"ab\U0001F600"), u"ab\U0001F600/4");
}

}  // namespace
