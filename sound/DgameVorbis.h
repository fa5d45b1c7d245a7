#pragma once
#include <cstdint>
#include <memory>

#include "foundation/DFile.h"
#include "foundation/DObject.h"
#include "platform/audio/wave_format.h"

struct OggVorbis_File;

namespace mirel {

// The Ogg Vorbis member of a sound source: decodes through vorbisfile over its own view of
// a file and delivers 16-bit signed little-endian interleaved PCM.
class DgameVorbis : public DObject {
public:
    DgameVorbis();
    ~DgameVorbis() override;
    DgameVorbis(const DgameVorbis&) = delete;
    DgameVorbis& operator=(const DgameVorbis&) = delete;

    // False when already open or when the file is no seekable Ogg Vorbis stream.
    bool _Open(DFile& file);
    // Up to n PCM bytes; -1 when not open; 0 at the end of the stream or for n = 0.
    int32_t _Read(void* destination, uint32_t n);
    void _Rewind();
    bool _Close();

    const platform::audio::WaveFormatEx& GetFormat() const { return format_; }
    uint32_t GetPcmTotal() const { return pcmTotal_; }

    // Negative ov_read results in a row that end the stream (a damaged file must not keep
    // the reading thread busy for ever).
    static constexpr int kMaxHolesInARow = 16;

    // The decoding call (ov_read); tests install one that plays a damaged stream. Null
    // restores ov_read.
    using ReadFunction = long (*)(OggVorbis_File* file, char* buffer, int bytes, int bigEndian,
                                  int wordBytes, int isSigned, int* section);
    static void SetReadFunction(ReadFunction function);

private:
    static size_t _ReadCallback(void* destination, size_t size, size_t count, void* source);
    static int _SeekCallback(void* source, int64_t offset, int whence);
    static int _CloseCallback(void* source);
    static long _TellCallback(void* source);

    DFile file_;
    std::unique_ptr<OggVorbis_File> decoder_;
    platform::audio::WaveFormatEx format_;
    uint32_t pcmTotal_ = 0;
    uint8_t buffer_[4096] = {};
    uint32_t readOffset_ = 0;
    int32_t available_ = 0;
    bool ended_ = false;
};

}  // namespace mirel
