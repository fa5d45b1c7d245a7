// "APFC" pack archives: a scrambled file holding an index of named members and their data,
// all big-endian. Header: "APFC", version 0, 8 reserved bytes, member count N; then N entries
// {name length L, L UTF-16 units, size u64}; then the members' data in index order.
#include <cstdlib>
#include <cstring>

#include "framework/core/hash.h"
#include "framework/core/list.h"
#include "framework/core/report.h"
#include "framework/core/wide_string.h"
#include "framework/file/file.h"
#include "framework/file/file_module.h"

namespace {

constexpr uint32_t kMagic = 0x41504643;  // "APFC"
constexpr uint64_t kSmallestEntry = 4 + 8;

struct Member {
    char16_t* name;  // lower-cased
    uint64_t offset;
    uint64_t size;
};

struct PEL_ARCHIVE {
    PEL_FILE* file;
    uint32_t count;
    Member* members;
    PEL_HASH names;
    PEL_LIST_LINK link;
};

// Mount order; appended and walked under the file lock.
struct MountList {
    PEL_LIST list;
    MountList() { pelListInit(&list, offsetof(PEL_ARCHIVE, link), nullptr, nullptr); }
};

PEL_LIST& mountList() {
    static MountList mounts;
    return mounts.list;
}

void freeMembers(Member* members, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) std::free(members[i].name);
    std::free(members);
}

// Reads the index. Every count and length is checked against the bytes left in the file, so a
// corrupt pack cannot ask for more memory than its own size.
PEL_STATUS readIndex(PEL_ARCHIVE* archive) {
    PEL_FILE* file = archive->file;
    uint64_t fileSize = 0;
    pelFileGetSize(&fileSize, file);
    auto bytesLeft = [&] {
        uint64_t position = 0;
        pelFileGetPosition(&position, file);
        return position < fileSize ? fileSize - position : 0;
    };
    uint32_t magic = 0;
    uint32_t version = 0;
    uint32_t count = 0;
    if (pelFileReadU32(&magic, file) < 0 || magic != kMagic) return PEL_E_IO;
    if (pelFileReadU32(&version, file) < 0 || version != 0) return PEL_E_IO;
    if (pelFileSeek(file, 8, 1) < 0) return PEL_E_IO;
    if (pelFileReadU32(&count, file) < 0) return PEL_E_IO;
    if (count > bytesLeft() / kSmallestEntry) return PEL_E_IO;

    auto* members =
        pelCheckAlloc(static_cast<Member*>(std::calloc(count > 0 ? count : 1, sizeof(Member))));
    if (!members) return PEL_E_IO;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (pelFileReadU32(&length, file) < 0 || length > bytesLeft() / 2) {
            freeMembers(members, i);
            return PEL_E_IO;
        }
        auto* name = pelCheckAlloc(static_cast<char16_t*>(
            std::malloc((static_cast<size_t>(length) + 1) * sizeof(char16_t))));
        members[i].name = name;
        if (!name || pelFileReadU16Array(file, reinterpret_cast<uint16_t*>(name), length) < 0 ||
            pelFileReadU64(&members[i].size, file) < 0) {
            freeMembers(members, i + 1);
            return PEL_E_IO;
        }
        name[length] = 0;
        pelStrToLower(name);
    }
    uint64_t offset = 0;
    pelFileGetPosition(&offset, file);
    for (uint32_t i = 0; i < count; ++i) {
        if (members[i].size > fileSize - offset) {
            freeMembers(members, count);
            return PEL_E_IO;
        }
        members[i].offset = offset;
        offset += members[i].size;
    }
    archive->count = count;
    archive->members = members;
    return PEL_OK;
}

Member* findMember(const char16_t* lowerName, PEL_ARCHIVE** owner) {
    PEL_LIST& list = mountList();
    for (PEL_LIST_LINK* link = list.head.next; link != &list.head; link = link->next) {
        auto* archive = static_cast<PEL_ARCHIVE*>(pelListElement(&list, link));
        if (auto* member = static_cast<Member*>(pelHashFind(&archive->names, lowerName))) {
            *owner = archive;
            return member;
        }
    }
    return nullptr;
}

}  // namespace

PEL_STATUS pelFileMountArchive(const char16_t* path) {
    pelFileLock();
    struct Unlock {
        ~Unlock() { pelFileUnlock(); }
    } unlock;
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, path, PEL_FILE_SCRAMBLED);
    if (!file) return PEL_E_NOTFOUND;
    auto* archive = pelCheckAlloc(static_cast<PEL_ARCHIVE*>(std::calloc(1, sizeof(PEL_ARCHIVE))));
    if (!archive) {
        pelFileClose(file);
        return PEL_E_IO;
    }
    archive->file = file;
    if (readIndex(archive) < 0) {
        pelFileClose(file);
        std::free(archive);
        return PEL_E_IO;
    }
    // Of two members with one name, the first in the index is the one found.
    pelHashInit(&archive->names, 256, nullptr);
    for (uint32_t i = 0; i < archive->count; ++i)
        pelHashInsert(&archive->names, archive->members[i].name, &archive->members[i]);
    pelListAppend(&mountList(), archive);
    return PEL_OK;
}

PEL_FILE* pelArchiveOpenMember(const char16_t* lowerName, uint32_t flags) {
    PEL_ARCHIVE* archive = nullptr;
    const Member* member = findMember(lowerName, &archive);
    if (!member) return nullptr;
    return pelFileOpenView(archive->file->descriptor, member->offset, member->size,
                           flags | PEL_FILE_SCRAMBLED, member->name);
}

bool pelArchiveHasMember(const char16_t* lowerName) {
    PEL_ARCHIVE* archive = nullptr;
    return findMember(lowerName, &archive) != nullptr;
}

void pelArchiveUnmountAll() {
    PEL_LIST& list = mountList();
    while (auto* archive = static_cast<PEL_ARCHIVE*>(pelListFirst(&list))) {
        pelListRemoveFirst(&list);
        pelHashDestroy(&archive->names);
        freeMembers(archive->members, archive->count);
        pelFileClose(archive->file);
        std::free(archive);
    }
}
