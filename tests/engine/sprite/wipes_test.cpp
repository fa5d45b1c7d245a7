#include "engine/sprite/pixel_rows.h"
#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/texture.h"
#include "tests/engine/sprite/sprite2_fixture.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

class WipeTest : public Sprite2Test {
protected:
    // A 4 x 1 grey ramp: levels 0, 64, 128, 255.
    void writeRamp(const std::string& name) {
        writeImage(name, 4, 1,
                   {0, 0, 0, 255, 64, 64, 64, 255, 128, 128, 128, 255, 255, 255, 255, 255});
    }
    // The first byte of each texel of the wipe's mask.
    std::vector<uint8_t> mask(PelSpriteBackendWipe* handle) {
        mirel::rcptr<L3DTexture> texture = wipeGetHandle(sprite2Wipe(handle));
        const std::vector<uint8_t> bytes = textureBytes(*texture);
        std::vector<uint8_t> out;
        for (size_t i = 0; i < bytes.size(); i += 4) out.push_back(bytes[i]);
        return out;
    }
};

TEST_F(WipeTest, ModesCompareEachLevelWithTheThreshold) {
    writeRamp("ramp.png");
    PelSpriteBackendWipe* wipe = table().wipeLoad(table().user, 0, u"ramp.png");
    ASSERT_NE(wipe, nullptr);
    EXPECT_EQ(sprite2Wipe(wipe)->source->levels, (std::vector<uint8_t>{0, 64, 128, 255}));
    struct Case {
        int32_t mode;
        std::vector<uint8_t> texels;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 255}},
        {1, {255, 255, 0, 0}},
        {2, {0, 0, 255, 0}},
        {3, {255, 255, 0, 255}},
    };
    for (const Case& c : cases) {
        table().wipeSet(wipe, c.mode, 0.5f);  // byte 128
        EXPECT_EQ(mask(wipe), c.texels) << "mode " << c.mode;
    }
    table().wipeSet(wipe, 4, 0.5f);
    EXPECT_THROW(mask(wipe), FatalReport);
    EXPECT_TRUE(wasReported(PEL_REPORT_ERROR, u"Error: [wipeGetHandle] can't support format"));
    table().wipeRelease(wipe);
}

TEST_F(WipeTest, MasksAreRebuiltOnlyWhenModeOrThresholdChanged) {
    writeRamp("ramp.png");
    PelSpriteBackendWipe* wipe = table().wipeLoad(table().user, 0, u"ramp.png");
    L3DTexture& texture = *sprite2Wipe(wipe)->texture;
    auto scribble = [&] {
        int32_t pitch = 0;
        uint8_t* rows = texture.Lock(0, 0, 4, 1, pitch);
        std::fill(rows, rows + 16, 7);
        texture.texture->UnlockRect(0);
    };
    // Mode 0 and threshold 255 are what a new wipe counts as built.
    scribble();
    table().wipeSet(wipe, 0, 1.0f);
    EXPECT_EQ(mask(wipe), (std::vector<uint8_t>{7, 7, 7, 7}));
    table().wipeSet(wipe, 0, 0.0f);
    EXPECT_EQ(mask(wipe), (std::vector<uint8_t>{0, 255, 255, 255}));
    scribble();
    table().wipeSet(wipe, 0, -3.0f);  // still byte 0
    EXPECT_EQ(mask(wipe), (std::vector<uint8_t>{7, 7, 7, 7}));
    table().wipeSet(wipe, 1, -3.0f);
    EXPECT_EQ(mask(wipe), (std::vector<uint8_t>{0, 0, 0, 0}));
    table().wipeRelease(wipe);
}

TEST_F(WipeTest, SourcesAreSharedByNameUntilTheirLastWipeGoes) {
    writeRamp("ramp.png");
    PelSpriteBackendWipe* first = table().wipeLoad(table().user, 0, u"ramp.png");
    PelSpriteBackendWipe* second = table().wipeLoad(table().user, 0, u"RAMP.PNG");
    EXPECT_EQ(sprite2Wipe(first)->source, sprite2Wipe(second)->source);
    EXPECT_NE(sprite2Wipe(first)->texture.Get(), sprite2Wipe(second)->texture.Get());
    EXPECT_EQ(set()->wipeSources.count, 1u);
    table().wipeRelease(first);
    EXPECT_EQ(set()->wipeSources.count, 1u);
    EXPECT_NE(pelHashFind(&set()->wipeCache, u"ramp.png"), nullptr);
    table().wipeRelease(second);
    EXPECT_EQ(set()->wipeSources.count, 0u);
    EXPECT_EQ(pelHashFind(&set()->wipeCache, u"ramp.png"), nullptr);
    EXPECT_EQ(device().textureCount(), 0u);
}

