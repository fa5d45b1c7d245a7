#pragma once
// The foundation's streams over the framework: a framework file as a DFile stream, and the
// sink that carries the 3D library's debug log into the framework's log.
#include <cstdint>

#include "foundation/DDataOverride.h"

struct PEL_FILE;

// A framework file (loose or a pack member) read and written through a DFile. Reads, writes
// and the position query hold the framework's file lock, as streaming sound threads read
// files too.
class DDataPellam final : public mirel::DDataOverride {
public:
    // Without a file every operation fails.
    DDataPellam() = default;
    ~DDataPellam() override;
    DDataPellam(const DDataPellam&) = delete;
    DDataPellam& operator=(const DDataPellam&) = delete;

    int32_t Write(const void* bytes, int32_t count) override;
    int32_t Read(void* buffer, int32_t count) override;
    // Origins map to the framework's: SeekBegin to the start, SeekEnd to the end, any other
    // value to the current position.
    bool Seek(int32_t offset, int32_t whence) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Truncate() override;
    bool Flush() override;

    // Takes ownership of an open file; an earlier one is closed.
    void TakeFile(PEL_FILE* file);

private:
    PEL_FILE* file_ = nullptr;
};

// The 3D library's debug log as a write-only stream: each write becomes log text. Stateless;
// one instance serves the whole run.
class DDataPellamLog final : public mirel::DDataOverride {
public:
    // The longest text one write hands to the log, in bytes.
    static constexpr int32_t MaxText = 768;

    // Logs the first MaxText bytes (CP932) as they stand and returns the count it was given.
    int32_t Write(const void* bytes, int32_t count) override;
    int32_t Read(void*, int32_t) override { return 0; }
    bool Seek(int32_t, int32_t) override { return true; }
    int32_t Tell() override { return 0; }
    int32_t Size() override { return 0; }
    bool Truncate() override { return true; }
    bool Flush() override { return true; }
};
