#include "foundation/imagefile/bmp_headers.h"

#include <algorithm>

#include "foundation/DExceptFile.h"

namespace mirel {
namespace {

// A little-endian record being read or written.
class Fields {
public:
    explicit Fields(uint8_t* bytes) : bytes_(bytes) {}

    uint32_t Get(int n) {
        uint32_t value = 0;
        for (int i = 0; i < n; ++i) value |= uint32_t{bytes_[at_++]} << (8 * i);
        return value;
    }
    void Put(uint32_t value, int n) {
        for (int i = 0; i < n; ++i) bytes_[at_++] = static_cast<uint8_t>(value >> (8 * i));
    }

private:
    uint8_t* bytes_;
    int at_ = 0;
};

void ReadExactly(DFile& file, uint8_t* bytes, int32_t n) {
    if (file.Read(bytes, static_cast<uint32_t>(n)) != n) throw DExceptFile();
}

void WriteExactly(DFile& file, const uint8_t* bytes, int32_t n) {
    if (file.Write(bytes, static_cast<uint32_t>(n)) != n) throw DExceptFile();
}

void Parse(DimgInfoHeader& header, uint8_t* bytes) {
    Fields f(bytes);
    header.size = f.Get(4);
    header.width = static_cast<int32_t>(f.Get(4));
    header.height = static_cast<int32_t>(f.Get(4));
    header.planes = static_cast<uint16_t>(f.Get(2));
    header.bitCount = static_cast<uint16_t>(f.Get(2));
    header.compression = f.Get(4);
    header.imageSize = f.Get(4);
    header.xPelsPerMeter = static_cast<int32_t>(f.Get(4));
    header.yPelsPerMeter = static_cast<int32_t>(f.Get(4));
    header.colorsUsed = f.Get(4);
    header.colorsImportant = f.Get(4);
}

}  // namespace

void DimgWriteFileHeader(const DimgFileHeader& header, DFile& file) {
    uint8_t bytes[DimgFileHeaderSize];
    Fields f(bytes);
    f.Put(header.type, 2);
    f.Put(header.fileSize, 4);
    f.Put(header.reserved1, 2);
    f.Put(header.reserved2, 2);
    f.Put(header.pixelOffset, 4);
    WriteExactly(file, bytes, DimgFileHeaderSize);
}

void DimgReadFileHeader(DimgFileHeader& header, DFile& file) {
    uint8_t bytes[DimgFileHeaderSize];
    ReadExactly(file, bytes, DimgFileHeaderSize);
    Fields f(bytes);
    header.type = static_cast<uint16_t>(f.Get(2));
    header.fileSize = f.Get(4);
    header.reserved1 = static_cast<uint16_t>(f.Get(2));
    header.reserved2 = static_cast<uint16_t>(f.Get(2));
    header.pixelOffset = f.Get(4);
}

void DimgWriteInfoHeader(const DimgInfoHeader& header, DFile& file) {
    uint8_t bytes[DimgInfoHeaderSize];
    Fields f(bytes);
    f.Put(header.size, 4);
    f.Put(static_cast<uint32_t>(header.width), 4);
    f.Put(static_cast<uint32_t>(header.height), 4);
    f.Put(header.planes, 2);
    f.Put(header.bitCount, 2);
    f.Put(header.compression, 4);
    f.Put(header.imageSize, 4);
    f.Put(static_cast<uint32_t>(header.xPelsPerMeter), 4);
    f.Put(static_cast<uint32_t>(header.yPelsPerMeter), 4);
    f.Put(header.colorsUsed, 4);
    f.Put(header.colorsImportant, 4);
    WriteExactly(file, bytes, DimgInfoHeaderSize);
}

void DimgReadInfoHeader(DimgInfoHeader& header, DFile& file) {
    uint8_t bytes[DimgInfoHeaderSize];
    ReadExactly(file, bytes, DimgInfoHeaderSize);
    Parse(header, bytes);
}

bool DimgParseInfoHeader(DimgInfoHeader& header, const uint8_t* bytes, size_t size) {
    if (size < DimgInfoHeaderSize) return false;
    uint8_t copy[DimgInfoHeaderSize];
    std::copy(bytes, bytes + DimgInfoHeaderSize, copy);
    Parse(header, copy);
    return true;
}

}  // namespace mirel
