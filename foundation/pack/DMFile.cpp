#include "foundation/pack/DMFile.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "foundation/DExceptFile.h"
#include "foundation/DStr.h"

namespace mirel {
namespace {

// Reads exactly n bytes or throws.
void ReadExactly(DFile& file, void* buffer, uint32_t n) {
    if (n == 0) return;  // an empty name needs no read (one at a view's end would fail)
    if (file.Read(buffer, n) != static_cast<int32_t>(n)) throw DExceptFile();
}

int32_t ReadI32(DFile& file) {
    uint8_t bytes[4];
    ReadExactly(file, bytes, 4);
    return static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

DMFile::~DMFile() { Close(); }

void DMFile::LowerName(const char* source, char* target) {
    size_t i = 0;
    while (source[i] != '\0') {
        if (DIsDoubleByte(source + i)) {
            target[i] = source[i];
            target[i + 1] = source[i + 1];
            i += 2;
        } else {
            const char c = source[i];
            target[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            ++i;
        }
    }
    target[i] = '\0';
}

DMFile::Key DMFile::MakeKey(const char* name) {
    Key key;
    DStrCopyN(key.name, name, NameCapacity);
    LowerName(key.name, key.name);
    key.length = static_cast<int32_t>(std::strlen(key.name));
    uint8_t sum = 0;
    for (int32_t i = 0; i < key.length; ++i) sum = static_cast<uint8_t>(sum + key.name[i]);
    key.hash = sum;
    return key;
}

void DMFile::Close() {
    open_ = false;
    entries_._EraseAllNodes();
    std::fill(std::begin(buckets_), std::end(buckets_), nullptr);
    file_.Close();
}

bool DMFile::Open(DFile& file) {
    const bool throwFlag = file.GetThrow();
    if (open_) {
        Close();
        return false;
    }
    open_ = true;
    std::fill(std::begin(buckets_), std::end(buckets_), nullptr);
    file.SetThrow(true);
    DStrCopyN(name_, file.GetPath(), NameCapacity);
    try {
        ReadDirectory(file, throwFlag);
    } catch (const DExceptFile&) {
        // The archive is never left half open, whether the error goes on to the caller or not.
        Close();
        file.SetThrow(throwFlag);
        if (throwFlag) throw;
        return false;
    }
    file.SetThrow(throwFlag);
    return open_;
}

// Reads the directory; a directory that is not an archive, or has duplicate names, closes the
// archive; errors in reading it throw DExceptFile. The member views get the caller's throw flag.
void DMFile::ReadDirectory(DFile& file, bool throwFlag) {
    file.Seek(0, DDataOverride::SeekBegin);
    char magic[4];
    ReadExactly(file, magic, 4);
    const int32_t count = ReadI32(file);
    if (std::memcmp(magic, "DMF ", 4) != 0 || !file_.OpenView(0, -1, file)) {
        Close();
        return;
    }
    if (count < 0) throw DExceptFile();
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t length = static_cast<uint32_t>(ReadI32(file));
        if (length > NameCapacity - 1) throw DExceptFile();
        char name[NameCapacity];
        ReadExactly(file, name, length);
        name[length] = '\0';
        LowerName(name, name);
        const int32_t offset = ReadI32(file);
        const int32_t size = ReadI32(file);
        if (offset < 0 || size < 0) throw DExceptFile();

        DFile member;
        if (!member.OpenView(offset, size, file)) {
            Close();
            return;
        }
        // SetPath keeps the first 263 bytes of "<archive> | <member>".
        member.SetPath((std::string(name_) + " | " + name).c_str());
        member.SetThrow(throwFlag);
        if (!AddEntry(name, member)) {
            Close();
            return;
        }
    }
}

bool DMFile::OpenFile(const char* path) {
    DFile file;
    if (!file.Open(path, DFile::OpenRead)) return false;
    return Open(file);
}

DMFile::DMFileINFO* DMFile::Find(const char* name) {
    if (!open_ || name == nullptr) return nullptr;
    const Key key = MakeKey(name);
    std::lock_guard lock(lock_);
    for (DMFileINFO* entry = buckets_[key.hash]; entry; entry = entry->nextInBucket) {
        if (entry->nameLength == key.length && std::memcmp(entry->name, key.name, key.length) == 0)
            return entry;
    }
    return nullptr;
}

bool DMFile::OpenEntry(DFile& target, DMFileINFO* entry) {
    if (!open_ || entry == nullptr) return false;
    std::lock_guard lock(lock_);
    return target.OpenView(0, -1, entry->view);
}

bool DMFile::OpenData(DFile& target, const char* name) {
    std::lock_guard lock(lock_);
    DMFileINFO* entry = Find(name);
    return entry != nullptr && OpenEntry(target, entry);
}

bool DMFile::AddEntry(const char* name, DFile& memberView) {
    std::lock_guard lock(lock_);
    if (!open_ || name == nullptr || Find(name) != nullptr) return false;
    const Key key = MakeKey(name);
    rcptr<DMFileINFO> entry;
    entry.Create();
    std::memcpy(entry->name, key.name, key.length + 1);
    entry->nameLength = key.length;
    entry->hash = key.hash;
    if (!entry->view.OpenView(0, -1, memberView)) return false;

    entries_.AddTail(entry);
    DMFileINFO** link = &buckets_[key.hash];
    while (*link) link = &(*link)->nextInBucket;
    *link = entry.Get();
    return true;
}

}  // namespace mirel
