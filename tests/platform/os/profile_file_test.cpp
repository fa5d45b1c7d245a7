#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/os/profile_file.h"
#include "platform/os/utf8.h"
#include "tests/support/temp_dir.h"

namespace platform::os {
namespace {

using tessera::test::readFileBytes;
using tessera::test::TempDir;

std::u16string u16(const std::string& utf8) { return utf8ToUtf16(utf8); }

TEST(ProfileText, FindsValuesByTheReadingRules) {
    struct Case {
        const char* name;
        std::string bytes;
        const char16_t* section;
        const char16_t* key;
        std::optional<std::u16string> value;
    };
    static constexpr char kUtf16[] = "\xFF\xFE[\0d\0]\0\r\0\n\0k\0=\0\x42\x30\r\0\n\0";
    const std::string utf16(kUtf16, sizeof kUtf16 - 1);
    const Case cases[] = {
        {"case-blind names, trimmed value", "[Debug]\r\n  Level =  Warning \t\r\n", u"debug",
         u"LEVEL", u"Warning"},
        {"blanks inside the header", "[ debug ]\nlevel=1\n", u"debug", u"level", u"1"},
        {"double quotes", "[s]\nk = \" a b \"\n", u"s", u"k", u" a b "},
        {"single quotes", "[s]\nk='x'\n", u"s", u"k", u"x"},
        {"unmatched quotes stay", "[s]\nk=\"x'\n", u"s", u"k", u"\"x'"},
        {"first duplicate wins", "[s]\nk=1\nk=2\n[s]\nk=3\n", u"s", u"k", u"1"},
        {"duplicate section later", "[s]\na=1\n[t]\n[s]\nk=3\n", u"s", u"k", u"3"},
        {"comment is no key", "[s]\n;k=1\n  ; k=2\n", u"s", u"k", std::nullopt},
        {"key of another section", "[a]\nk=1\n[b]\n", u"b", u"k", std::nullopt},
        {"key before any section", "k=1\n[s]\n", u"s", u"k", std::nullopt},
        {"empty value", "[s]\nk=\n", u"s", u"k", u""},
        {"UTF-8 mark skipped", "\xEF\xBB\xBF[s]\r\nk=\xE3\x81\x82\r\n", u"s", u"k", u"\u3042"},
        {"UTF-16LE with its mark", utf16, u"d", u"k", u"\u3042"},
        {"no final line break", "[s]\r\nk=last", u"s", u"k", u"last"},
        {"value keeps '='", "[s]\nk=a=b\n", u"s", u"k", u"a=b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProfileText::parse(c.bytes).find(c.section, c.key), c.value);
    }
}

TEST(ProfileText, IntegersStopAtTheFirstOtherCharacter) {
    struct Case {
        const char16_t* value;
        uint32_t expected;
    };
    const Case cases[] = {
        {u"102abc", 102},   {u"0x1F", 31}, {u"0X10g", 16},    {u"-1", 0xFFFFFFFFu},
        {u"+5", 5},         {u"  7", 7},   {u"abc", 0},       {u"", 12345},
        {u"4294967297", 1}, {u"0", 0},     {u"12345", 12345}, {u"0x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.value));
        EXPECT_EQ(profileInteger(c.value, 12345), c.expected);
    }
}

TEST(ProfileText, WritingReplacesInPlaceOrAppends) {
    struct Case {
        const char* name;
        std::string before;
        const char16_t* section;
        const char16_t* key;
        const char16_t* value;
        std::string after;
    };
    const Case cases[] = {
        {"empty file", "", u"Config", u"videoNo", u"0", "[Config]\r\nvideoNo=0\r\n"},
        {"in place, case-blind", "[s]\r\nK=1\r\nj=2\r\n", u"S", u"k", u"9",
         "[s]\r\nk=9\r\nj=2\r\n"},
        {"after the section's last key", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", u"a", u"z", u"3",
         "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n"},
        {"into an empty section", "[a]\r\n[b]\r\n", u"a", u"k", u"v", "[a]\r\nk=v\r\n[b]\r\n"},
        {"new section at the end", "[a]\r\nx=1\r\n", u"b", u"k", u"",
         "[a]\r\nx=1\r\n[b]\r\nk=\r\n"},
        {"LF lines come back as CR LF", "; note\n[s]\nk=1\n", u"s", u"k", u"2",
         "; note\r\n[s]\r\nk=2\r\n"},
        {"a line break cannot add a key", "[s]\r\n", u"s", u"k", u"1\r\nother=2", "[s]\r\nk=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileText text = ProfileText::parse(c.before);
        text.set(c.section, c.key, c.value);
        EXPECT_EQ(text.serialize(), c.after);
        EXPECT_EQ(ProfileText::parse(text.serialize()).find(c.section, c.key),
                  std::u16string(c.value).substr(0, std::u16string(c.value).find(u'\r')));
    }
}

TEST(ProfileFile, ReadsStringsCutToTheBufferAndDefaults) {
    TempDir temp;
    const std::u16string path = u16(temp.write("game.ini", "[debug]\r\nlevel=information\r\n"));
    char16_t buffer[32];
    EXPECT_EQ(getPrivateProfileString(u"debug", u"level", u"", buffer, 32, path.c_str()), 11u);
    EXPECT_EQ(std::u16string(buffer), u"information");
    EXPECT_EQ(getPrivateProfileString(u"debug", u"level", u"", buffer, 5, path.c_str()), 4u);
    EXPECT_EQ(std::u16string(buffer), u"info");
    EXPECT_EQ(getPrivateProfileString(u"debug", u"level", u"", buffer, 1, path.c_str()), 0u);
    EXPECT_EQ(std::u16string(buffer), u"");
    EXPECT_EQ(getPrivateProfileString(u"debug", u"none", u"dflt", buffer, 32, path.c_str()), 4u);
    EXPECT_EQ(std::u16string(buffer), u"dflt");
    const std::u16string missing = u16(temp.file("missing.ini"));
    EXPECT_EQ(getPrivateProfileInt(u"debug", u"file", 1, missing.c_str()), 1u);
    EXPECT_EQ(getPrivateProfileInt(u"debug", u"level", 7, path.c_str()), 0u);
}

TEST(ProfileFile, RewriteReplacesTheFileAndNeverCutsItInPlace) {
    TempDir temp;
    const std::string native = temp.write("game.ini", "[Config]\r\nvideoWidth=640\r\n");
    const std::u16string path = u16(native);
    // A reader of the old file keeps seeing it whole: the new text went to another file that
    // was renamed over the name, so no moment exists in which the name holds a cut file.
    FILE* old = std::fopen(native.c_str(), "rb");
    ASSERT_NE(old, nullptr);
    ASSERT_TRUE(writePrivateProfileString(u"Config", u"videoWidth", u"1024", path.c_str()));
    char bytes[64] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, old), 26u);
    EXPECT_EQ(std::string(bytes), "[Config]\r\nvideoWidth=640\r\n");
    std::fclose(old);
    EXPECT_EQ(readFileBytes(native), "[Config]\r\nvideoWidth=1024\r\n");
    EXPECT_EQ(getPrivateProfileInt(u"Config", u"videoWidth", 0, path.c_str()), 1024u);
    // Nothing else is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ProfileFile, WriterCreatesTheFileButNoFolder) {
    TempDir temp;
    const std::u16string fresh = u16(temp.file("fresh.ini"));
    ASSERT_TRUE(writePrivateProfileString(u"Config", u"default", u"1", fresh.c_str()));
    EXPECT_EQ(readFileBytes(temp.file("fresh.ini")), "[Config]\r\ndefault=1\r\n");
    const std::u16string nested = u16(temp.file("no/such/folder/game.ini"));
    EXPECT_FALSE(writePrivateProfileString(u"Config", u"default", u"1", nested.c_str()));
    EXPECT_FALSE(std::filesystem::exists(temp.file("no")));
}

}  // namespace
}  // namespace platform::os
