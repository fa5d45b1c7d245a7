#include "render3d/pass_stages.h"

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DDevice.h"

namespace {

using namespace platform::d3d9;

constexpr L3DStageOps kAddOnStage1[] = {{1, D3DTOP_ADD, D3DTOP_MODULATE}};
constexpr L3DStageOps kRamp[] = {{1, D3DTOP_MODULATE, D3DTOP_MODULATE}};
constexpr L3DStageOps kRampAndAdd[] = {{1, D3DTOP_MODULATE, D3DTOP_MODULATE},
                                       {2, D3DTOP_ADD, D3DTOP_MODULATE}};

}  // namespace

std::span<const L3DStageOps> l3dPassStageOps(L3DShaderKind pass) {
    switch (pass) {
    case L3DShaderHighlight:
    case L3DShaderFurlight:
        return kAddOnStage1;
    case L3DShaderTexlight:
        return kRamp;
    case L3DShaderTexhighlight:
    case L3DShaderTexfurlight:
        return kRampAndAdd;
    default:
        return {};
    }
}

void l3dApplyPassStageOps(L3DDevice& device, L3DShaderKind pass) {
    for (const L3DStageOps& ops : l3dPassStageOps(pass)) {
        device.SetStateTexStage(ops.stage, D3DTSS_COLOROP, ops.colourOp);
        device.SetStateTexStage(ops.stage, D3DTSS_ALPHAOP, ops.alphaOp);
    }
}
