#pragma once
#include <cstdint>
#include <vector>

namespace mirel {

// Effect flags of a sound-effect group file.
inline constexpr uint32_t kLSe3d = 0x1;
inline constexpr uint32_t kLSeVoice = 0x2;
inline constexpr uint32_t kLSeSlave = 0x4;
inline constexpr uint32_t kLSeStop = 0x8;

// Effect numbers and voice counts are bounded: "@seN" words with a larger N are passed over,
// and larger counts are cut.
inline constexpr uint32_t kLSeMaxEffects = 4096;
inline constexpr uint32_t kLSeMaxVoices = 256;

struct LSeEffectSettings {
    uint32_t count = 1;
    uint32_t flags = 0;
    int32_t priority = -1;
    char name[264] = {};  // the sound file's name without extension; empty: no sound
};

// A sound-effect group file read from Shift-JIS text: the "@prop" defaults and one entry per
// effect number, 0 to one more than the highest "@seN" written anywhere. An effect takes the
// defaults and the pairs of the first line whose first word is "@se%u" of its number.
struct LSeGroupFile {
    LSeEffectSettings defaults;
    std::vector<LSeEffectSettings> effects;
};

LSeGroupFile LSeParseGroupFile(const char* text);

}  // namespace mirel
