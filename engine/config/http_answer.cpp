#include "engine/config/http_answer.h"

#include "engine/config/command_line_scan.h"
#include "framework/core/wide_string.h"
#include "platform/os/cp932.h"

namespace {

constexpr size_t kTextUnits = 1024;

char16_t lower(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

bool startsWithNoCase(const char16_t* text, const char16_t* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (lower(*text) != lower(*prefix)) return false;
    return true;
}

// Reads "host[:port][/path]" after a scheme into the target; the port and path stay when
// absent.
void readHostPortPath(const char16_t* position, HttpTarget* target, bool takePath) {
    char16_t host[kTextUnits] = {};
    position = pelStrReadKey(kTextUnits, host, position, u":/");
    target->host = host;
    if (*position == u':') {
        target->port = static_cast<int32_t>(readUnsigned(position + 1, 10));
        while (*position && *position != u'/') ++position;
    }
    if (takePath) target->path = position;
}

}  // namespace

std::u16string versionFilePath(const char16_t* directory, uint32_t version) {
    std::u16string path = u"/";
    path += directory;
    path += u"/ver";
    for (char c : std::to_string(version)) path += static_cast<char16_t>(c);
    return path + u".txt";
}

std::string versionRequest(const HttpTarget& target, bool viaProxy) {
    std::u16string text = u"GET ";
    if (viaProxy) {
        text += u"http://" + target.host + u":";
        for (char c : std::to_string(target.port)) text += static_cast<char16_t>(c);
        text += target.path + u" HTTP/1.0\n\n";
    } else {
        text += target.path + u" HTTP/1.0\nHost: " + target.host + u"\n\n";
    }
    std::string bytes = platform::os::utf16ToCp932(text);
    if (bytes.size() > kTextUnits) bytes.resize(kTextUnits);
    return bytes;
}

bool HttpLineReader::push(uint8_t byte) {
    if (byte == '\n') return true;
    if (byte != '\r') bytes_.push_back(static_cast<char>(byte));
    return bytes_.size() >= kMaxBytes;
}

std::u16string HttpLineReader::take() {
    std::u16string line = platform::os::cp932ToUtf16(bytes_);
    bytes_.clear();
    if (line.size() > kTextUnits - 1) line.resize(kTextUnits - 1);
    return line;
}

uint32_t httpStatus(const char16_t* line) {
    return static_cast<uint32_t>(readUnsigned(pelStrSkipItem(line, u""), 10));
}

LocationResult readLocation(const char16_t* line, HttpTarget* target) {
    if (!startsWithNoCase(line, u"Location:")) return LocationResult::NotLocation;
    const char16_t* scheme = pelStrFindUrlScheme(line + 9);
    if (!scheme) return LocationResult::Malformed;
    readHostPortPath(scheme + 3, target, true);
    return LocationResult::Parsed;
}

bool proxyFromSetting(const char* value, HttpTarget* proxy) {
    if (!value) return false;
    const std::u16string text = platform::os::cp932ToUtf16(value);
    const char16_t* scheme = pelStrFindUrlScheme(text.c_str());
    proxy->port = 0;
    readHostPortPath(scheme ? scheme + 3 : text.c_str(), proxy, false);
    if (proxy->port <= 0) proxy->port = 80;
    return !proxy->host.empty();
}
