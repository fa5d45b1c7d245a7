#include "render3d/text/text_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(TextScan, SkipBlanksPassesSpacesTabsAndFullWidthSpacesButNotLineEnds) {
    const std::string text = " \t\x81\x40x";
    const char* cursor = text.c_str();
    l3dSkipBlanks(cursor);
    EXPECT_EQ(*cursor, 'x');
    const char* atBreak = " \r\n y";
    l3dSkipBlanks(atBreak);
    EXPECT_EQ(*atBreak, '\r');
}

TEST(TextScan, SkipLinePassesWholeCharactersAndEveryFollowingBreak) {
    // 0x83 0x0D would be a CR to a byte scan; as a double-byte character it is not.
    const std::string text =
        "ab\x83\x0d"
        "c\r\n\r\nnext";
    const char* cursor = text.c_str();
    l3dSkipLine(cursor);
    EXPECT_STREQ(cursor, "next");
    const std::string leadAtEnd = "a\x83";
    cursor = leadAtEnd.c_str();
    l3dSkipLine(cursor);
    EXPECT_EQ(cursor, leadAtEnd.c_str() + 2);
}

TEST(TextScan, ReadWordStoresWhatFitsAndPassesTheRest) {
    struct Case {
        const char* name;
        std::string text;
        size_t size;
        std::string word;
        std::string rest;
    } cases[] = {
        {"cut", "abcdef ghi", 4, "abc", " ghi"},
        {"blanks first", "  \x81\x40word\tx", 16, "word", "\tx"},
        // The double-byte character does not fit; the byte after it still does.
        {"double byte passed over",
         "a\x82\xa0"
         "b",
         3, "ab", ""},
        {"stops at line end", "ab\r\ncd", 16, "ab", "\r\ncd"},
        {"lead byte before the end", "a\x82", 16, "a\x82", ""},
    };
    for (const Case& c : cases) {
        std::string buffer(c.size, '#');
        const char* cursor = c.text.c_str();
        const char* start = l3dReadWord(cursor, buffer.data(), c.size);
        EXPECT_EQ(std::string(buffer.c_str()), c.word) << c.name;
        EXPECT_EQ(std::string(cursor), c.rest) << c.name;
        EXPECT_NE(std::string(start).find(c.word.substr(0, 1)), std::string::npos) << c.name;
    }
}

struct Item {
    std::string key;
    std::string value;
    bool hasValue;
    bool end;
};

std::vector<Item> parseLine(const std::string& text, std::string* rest = nullptr) {
    std::vector<Item> items;
    const char* cursor = text.c_str();
    bool end = false;
    while (!end) {
        const char* key = nullptr;
        const char* value = nullptr;
        uint32_t keyLength = 0, valueLength = 0;
        l3dParseKeyValue(cursor, &key, &keyLength, &value, &valueLength, end);
        items.push_back({std::string(key, keyLength), value ? std::string(value, valueLength) : "",
                         value != nullptr, end});
    }
    if (rest) *rest = cursor;
    return items;
}

TEST(TextScan, ParseKeyValueSplitsPairsAndKeepsQuotesAndEscapesInTheValue) {
    std::string rest;
    auto items = parseLine("volume = 0.5\r\nnext", &rest);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].key, "volume");
    EXPECT_EQ(items[0].value, "0.5");
    EXPECT_EQ(rest, "\r\nnext");

    items = parseLine("name=\"a b\" c");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].value, "\"a b\"");
    EXPECT_FALSE(items[0].end);
    EXPECT_EQ(items[1].key, "c");
    EXPECT_FALSE(items[1].hasValue);

    items = parseLine("flags = 3d voice");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].value, "3d");
    EXPECT_EQ(items[1].key, "voice");
    EXPECT_FALSE(items[1].hasValue);

    items = parseLine("k = a\\ b\\\"c x");
    EXPECT_EQ(items[0].value, "a\\ b\\\"c");

    // A quote left open runs into the line end, which ends the line.
    items = parseLine("k = \"a b\nnext = 1", &rest);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].value, "\"a b");
    EXPECT_EQ(rest, "\nnext = 1");
}

TEST(TextScan, ParseKeyValueClearsItsOutputsAndDoesNothingOnceTheEndIsSet) {
    const char* cursor = "a = 1";
    bool end = true;
    const char* key = cursor;
    uint32_t keyLength = 9;
    l3dParseKeyValue(cursor, &key, &keyLength, nullptr, nullptr, end);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(keyLength, 0u);
    EXPECT_STREQ(cursor, "a = 1");

    // Absent outputs are skipped.
    end = false;
    uint32_t valueLength = 0;
    l3dParseKeyValue(cursor, nullptr, nullptr, nullptr, &valueLength, end);
    EXPECT_EQ(valueLength, 1u);
    EXPECT_TRUE(end);
}

TEST(TextScan, NoScannerReadsPastALeadByteBeforeTheEnd) {
    // The text is copied to an exact-size buffer, so AddressSanitizer sees any overread.
    for (const char* source : {"k=\x82", "\x82", "k\x82", "k = \"\x82", "k = \\\x82"}) {
        const size_t n = std::strlen(source) + 1;
        std::unique_ptr<char[]> text(new char[n]);
        std::memcpy(text.get(), source, n);
        const char* cursor = text.get();
        bool end = false;
        while (!end) l3dParseKeyValue(cursor, nullptr, nullptr, nullptr, nullptr, end);
        EXPECT_LT(cursor, text.get() + n);
        cursor = text.get();
        l3dSkipLine(cursor);
        EXPECT_EQ(*cursor, '\0');
    }
}

}  // namespace
