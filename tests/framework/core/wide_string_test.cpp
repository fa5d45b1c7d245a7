#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/core/wide_string.h"

namespace {

TEST(WideString, CharacterClassBoundaries) {
    const struct {
        char16_t unit;
        bool digit, blank, control;
    } cases[] = {
        {u'0', true, false, false},   {u'9', true, false, false},    {0xFF10, true, false, false},
        {0xFF19, true, false, false}, {0xFF1A, false, false, false}, {u' ', false, true, false},
        {u'\t', false, true, false},  {0x3000, false, true, false},  {0, false, false, true},
        {8, false, false, true},      {u'\n', false, false, false},  {11, false, false, true},
        {u'\r', false, false, false}, {14, false, false, true},      {31, false, false, true},
        {126, false, false, false},   {127, false, false, true},     {160, false, false, true},
        {161, false, false, false},   {173, false, false, true},     {0x2000, false, false, true},
        {0x200F, false, false, true}, {0x2010, false, false, false}, {0x2011, false, false, true},
        {0x2028, false, false, true}, {0x202F, false, false, true},  {0x2030, false, false, false},
        {0x205F, false, false, true}, {0x206F, false, false, true},  {0x2070, false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pelCharIsDigit(c.unit), c.digit) << std::hex << int(c.unit);
        EXPECT_EQ(pelCharIsBlank(c.unit), c.blank) << std::hex << int(c.unit);
        EXPECT_EQ(pelCharIsControl(c.unit), c.control) << std::hex << int(c.unit);
    }
}

TEST(WideString, CopyReportsWhetherTheWholeSourceFitted) {
    const char16_t source[] = u"xyz";
    char16_t destination[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(pelStrCopy(source, destination, 3), nullptr);
    EXPECT_EQ(std::u16string(destination), u"xy");
    EXPECT_EQ(pelStrCopy(source, destination, 4), source + 3);
    EXPECT_EQ(std::u16string(destination), u"xyz");

    char16_t joined[6] = u"ab";
    pelStrCat(6, joined, u"cdefg");
    EXPECT_EQ(std::u16string(joined), u"abcde");

    char16_t* copy = pelStrDup(u"dup");
    EXPECT_TRUE(pelStrEqual(copy, u"dup"));
    EXPECT_FALSE(pelStrEqual(copy, u"du"));
    std::free(copy);
}

TEST(WideString, CaseFoldingCoversAsciiAndFullWidthLetters) {
    EXPECT_TRUE(pelStrCompareNoCase(u"\uFF21", u"\uFF41", 1));
    EXPECT_TRUE(pelStrCompareNoCase(u"A", u"a", 1));
    EXPECT_FALSE(pelStrCompareNoCase(u"\uFF21", u"a", 1));
    EXPECT_TRUE(pelStrCompareNoCase(u"ABCdef", u"abcXYZ", 3));
    EXPECT_TRUE(pelStrCompareNoCase(u"AB", u"ab", 10));  // stops at b's terminator
    EXPECT_FALSE(pelStrCompareNoCase(u"ABC", u"ab", 10));
    char16_t text[] = u"Sys/\uFF22ase.CNUT";
    pelStrToLower(text);
    EXPECT_EQ(std::u16string(text), u"sys/\uFF42ase.cnut");
}

TEST(WideString, PathAndSchemeSearches) {
    const char16_t* path = u"a\\b/c";
    EXPECT_EQ(pelPathFindSeparator(path), path + 1);
    EXPECT_EQ(pelPathFindLastSeparator(path), path + 3);
    EXPECT_EQ(pelPathFindSeparator(u"abc"), nullptr);
    const char16_t* url = u"http://host/";
    EXPECT_EQ(pelStrFindUrlScheme(url), url + 4);
    EXPECT_EQ(pelStrFindUrlScheme(u"host:80"), nullptr);
}

TEST(WideString, TokensHonourQuotesEscapesAndTerminators) {
    const struct {
        const char16_t* text;
        const char16_t* terminators;
        bool stopAtEquals;
        size_t outputSize;
        std::u16string token;
        std::u16string rest;
    } cases[] = {
        {u"  plain next", nullptr, false, 32, u"plain", u" next"},
        {u"\"a b\" c", nullptr, false, 32, u"a b", u" c"},
        {u"\u201Da b\u201D c", nullptr, false, 32, u"a b", u" c"},
        {u"\\\"x y", nullptr, false, 32, u"\"x", u" y"},
        {u"\uFFE5\"x", nullptr, false, 32, u"\"x", u""},
        {u"key=value", nullptr, true, 32, u"key", u"=value"},
        {u"key\uFF1Dvalue", nullptr, true, 32, u"key", u"\uFF1Dvalue"},
        {u"key=value", nullptr, false, 32, u"key=value", u""},
        {u"a,b", u",;", false, 32, u"a", u",b"},
        {u"\"a,b\"", u",", false, 32, u"a,b", u""},
        {u"line\nnext", nullptr, false, 32, u"line", u"\nnext"},
        {u"\"open\rquote", nullptr, false, 32, u"open", u"\rquote"},
        {u"abcdef rest", nullptr, false, 4, u"abc", u" rest"},
        {u"\t\u3000", nullptr, false, 4, u"", u""},
    };
    for (const auto& c : cases) {
        char16_t output[32] = {u'#'};
        const char16_t* end =
            pelStrReadToken(c.text, c.terminators, output, c.outputSize, c.stopAtEquals);
        EXPECT_EQ(std::u16string(output), c.token);
        EXPECT_EQ(std::u16string(end), c.rest);
    }
}

TEST(WideString, KeysSkipTheirValues) {
    char16_t key[16];
    const char16_t* end = pelStrReadKey(16, key, u"key = value tail", nullptr);
    EXPECT_EQ(std::u16string(key), u"key");
    EXPECT_EQ(std::u16string(end), u" tail");
    end = pelStrReadKey(16, key, u"flag other", nullptr);
    EXPECT_EQ(std::u16string(key), u"flag");
    EXPECT_EQ(std::u16string(end), u" other");
    end = pelStrReadKey(16, key, u"k\uFF1D\"v w\" z", nullptr);
    EXPECT_EQ(std::u16string(key), u"k");
    EXPECT_EQ(std::u16string(end), u" z");
    EXPECT_EQ(std::u16string(pelStrSkipItem(u"a=1  b=2", nullptr)), u"b=2");
    EXPECT_EQ(std::u16string(pelStrSkipItem(u"word", nullptr)), u"");
}

TEST(WideString, Utf8Encoding) {
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"A", "A"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u3042", "\xE3\x81\x82"},
        {u"\U0001F600", "\xED\xA0\xBD\xED\xB8\x80"},  // each surrogate on its own
    };
    for (const auto& c : cases) {
        char out[16];
        size_t units = 0;
        EXPECT_EQ(pelStrToUtf8(out, sizeof out, &units, c.text.c_str()), c.bytes.size());
        EXPECT_EQ(std::string(out), c.bytes);
        EXPECT_EQ(units, c.text.size());
    }
    // A unit is written only when it fits with the terminator; the count keeps growing.
    char small[4];
    size_t units = 0;
    EXPECT_EQ(pelStrToUtf8(small, sizeof small, &units, u"a\u3042b"), 5u);
    EXPECT_EQ(std::string(small), "a");
    EXPECT_EQ(units, 1u);
}

TEST(WideString, Utf8Decoding) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"abc", u"abc"},         {"\xE3\x81\x82", u"\u3042"},
        {"\xC3\xA9", u"\u00E9"}, {"\xF0\x9F\x98\x80!", u"?!"},
        {"x\xE3\x81", u"x"},  // cut by the end
        {"\x80", u"\u0080"},
    };
    for (const auto& c : cases) {
        char16_t out[16];
        size_t consumed = 0;
        EXPECT_EQ(pelStrFromUtf8(out, 16, &consumed, c.bytes.c_str()), c.text.size());
        EXPECT_EQ(std::u16string(out), c.text);
    }
    char16_t out[3];
    size_t consumed = 0;
    EXPECT_EQ(pelStrFromUtf8(out, 3, &consumed, "ab\xE3\x81\x82"), 3u);
    EXPECT_EQ(std::u16string(out), u"ab");
    EXPECT_EQ(consumed, 2u);
}

TEST(WideString, SwapU64) { EXPECT_EQ(pelSwapU64(0x0102030405060708ull), 0x0807060504030201ull); }

}  // namespace
