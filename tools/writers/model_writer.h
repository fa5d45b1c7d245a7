#pragma once
// Model files ("dgo", magic "L3DO"): the sections shared by the whole model, written field by
// field in their scrambled form. Defaults give a small valid record; tests change fields.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/scrambled_fields.h"

namespace tools::writers {

// A reference as stored: pointer, base and length. Pointer 0 is no name.
struct ModelRef {
    uint32_t pointer = 0;
    uint32_t base = 0;
    uint32_t length = 0;
};
// A reference to `length` bytes at `offset` of its pool, stored against an arbitrary base.
ModelRef modelRef(uint32_t offset, uint32_t length, uint32_t base = 0x00400000);

void writeModelRef(ScrambledFieldWriter& out, const ModelRef& ref);

struct ModelShaderOption {
    uint32_t kind = 0;
    // Kinds 0, 1, 2 and 10.
    std::array<float, 4> colour1{};
    std::array<float, 4> colour2{};
    // Kinds 1 to 5 and 10 (kinds 1 and 2 use the first only).
    ModelRef texture1;
    ModelRef texture2;
    // The first factor is the power of kinds 1 and 2; kind 10 has none.
    float factor1 = 0.0f;
    float factor2 = 0.0f;
    // Kinds 2 and 5.
    std::array<float, 3> furVector{};
    ModelRef partName;
    ModelRef materialName;
    uint32_t flags = 0;  // one byte up to version 2
    float value = 0.0f;
    std::array<float, 4> block{};
    uint32_t extraWord = 0;  // version 14 and later
};
// The count, then each option as `version` lays it out.
void writeModelShaderOptions(ScrambledFieldWriter& out, uint32_t version,
                             const std::vector<ModelShaderOption>& options);

struct ModelTexArea {
    ModelRef areaName;
    ModelRef partName;
    ModelRef materialName;
    ModelRef textureName;
    float u = 0.0f;
    float v = 0.0f;
    float width = 1.0f;
    float height = 1.0f;
};
void writeModelTexAreas(ScrambledFieldWriter& out, const std::vector<ModelTexArea>& areas);

// One event; the fields of its kind are written, the others ignored.
struct ModelEvent {
    uint32_t kind = 5;
    uint32_t frame = 0;
    // Kind 0: from and to areas. Kinds 1 to 3: part and bone. Kind 4: group name (first).
    // Kind 6: part and material.
    ModelRef name1;
    ModelRef name2;
    // Kind 1 (group index from version 9, alternatives from version 13).
    uint32_t groupIndex = 0;
    uint32_t soundNumber = 0;
    std::vector<uint32_t> alternatives;
    // Kinds 2 and 3 (follow pairs from versions 10 and 11, lifetime from version 12).
    uint32_t effectNumber = 0;
    std::array<float, 3> position{};
    std::array<float, 4> rotation{0.0f, 0.0f, 0.0f, 1.0f};
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
    ModelRef userPair;
    std::array<ModelRef, 4> follow{};  // part A, bone A, part B, bone B
    uint32_t lifetime = 0;
    // Kind 4 mode, kind 5 target frame.
    uint32_t word = 0;
    // Kind 6, in file order: wave on, height-relative and scroll on as bytes; then the floats
    // u/v amplitude, u/v base height, u/v speed, u/v limit; then the u and v periods.
    std::array<uint8_t, 3> texAnimBytes{};
    std::array<float, 8> texAnimFloats{};
    std::array<uint32_t, 2> texAnimPeriods{};
};
void writeModelEvents(ScrambledFieldWriter& out, uint32_t version,
                      const std::vector<ModelEvent>& events);

// The dropped sections of older files, as `version` has them, each with one entry of every
// variant (block A's items of kinds 1, 2 and 0; block B's tree two levels deep).
void writeModelOldSections(ScrambledFieldWriter& out, uint32_t version);

}  // namespace tools::writers
