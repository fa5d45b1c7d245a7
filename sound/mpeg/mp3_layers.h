#pragma once
#include <cstdint>

#include "sound/mpeg/mp3_frame_types.h"

namespace sound::mpeg {

struct Mp3Decoder;
struct Mp3Layer12Tables;
struct Mp3Layer3Tables;

// The layer routines behind Mp3Decoder: a set-up run by start() on the first frame (false
// refuses the stream) and a frame routine that decodes the frame at request.input and writes
// exactly pcmBytesPerFrame bytes at output.
bool mp3SetUpLayer1(Mp3Decoder& decoder, const Mp3FrameInfo& info);
bool mp3SetUpLayer2(Mp3Decoder& decoder, const Mp3FrameInfo& info);
bool mp3SetUpLayer3(Mp3Decoder& decoder, const Mp3FrameInfo& info);
void mp3DecodeLayer1(Mp3Decoder& decoder, const Mp3FrameRequest& request, uint8_t* output);
void mp3DecodeLayer2(Mp3Decoder& decoder, const Mp3FrameRequest& request, uint8_t* output);
void mp3DecodeLayer3(Mp3Decoder& decoder, const Mp3FrameRequest& request, uint8_t* output);

void mp3BuildLayer12Tables(Mp3Layer12Tables& tables);
void mp3BuildLayer3Tables(Mp3Layer3Tables& tables);

// Bytes of layer III side information.
int32_t mp3SideInfoBytes(int version, int channels);

// Subbands the output needs: (rate / 2 + maxOutputRate * 64) / rate, at most 31.
int32_t mp3SubbandLimit(int32_t streamRate, int32_t maxOutputRate);

}  // namespace sound::mpeg
