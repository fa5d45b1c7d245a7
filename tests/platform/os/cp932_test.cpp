#include "platform/os/cp932.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/os/utf8.h"

namespace platform::os {
namespace {

TEST(Cp932, LeadBytePredicateIsTheFixedRanges) {
    for (int b = 0; b < 256; ++b) {
        const bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(isCp932LeadByte(static_cast<unsigned char>(b)), expected) << b;
    }
}

struct DecodeCase {
    const char* bytes;
    std::u16string utf16;
};

TEST(Cp932, DecodesTheWindowsMapping) {
    const DecodeCase cases[] = {
        {"a\\~", u"a\\~"},        // 5C and 7E stay ASCII (never yen / overline)
        {"\x81\x5F", u"\uFF3C"},  // full-width backslash
        {"\x81\x60", u"\uFF5E"},  // wave dash as Windows maps it
        {"\x81\x61", u"\u2225"},
        {"\x81\x7C", u"\uFF0D"},
        {"\x87\x90", u"\u2252"},  // NEC row 13
        {"\xED\x40", u"\u7E8A"},  // NEC-selected IBM extension
        {"\xFA\x40", u"\u2170"},  // IBM extension
        {"\xF0\x40", u"\uE000"},  // user-defined area
        {"\xB1", u"\uFF71"},      // half-width katakana
        {"\x83\x5C", u"\u30BD"},  // trail byte 0x5C
        {"\x93\xFA\x96\x7B", u"\u65E5\u672C"},
    };
    for (const DecodeCase& c : cases) EXPECT_EQ(cp932ToUtf16(c.bytes), c.utf16) << c.bytes;
}

TEST(Cp932, EncodingPrefersOneCodeForDuplicatedCharacters) {
    // Characters CP932 holds twice encode to the JIS row or the IBM extension, as on Windows.
    EXPECT_EQ(utf16ToCp932(u"\u2252"), "\x81\xE0");
    EXPECT_EQ(utf16ToCp932(u"\u7E8A"), "\xFA\x5C");
    EXPECT_EQ(utf16ToCp932(u"\uFF3C\uFF5E\u30BD\u65E5\u672C\uFF71\uE000"),
              "\x81\x5F\x81\x60\x83\x5C\x93\xFA\x96\x7B\xB1\xF0\x40");
}

TEST(Cp932, UndefinedAndCutSequencesBecomeOneQuestionMark) {
    const DecodeCase cases[] = {
        {"a\x80z", u"a?z"},  // undefined single bytes
        {"a\xA0z", u"a?z"},     {"a\xFFz", u"a?z"},
        {"a\x85\x40z", u"a?z"},  // undefined double-byte code: one character
        {"a\x81 z", u"a? z"},    // lead byte before a non-trail byte keeps the ASCII byte
        {"ab\x81", u"ab?"},      // lead byte cut off at the end
        {"\x82", u"?"},
    };
    for (const DecodeCase& c : cases) {
        EXPECT_EQ(cp932ToUtf16(c.bytes), c.utf16) << c.bytes;
        EXPECT_FALSE(cp932ToUtf16Strict(c.bytes).has_value()) << c.bytes;
    }
    EXPECT_EQ(cp932ToUtf16Strict("\x82\xA0x"), std::u16string(u"\u3042x"));
}

TEST(Cp932, EmbeddedNulIsKept) {
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(cp932ToUtf16(bytes), std::u16string(u"a\0b", 3));
}

TEST(Cp932, EncodingUsesWindowsCompatibilityMappingsAndQuestionMarks) {
    EXPECT_EQ(utf16ToCp932(u"\u00A5"), "\x5C");
    EXPECT_EQ(utf16ToCp932(u"\u203E"), "\x7E");
    EXPECT_EQ(utf16ToCp932(u"\u301C"), "\x81\x60");
    EXPECT_EQ(utf16ToCp932(u"\u2212"), "\x81\x7C");
    // Unmappable: a letter CP932 lacks, a supplementary-plane character (one '?' for its
    // surrogate pair), an unpaired surrogate, a high surrogate cut off at the end.
    EXPECT_EQ(utf16ToCp932(u"x\u00E9y"), "x?y");
    EXPECT_EQ(utf16ToCp932(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(utf16ToCp932(std::u16string(u"x\xDC00y")), "x?y");
    EXPECT_EQ(utf16ToCp932(std::u16string(u"x\xD800")), "x?");
}

TEST(Cp932, Utf8RoundTrip) {
    const std::string cp932 = "data\\\x83\x5C\x83\x74\x83\x67.txt";  // data\ソフト.txt
    const std::string utf8 = cp932ToUtf8(cp932);
    EXPECT_EQ(utf8, "data\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.txt");
    EXPECT_EQ(utf8ToCp932(utf8), cp932);
    EXPECT_EQ(utf8ToCp932("bad \xC3 utf8 \xC3\xA9"), "bad ? utf8 ?");
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(utf8ToUtf16("a\xE3\x81"), u"a\uFFFD\uFFFD");          // cut sequence
    EXPECT_EQ(utf16ToUtf8(std::u16string(u"\xD800x")), "\xEF\xBF\xBDx");
    EXPECT_EQ(utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Cp932, ConcurrentConversionsAgree) {
    const std::string text = "\x93\xFA\x96\x7B\x8C\xEA abc \x85\x40 \x83\x5C";
    const std::u16string expected = cp932ToUtf16(text);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (cp932ToUtf16(text) != expected) ++failures[t];
                if (utf16ToCp932(expected) != "\x93\xFA\x96\x7B\x8C\xEA abc ? \x83\x5C")
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
}  // namespace platform::os
