#include <gtest/gtest.h>

#include <string>

#include "model3d/object/pack_names.h"

namespace {

// Names are cut to 127 bytes of CP932, never inside a double-byte character.
TEST(PackNames, LongNamesAreCutOnCharacterBoundaries) {
    const struct {
        std::u16string name;
        size_t bytes;
    } cases[] = {
        {std::u16string(127, u'a'), 127},
        {std::u16string(200, u'a'), 127},
        {std::u16string(100, u'あ'), 126},
        {u"a" + std::u16string(100, u'あ'), 127},
        {u"chr/a/skin", 10},
    };
    for (const auto& c : cases) EXPECT_EQ(packName(c.name).size(), c.bytes) << c.bytes;
    EXPECT_EQ(packName(u"chr/あ"), "chr/\x82\xA0");
}

TEST(PackNames, NamesResolveAgainstTheirDirectory) {
    EXPECT_EQ(resolvePackPath(u"chr/a/", u"skin"), u"chr/a/skin");
    EXPECT_EQ(resolvePackPath(u"chr/a/", u"../b/skin"), u"chr/b/skin");
    EXPECT_EQ(resolvePackPath(nullptr, u"skin"), u"skin");
    EXPECT_EQ(resolvePackPath(u"chr/a/", std::u16string(200, u'x').c_str()).size(), 127u);
}

}  // namespace
