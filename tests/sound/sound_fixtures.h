#pragma once
// Sound sources over bytes in memory, and the fixtures the sound suites make: Ogg Vorbis
// through libvorbisenc, signals and encodings through sox and lame.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/DFile.h"
#include "sound/DWave.h"

namespace tessera::test {

// A wave opened over `bytes` (the file object stays with the caller); false when it does not
// open.
bool openWave(mirel::DWave& wave, mirel::DFile& file, const std::string& bytes,
              const char* name = "memory");
// Everything a wave delivers from here on, read in pieces of `piece` bytes.
std::string readAll(mirel::DWave& wave, uint32_t piece = 5000);

// An Ogg Vorbis file of `frames` frames of a test signal, made deterministically.
std::string makeOggVorbis(int channels, int rate, int frames);

// The bytes of a tool's output file after running `command` with {in} and {out} replaced by
// paths in a temporary folder; `input` is written to {in} first.
std::string runOnBytes(const std::string& command, const std::string& input,
                       const std::string& inName = "in.wav", const std::string& outName = "out");

// A 16-bit PCM WAVE test signal made by sox: a chirp over noise bursts.
std::string soxSignal(int channels, int rate, double seconds);

// The data chunk of a WAVE file (empty when there is none).
std::string waveData(const std::string& wave);

}  // namespace tessera::test
