#include "foundation/DStr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/foundation/exact_text.h"

namespace mirel {
namespace {

using test::ExactText;

TEST(DStr, LeadBytesAreTheFixedCp932Ranges) {
    for (int c = 0; c < 256; ++c) {
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(DIsLeadByte(static_cast<char>(c)), lead) << c;
    }
}

TEST(DStr, CompareNoCase) {
    struct Case {
        const char* a;
        const char* b;
        size_t n;
        int want;
    };
    const Case cases[] = {
        {"ABC", "abc", 3, 0},
        {"abc", "ABC", 3, 0},
        {"a1[", "A1[", 3, 0},            // only letters fold
        {"[", "{", 1, 1},                // '[' + 32 is '{', not a letter
        {"\x82\x41", "\x82\x61", 2, 1},  // trail bytes 'A' and 'a' differ exactly
        {"\x82\x41", "\x82\x41", 2, 0},
        {"\xB1", "\xB1", 1, 0},  // half-width katakana matches exactly
        {"\xB1", "\xD1", 1, 1},  // and never folds
        {"abc", "abd", 2, 0},    // only n bytes
        {"ab", "abc", 3, 1},
        {"abc", "ab", 3, 1},
        {"", "", 5, 0},
        {"x\x82", "x\x82", 5, 0},  // a lead byte before the NUL is one byte
        {"x\x82", "X\x82", 5, 0},
        {"\x82", "\x82\x41", 2, 1},
        {"\x82\x41", "\x82", 2, 1},
        {"a\x82\x41", "A\x82\x41", 100, 0},
    };
    for (const Case& c : cases) {
        auto a = ExactText(c.a), b = ExactText(c.b);
        EXPECT_EQ(DStrCompareNoCase(a.get(), b.get(), c.n), c.want) << c.a << " / " << c.b;
    }
}

TEST(DStr, EqualityHelpersReturnZeroWhenEqual) {
    EXPECT_EQ(DStrEquals("abc", "abc"), 0);
    EXPECT_EQ(DStrEquals("abc", "abcd"), 1);
    EXPECT_EQ(DStrEquals("abc", "ABC"), 1);
    EXPECT_EQ(DStrEqualsNoCase("Data\\File.PNG", "data\\file.png"), 0);
    EXPECT_EQ(DStrEqualsNoCase("abc", "abcd"), 1);
    EXPECT_EQ(DStrEqualsNoCase(nullptr, ""), 0);  // a missing text counts as ""
    EXPECT_EQ(DStrEqualsNoCase(nullptr, "a"), 1);
    EXPECT_EQ(DStrCompareN("abcX", "abcY", 3), 0);
    EXPECT_EQ(DStrCompareN("ab", "ab", 10), 0);
    EXPECT_EQ(DStrCompareN("ab", "abc", 10), 1);
}

TEST(DStr, BoundedCopies) {
    char buffer[8] = "zzzzzzz";
    DStrCopyN(buffer, "abcdef", 0);
    EXPECT_STREQ(buffer, "zzzzzzz");
    DStrCopyN(buffer, "abcdef", 4);
    EXPECT_STREQ(buffer, "abc");
    DStrCopyN(buffer, "ab", 8);
    EXPECT_STREQ(buffer, "ab");
    DStrAppend(buffer, "cd");
    EXPECT_STREQ(buffer, "abcd");
    DStrCopy(buffer, nullptr);
    EXPECT_STREQ(buffer, "");
}

TEST(DStr, NextCharStepsOverWholeCharacters) {
    auto text = ExactText("a\x82\xA0\xB1\x82");
    const char* cursor = text.get();
    std::vector<uint32_t> got;
    for (uint32_t c; (c = DStrNextChar(cursor)) != 0;) got.push_back(c);
    EXPECT_EQ(got, (std::vector<uint32_t>{'a', 0x82A0, 0xB1, 0x82}));
    EXPECT_EQ(*cursor, '\0');

    const char* line = "\r\n";
    EXPECT_EQ(DStrNextChar(line), 0u);
    EXPECT_EQ(*line, '\r');
}

TEST(DStr, CodeUnitsRoundTrip) {
    const std::string text = "A\x83\x5C\xB1z\x82";  // ソ has the trail byte '\'
    auto exact = ExactText(text);
    uint16_t units[16];
    ASSERT_EQ(DStrToCodeUnits(units, exact.get()), 5u);
    EXPECT_EQ(units[0], 'A');
    EXPECT_EQ(units[1], 0x835C);
    EXPECT_EQ(units[2], 0xB1);
    EXPECT_EQ(units[4], 0x82);  // the lone lead byte at the end stays one unit
    EXPECT_EQ(units[5], 0);
    char back[16];
    EXPECT_EQ(DCodeUnitsToStr(back, units), text.size() + 1);
    EXPECT_EQ(std::string(back), text);

    // Bounds: n bytes in, n units out; a character crossing n is left out.
    EXPECT_EQ(DStrToCodeUnits(units, "A\x83\x5Cz", 2), 1u);
    EXPECT_EQ(DStrToCodeUnits(units, "A\x83\x5Cz", 3), 2u);
    EXPECT_EQ(DCodeUnitsToStr(back, units, 1), 2u);
    EXPECT_STREQ(back, "A");
}

}  // namespace
}  // namespace mirel
