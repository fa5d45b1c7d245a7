#pragma once
#include <string>

#include "platform/os/file_lock.h"

namespace platform::os {

// One running program per name: the first start holds an exclusive lock on "<name>.lock" in
// the per-user runtime folder, and listens on the Unix socket "<name>.sock" beside it, through
// which a later start asks it to raise its window (a connection is the request).
class SingleInstance {
public:
    enum class Result {
        First,           // this process holds the name now
        AlreadyRunning,  // another process holds it (and was asked to raise its window)
        Unavailable,     // no lock could be taken (no usable runtime folder): run anyway
    };

    SingleInstance() = default;
    ~SingleInstance() { release(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the name's lock, or asks the holder to raise its window. '/' in the name becomes
    // '_', so the files stay inside the runtime folder.
    Result acquire(const std::string& utf8Name);
    void release();
    bool held() const { return lock_.held(); }

    // Accepts every pending request without waiting; true when at least one asked for the
    // window to be raised.
    bool takeRaiseRequests();

private:
    FileLock lock_;
    int listener_ = -1;
    std::string socketPath_;
};

// $XDG_RUNTIME_DIR when it names an absolute path, else "tessera-<uid>" in the temporary
// folder (created with mode 0700, and refused unless it is a folder the user owns).
std::string runtimeFolder();

}  // namespace platform::os
