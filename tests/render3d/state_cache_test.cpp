#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/render3d/support/device_fixture.h"
#include "tools/shasm/shader_assembler.h"

namespace tessera::test {
namespace {

class StateCache : public Render3dTest {
protected:
    void SetUp() override {
        Render3dTest::SetUp();
        createWindowed();
        recorder().setEnabled(true);
    }
    std::vector<std::string> flushed() {
        recorder().clear();
        device_->ApplyStates();
        return calls();
    }
    IDirect3DVertexShader9* vertexShader(const char* text) {
        const tools::shasm::AssembleResult assembled = tools::shasm::assembleShader(text);
        EXPECT_TRUE(assembled.error.empty()) << assembled.error;
        IDirect3DVertexShader9* shader = nullptr;
        EXPECT_EQ(device_->device()->CreateVertexShader(
                      assembled.tokens.data(), static_cast<UINT>(assembled.tokens.size()), &shader),
                  D3D_OK);
        return shader;
    }
    size_t count(const std::vector<std::string>& made, const std::string& prefix) {
        return static_cast<size_t>(std::count_if(made.begin(), made.end(), [&](const auto& call) {
            return call.rfind(prefix, 0) == 0;
        }));
    }
};

TEST_F(StateCache, AValueSetBackBeforeTheFlushSendsNothing) {
    device_->SetStateRender(7, 0);  // ZENABLE off ...
    device_->SetStateRender(7, 1);  // ... and back to the applied value
    device_->SetStateSampler(2, 5, 1);
    device_->SetStateSampler(2, 5, 2);
    EXPECT_TRUE(flushed().empty());
}

TEST_F(StateCache, TheNonDefaultListFollowsTheDefault) {
    const auto& row = device_->renderStateRow(27);  // ALPHABLENDENABLE, default FALSE
    device_->SetStateRender(27, 1);
    EXPECT_TRUE(row.flags & row.NonDefault);
    EXPECT_TRUE(row.flags & row.Dirty);
    device_->ApplyStates();
    EXPECT_FALSE(row.flags & row.Dirty);
    device_->SetStateRender(27, 0);
    EXPECT_FALSE(row.flags & row.NonDefault);
    EXPECT_TRUE(row.flags & row.Dirty);

    // ResetStates puts every changed row back (recorded, sent at the next flush).
    device_->SetStateRender(22, 3);
    device_->SetStateTexStage(1, 1, 4);
    device_->SetFVF(0x144);
    recorder().clear();
    device_->ResetStates();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(flushed(), (std::vector<std::string>{"SetRenderState(27, 0)"}));
    device_->ResetStates();
    EXPECT_TRUE(flushed().empty());
}

TEST_F(StateCache, FlushesTablesInOrderMostRecentlyDirtiedFirst) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                               &texture, nullptr),
              D3D_OK);
    device_->SetStateTexture(0, texture);
    device_->SetStateTexStage(0, 1, 2);
    device_->SetStateSampler(1, 5, 1);
    device_->SetStateRender(7, 0);
    device_->SetStateRender(27, 1);
    device_->SetStateRender(22, 1);
    device_->SetFVF(0x144);
    EXPECT_EQ(flushed(),
              (std::vector<std::string>{"SetRenderState(22, 1)", "SetRenderState(27, 1)",
                                        "SetRenderState(7, 0)", "SetSamplerState(1, 5, 1)",
                                        "SetTextureStageState(0, 1, 2)", "SetTexture(0, ptr)",
                                        "SetFVF(324)"}));
    // The same texture again costs nothing.
    device_->SetStateTexture(0, texture);
    EXPECT_TRUE(flushed().empty());
    device_->SetStateTexture(0, nullptr);
    EXPECT_EQ(flushed(), (std::vector<std::string>{"SetTexture(0, null)"}));
    texture->Release();
}

