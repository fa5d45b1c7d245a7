#pragma once
// The renderer's shader kinds: their member names in the shader archive, the constant
// registers each needs, and the choice between hardware and software vertex processing.
#include <array>
#include <cstdint>
#include <string>

struct L3DShaderKindRow {
    const char* name;
    int32_t baseConstants;       // registers without bones
    int32_t constantsPerWeight;  // registers added per blend weight
    const char* pixelShader;     // member name, or null
};

inline constexpr int32_t kL3DShaderKinds = 11;
inline constexpr int32_t kL3DShaderVariants = 5;  // 0 to 4 blend weights per vertex

extern const std::array<L3DShaderKindRow, kL3DShaderKinds> kL3DShaderTable;

// "<kind>_b<variant>", as the archive names a vertex shader.
std::string l3dShaderMemberName(int32_t kind, int32_t variant);

// Software vertex processing unless the device runs vertex shaders (L3DDevice::FlagVertexShader)
// and has the kind's registers for this variant.
bool l3dUseSoftwareVertexProcessing(uint32_t deviceFlags, uint32_t maxVertexShaderConst,
                                    int32_t kind, int32_t variant);
