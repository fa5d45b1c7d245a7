#include "render3d/text/text_lower.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LowerCase {
    const char* name;
    std::string source;
    std::string expected;
};

TEST(TextLower, LowersAsciiLettersAndKeepsDoubleByteCharacters) {
    const LowerCase cases[] = {
        {"ascii", "Sys/Renderer.CSA", "sys/renderer.csa"},
        // Full-width Ａ (82 60) and Ｂ (82 61): trail bytes in the letter range stay as they are.
        {"full-width letters",
         "\x82\x60\x82\x61"
         "ABC",
         "\x82\x60\x82\x61"
         "abc"},
        // A trail byte of 'A' (0x41) after lead byte 0x83 is not a letter.
        {"trail byte like a letter", "\x83\x41Z", "\x83\x41z"},
        {"lead byte before the end", "X\x83", "x\x83"},
        {"empty", "", ""},
    };
    for (const LowerCase& c : cases) {
        std::string buffer(c.source.size() + 1, '#');
        l3dToLower(c.source.c_str(), buffer.data());
        EXPECT_EQ(std::string(buffer.c_str()), c.expected) << c.name;
        std::string inPlace = c.source;
        l3dToLower(inPlace.c_str(), inPlace.data());
        EXPECT_EQ(inPlace, c.expected) << c.name << " in place";
    }
}

}  // namespace
