#include <cmath>

#include "engine/system/system.h"
#include "platform/d3d9/d3d9_enums.h"
#include "tests/engine/sprite/sprite2_fixture.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

class DeviceRenderTest : public Sprite2Test {
protected:
    PelSpriteBackendImage* loadSolid(const std::string& name, uint32_t width, uint32_t height,
                                     std::vector<uint8_t> rgba) {
        std::vector<uint8_t> pixels;
        for (uint32_t i = 0; i < width * height; ++i)
            pixels.insert(pixels.end(), rgba.begin(), rgba.end());
        writeImage(name, width, height, pixels);
        return table().imageLoad(table().user, 0, widen(name).c_str());
    }
    uint32_t renderState(uint32_t state) { return device().renderStateRow(state).value; }
    static std::u16string widen(const std::string& text) {
        return std::u16string(text.begin(), text.end());
    }
};

TEST_F(DeviceRenderTest, BeginSelectsPretransformedModulatedDrawing) {
    recorder().setEnabled(true);
    table().drawBegin(table().user);
    auto batch = makeBatch(nullptr, 0, 0, 0, {{0, 0, 4, 4, 0, 0, {1, 1, 1, 1}}});
    table().drawBatches(table().user, batch.get(), 1);
    EXPECT_EQ(recorded("SetFVF"), std::vector<std::string>{"580"});  // 0x244
    EXPECT_EQ(renderState(D3DRS_ZENABLE), 0u);
    EXPECT_EQ(renderState(D3DRS_CULLMODE), uint32_t{D3DCULL_NONE});
    for (DWORD stage : {0u, 1u}) {
        for (D3DTEXTURESTAGESTATETYPE state : {D3DTSS_COLOROP, D3DTSS_ALPHAOP}) {
            DWORD value = 0;
            device().device()->GetTextureStageState(stage, state, &value);
            EXPECT_EQ(value, DWORD{D3DTOP_MODULATE}) << stage << "/" << state;
        }
    }
    EXPECT_EQ(recorded("DrawIndexedPrimitiveUP"),
              std::vector<std::string>{"4, 0, 4, 2, ptr, 101, ptr, 36"});
}

TEST_F(DeviceRenderTest, TheSystemGivesTheDeviceTheScreenAndTheScale) {
    System system;
    PEL_SPRITE_BACKEND systemTable{};
    sprite2CreateDeviceSet(&systemTable, &system);
    const Sprite2DeviceSet* systemSet = sprite2Set(systemTable.user);
    EXPECT_EQ(systemSet->target.device, &system.device());
    EXPECT_EQ(systemSet->target.resourceScale, 1);  // no Config yet
    uint32_t width = 1, height = 1;
    systemTable.screenSize(&width, &height, systemTable.user);
    EXPECT_EQ(width, system.displayWidth());
    EXPECT_EQ(height, system.displayHeight());
    EXPECT_EQ(systemTable.drawEnd, table().drawEnd);  // the same slots as every set
    sprite2DestroyDeviceSet(&systemTable);
}

TEST_F(DeviceRenderTest, QuadsAreDrawnInCallsOfAtMost512Vertices) {
    writeImage("a.png", 4, 4, std::vector<uint8_t>(64, 255));
    PEL_SPRITE_CONTEXT* sprites = context();
    PEL_SPRITE_RENDERER* renderer = pelSpriteRendererCreate(sprites, 0, 0, 1);
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(u"a.png", sprites);
    ASSERT_NE(image, nullptr);
    PEL_SPRITE_RECT* rect = pelSpriteRectCreate(image, {renderer, 0, 0, 4, 4, 0, 0});
    for (int i = 0; i < 129; ++i) {
        PEL_SPRITE* sprite = pelSpriteCreate(renderer);
        pelSpriteSetRect(sprite, rect);
        sprite->x = static_cast<float>(i % 40) * 4;
        sprite->y = static_cast<float>(i / 40) * 4;
    }
    recorder().setEnabled(true);
    drawFrame(0);
    EXPECT_EQ(recorded("DrawIndexedPrimitiveUP"),
              (std::vector<std::string>{"4, 0, 512, 256, ptr, 101, ptr, 36",
                                        "4, 0, 4, 2, ptr, 101, ptr, 36"}));
}

