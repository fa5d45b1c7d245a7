#pragma once
#include <cstdint>

#include "sound/mpeg/mp3_frame_types.h"

namespace sound::mpeg {

struct Mp3Decoder;
struct Mp3Layer12Tables;
struct Mp3Layer3Tables;

// The set-up of each layer, run by Start() on the first frame (false refuses the stream).
bool mp3SetUpLayer1(Mp3Decoder& decoder, const Mp3FrameInfo& info);
bool mp3SetUpLayer2(Mp3Decoder& decoder, const Mp3FrameInfo& info);
bool mp3SetUpLayer3(Mp3Decoder& decoder, const Mp3FrameInfo& info);

void mp3BuildLayer12Tables(Mp3Layer12Tables& tables);
void mp3BuildLayer3Tables(Mp3Layer3Tables& tables);

// Bytes of layer III side information.
int32_t mp3SideInfoBytes(int version, int channels);

// Subbands the output needs: (rate / 2 + maxOutputRate * 64) / rate, at most 31.
int32_t mp3SubbandLimit(int32_t streamRate, int32_t maxOutputRate);

}  // namespace sound::mpeg
