#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render3d/pass_stages.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using PassStages = Render3dTest;

// Applied after a reset, each pass sends exactly its stage operations to the device (in the
// cache's own flush order, so compared sorted).
TEST_F(PassStages, EachPassSendsItsStageOps) {
    createWindowed();
    recorder().setEnabled(true);
    using Calls = std::vector<std::string>;
    const Calls highlight = {"SetTextureStageState(1, 1, 7)", "SetTextureStageState(1, 4, 4)"};
    const Calls ramp = {"SetTextureStageState(1, 1, 4)", "SetTextureStageState(1, 4, 4)"};
    const Calls rampAndAdd = {"SetTextureStageState(1, 1, 4)", "SetTextureStageState(1, 4, 4)",
                              "SetTextureStageState(2, 1, 7)", "SetTextureStageState(2, 4, 4)"};
    const struct {
        L3DShaderKind pass;
        Calls calls;
    } cases[] = {
        {L3DShaderNormal, {}},
        {L3DShaderHighlight, highlight},
        {L3DShaderFurlight, highlight},
        {L3DShaderTexlight, ramp},
        {L3DShaderTexhighlight, rampAndAdd},
        {L3DShaderTexfurlight, rampAndAdd},
        {L3DShaderMap3, {}},
    };
    for (const auto& c : cases) {
        device_->ResetStates();
        device_->ApplyStates();
        recorder().clear();
        l3dApplyPassStageOps(*device_, c.pass);
        device_->ApplyStates();
        Calls made = calls();
        std::sort(made.begin(), made.end());
        EXPECT_EQ(made, c.calls) << "pass " << c.pass;
    }
}

}  // namespace
}  // namespace tessera::test
