#pragma once
#include <cstdint>
#include <memory>

#include "sound/mpeg/mp3_bit_reader.h"
#include "sound/mpeg/mp3_frame_types.h"
#include "sound/mpeg/mp3_layer12_state.h"
#include "sound/mpeg/mp3_layer3_state.h"
#include "sound/mpeg/mp3_synthesis.h"

namespace sound::mpeg {

// The MPEG audio decoder (MPEG-1, 2 and 2.5; layers I, II and III): one block holding every
// table and buffer that decoding needs, so that decoding allocates nothing. Failures return 0
// and leave a code in lastError; the stream state is left as it was, so the same frame may be
// offered again with more bytes. Output is 16-bit PCM at the stream's rate and channels.
//
// Calling order: Create(), optionally GetFrameInfo() to learn the format, set maxOutputRate,
// Start() with the first frame, then DecodeFrame() for each frame in order.
struct Mp3Decoder {
    using LayerRoutine = void (*)(Mp3Decoder& decoder, const Mp3FrameRequest& request,
                                  uint8_t* output);

    // A zero-filled block with its tables built (Reset done).
    static std::unique_ptr<Mp3Decoder> Create();

    // Sets the options to their defaults and builds the constant tables.
    void Reset();
    // Splits 4 header bytes into `header`: 1, or 0 with lastError 3 or 4.
    int ParseHeader(const uint8_t* bytes, Mp3FrameHeader& header);
    // Parses the frame at `bytes` (`length` bytes held) and looks for a VBR header in it.
    // With first = 1 it also fixes the stream's rate and PCM bytes per frame.
    int GetFrameInfo(Mp3FrameInfo& info, const uint8_t* bytes, int32_t length, int first);
    // Prepares decoding from the first frame (at least 156 bytes).
    int Start(const uint8_t* bytes, int32_t length);
    // Decodes the one frame that begins at request.input.
    int DecodeFrame(Mp3FrameRequest& request);

    // The frame routines of the three layers (layerRoutine): each decodes the frame at
    // request.input and writes exactly pcmBytesPerFrame bytes at output.
    static void DecodeLayer1(Mp3Decoder& decoder, const Mp3FrameRequest& request, uint8_t* output);
    static void DecodeLayer2(Mp3Decoder& decoder, const Mp3FrameRequest& request, uint8_t* output);
    static void DecodeLayer3(Mp3Decoder& decoder, const Mp3FrameRequest& request, uint8_t* output);

    Mp3BitReader reader;
    Mp3SynthesisState synthesis;
    Mp3Layer12Tables layer12Tables;
    Mp3Layer3Tables layer3Tables;

    int32_t maxOutputRate = 0;
    int32_t streamRate = 0;
    // The first frame's version, layer and rate index: later frames must match them.
    int32_t streamVersion = 0;
    int32_t streamLayer = 0;
    int32_t streamRateIndex = 0;

    Mp3Layer12State layer12;
    Mp3Layer3State layer3;

    int32_t frameBytes = 0;
    int32_t pcmBytesPerFrame = 0;
    LayerRoutine layerRoutine = nullptr;
    int32_t lastError = kMp3ErrorNone;
};

// PCM bytes of the longest frame any stream can produce (1152 samples, two channels).
inline constexpr int32_t kMp3MaxPcmBytesPerFrame = 1152 * 2 * 2;
// Bytes that Start() needs to see of the first frame.
inline constexpr int32_t kMp3StartBytes = 156;

}  // namespace sound::mpeg
