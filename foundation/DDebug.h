#pragma once
#include "foundation/DFile.h"
#include "foundation/DObject.h"

namespace mirel {

// The library's debug log: every text goes to the debugger output and, while the file is
// enabled, to the file in CR LF lines (Shift-JIS bytes as given).
class DDebug : public DObject {
public:
    // The one log of the process. Never destroyed, so it can be used until the process ends.
    static DDebug& Global();

    void Print(const char* text);

    void EnableFile(bool enabled) { fileEnabled_ = enabled; }
    bool IsFileEnabled() const { return fileEnabled_; }
    DFile& File() { return file_; }

    // Bytes gathered before the chunk is written; a chunk holds at most this plus one
    // character of two bytes.
    static constexpr int ChunkLimit = 254;

private:
    bool fileEnabled_ = false;
    DFile file_;
};

}  // namespace mirel
