#include "sound/DWave.h"

#include <algorithm>
#include <cstring>

#include "foundation/DDebug.h"

namespace mirel {

namespace {

using platform::audio::WaveFormatEx;
namespace acm = platform::acm;

uint32_t readU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

constexpr int32_t kSeekBegin = DDataOverride::SeekBegin;

}  // namespace

DWave::~DWave() { Close(); }

int64_t DWave::_FindChunk(const char* id, int n) {
    const int64_t fileSize = file_.Size();
    int matches = 0;
    for (;;) {
        uint8_t header[8];
        if (file_.Read(header, 8) != 8) return -1;
        const uint32_t size = readU32(header + 4);
        if (std::memcmp(header, id, 4) == 0 && matches++ == n) return size;
        // Chunks are padded to even length. A chunk that claims to reach past the end of the
        // file ends the search, as the next header could not be read anyway.
        const int64_t next = int64_t{file_.Tell()} + size + (size & 1);
        if (next > fileSize) return -1;
        if (!file_.Seek(static_cast<int32_t>(next), kSeekBegin)) return -1;
    }
}

int64_t DWave::_FindList(int32_t from, const char* type, int* index) {
    if (!file_.Seek(from, kSeekBegin)) return -1;
    for (int k = 0;; ++k) {
        const int64_t size = _FindChunk("LIST", 0);
        if (size < 0) return -1;
        const int32_t content = file_.Tell();
        char listType[4];
        if (size >= 4 && file_.Read(listType, 4) == 4 && std::memcmp(listType, type, 4) == 0) {
            if (index) *index = k;
            return size - 4;
        }
        // On to the next list: the same place a search restarting at `from` for the next
        // match would reach.
        const int64_t next = int64_t{content} + size + (size & 1);
        if (next > file_.Size() || !file_.Seek(static_cast<int32_t>(next), kSeekBegin)) return -1;
    }
}

bool DWave::_ReadFormat(uint32_t size) {
    // The size comes from the file: refuse one beyond the rest of it or beyond any real
    // format record.
    const int64_t rest = int64_t{file_.Size()} - file_.Tell();
    if (size > kMaxFormatBytes || size > rest) return false;
    sourceFormat_.assign(std::max<uint32_t>(size, sizeof(WaveFormatEx)), 0);
    if (file_.Read(sourceFormat_.data(), size) != static_cast<int32_t>(size)) return false;
    // A codec reads cbSize bytes after the record: they must lie inside the chunk.
    const WaveFormatEx& format = *_SourceFormat();
    if (format.wFormatTag != platform::audio::kWaveFormatPcm && size >= sizeof(WaveFormatEx) &&
        format.cbSize > size - sizeof(WaveFormatEx))
        return false;
    return true;
}

bool DWave::_OpenWave() {
    kind_ = 0;
    if (!file_.Seek(12, kSeekBegin)) return false;
    const int64_t formatSize = _FindChunk("fmt ", 0);
    if (formatSize < 16 || !_ReadFormat(static_cast<uint32_t>(formatSize))) return false;
    if (!file_.Seek(12, kSeekBegin)) return false;
    const int64_t dataSize = _FindChunk("data", 0);
    if (dataSize < 0) return false;
    dataStart_ = static_cast<uint32_t>(file_.Tell());
    // A "data" chunk cut short by the end of the file holds only what is there.
    const uint32_t bytes =
        static_cast<uint32_t>(std::min<int64_t>(dataSize, int64_t{file_.Size()} - dataStart_));
    const WaveFormatEx& source = *_SourceFormat();
    if (source.wFormatTag == platform::audio::kWaveFormatPcm) {
        pcmFormat_ = source;
        pcmFormat_.cbSize = 0;
        pcmTotal_ = bytes;
        Rewind();
        return true;
    }
    kind_ = kAcm;
    sourceBytes_ = bytes;
    return _CheckAcm();
}

bool DWave::_OpenAvi() {
    kind_ = 0;
    char riff[12];
    if (!file_.Seek(0, kSeekBegin) || file_.Read(riff, 12) != 12) return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "AVI ", 4) != 0) return false;
    if (_FindList(12, "hdrl") < 0) return false;
    const int32_t headerLists = file_.Tell();
    // The stream lists, numbered k = 0, 1, ...: the first audio stream is the one played.
    int stream = -1;
    for (int k = 0; stream < 0; ++k) {
        if (!file_.Seek(headerLists, kSeekBegin)) return false;
        const int64_t size = _FindChunk("LIST", k);
        if (size < 0) return false;
        const int32_t content = file_.Tell();
        char type[4];
        if (size < 4 || file_.Read(type, 4) != 4 || std::memcmp(type, "strl", 4) != 0) continue;
        const int32_t streamChunks = content + 4;
        char streamType[4];
        if (!file_.Seek(streamChunks, kSeekBegin) || _FindChunk("strh", 0) < 56 ||
            file_.Read(streamType, 4) != 4 || std::memcmp(streamType, "auds", 4) != 0)
            continue;
        if (!file_.Seek(streamChunks, kSeekBegin)) continue;
        const int64_t formatSize = _FindChunk("strf", 0);
        if (formatSize < 16 || !_ReadFormat(static_cast<uint32_t>(formatSize))) continue;
        stream = k;
    }
    if (stream > 99) return false;
    if (_FindList(12, "movi") < 0) return false;
    dataStart_ = static_cast<uint32_t>(file_.Tell());
    aviChunk_[0] = static_cast<char>('0' + stream / 10);
    aviChunk_[1] = static_cast<char>('0' + stream % 10);
    uint64_t total = 0;
    for (;;) {
        const int64_t size = _FindChunk(aviChunk_, 0);
        if (size < 0) break;
        const int64_t at = file_.Tell();
        total += static_cast<uint64_t>(std::min<int64_t>(size, file_.Size() - at));
        const int64_t next = at + size + (size & 1);
        if (next > file_.Size() || !file_.Seek(static_cast<int32_t>(next), kSeekBegin)) break;
    }
    const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu));
    const WaveFormatEx& source = *_SourceFormat();
    if (source.wFormatTag == platform::audio::kWaveFormatPcm) {
        kind_ = kAvi;
        pcmFormat_ = source;
        pcmTotal_ = bytes;
        Rewind();
        return true;
    }
    kind_ = kAvi | kAcm;
    sourceBytes_ = bytes;
    return _CheckAcm();
}

