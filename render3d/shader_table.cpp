#include "render3d/shader_table.h"

#include "render3d/L3DDevice.h"

const std::array<L3DShaderKindRow, kL3DShaderKinds> kL3DShaderTable = {{
    {"normal", 8, 3, nullptr},
    {"highlight", 9, 3, nullptr},
    {"furlight", 9, 3, nullptr},
    {"texlight", 7, 3, nullptr},
    {"texhighlight", 8, 3, nullptr},
    {"texfurlight", 8, 3, nullptr},
    {"edge", 7, 3, nullptr},
    {"line", 5, 3, nullptr},
    {"linecolor", 6, 3, nullptr},
    {"nolight", 5, 3, nullptr},
    {"map3", 8, 3, "map3_psh"},
}};

std::string l3dShaderMemberName(int32_t kind, int32_t variant) {
    return std::string(kL3DShaderTable[kind].name) + "_b" + std::to_string(variant);
}

bool l3dUseSoftwareVertexProcessing(uint32_t deviceFlags, uint32_t maxVertexShaderConst,
                                    int32_t kind, int32_t variant) {
    if (!(deviceFlags & L3DDevice::FlagVertexShader)) return true;
    const L3DShaderKindRow& row = kL3DShaderTable[kind];
    const int64_t needed = int64_t{row.baseConstants} + int64_t{variant} * row.constantsPerWeight;
    return int64_t{maxVertexShaderConst} < needed;
}
