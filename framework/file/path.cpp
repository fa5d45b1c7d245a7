#include "framework/file/path.h"

#include <string_view>
#include <vector>

#include "framework/core/wide_string.h"
#include "framework/file/file_module.h"
#include "platform/os/known_folders.h"
#include "platform/os/utf8.h"

namespace {

bool isSeparator(char16_t unit) { return unit == u'/' || unit == u'\\'; }

size_t copyOut(const std::u16string& text, char16_t* output, size_t size) {
    if (size > 0) pelStrCopy(text.c_str(), output, size);
    return text.size();
}

// The root of a path: "//name/" for two slashes, "/" for one, nothing otherwise.
size_t rootLength(std::u16string_view path) {
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        size_t end = 2;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        return end < path.size() ? end + 1 : end;
    }
    return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

bool sameRootName(std::u16string_view name, std::u16string_view expected) {
    if (name.size() != expected.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (pelCharToLower(name[i]) != expected[i]) return false;
    }
    return true;
}

std::u16string fromUtf8(const std::string& text) { return platform::os::utf8ToUtf16(text); }

// The system folder of a bracketed root name (brackets included), without trailing slash.
std::u16string bracketedFolder(std::u16string_view name) {
    if (sameRootName(name, u"<tmp>")) return fromUtf8(platform::os::temporaryFolder());
    if (sameRootName(name, u"<localappdata>")) return fromUtf8(platform::os::localAppDataFolder());
    if (sameRootName(name, u"<userappdata>")) return fromUtf8(platform::os::userAppDataFolder());
    std::u16string folder = pelFileModuleExecutableFolder();
    while (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
    return folder;
}

std::u16string withSlashes(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& unit : result) {
        if (unit == u'\\') unit = u'/';
    }
    return result;
}

}  // namespace

std::u16string pelPathResolveString(const std::u16string& base, const std::u16string& path) {
    if (!path.empty() && path[0] == u'/') return path;
    const size_t root = rootLength(base);
    std::vector<std::u16string_view> segments;
    std::u16string_view rest = std::u16string_view(base).substr(root);
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !isSeparator(rest[end])) ++end;
        if (end > 0) segments.push_back(rest.substr(0, end));
        rest = rest.substr(end < rest.size() ? end + 1 : end);
    }
    std::u16string_view tail = path;
    for (;;) {
        size_t end = 0;
        while (end < tail.size() && !isSeparator(tail[end])) ++end;
        const std::u16string_view segment = tail.substr(0, end);
        if (segment == u"..") {
            if (!segments.empty()) segments.pop_back();
        } else if (segment != u".") {
            break;
        }
        tail = tail.substr(end < tail.size() ? end + 1 : end);
    }
    std::u16string result = withSlashes(std::u16string_view(base).substr(0, root));
    for (std::u16string_view segment : segments) {
        result += segment;
        result += u'/';
    }
    result += tail;
    return result;
}

std::u16string pelPathToNativeString(const std::u16string& path) {
    const size_t root = rootLength(path);
    if (root < 2 || path.size() < 2 || !isSeparator(path[1])) return withSlashes(path);
    const size_t nameEnd = isSeparator(path[root - 1]) ? root - 1 : root;
    const std::u16string_view name = std::u16string_view(path).substr(2, nameEnd - 2);
    if (name.size() < 2 || name.front() != u'<' || name.back() != u'>')
        return {};  // drive or server
    std::u16string native = bracketedFolder(name);
    if (native.empty()) return {};
    const std::u16string appDirectory = pelFileModuleAppDirectory();
    if (!appDirectory.empty()) {
        native += u'/';
        native += withSlashes(std::u16string_view(appDirectory).substr(0, appDirectory.size() - 1));
    }
    if (root < path.size()) {
        native += u'/';
        native += withSlashes(std::u16string_view(path).substr(root));
    }
    return native;
}

size_t pelPathResolve(char16_t* output, const char16_t* base, size_t size, const char16_t* path) {
    const std::u16string baseText = base ? std::u16string(base) : pelFileModuleExecutableFolder();
    return copyOut(pelPathResolveString(baseText, path), output, size);
}

size_t pelPathToNative(char16_t* output, size_t size, const char16_t* path) {
    return copyOut(pelPathToNativeString(path), output, size);
}

size_t pelPathFromNative(char16_t* output, size_t size, const char16_t* nativePath) {
    std::u16string result = withSlashes(nativePath);
    const bool drive =
        result.size() >= 2 && result[1] == u':' &&
        ((result[0] >= u'A' && result[0] <= u'Z') || (result[0] >= u'a' && result[0] <= u'z'));
    if (drive) {
        std::u16string rest = result.substr(2);
        if (!rest.empty() && rest[0] == u'/') rest.erase(0, 1);
        result = u"//" + result.substr(0, 2) + u"/" + rest;
    }
    return copyOut(result, output, size);
}

size_t pelPathJoin(size_t size, char16_t* output, const char16_t* directory, const char16_t* name,
                   const char16_t* extension) {
    std::u16string result = directory ? directory : u"";
    if (!result.empty() && !isSeparator(result.back())) result += u'/';
    if (name) result += name;
    if (extension && extension[0]) {
        if (extension[0] != u'.') result += u'.';
        result += extension;
    }
    return copyOut(result, output, size);
}

size_t pelPathGetDirectory(char16_t* output, const char16_t* path) {
    const std::u16string_view text = path;
    const size_t slash = text.find_last_of(u'/');
    const std::u16string directory(slash == std::u16string_view::npos ? std::u16string_view()
                                                                      : text.substr(0, slash + 1));
    return copyOut(directory, output, kPelPathDirectorySize);
}

size_t pelPathReplaceExtension(const char16_t* path, char16_t* output, size_t size,
                               const char16_t* extension) {
    std::u16string result = path;
    const size_t segment = result.find_last_of(u"/\\");
    const size_t dot = result.find_last_of(u'.');
    if (dot != std::u16string::npos && (segment == std::u16string::npos || dot > segment))
        result.erase(dot);
    if (extension && extension[0] == u'.') ++extension;
    if (extension && extension[0]) {
        result += u'.';
        result += extension;
    }
    return copyOut(result, output, size);
}