bool DWave::_OpenMpeg() {
    kind_ = 0;
    DFile view;
    if (!DgameMp3::FindAudioData(file_, view)) return false;
    uint8_t header[sound::mpeg::kMp3StartBytes];
    if (!view.Seek(0, kSeekBegin) || view.Read(header, sizeof header) != sizeof header)
        return false;
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) return false;
    if (!mp3_.Open()) return false;
    const int32_t size = view.Size();
    if (!mp3_.GetFormat(header, &view) || size == -1) {
        mp3_.Close();
        return false;
    }
    kind_ = kMpeg;
    file_.Assign(view);
    pcmFormat_ = mp3_.GetPcmFormat();
    pcmTotal_ = mp3_.totalBytes();
    dataStart_ = 0;
    sourceBytes_ = static_cast<uint32_t>(size);
    input_.assign(std::max<uint32_t>(8192, mp3_.maxFrameBytes()), 0);
    output_.assign(mp3_.pcmBytesPerFrame(), 0);
    Rewind();
    return true;
}

bool DWave::_OpenVorbis() {
    kind_ = 0;
    if (!vorbis_._Open(file_)) return false;
    kind_ = kVorbis;
    pcmFormat_ = vorbis_.GetFormat();
    pcmTotal_ = vorbis_.GetPcmTotal();
    Rewind();
    return true;
}

