#pragma once
// Writes whole rows of a mapped texture copy into a 32-bit ARGB target: the texel itself, or
// the texel added to the target pixel with each channel saturating at 255, which is what
// blending ONE + ONE gives for byte channels.
#include <cstdint>

#include "platform/d3d9/texel_mapping.h"

namespace platform::d3d9 {

enum class TexelWrite { copy, add };

// Writes pixels [left, right) of one row of `mapping`'s rectangle: `target` points at the
// row's pixel 0, `texelRow` at the level's texel row the mapping gives for it (null for a
// border row). `targetAlpha` is ORed into every result (0xFF000000 for an X8R8G8B8 target).
void writeTexelRow(std::uint32_t* target, const std::uint32_t* texelRow,
                   const TexelMapping& mapping, int left, int right, const TexelLevel& level,
                   TexelWrite write, std::uint32_t targetAlpha);

}  // namespace platform::d3d9
