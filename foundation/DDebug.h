#pragma once
#include <atomic>

#include "foundation/DFile.h"
#include "foundation/DObject.h"
#include "platform/os/critical_section.h"

namespace mirel {

// The library's debug log: every text goes to the debugger output and, while the file is
// enabled, to the file in CR LF lines (Shift-JIS bytes as given). Texts printed from several
// threads reach the file one after another, never mixed.
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
    std::atomic<bool> fileEnabled_{false};
    // Held while one text goes to the file; recursive, because the file may be a stream whose
    // own errors are printed here again.
    platform::os::CriticalSection printing_;
    DFile file_;
};

}  // namespace mirel
