#pragma once
#include <string>

namespace platform::os {

// An exclusive advisory lock (flock) on a file, held until release or destruction. Other
// processes see it; the file's content is never touched.
class FileLock {
public:
    enum class Result {
        Acquired,       // this object now holds the lock
        HeldElsewhere,  // another open of the file holds it
        Unavailable,    // the file could not be opened or created
    };

    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens the file, creating it when missing but never cutting it, and takes the lock
    // without waiting. A lock already held by this object is released first.
    Result tryAcquire(const std::string& utf8Path);
    void release();
    bool held() const { return file_ >= 0; }

private:
    int file_ = -1;
};

}  // namespace platform::os
