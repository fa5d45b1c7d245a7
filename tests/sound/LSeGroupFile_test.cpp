#include "sound/LSeGroupFile.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

using mirel::LSeGroupFile;
using mirel::LSeParseGroupFile;

struct Expected {
    uint32_t count;
    uint32_t flags;
    int32_t priority;
    std::string name;
};

TEST(LSeGroupFile, ParsesSectionsPairsAndDefaults) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<Expected> effects;
    } cases[] = {
        {"prop defaults, one named effect",
         "@prop count = 2\r\n@se3 name = boom\r\n",
         {{2, 0, -1, ""}, {2, 0, -1, ""}, {2, 0, -1, ""}, {2, 0, -1, "boom"}}},
        {"no sections", "just words\n", {}},
        {"@se01 raises the count but is not effect 1's header",
         "@se01 name = wrong\n",
         {{1, 0, -1, ""}, {1, 0, -1, ""}}},
        {"unquoted flags keep only the first word", "@se0 flags = 3d voice\n", {{1, 1, -1, ""}}},
        {"quoted flags without 3d keep only stop",
         "@se0 flags = \"voice slave stop\"\n",
         {{1, 8, -1, ""}}},
        {"quoted flags with 3d", "@SE0 FLAGS = \"3D Voice slave stop\"\n", {{1, 15, -1, ""}}},
        {"a pair over two lines is cut", "@se0 name =\nboom count = 4\n", {{1, 0, -1, ""}}},
        {"quotes and backslashes",
         "@se0 name = \"a b\\\\c\\\"d\" priority = -7 count = +3\n",
         {{3, 0, -7, "a b\\c\"d"}}},
        {"full-width blank separates", "@se0\x81\x40name\x81\x40=\x81\x40x\n", {{1, 0, -1, "x"}}},
        {"first header line wins", "@se0 name = a\n@se0 name = b\n", {{1, 0, -1, "a"}}},
        {"negative count ignored, no digits read as 0",
         "@prop count = -2 priority = x\n@se0\n",
         {{1, 0, 0, ""}}},
        {"name only in effect sections",
         "@prop name = p count = 0\n@se1 name = q\n",
         {{0, 0, -1, ""}, {0, 0, -1, "q"}}},
        {"prop pairs are not read for @se", "@prop name = @se9\n", {}},
        {"numbers past the bound are passed over",
         "@se99999999999\n@se1\n",
         {{1, 0, -1, ""}, {1, 0, -1, ""}}},
    };
    for (const Case& c : cases) {
        const LSeGroupFile file = LSeParseGroupFile(c.text.c_str());
        ASSERT_EQ(file.effects.size(), c.effects.size()) << c.name;
        for (size_t i = 0; i < c.effects.size(); ++i) {
            EXPECT_EQ(file.effects[i].count, c.effects[i].count) << c.name << " effect " << i;
            EXPECT_EQ(file.effects[i].flags, c.effects[i].flags) << c.name << " effect " << i;
            EXPECT_EQ(file.effects[i].priority, c.effects[i].priority) << c.name << " effect " << i;
            EXPECT_EQ(std::string(file.effects[i].name), c.effects[i].name)
                << c.name << " effect " << i;
        }
    }
}

TEST(LSeGroupFile, ReadsBackWhatTheWriterWrites) {
    // Names with blanks, quotes, backslashes and a double-byte character whose second byte is a
    // backslash (ソ, 0x83 0x5C).
    const std::string names[] = {"plain",
                                 "two words",
                                 "say \"hi\"",
                                 "back\\slash",
                                 "\x83\x5c"
                                 "sound",
                                 "full\x81\x40width"};
    std::vector<tools::writers::SeGroupSection> sections{
        {"@prop", {{"count", "3"}, {"flags", "3d stop"}, {"priority", "-4"}}}};
    for (size_t i = 0; i < std::size(names); ++i)
        sections.push_back({"@se" + std::to_string(i), {{"name", names[i]}}});
    for (const char* lineEnd : {"\r\n", "\n", "\r"}) {
        const LSeGroupFile file =
            LSeParseGroupFile(tools::writers::seGroupFile(sections, lineEnd).c_str());
        ASSERT_EQ(file.effects.size(), std::size(names));
        for (size_t i = 0; i < std::size(names); ++i) {
            EXPECT_EQ(std::string(file.effects[i].name), names[i]) << i;
            EXPECT_EQ(file.effects[i].count, 3u);
            EXPECT_EQ(file.effects[i].flags, mirel::kLSe3d | mirel::kLSeStop);
            EXPECT_EQ(file.effects[i].priority, -4);
        }
    }
}

}  // namespace
}  // namespace tessera::test
