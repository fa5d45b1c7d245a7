#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DObject.h"
#include "foundation/DSection.h"

namespace mirel {

// A "DMF " archive: a directory of named members at the start of a file, each member a run of
// bytes anywhere in it. Little-endian signed 32-bit integers:
//   "DMF ", count, then count entries of { name length (0..263), name bytes (no NUL),
//   offset from the start of the file object, size }.
// The archive keeps its own view of the file, and one view per member; names are looked up
// without regard to the case of ASCII letters (Shift-JIS characters match byte for byte)
// through 256 buckets keyed by the byte sum of the lower-cased name.
class DMFile : public DObject {
public:
    static constexpr int32_t NameCapacity = 264;
    static constexpr int BucketCount = 256;

    struct DMFileINFO {
        int32_t nameLength = 0;
        char name[NameCapacity] = {};
        uint8_t hash = 0;
        // The member's bytes, named "<archive path> | <member name>".
        DFile view;
        // The next entry of the same bucket (not owning).
        DMFileINFO* nextInBucket = nullptr;
    };

    DMFile() = default;
    ~DMFile() override;
    DMFile(const DMFile&) = delete;
    DMFile& operator=(const DMFile&) = delete;

    // Reads the directory of an open file. False for a file that is not a "DMF " archive, for
    // duplicate names, and when this archive was already open (it is then closed). A directory
    // that cannot be read (a short read, a name longer than 263 bytes, a negative count, offset
    // or size) leaves the archive closed and gives false, or throws DExceptFile when the file's
    // throw flag is set. The file's throw flag is the same afterwards; the caller may close
    // the file, the archive keeps its own view.
    bool Open(DFile& file);
    // Opens the path read-only and reads its directory.
    bool OpenFile(const char* path);

    // The member of that name, or null.
    DMFileINFO* Find(const char* name);
    // Makes the target (closed) a view of the member.
    bool OpenEntry(DFile& target, DMFileINFO* entry);
    bool OpenData(DFile& target, const char* name);
    // Adds a member made of the given view. False for a name already present, or when the
    // archive is not open.
    bool AddEntry(const char* name, DFile& memberView);

    // Copies a name, turning 'A'..'Z' into 'a'..'z'; double-byte characters are copied
    // unchanged. The target may be the source.
    static void LowerName(const char* source, char* target);

    bool IsOpen() const { return open_; }
    uint32_t Count() const { return entries_.Count(); }
    // The entries in directory order.
    DList<DMFileINFO>& Entries() { return entries_; }

private:
    // The lower-cased, bounded copy of a name with its length and hash.
    struct Key {
        char name[NameCapacity];
        int32_t length;
        uint8_t hash;
    };
    static Key MakeKey(const char* name);

    void ReadDirectory(DFile& file, bool throwFlag);
    void Close();

    bool open_ = false;
    char name_[NameCapacity] = {};
    DFile file_;
    DSection lock_;
    DList<DMFileINFO> entries_;
    DMFileINFO* buckets_[BucketCount] = {};
};

}  // namespace mirel