bool DWave::Open(DFile& file) {
    if (open_) return false;
    file_.Close();
    if (!file_.OpenView(0, -1, file)) return false;
    file_.Seek(0, kSeekBegin);
    decoding_ = false;
    char head[12];
    bool opened = false;
    if (file_.Read(head, 12) == 12) {
        if (std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
            opened = _OpenWave();
        else
            opened = _OpenAvi() || _OpenMpeg() || _OpenVorbis();
    }
    if (!opened) {
        Close();
        return false;
    }
    open_ = true;
    return true;
}

void DWave::_ReportAcm() {
    DDebug& log = DDebug::Global();
    log.Print("[DWave] Can't init ACM to '");
    log.Print(file_.GetPath());
    log.Print("'\r\n");
}

bool DWave::_SuggestAndSize(acm::HACMSTREAM& stream) {
    stream = nullptr;
    pcmFormat_ = WaveFormatEx{};
    pcmFormat_.wFormatTag = platform::audio::kWaveFormatPcm;
    if (acm::acmFormatSuggest(nullptr, _SourceFormat(), &pcmFormat_, sizeof(WaveFormatEx),
                              acm::ACM_FORMATSUGGESTF_WFORMATTAG) != acm::MMSYSERR_NOERROR)
        return false;
    if (acm::acmStreamOpen(&stream, nullptr, _SourceFormat(), &pcmFormat_, nullptr, 0, 0, 0) !=
        acm::MMSYSERR_NOERROR)
        return false;
    if (acm::acmStreamSize(stream, sourceBytes_, &pcmTotal_, acm::ACM_STREAMSIZEF_SOURCE) !=
        acm::MMSYSERR_NOERROR) {
        acm::acmStreamClose(stream, 0);
        stream = nullptr;
        return false;
    }
    return true;
}

bool DWave::_CheckAcm() {
    pcmTotal_ = 0;
    acm::HACMSTREAM stream = nullptr;
    if (!_SuggestAndSize(stream)) {
        _ReportAcm();
        return false;
    }
    acm::acmStreamClose(stream, 0);
    Rewind();
    return true;
}

bool DWave::_OpenAcmStream() {
    bool ready = _SuggestAndSize(acm_);
    const uint32_t inputSize = uint32_t{_SourceFormat()->nBlockAlign} * 1024;
    uint32_t outputSize = 0;
    if (ready) {
        input_.assign(inputSize, 0);
        ready = inputSize > 0 &&
                acm::acmStreamSize(acm_, inputSize, &outputSize, acm::ACM_STREAMSIZEF_SOURCE) ==
                    acm::MMSYSERR_NOERROR;
    }
    if (ready) {
        output_.assign(outputSize, 0);
        header_ = acm::ACMSTREAMHEADER{};
        header_.cbStruct = acm::kStreamHeaderSize;
        header_.pbSrc = input_.data();
        header_.cbSrcLength = inputSize;
        header_.pbDst = output_.data();
        header_.cbDstLength = outputSize;
        ready = acm::acmStreamPrepareHeader(acm_, &header_, 0) == acm::MMSYSERR_NOERROR;
    }
    if (!ready) {
        _ReportAcm();
        if (acm_) acm::acmStreamClose(acm_, 0);
        acm_ = nullptr;
    }
    return ready;
}

void DWave::_CloseAcmStream() {
    if (!acm_) return;
    acm::acmStreamUnprepareHeader(acm_, &header_, 0);
    acm::acmStreamClose(acm_, 0);
    acm_ = nullptr;
}

bool DWave::BeginDecode() {
    if (decoding_) return false;
    if ((kind_ & kAcm) && !_OpenAcmStream()) return false;
    decoding_ = true;
    return true;
}

bool DWave::EndDecode() {
    if (!decoding_) return false;
    decoding_ = false;
    _CloseAcmStream();
    return true;
}

int32_t DWave::Read(void* destination, uint32_t n) {
    if (!open_) return -1;
    if (!decoding_) {
        DDebug& log = DDebug::Global();
        log.Print("[DWave] Run BeginDecode before Read '");
        log.Print(file_.GetPath());
        log.Print("'\r\n");
        return -1;
    }
    if (n == 0) return 0;
    if (kind_ & kVorbis) return vorbis_._Read(destination, n);
    const uint32_t m = std::min(n, pcmLeft_);
    if (m == 0) return 0;
    auto* out = static_cast<uint8_t*>(destination);
    const int32_t got = (kind_ & (kAcm | kMpeg)) ? _ReadDecoded(out, m) : _ReadRaw(out, m);
    if (got > 0) pcmLeft_ -= static_cast<uint32_t>(got);
    return got;
}

int32_t DWave::_ReadRaw(uint8_t* destination, uint32_t m) {
    if (!(kind_ & kAvi)) return file_.Read(destination, m);
    uint32_t delivered = 0;
    while (delivered < m) {
        if (chunkLeft_ == 0) {
            if (!file_.Seek(static_cast<int32_t>(nextChunk_), kSeekBegin)) break;
            const int64_t size = _FindChunk(aviChunk_, 0);
            if (size < 0) break;
            const int64_t next = int64_t{file_.Tell()} + size + (size & 1);
            nextChunk_ = static_cast<uint32_t>(std::min<int64_t>(next, 0x7FFFFFFF));
            chunkLeft_ = static_cast<uint32_t>(size);
            if (chunkLeft_ == 0) continue;
        }
        const uint32_t want = std::min(chunkLeft_, m - delivered);
        int32_t got = file_.Read(destination + delivered, want);
        if (got < 0) got = 0;
        delivered += static_cast<uint32_t>(got);
        chunkLeft_ -= static_cast<uint32_t>(got);
        if (static_cast<uint32_t>(got) < want) break;
    }
    return static_cast<int32_t>(delivered);
}

bool DWave::_DecodeMpegFrame(int32_t& failure) {
    uint32_t used = mp3_.Decode(output_.data(), input_.data() + inputOffset_, inputHeld_);
    if (used == 0) {
        std::memmove(input_.data(), input_.data() + inputOffset_, inputHeld_);
        inputOffset_ = 0;
        const uint32_t want =
            std::min(sourceLeft_, static_cast<uint32_t>(input_.size()) - inputHeld_);
        if (want == 0) return false;
        if (_ReadRaw(input_.data() + inputHeld_, want) != static_cast<int32_t>(want)) {
            failure = -1;
            return false;
        }
        inputHeld_ += want;
        sourceLeft_ -= want;
        used = mp3_.Decode(output_.data(), input_.data(), inputHeld_);
        if (used == 0) return false;
    }
    used = std::min(used, inputHeld_);
    inputOffset_ += used;
    inputHeld_ -= used;
    outputPending_ = static_cast<uint32_t>(output_.size());
    outputOffset_ = 0;
    return true;
}

int32_t DWave::_ReadDecoded(uint8_t* destination, uint32_t m) {
    uint32_t delivered = 0;
    // A short read of the input loses nothing already delivered by this call.
    auto shortRead = [&] { return delivered > 0 ? static_cast<int32_t>(delivered) : -1; };
    for (;;) {
        const uint32_t take = std::min(m - delivered, outputPending_);
        std::memcpy(destination + delivered, output_.data() + outputOffset_, take);
        delivered += take;
        outputOffset_ += take;
        outputPending_ -= take;
        if (delivered == m) return static_cast<int32_t>(delivered);
        if (kind_ & kMpeg) {
            int32_t failure = 0;
            if (!_DecodeMpegFrame(failure))
                return failure < 0 ? shortRead() : static_cast<int32_t>(delivered);
            continue;
        }
        const uint32_t want = std::min(sourceLeft_, static_cast<uint32_t>(input_.size()));
        if (want == 0) return static_cast<int32_t>(delivered);
        if (_ReadRaw(input_.data(), want) != static_cast<int32_t>(want)) return shortRead();
        sourceLeft_ -= want;
        std::fill(input_.begin() + want, input_.end(), 0);
        if (acm::acmStreamConvert(acm_, &header_, 0) != acm::MMSYSERR_NOERROR)
            return static_cast<int32_t>(delivered);
        outputPending_ = header_.cbDstLengthUsed;
        outputOffset_ = 0;
        if (outputPending_ == 0) return static_cast<int32_t>(delivered);
    }
}

void DWave::Rewind() {
    if (kind_ & kVorbis) {
        vorbis_._Rewind();
        return;
    }
    pcmLeft_ = pcmTotal_;
    file_.Seek(static_cast<int32_t>(dataStart_), kSeekBegin);
    sourceLeft_ = sourceBytes_;
    inputHeld_ = inputOffset_ = outputPending_ = outputOffset_ = 0;
    // A codec may hold part of a frame from before: a fresh stream starts clean.
    if (acm_) {
        _CloseAcmStream();
        _OpenAcmStream();
    }
    if (kind_ & kMpeg) mp3_.SetStartPending();
    if (kind_ & kAvi) {
        const int64_t size = _FindChunk(aviChunk_, 0);
        if (size >= 0) {
            const int64_t next = int64_t{file_.Tell()} + size + (size & 1);
            nextChunk_ = static_cast<uint32_t>(std::min<int64_t>(next, 0x7FFFFFFF));
            chunkLeft_ = static_cast<uint32_t>(size);
        } else {
            nextChunk_ = dataStart_;
            chunkLeft_ = 0;
        }
    }
}

void DWave::_FreeBuffers() {
    sourceFormat_.clear();
    input_.clear();
    output_.clear();
}

bool DWave::Close() {
    const bool wasOpen = open_ || file_.IsOpen();
    EndDecode();
    mp3_.Close();
    vorbis_._Close();
    file_.Close();
    _FreeBuffers();
    open_ = false;
    decoding_ = false;
    kind_ = 0;
    pcmFormat_ = WaveFormatEx{};
    pcmTotal_ = pcmLeft_ = sourceBytes_ = sourceLeft_ = dataStart_ = 0;
    inputHeld_ = inputOffset_ = outputPending_ = outputOffset_ = 0;
    chunkLeft_ = nextChunk_ = 0;
    return wasOpen;
}

}  // namespace mirel
