#include "engine/config/http_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessera::test {
namespace {

TEST(HttpAnswer, RequestsEndLinesInBareLineFeeds) {
    HttpTarget target{u"example.test", 8000, versionFilePath(u"game", 123)};
    EXPECT_EQ(target.path, u"/game/ver123.txt");
    EXPECT_EQ(versionRequest(target, false),
              "GET /game/ver123.txt HTTP/1.0\nHost: example.test\n\n");
    EXPECT_EQ(versionRequest(target, true),
              "GET http://example.test:8000/game/ver123.txt HTTP/1.0\n\n");
    EXPECT_EQ(versionFilePath(u"d", 4294967295u), u"/d/ver4294967295.txt");
    target.path = u"/" + std::u16string(2000, u'a');
    EXPECT_EQ(versionRequest(target, false).size(), 1024u);
}

// Feeds bytes and returns the lines the reader completes; what is left unfinished is dropped.
std::vector<std::u16string> lines(const std::string& bytes) {
    HttpLineReader reader;
    std::vector<std::u16string> out;
    for (char c : bytes)
        if (reader.push(static_cast<uint8_t>(c))) out.push_back(reader.take());
    return out;
}

TEST(HttpAnswer, LinesDropCarriageReturnsAndStopAt1024Bytes) {
    EXPECT_EQ(lines("HTTP/1.0 200 OK\r\nA: b\n\r\n"),
              (std::vector<std::u16string>{u"HTTP/1.0 200 OK", u"A: b", u""}));
    EXPECT_EQ(lines("a\rb\n"), std::vector<std::u16string>{u"ab"});
    // 1024 bytes make a line; the remainder starts the next one.
    const std::vector<std::u16string> cut = lines(std::string(1030, 'x') + "\n");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].size(), 1023u);  // the decoded text keeps room for a terminator
    EXPECT_EQ(cut[1], std::u16string(6, u'x'));
    EXPECT_EQ(lines("\x83\x65\x83\x58\x83\x67\n"), std::vector<std::u16string>{u"テスト"});
}

TEST(HttpAnswer, StatusIsTheNumberAfterTheFirstItem) {
    const struct {
        const char16_t* line;
        uint32_t status;
    } cases[] = {
        {u"HTTP/1.0 200 OK", 200}, {u"HTTP/1.1 404 Not Found", 404},
        {u"HTTP/1.0 301", 301},    {u"HTTP/1.0 0200 OK", 200},
        {u"HTTP/1.0", 0},          {u"", 0},
        {u"garbage", 0},           {u"HTTP/1.0  \t503", 503},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line)));
        EXPECT_EQ(httpStatus(c.line), c.status);
    }
}

TEST(HttpAnswer, LocationHeaders) {
    const struct {
        const char16_t* line;
        LocationResult result;
        const char16_t* host;
        int32_t port;
        const char16_t* path;
    } cases[] = {
        {u"Location: http://other.test/new/ver1.txt", LocationResult::Parsed, u"other.test", 8000,
         u"/new/ver1.txt"},
        {u"location: http://other.test:81/x", LocationResult::Parsed, u"other.test", 81, u"/x"},
        {u"LOCATION:http://h:9", LocationResult::Parsed, u"h", 9, u""},
        {u"Location: /relative", LocationResult::Malformed, u"old", 8000, u"/p"},
        {u"Content-Type: text/plain", LocationResult::NotLocation, u"old", 8000, u"/p"},
        {u"Locatio", LocationResult::NotLocation, u"old", 8000, u"/p"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line)));
        HttpTarget target{u"old", 8000, u"/p"};
        EXPECT_EQ(readLocation(c.line, &target), c.result);
        EXPECT_EQ(target.host, c.host);
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.path, c.path);
    }
}

TEST(HttpAnswer, ProxySetting) {
    const struct {
        const char* value;
        bool found;
        const char16_t* host;
        int32_t port;
    } cases[] = {
        {"http://proxy.test:8080/", true, u"proxy.test", 8080},
        {"proxy.test:3128", true, u"proxy.test", 3128},
        {"proxy.test", true, u"proxy.test", 80},
        {"http://proxy.test:0/", true, u"proxy.test", 80},
        {"", false, u"", 80},
        {nullptr, false, u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        HttpTarget proxy{u"", 0, u""};
        EXPECT_EQ(proxyFromSetting(c.value, &proxy), c.found);
        EXPECT_EQ(proxy.host, c.host);
        EXPECT_EQ(proxy.port, c.port);
    }
}

}  // namespace
}  // namespace tessera::test
