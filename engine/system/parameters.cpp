#include "engine/system/parameters.h"

#include <algorithm>

#include "framework/core/report.h"
#include "framework/file/file.h"
#include "framework/file/path.h"
#include "platform/os/utf8.h"
#include "platform/os/whole_file.h"

namespace {

constexpr const char16_t* kOperationFailed = u"Error: [%s] ファイル操作でエラーが発生しました。";
constexpr const char16_t* kCannotOpen = u"Error: [%s] \"%ls\"を開けません。";

// The open parameter file and the bytes not read yet.
struct Reader {
    PEL_FILE* file;
    uint64_t left;

    // A u32 under the tag; false after the report.
    bool u32(uint32_t* value, const char* tag) {
        if (left < 4 || pelFileReadU32(value, file) < 0) return fail(tag);
        left -= 4;
        return true;
    }
    // A count of items of the given size that the rest of the file must hold.
    bool count(uint32_t* value, uint64_t itemSize) {
        if (!u32(value, "File::readU32")) return false;
        if (*value > left / itemSize) return fail("File::readU32");
        return true;
    }
    bool units(std::u16string* text, uint32_t length) {
        text->assign(length, u'\0');
        if (length > 0 &&
            pelFileReadU16Array(file, reinterpret_cast<uint16_t*>(text->data()), length) < 0) {
            text->clear();
            return fail("File::readString");
        }
        left -= 2 * uint64_t{length};
        return true;
    }
    static bool fail(const char* tag) {
        pelReport(PEL_REPORT_ERROR, kOperationFailed, tag);
        return false;
    }
};

void appendU32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void appendU16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

}  // namespace

void SystemParameters::resizeInts(uint32_t n) {
    if (n > ints.size()) ints.resize(n, 0);
}

void SystemParameters::resizeStrings(uint32_t n) {
    if (n > strings.size()) strings.resize(n);
}

void SystemParameters::clear() {
    ints.clear();
    strings.clear();
}

void SystemParameters::load(const char16_t* path) {
    clear();
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, path, 0);
    if (!file) {
        pelReport(PEL_REPORT_ERROR, kCannotOpen, "File::create", path);
        return;
    }
    uint64_t size = 0, position = 0;
    pelFileGetSize(&size, file);
    pelFileGetPosition(&position, file);
    Reader in{file, size - std::min(size, position)};
    uint32_t n = 0;
    bool ok = in.count(&n, 4);
    if (ok) resizeInts(n);
    for (uint32_t i = 0; ok && i < n; ++i) {
        uint32_t value = 0;
        ok = in.u32(&value, "File::readI32");
        ints[i] = static_cast<int32_t>(value);
    }
    uint32_t m = 0;
    ok = ok && in.count(&m, 4);
    if (ok) resizeStrings(m);
    for (uint32_t i = 0; ok && i < m; ++i) {
        uint32_t length = 0;
        ok = in.count(&length, 2) && in.units(&strings[i], length);
    }
    pelFileClose(file);
}

std::string SystemParameters::serialize() const {
    std::string out;
    appendU32(out, static_cast<uint32_t>(ints.size()));
    for (int32_t value : ints) appendU32(out, static_cast<uint32_t>(value));
    appendU32(out, static_cast<uint32_t>(strings.size()));
    for (const std::u16string& text : strings) {
        // The stored length stops at the first terminator, as the scripts see the string.
        const size_t length = std::min(text.size(), text.find(u'\0'));
        appendU32(out, static_cast<uint32_t>(length));
        for (size_t i = 0; i < length; ++i) appendU16(out, static_cast<uint16_t>(text[i]));
    }
    return out;
}

void SystemParameters::save(const char16_t* path) const {
    std::u16string resolved(pelPathResolve(nullptr, nullptr, 0, path), u'\0');
    pelPathResolve(resolved.data(), nullptr, resolved.size() + 1, path);
    if (const size_t slash = resolved.rfind(u'/'); slash != std::u16string::npos && slash > 0)
        pelFileCreateDirectory(resolved.substr(0, slash).c_str());
    const std::u16string native = pelPathToNativeString(resolved);
    if (native.empty() ||
        !platform::os::replaceFileContent(platform::os::utf16ToUtf8(native), serialize())) {
        pelReport(PEL_REPORT_ERROR, kCannotOpen, "File::create", path);
    }
}
