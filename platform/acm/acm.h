#pragma once
// Our Audio Compression Manager: the stream calls that turn compressed wave data into 16-bit
// PCM, over decoders registered per format tag. MS ADPCM, IMA ADPCM, A-law and mu-law are
// built in; higher layers add theirs (the MPEG decoder) with acmRegisterDecoder.
#include <cstdint>

#include "platform/audio/wave_format.h"

namespace platform::acm {

using audio::WaveFormatEx;
using MMRESULT = uint32_t;
using DWORD = uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
constexpr MMRESULT ACMERR_BUSY = 513;
constexpr MMRESULT ACMERR_UNPREPARED = 514;

constexpr DWORD ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
constexpr DWORD ACM_FORMATSUGGESTF_NCHANNELS = 0x00020000;
constexpr DWORD ACM_FORMATSUGGESTF_NSAMPLESPERSEC = 0x00040000;
constexpr DWORD ACM_FORMATSUGGESTF_WBITSPERSAMPLE = 0x00080000;
constexpr DWORD ACM_STREAMOPENF_QUERY = 0x1;
constexpr DWORD ACM_STREAMSIZEF_SOURCE = 0x0;
constexpr DWORD ACM_STREAMSIZEF_DESTINATION = 0x1;
constexpr DWORD ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
constexpr DWORD ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;

constexpr uint16_t WAVE_FORMAT_ADPCM = 0x0002;
constexpr uint16_t WAVE_FORMAT_ALAW = 0x0006;
constexpr uint16_t WAVE_FORMAT_MULAW = 0x0007;
constexpr uint16_t WAVE_FORMAT_IMA_ADPCM = 0x0011;
constexpr uint16_t WAVE_FORMAT_MPEG = 0x0050;
constexpr uint16_t WAVE_FORMAT_MPEGLAYER3 = 0x0055;

// The size callers put in cbStruct: the record's size in the 32-bit interface.
constexpr DWORD kStreamHeaderSize = 84;

struct ACMSTREAMHEADER {
    DWORD cbStruct = 0;
    DWORD fdwStatus = 0;
    uintptr_t dwUser = 0;
    uint8_t* pbSrc = nullptr;
    DWORD cbSrcLength = 0;
    DWORD cbSrcLengthUsed = 0;
    uintptr_t dwSrcUser = 0;
    uint8_t* pbDst = nullptr;
    DWORD cbDstLength = 0;
    DWORD cbDstLengthUsed = 0;
    uintptr_t dwDstUser = 0;
    DWORD dwReservedDriver[10] = {};
};

struct AcmStream;
using HACMSTREAM = AcmStream*;
using HACMDRIVER = void*;

// Fills `destination` (cbDestination bytes, at least 16) with the PCM format that `source`
// decodes to: the source's channels and rate, 16 bits.
MMRESULT acmFormatSuggest(HACMDRIVER driver, const WaveFormatEx* source, WaveFormatEx* destination,
                          DWORD cbDestination, DWORD flags);
// The source format, with its cbSize extra bytes, must stay readable only during the call.
MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER driver, const WaveFormatEx* source,
                       const WaveFormatEx* destination, const void* filter, uintptr_t callback,
                       uintptr_t instance, DWORD flags);
// ACM_STREAMSIZEF_SOURCE: the most PCM bytes `input` source bytes decode to.
MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags);
MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
// Converts the header's whole source into its destination, setting both used lengths.
MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
MMRESULT acmStreamClose(HACMSTREAM stream, DWORD flags);

}  // namespace platform::acm
