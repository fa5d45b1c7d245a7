#include "platform/acm/acm.h"

#include <cstring>
#include <map>
#include <mutex>

#include "platform/acm/acm_decoder.h"

namespace platform::acm {

struct AcmStream {
    std::unique_ptr<AcmDecoder> decoder;
};

namespace {

std::mutex registryMutex;

std::map<uint16_t, AcmDecoderFactory>& registry() {
    static std::map<uint16_t, AcmDecoderFactory> factories = {
        {WAVE_FORMAT_ADPCM, makeMsAdpcmDecoder},
        {WAVE_FORMAT_IMA_ADPCM, makeImaAdpcmDecoder},
        {WAVE_FORMAT_ALAW, makeALawDecoder},
        {WAVE_FORMAT_MULAW, makeMuLawDecoder},
    };
    return factories;
}

std::unique_ptr<AcmDecoder> makeDecoder(const WaveFormatEx& format) {
    AcmDecoderFactory factory = nullptr;
    {
        std::lock_guard<std::mutex> guard(registryMutex);
        auto found = registry().find(format.wFormatTag);
        if (found != registry().end()) factory = found->second;
    }
    if (!factory || format.nChannels == 0 || format.nSamplesPerSec == 0 || format.nBlockAlign == 0)
        return nullptr;
    return factory(format);
}

WaveFormatEx pcmFor(const WaveFormatEx& source) {
    WaveFormatEx pcm;
    pcm.wFormatTag = audio::kWaveFormatPcm;
    pcm.nChannels = source.nChannels;
    pcm.nSamplesPerSec = source.nSamplesPerSec;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<uint16_t>(source.nChannels * 2);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    pcm.cbSize = 0;
    return pcm;
}

}  // namespace

void acmRegisterDecoder(uint16_t formatTag, AcmDecoderFactory factory) {
    std::lock_guard<std::mutex> guard(registryMutex);
    registry()[formatTag] = factory;
}

MMRESULT acmFormatSuggest(HACMDRIVER, const WaveFormatEx* source, WaveFormatEx* destination,
                          DWORD cbDestination, DWORD flags) {
    if (!source || !destination || cbDestination < 16) return MMSYSERR_INVALPARAM;
    if ((flags & ACM_FORMATSUGGESTF_WFORMATTAG) && destination->wFormatTag != audio::kWaveFormatPcm)
        return ACMERR_NOTPOSSIBLE;
    if (!makeDecoder(*source)) return ACMERR_NOTPOSSIBLE;
    const WaveFormatEx pcm = pcmFor(*source);
    // Only the 16 bytes of the plain record when cbSize does not fit.
    const DWORD bytes = cbDestination >= sizeof(WaveFormatEx) ? sizeof(WaveFormatEx) : 16;
    std::memcpy(destination, &pcm, bytes);
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER, const WaveFormatEx* source,
                       const WaveFormatEx* destination, const void* filter, uintptr_t, uintptr_t,
                       DWORD flags) {
    if (!source || !destination || filter) return MMSYSERR_INVALPARAM;
    if (!stream && !(flags & ACM_STREAMOPENF_QUERY)) return MMSYSERR_INVALPARAM;
    if (stream) *stream = nullptr;
    const WaveFormatEx pcm = pcmFor(*source);
    if (destination->wFormatTag != pcm.wFormatTag || destination->nChannels != pcm.nChannels ||
        destination->nSamplesPerSec != pcm.nSamplesPerSec ||
        destination->wBitsPerSample != pcm.wBitsPerSample ||
        destination->nBlockAlign != pcm.nBlockAlign)
        return ACMERR_NOTPOSSIBLE;
    auto decoder = makeDecoder(*source);
    if (!decoder) return ACMERR_NOTPOSSIBLE;
    if (flags & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;
    *stream = new AcmStream{std::move(decoder)};
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags) {
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!output) return MMSYSERR_INVALPARAM;
    if (flags != ACM_STREAMSIZEF_SOURCE) return MMSYSERR_INVALFLAG;
    const uint64_t bytes = stream->decoder->outputBytes(input);
    if (bytes == 0 || bytes > 0xFFFFFFFFu) return ACMERR_NOTPOSSIBLE;
    *output = static_cast<DWORD>(bytes);
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD) {
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!header || header->cbStruct < kStreamHeaderSize || !header->pbSrc || !header->pbDst)
        return MMSYSERR_INVALPARAM;
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD) {
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!header) return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
    uint32_t used = 0;
    header->cbDstLengthUsed = stream->decoder->convert(header->pbSrc, header->cbSrcLength,
                                                       header->pbDst, header->cbDstLength, used);
    header->cbSrcLengthUsed = used;
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD) {
    if (!stream) return MMSYSERR_INVALHANDLE;
    if (!header) return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM stream, DWORD) {
    if (!stream) return MMSYSERR_INVALHANDLE;
    delete stream;
    return MMSYSERR_NOERROR;
}

}  // namespace platform::acm
