#include "render3d/text/text_token.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(TextToken, ParseTokenRemovesQuotesAndEscapesUpToTheLineEnd) {
    struct Case {
        const char* name;
        std::string input;
        size_t size;
        std::string output;
        char ending;
    } cases[] = {
        {"quoted blanks", "\"a b\" c\r\nnext", 64, "a b c", '\r'},
        {"two backslashes", "a\\\\b", 64, "a\\b", '\0'},
        {"escaped quote", "\"say \\\"hi\\\"\"", 64, "say \"hi\"", '\0'},
        {"unclosed quote", "\"open to end\nx", 64, "open to end", '\n'},
        // ソ is 0x83 0x5C: its trail byte is no backslash.
        {"trail byte 0x5c",
         "\x83\x5c"
         "a",
         64,
         "\x83\x5c"
         "a",
         '\0'},
        {"trail byte 0x22",
         "\x83\x22"
         "b",
         64,
         "\x83\x22"
         "b",
         '\0'},
        {"cut", "abcdef", 4, "abc", '\0'},
        {"double byte that does not fit", "ab\x83\x5c", 4, "ab", '\0'},
        {"lead byte before the end", "a\x83", 64, "a\x83", '\0'},
    };
    for (const Case& c : cases) {
        std::string buffer(c.size, '#');
        EXPECT_EQ(l3dParseToken(buffer.data(), c.size, c.input.c_str()), c.ending) << c.name;
        EXPECT_EQ(std::string(buffer.c_str()), c.output) << c.name;
        std::string inPlace = c.input;
        inPlace.resize(std::max(inPlace.size() + 1, c.size));
        l3dParseToken(inPlace.data(), c.size, inPlace.data());
        EXPECT_EQ(std::string(inPlace.c_str()), c.output) << c.name << " in place";
    }
}

TEST(TextToken, GetTokenCopiesAtMost263BytesOfTheReference) {
    char buffer[kL3DTokenSize];
    const std::string pool = "\"name\"rest-of-pool";
    EXPECT_EQ(l3dGetToken(buffer, {pool.c_str(), 6}), '\0');
    EXPECT_STREQ(buffer, "name");

    EXPECT_EQ(l3dGetToken(buffer, {nullptr, 20}), '\0');
    EXPECT_STREQ(buffer, "");

    const std::string zero("ab\0cd", 5);
    l3dGetToken(buffer, {zero.data(), 5});
    EXPECT_STREQ(buffer, "ab");

    const std::string longName(400, 'x');
    l3dGetToken(buffer, {longName.c_str(), 400});
    EXPECT_EQ(std::string(buffer), std::string(263, 'x'));
}

}  // namespace
