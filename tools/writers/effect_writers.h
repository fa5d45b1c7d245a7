#pragma once
// Effect definition files ("EFSD") and effect data files ("EFDT"), written field by field in
// their scrambled little-endian form. Magic and version are fields so that tests can spoil
// them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tools::writers {

inline constexpr uint32_t kEffectDefinitionMagic = 0x44534645;  // "EFSD"
inline constexpr uint32_t kEffectDataMagic = 0x54444645;        // "EFDT"

// One image definition: 56 bytes on file.
struct EffectImageDef {
    uint32_t image = 0;
    float left = 0.0f;
    float top = 0.0f;
    float right = 1.0f;
    float bottom = 1.0f;
    float pivotX = 0.5f;
    float pivotY = 0.5f;
    std::array<uint32_t, 2> unread{};
    std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};
    uint32_t blend = 0;
};

// One model vertex: 36 bytes on file.
struct EffectModelVertex {
    std::array<float, 3> position{};
    std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};
    float s = 0.0f;
    float t = 0.0f;
};

struct EffectModel {
    std::vector<EffectModelVertex> vertices;
    std::vector<uint32_t> indices;  // each written as a full u32
};

struct EffectDefinition {
    uint32_t magic = kEffectDefinitionMagic;
    uint32_t version = 0;
    std::vector<uint8_t> imageOptions;  // one texture option byte per image
    std::vector<EffectImageDef> imageDefs;
    std::vector<EffectModel> models;
};

std::string effectDefinitionFile(const EffectDefinition& definition);

// One event, given as the nine parameter words it is meant to have once loaded. The writer
// puts the words its kind stores into the file in the kind's order and leaves out the rest.
// Two kinds differ from that: kinds 23 and 24 take the axis x, y, z and the angle in degrees
// in words 0 to 3 (the reader turns them into a quaternion), and kinds 25, 26 and 32 take
// their two angles in degrees in words 6 and 7 (the reader turns them into radians). A kind
// outside 0..44 is written with no parameters.
struct EffectEvent {
    int32_t time = 0;
    uint32_t kind = 0;
    std::array<uint32_t, 9> words{};
};

// The bit pattern of a float, for EffectEvent::words.
uint32_t effectFloatWord(float value);

struct EffectPart {
    uint32_t flags = 0;
    std::vector<EffectEvent> events;
};

struct EffectRoot {
    uint32_t flags = 0;
    EffectPart rootPart;
    std::vector<EffectPart> parts;
};

struct EffectData {
    uint32_t magic = kEffectDataMagic;
    uint32_t version = 6;
    std::vector<EffectRoot> roots;
};

std::string effectDataFile(const EffectData& data);

}  // namespace tools::writers
