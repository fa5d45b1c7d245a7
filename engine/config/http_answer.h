#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The text side of the version check's HTTP/1.0 exchange: requests, the received lines, the
// status and the redirect target. No sockets here.

// A host, port and request path.
struct HttpTarget {
    std::u16string host;
    int32_t port = 80;
    std::u16string path;
};

// "/<directory>/ver<version>.txt".
std::u16string versionFilePath(const char16_t* directory, uint32_t version);

// The request as CP932 bytes (at most 1024), lines ending in a bare line feed: the origin
// form with a Host header (the host without port) when direct, the absolute form when sent
// to a proxy.
std::string versionRequest(const HttpTarget& target, bool viaProxy);

// Collects the bytes of one answer line: carriage returns are dropped, a line feed ends the
// line, and a line is cut after 1024 bytes.
class HttpLineReader {
public:
    static constexpr size_t kMaxBytes = 1024;

    // Takes one received byte; true when the line is complete.
    bool push(uint8_t byte);
    // The complete line decoded from CP932, at most 1023 units; the reader starts afresh.
    std::u16string take();

private:
    std::string bytes_;
};

// The status of a status line: the unsigned decimal number after its first item.
uint32_t httpStatus(const char16_t* line);

enum class LocationResult { NotLocation, Malformed, Parsed };

// Reads a "Location:" header (the name case-insensitive). After "://" the host runs up to
// ':' or '/', an optional port follows the ':', and the path is the rest from the '/'. The
// target keeps its port when the location names none. Malformed: no "://".
LocationResult readLocation(const char16_t* line, HttpTarget* target);

// The proxy of an `http_proxy` value, "http://host:port/" or "host:port"; a port of 0 or less
// (or none) is 80. False when the value names no host.
bool proxyFromSetting(const char* value, HttpTarget* proxy);