TEST_F(WipeTest, MasksRideOnTheStageAfterTheImage) {
    writeRamp("ramp.png");
    writeImage("img.png", 2, 2, std::vector<uint8_t>(16, 255));
    PelSpriteBackendWipe* wipe = table().wipeLoad(table().user, 0, u"ramp.png");
    PelSpriteBackendImage* image = table().imageLoad(table().user, 0, u"img.png");
    for (PelSpriteBackendImage* withImage : {image, static_cast<PelSpriteBackendImage*>(nullptr)}) {
        auto batch = makeBatch(withImage, 0, 0, 0, {{8, 2, 2, 2, 0, 0, {1, 1, 1, 1}}});
        batch->mask = reinterpret_cast<PelSpriteBackendMask*>(wipe);
        table().drawBegin(table().user);
        table().drawBatches(table().user, batch.get(), 1);
        const DWORD stage = withImage ? 1 : 0;
        IDirect3DBaseTexture9* bound = nullptr;
        device().device()->GetTexture(stage, &bound);
        EXPECT_EQ(bound, sprite2Wipe(wipe)->texture->texture);
        if (bound) bound->Release();
        DWORD address = 0;
        device().device()->GetSamplerState(stage, D3DSAMP_ADDRESSU, &address);
        EXPECT_EQ(address, DWORD{D3DTADDRESS_WRAP});
        // The mask is addressed by the unshifted screen position over its size.
        EXPECT_FLOAT_EQ(set()->vertices[3].uv[stage][0], 10.0f / 4.0f);
        EXPECT_FLOAT_EQ(set()->vertices[3].uv[stage][1], 4.0f / 1.0f);
    }
    table().imageRelease(image);
    table().wipeRelease(wipe);
}

TEST_F(WipeTest, MaskBytesFillWholeTexels) {
    const uint8_t levels[2] = {10, 200};
    std::vector<uint8_t> rows(2 * 2, 0xEE);  // two 16-bit texels
    ASSERT_TRUE(sprite2BuildWipeMask(rows.data(), 4, 2, 1, 2, levels, 0, 100));
    EXPECT_EQ(rows, (std::vector<uint8_t>{0, 0, 255, 255}));
    EXPECT_FALSE(sprite2BuildWipeMask(rows.data(), 4, 2, 1, 2, levels, -1, 100));
}

TEST_F(WipeTest, SourcesKeepTheLumaOfEachPixel) {
    EXPECT_EQ(sprite2Luma(0xFFFF0000), 77);
    EXPECT_EQ(sprite2Luma(0xFF00FF00), 149);
    EXPECT_EQ(sprite2Luma(0xFF0000FF), 29);
    EXPECT_EQ(sprite2Luma(0x00FFFFFF), 255);
}

TEST_F(WipeTest, DestroyingTheSetReportsWhatWasLeft) {
    startFont();
    writeRamp("ramp.png");
    writeImage("img.png", 2, 2, std::vector<uint8_t>(16, 255));
    table().imageLoad(table().user, 0, u"img.png");
    table().imageCreate(table().user, 4, 4);
    table().wipeLoad(table().user, 0, u"ramp.png");
    table().wipeLoad(table().user, 0, u"ramp.png");
    table().fontCreate(table().user, 12, 4);
    ReportCapture::entries().clear();
    sprite2DestroyDeviceSet(&table());
    EXPECT_EQ(table().user, nullptr);
    std::vector<std::u16string> texts;
    for (const ReportCapture::Entry& entry : ReportCapture::entries()) {
        EXPECT_EQ(entry.level, PEL_REPORT_DEBUG);
        texts.push_back(entry.text);
    }
    EXPECT_EQ(texts, (std::vector<std::u16string>{
                         u"Debug: [sprite2DestroyDeviceSet] surface force destroy(img.png)",
                         u"Debug: [sprite2DestroyDeviceSet] surface force destroy()",
                         u"Debug: [sprite2DestroyDeviceSet] wipe force destroy(ramp.png)",
                         u"Debug: [sprite2DestroyDeviceSet] wipe force destroy(ramp.png)",
                         u"Debug: [sprite2DestroyDeviceSet] font force destroy",
                     }));
    EXPECT_EQ(device().textureCount(), 0u);
    sprite2DestroyDeviceSet(&table());  // a second time does nothing
}

}  // namespace
}  // namespace tessera::test
