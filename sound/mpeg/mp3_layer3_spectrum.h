#pragma once
#include <cstdint>

namespace sound::mpeg {

struct Mp3Decoder;
struct Mp3GranuleChannel;

// The steps of one layer III granule after Huffman decoding, on the decoder's layer III state.

// Replaces the Huffman values of `channel` by requantised lines in spectra[channel][slot]
// (short blocks reordered to band, line, window) and fills the band record.
void mp3Requantize(Mp3Decoder& decoder, int channel, int slot);
// M/S and intensity stereo of a two-channel granule.
void mp3ProcessStereo(Mp3Decoder& decoder, int slot, bool midSide, bool intensity);
// Antialias butterflies between the subbands of long blocks.
void mp3Antialias(Mp3Decoder& decoder, int channel, int slot);
// IMDCT, overlap-add and frequency inversion into the hybrid output rows.
void mp3HybridFilter(Mp3Decoder& decoder, int channel, int slot);

}  // namespace sound::mpeg
