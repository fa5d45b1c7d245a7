#include "sound/DgameVorbis.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

namespace mirel {

namespace {

std::atomic<DgameVorbis::ReadFunction> readFunction{ov_read};

}  // namespace

void DgameVorbis::SetReadFunction(ReadFunction function) {
    readFunction = function ? function : ov_read;
}

DgameVorbis::DgameVorbis() = default;

DgameVorbis::~DgameVorbis() { _Close(); }

size_t DgameVorbis::_ReadCallback(void* destination, size_t size, size_t count, void* source) {
    auto* self = static_cast<DgameVorbis*>(source);
    if (size == 0) return 0;
    const uint64_t wanted = static_cast<uint64_t>(size) * count;
    const int32_t got = self->file_.Read(
        destination, static_cast<uint32_t>(wanted > 0x7FFFFFFF ? 0x7FFFFFFF : wanted));
    return got > 0 ? static_cast<size_t>(got) / size : 0;
}

int DgameVorbis::_SeekCallback(void* source, int64_t offset, int whence) {
    auto* self = static_cast<DgameVorbis*>(source);
    int32_t origin = DDataOverride::SeekBegin;
    if (whence == SEEK_CUR) origin = DDataOverride::SeekCurrent;
    if (whence == SEEK_END) origin = DDataOverride::SeekEnd;
    // Only the low 32 bits; a failing seek still reports success, so every stream counts as
    // seekable.
    self->file_.Seek(static_cast<int32_t>(static_cast<uint32_t>(offset)), origin);
    return 0;
}

int DgameVorbis::_CloseCallback(void*) { return 0; }

long DgameVorbis::_TellCallback(void* source) {
    return static_cast<DgameVorbis*>(source)->file_.Tell();
}

bool DgameVorbis::_Open(DFile& file) {
    if (decoder_) return false;
    file_.Close();
    if (!file_.OpenView(0, -1, file)) return false;
    file_.Seek(0, DDataOverride::SeekBegin);
    auto decoder = std::make_unique<OggVorbis_File>();
    const ov_callbacks callbacks = {_ReadCallback, _SeekCallback, _CloseCallback, _TellCallback};
    if (ov_open_callbacks(this, decoder.get(), nullptr, 0, callbacks) != 0) {
        file_.Close();
        return false;
    }
    const vorbis_info* info = ov_info(decoder.get(), -1);
    const ogg_int64_t samples = info ? ov_pcm_total(decoder.get(), -1) : OV_EINVAL;
    if (!info || samples == OV_EINVAL) {
        ov_clear(decoder.get());
        file_.Close();
        return false;
    }
    format_ = platform::audio::WaveFormatEx{};
    format_.wFormatTag = platform::audio::kWaveFormatPcm;
    format_.nChannels = static_cast<uint16_t>(info->channels);
    format_.nSamplesPerSec = static_cast<uint32_t>(info->rate);
    format_.nBlockAlign = static_cast<uint16_t>(2 * info->channels);
    format_.nAvgBytesPerSec = format_.nSamplesPerSec * format_.nBlockAlign;
    format_.wBitsPerSample = 16;
    format_.cbSize = 18;
    pcmTotal_ = static_cast<uint32_t>(static_cast<uint64_t>(samples) * format_.nBlockAlign);
    decoder_ = std::move(decoder);
    _Rewind();
    return true;
}

int32_t DgameVorbis::_Read(void* destination, uint32_t n) {
    if (!decoder_) return -1;
    if (ended_ || n == 0) return 0;
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t delivered = 0;
    int holes = 0;
    while (delivered < n) {
        if (available_ <= 0) {
            int section = 0;
            const long got = readFunction.load()(decoder_.get(), reinterpret_cast<char*>(buffer_),
                                                 sizeof buffer_, 0, 2, 1, &section);
            if (got < 0) {
                if (++holes < kMaxHolesInARow) continue;
                ended_ = true;
                break;
            }
            if (got == 0) {
                ended_ = true;
                break;
            }
            holes = 0;
            available_ = static_cast<int32_t>(got);
            readOffset_ = 0;
        }
        const uint32_t take = std::min<uint32_t>(n - delivered, static_cast<uint32_t>(available_));
        std::memcpy(out + delivered, buffer_ + readOffset_, take);
        delivered += take;
        readOffset_ += take;
        available_ -= static_cast<int32_t>(take);
    }
    return static_cast<int32_t>(delivered);
}

void DgameVorbis::_Rewind() {
    if (!decoder_) return;
    readOffset_ = 0;
    available_ = 0;
    ended_ = false;
    ov_pcm_seek(decoder_.get(), 0);
}

bool DgameVorbis::_Close() {
    if (!decoder_) return false;
    ov_clear(decoder_.get());
    decoder_.reset();
    file_.Close();
    return true;
}

}  // namespace mirel