TEST_F(DeviceRenderTest, ResourceScaleSetsTheLogicalSizeThatTexelsAreMappedOver) {
    remakeDeviceSet(2);
    PelSpriteBackendImage* image = loadSolid("s.png", 16, 8, {255, 0, 0, 255});
    uint32_t width = 0, height = 0;
    table().imageSize(&width, &height, image);
    EXPECT_EQ(width, 32u);
    EXPECT_EQ(height, 16u);
    EXPECT_EQ(table().imageIsWritable(image), 0);
    auto batch = makeBatch(image, 0, 0, 0, {{10, 20, 32, 16, 0, 0, {1, 1, 1, 1}}});
    table().drawBatches(table().user, batch.get(), 1);
    const Sprite2Vertex* vertices = set()->vertices;
    EXPECT_FLOAT_EQ(vertices[0].x, 9.5f);
    EXPECT_FLOAT_EQ(vertices[0].y, 19.5f);
    EXPECT_FLOAT_EQ(vertices[0].uv[0][0], 0.0f);
    EXPECT_FLOAT_EQ(vertices[3].uv[0][0], 1.0f);
    EXPECT_FLOAT_EQ(vertices[3].uv[0][1], 1.0f);
    EXPECT_EQ(vertices[0].colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(vertices[0].z, 0.0f);
    EXPECT_FLOAT_EQ(vertices[0].rhw, 1.0f);
    table().imageRelease(image);
}

TEST_F(DeviceRenderTest, ColoursAreClampedAndRoundedToBytes) {
    auto batch = makeBatch(nullptr, 0, 0, 0, {{0, 0, 4, 4, 0, 0, {1.5f, 0.5f, -1.0f, 0.2f}}});
    table().drawBatches(table().user, batch.get(), 1);
    // 0.5 x 255 + 0.5 = 128; 0.2 x 255 + 0.5 = 51.5 -> 51.
    EXPECT_EQ(set()->vertices[0].colour, 0x33FF8000u);
}

struct BlendCase {
    int32_t code;
    uint32_t enable, source, destination;
};

TEST_F(DeviceRenderTest, BlendCodesSelectTheFactors) {
    const BlendCase cases[] = {
        {0, 0, 0, 0},
        {1, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
        {2, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
        {3, 1, D3DBLEND_ONE, D3DBLEND_ONE},
        {4, 1, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA},
        {5, 1, D3DBLEND_DESTCOLOR, D3DBLEND_SRCALPHA},
        {6, 1, D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},
        {7, 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHA},
        {8, 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
    };
    for (const BlendCase& c : cases) {
        table().drawBegin(table().user);
        auto batch = makeBatch(nullptr, c.code, 3, 0.25f, {{0, 0, 4, 4, 0, 0, {1, 1, 1, 1}}});
        table().drawBatches(table().user, batch.get(), 1);
        EXPECT_EQ(renderState(D3DRS_ALPHABLENDENABLE), c.enable) << c.code;
        if (c.enable) {
            EXPECT_EQ(renderState(D3DRS_SRCBLEND), c.source) << c.code;
            EXPECT_EQ(renderState(D3DRS_DESTBLEND), c.destination) << c.code;
        }
        // An explicit alpha test stays whatever the blend.
        EXPECT_EQ(renderState(D3DRS_ALPHAFUNC), uint32_t{D3DCMP_EQUAL}) << c.code;
        EXPECT_EQ(renderState(D3DRS_ALPHAREF), 64u) << c.code;
    }
}

struct AlphaTestCase {
    int32_t blend, test;
    float reference;
    uint32_t enable, function, byte;
};

TEST_F(DeviceRenderTest, AlphaTestCodesSelectTheComparison) {
    const AlphaTestCase cases[] = {
        {0, 0, 0.5f, 0, 0, 0},
        {1, 0, 0.5f, 1, D3DCMP_GREATER, 0},  // blending with alpha switches the test on
        {2, 0, 0.5f, 1, D3DCMP_GREATER, 0},
        {3, 0, 0.5f, 0, 0, 0},
        {0, 1, 0.5f, 1, D3DCMP_GREATER, 128},
        {0, 2, 1.5f, 1, D3DCMP_LESS, 255},
        {0, 3, -1.0f, 1, D3DCMP_EQUAL, 0},
        {1, 4, 0.1f, 1, D3DCMP_NOTEQUAL, 26},
    };
    for (const AlphaTestCase& c : cases) {
        table().drawBegin(table().user);
        auto batch =
            makeBatch(nullptr, c.blend, c.test, c.reference, {{0, 0, 4, 4, 0, 0, {1, 1, 1, 1}}});
        table().drawBatches(table().user, batch.get(), 1);
        EXPECT_EQ(renderState(D3DRS_ALPHATESTENABLE), c.enable) << c.blend << "/" << c.test;
        if (c.enable) {
            EXPECT_EQ(renderState(D3DRS_ALPHAFUNC), c.function) << c.blend << "/" << c.test;
            EXPECT_EQ(renderState(D3DRS_ALPHAREF), c.byte) << c.blend << "/" << c.test;
        }
    }
}

TEST_F(DeviceRenderTest, FilterCodesSetEveryFilterOfTheUsedStages) {
    PelSpriteBackendImage* image = loadSolid("f.png", 2, 2, {0, 0, 255, 255});
    recorder().setEnabled(true);
    for (int32_t filter : {0, 1}) {
        table().drawBegin(table().user);
        auto batch = makeBatch(image, 0, 0, 0, {{0, 0, 2, 2, 0, 0, {1, 1, 1, 1}}}, filter);
        table().drawBatches(table().user, batch.get(), 1);
    }
    const auto calls = recorded("SetSamplerState");
    for (const char* expected : {"0, 5, 1", "0, 6, 1", "0, 7, 1", "0, 5, 2", "0, 6, 2", "0, 7, 2"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end()) << expected;
    for (D3DSAMPLERSTATETYPE state : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV}) {
        DWORD value = 0;
        device().device()->GetSamplerState(0, state, &value);
        EXPECT_EQ(value, DWORD{D3DTADDRESS_CLAMP});
    }
    table().imageRelease(image);
}

struct FatalCase {
    int32_t blend, test, filter;
    const char16_t* text;
};

TEST_F(DeviceRenderTest, CodesOutsideTheTablesAreFatal) {
    const FatalCase cases[] = {
        {9, 0, 0, u"Error: [deviceRender] 未対応のブレンド"},
        {-1, 0, 0, u"Error: [deviceRender] 未対応のブレンド"},
        {0, 5, 0, u"Error: [deviceRender] 未対応のアルファテスト"},
        {0, 0, 2, u"Error: [deviceRender] 未対応のスケーリング"},
    };
    for (const FatalCase& c : cases) {
        auto batch =
            makeBatch(nullptr, c.blend, c.test, 0, {{0, 0, 4, 4, 0, 0, {1, 1, 1, 1}}}, c.filter);
        EXPECT_THROW(table().drawBatches(table().user, batch.get(), 1), FatalReport);
        EXPECT_TRUE(wasReported(PEL_REPORT_ERROR, c.text)) << c.blend << c.test << c.filter;
    }
}

// Pixels of alpha 0, 128 and 129 over a blue screen, blended (code 1) with the alpha test
// off and with "greater than 0.5".
TEST_F(DeviceRenderTest, AlphaTestSkipsPixelsAtOrBelowTheReference) {
    writeImage("edge.png", 3, 1, {255, 0, 0, 0, 255, 0, 0, 128, 255, 0, 0, 129});
    PelSpriteBackendImage* image = table().imageLoad(table().user, 0, u"edge.png");
    struct Case {
        int32_t test;
        float reference;
        bool drawn[3];
    };
    const Case cases[] = {{0, 0.0f, {false, true, true}}, {1, 0.5f, {false, false, true}}};
    for (const Case& c : cases) {
        auto batch = makeBatch(image, 1, c.test, c.reference, {{0, 0, 3, 1, 0, 0, {1, 1, 1, 1}}});
        const std::vector<uint32_t> frame = drawFrame(0xFF0000FF, [&] {
            table().drawBegin(table().user);
            table().drawBatches(table().user, batch.get(), 1);
        });
        ASSERT_FALSE(frame.empty());
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(frame[x] != 0xFF0000FF, c.drawn[x]) << c.test << " x " << x;
    }
    table().imageRelease(image);
}

}  // namespace
}  // namespace tessera::test
