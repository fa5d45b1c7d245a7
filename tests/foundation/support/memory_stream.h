#pragma once
#include <cstdint>
#include <string>

#include "foundation/DDataOverride.h"
#include "foundation/DFile.h"

namespace tessera::test {

// A byte string behind the stream interface of DFile.
class MemoryStream : public mirel::DDataOverride {
public:
    explicit MemoryStream(std::string bytes = {}) : bytes_(std::move(bytes)) {}

    int32_t Write(const void* bytes, int32_t count) override;
    int32_t Read(void* buffer, int32_t count) override;
    bool Seek(int32_t offset, int32_t whence) override;
    int32_t Tell() override { return position_; }
    int32_t Size() override { return static_cast<int32_t>(bytes_.size()); }
    bool Truncate() override;
    bool Flush() override { return true; }

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    int32_t position_ = 0;
};

// Attaches a new memory stream holding `bytes` to the (closed) file under `name`; returns it.
MemoryStream& attachMemory(mirel::DFile& file, std::string bytes, const char* name = "memory");

}  // namespace tessera::test
