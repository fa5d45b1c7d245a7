#pragma once
// RIFF files for tests and tools: chunks in any order, WAVE format records, and AVI files
// whose audio and video chunks are interleaved.
#include <cstdint>
#include <string>
#include <vector>

namespace tools::writers {

// A chunk: four-character id, little-endian size, body, and a pad byte when the size is odd.
std::string riffChunk(const std::string& id, const std::string& body);
// A "LIST" chunk of the given list type.
std::string riffList(const std::string& type, const std::string& content);
// A whole file: "RIFF", size, form type ("WAVE", "AVI "), content.
std::string riffFile(const std::string& form, const std::string& content);

// A "fmt " body: the 16 bytes of a plain record when `withSize` is false, else 18 bytes with
// cbSize = extra's length, followed by extra.
std::string waveFormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t averageBytes,
                           uint16_t blockAlign, uint16_t bits, bool withSize = false,
                           const std::string& extra = {});
// The body of a PCM "fmt " chunk (16 bytes).
std::string pcmFormatBody(uint16_t channels, uint32_t rate, uint16_t bits);

// A PCM WAVE file: "fmt " then "data".
std::string pcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& data);

// One stream of an AVI file: its "strf" body and its chunks in order (chunk i of every stream
// goes into "movi" before chunk i + 1 of any stream).
struct AviStream {
    bool audio = false;  // "auds" and "NNwb" chunks, else "vids" and "NNdc"
    std::string format;
    std::vector<std::string> chunks;
};
std::string aviFile(const std::vector<AviStream>& streams);

}  // namespace tools::writers
