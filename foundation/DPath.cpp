#include "foundation/DPath.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/DStr.h"
#include "platform/os/file.h"

namespace mirel {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Start offsets of the characters of a text.
std::vector<size_t> CharacterStarts(const char* text) {
    std::vector<size_t> starts;
    for (size_t i = 0; text[i] != '\0'; i += DIsDoubleByte(text + i) ? 2 : 1) starts.push_back(i);
    return starts;
}

// Appends text to a path buffer holding `length` bytes, keeping the bound.
void AppendBounded(char* buffer, size_t& length, const char* text) {
    for (; length + 1 < DPATH_SIZE && *text != '\0'; ++text) buffer[length++] = *text;
    buffer[length] = '\0';
}

void CopyOut(char* out, const char* text, size_t length) {
    if (!out) return;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

// A drive: a first byte that is not a lead byte, followed by ':'.
bool HasDrive(const char* path) {
    return path[0] != '\0' && !DIsLeadByte(path[0]) && path[1] == ':';
}

}  // namespace

void DPathSplit(const char* path, char* directory, char* name, char* extension) {
    char copy[DPATH_SIZE];
    DStrCopyN(copy, path, DPATH_SIZE);

    size_t nameStart = 0;
    for (size_t i : CharacterStarts(copy))
        if (IsSeparator(copy[i])) nameStart = i + 1;
    size_t dot = std::strlen(copy);
    const char* fileName = copy + nameStart;
    for (size_t i : CharacterStarts(fileName))
        if (fileName[i] == '.') dot = nameStart + i;

    CopyOut(directory, copy, nameStart);
    if (directory) DPathToSlash(directory);
    CopyOut(name, fileName, dot - nameStart);
    if (extension) DStrCopyN(extension, copy[dot] == '.' ? copy + dot + 1 : "", DPATH_SIZE);
}

void DPathSplitDrive(const char* path, char* drive, char* rest, char* name) {
    char directory[DPATH_SIZE];
    DPathSplit(path, directory, name, nullptr);
    const size_t driveLength = HasDrive(directory) ? 2 : 0;
    CopyOut(drive, directory, driveLength);
    if (rest) DStrCopyN(rest, directory + driveLength, DPATH_SIZE);
}

void DPathMake(char* buffer, const char* directory, const char* name, const char* extension) {
    char path[DPATH_SIZE];
    DStrCopyN(path, directory, DPATH_SIZE);
    size_t length = std::strlen(path);
    if (length > 0 && length + 3 <= DPATH_SIZE) {
        const size_t last = CharacterStarts(path).back();
        if (DIsDoubleByte(path + last) || !IsSeparator(path[last]))
            AppendBounded(path, length, "/");
    }
    if (name && name[0] != '\0') AppendBounded(path, length, name);
    if (extension && extension[0] != '\0') {
        if (length + 2 < DPATH_SIZE + 1) AppendBounded(path, length, ".");
        AppendBounded(path, length, extension);
    }
    std::memcpy(buffer, path, length + 1);
    DPathToSlash(buffer);
}

void DPathConcat(char* buffer, const char* prefix) {
    char path[DPATH_SIZE];
    DStrCopyN(path, prefix, DPATH_SIZE);
    size_t length = std::strlen(path);
    AppendBounded(path, length, buffer);
    std::memcpy(buffer, path, length + 1);
}

void DPathNormalize(const char* relative, DString& result, const char* base) {
    relative = relative ? relative : "";
    base = base ? base : "";
    if (relative[0] == '\0') return result.Assign(base);
    if (base[0] == '\0') return result.Assign(relative);

    const bool relativeHasDrive = HasDrive(relative);
    const bool baseHasDrive = HasDrive(base);
    if (relativeHasDrive && baseHasDrive && relative[0] != base[0]) return result.Assign(relative);
    const std::string drive = relativeHasDrive ? std::string(relative, 2)
                              : baseHasDrive   ? std::string(base, 2)
                                               : std::string();
    if (relativeHasDrive) relative += 2;
    if (baseHasDrive) base += 2;

    if (IsSeparator(relative[0]) || !IsSeparator(base[0]))
        return result.Assign((drive + relative).c_str());

    char directory[DPATH_SIZE], name[DPATH_SIZE], extension[DPATH_SIZE];
    DPathSplit(relative, directory, name, extension);

    // The base as a directory with '/' separators and a final '/'.
    char baseDirectory[DPATH_SIZE];
    DStrCopyN(baseDirectory, base, DPATH_SIZE);
    DPathToSlash(baseDirectory);
    size_t baseLength = std::strlen(baseDirectory);
    if (baseDirectory[baseLength - 1] != '/') AppendBounded(baseDirectory, baseLength, "/");

    // Leading segments of dots climb one level fewer than they have dots.
    size_t levels = 0;
    const char* rest = directory;
    for (;;) {
        size_t dots = 0;
        while (rest[dots] == '.') ++dots;
        if (dots == 0 || rest[dots] != '/') break;
        levels += dots - 1;
        rest += dots + 1;
    }

    std::vector<size_t> separators;
    for (size_t i : CharacterStarts(baseDirectory))
        if (baseDirectory[i] == '/') separators.push_back(i);
    if (levels >= separators.size()) return result.Assign((drive + "/" + relative).c_str());

    const std::string climbed(baseDirectory, separators[separators.size() - 1 - levels] + 1);
    char made[DPATH_SIZE];
    DPathMake(made, (climbed + rest).c_str(), name, extension);
    result.Assign((drive + made).c_str());
}

void DPathToSlash(char* text) {
    if (!text) return;
    for (size_t i : CharacterStarts(text))
        if (text[i] == '\\') text[i] = '/';
}

bool DIsRegularFile(const char* path) { return path && platform::os::isRegularFile(path); }

}  // namespace mirel