TEST_F(StateCache, UnsupportedOrOutOfRangeRowsAreFatal) {
    struct Case {
        void (*set)(L3DDevice&);
        const char* text;
    };
    const Case cases[] = {
        {[](L3DDevice& d) { d.SetStateRender(154, 1); },
         "[L3DDevice::SetStateRender] サポート外のレンダーステート2"},
        {[](L3DDevice& d) { d.SetStateRender(210, 1); },
         "[L3DDevice::SetStateRender] サポート外のレンダーステート"},
        {[](L3DDevice& d) { d.SetStateSampler(4, 1, 1); },
         "[L3DDevice::SetStateSampler] サポート外のテクスチャ番号"},
        {[](L3DDevice& d) { d.SetStateSampler(0, 14, 1); },
         "[L3DDevice::SetStateSampler] サポート外のサンプラーステート"},
        {[](L3DDevice& d) { d.SetStateSampler(0, 0, 1); },
         "[L3DDevice::SetStateSampler] サポート外のサンプラーステート2"},
        {[](L3DDevice& d) { d.SetStateTexStage(0, 33, 1); },
         "[L3DDevice::SetStateTexStage] サポート外のテクスチャステージステート"},
        {[](L3DDevice& d) { d.SetStateTexStage(3, 12, 1); },
         "[L3DDevice::SetStateTexStage] サポート外のテクスチャステージステート2"},
        {[](L3DDevice& d) { d.SetStateTexture(4, nullptr); },
         "[L3DDevice::SetStateTexture] 不正なテクスチャ番号"},
    };
    for (const Case& c : cases) expectFatal([&] { c.set(*device_); }, c.text);
}

TEST_F(StateCache, TheVertexFormatIsResentOnlyBetweenShaderAndFixedFunction) {
    IDirect3DVertexShader9* first = vertexShader("vs_2_0\ndcl_position v0\nmov oPos, v0\n");
    IDirect3DVertexShader9* second =
        vertexShader("vs_2_0\ndcl_position v0\nmov oPos, v0\nmov oD0, v0\n");
    device_->SetVShader(0, first);
    EXPECT_EQ(count(flushed(), "SetFVF"), 1u);
    device_->SetVShader(0, second);
    EXPECT_EQ(count(flushed(), "SetFVF"), 0u);
    device_->SetVShader(0, second);
    device_->SetVShader(0, nullptr);
    EXPECT_EQ(count(flushed(), "SetFVF"), 1u);
    first->Release();
    second->Release();
}

TEST_F(StateCache, BindingsAreSentOnlyWhenTheyChange) {
    mirel::rcptr<L3DVBuffer> vertices = device_->_CreateVBuffer(56 * 3, L3DDevice::DefaultFvf);
    recorder().clear();
    device_->SetStreamSource(vertices->buffer, 56);
    device_->SetStreamSource(vertices->buffer, 56);
    EXPECT_EQ(count(calls(), "SetStreamSource"), 1u);
    // Drawing from user memory unbinds stream 0, so the next bind is sent again.
    float triangle[3][14] = {};
    device_->DrawTriangles(triangle, 1);
    device_->SetStreamSource(vertices->buffer, 56);
    EXPECT_EQ(count(calls(), "SetStreamSource"), 2u);
    device_->SetPShader(nullptr);
    EXPECT_EQ(count(calls(), "SetPixelShader"), 0u);
}

TEST_F(StateCache, EveryDefaultIsSentAgainAfterAReset) {
    clientWidth_ = 800;
    ASSERT_TRUE(device_->Restore(true));
    const std::vector<std::string> made = calls();
    EXPECT_EQ(count(made, "SetRenderState"), 101u);
    EXPECT_EQ(count(made, "SetSamplerState"), 4u * 13u);
    EXPECT_EQ(count(made, "SetTextureStageState"), 4u * 18u);
    EXPECT_EQ(count(made, "SetRenderState(22, 2)"), 1u);              // CULLMODE clockwise
    EXPECT_EQ(count(made, "SetRenderState(137, 0)"), 1u);             // LIGHTING off
    EXPECT_EQ(count(made, "SetSamplerState(3, 8, 3217031168)"), 1u);  // LOD bias -1.5
    EXPECT_EQ(count(made, "SetTextureStageState(2, 11, 2)"), 1u);     // TEXCOORDINDEX
    EXPECT_EQ(count(made, "SetTextureStageState(1, 1, 1)"), 1u);      // COLOROP disabled
    EXPECT_EQ(count(made, "SetFVF(33118)"), 1u);
}

}  // namespace
}  // namespace tessera::test
