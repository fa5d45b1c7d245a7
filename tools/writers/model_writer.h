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

// The dropped sections of older files, as `version` has them, each with one entry of every
// variant (block A's items of kinds 1, 2 and 0; block B's tree two levels deep).
void writeModelOldSections(ScrambledFieldWriter& out, uint32_t version);

}  // namespace tools::writers
