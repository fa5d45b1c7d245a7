#include "render3d/adapters.h"

#include <gtest/gtest.h>

#include "render3d/format_table.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using AdapterList = Render3dTest;

AdapterProfile withCaps(UINT ordinal, void (*change)(D3DCAPS9&)) {
    AdapterProfile profile = softwareAdapterProfile(ordinal);
    change(profile.caps);
    return profile;
}

TEST_F(AdapterList, AcceptsOnlyAdaptersTheLibraryCanDrawWith) {
    struct Case {
        const char* name;
        void (*change)(D3DCAPS9&);
        bool accepted;
    };
    const Case cases[] = {
        {"software device", [](D3DCAPS9&) {}, true},
        {"texture width 512", [](D3DCAPS9& c) { c.MaxTextureWidth = 512; }, false},
        {"texture height 1023", [](D3DCAPS9& c) { c.MaxTextureHeight = 1023; }, false},
        {"texture side 1024", [](D3DCAPS9& c) { c.MaxTextureWidth = c.MaxTextureHeight = 1024; },
         true},
        {"no hardware rasterisation", [](D3DCAPS9& c) { c.DevCaps &= ~D3DDEVCAPS_HWRASTERIZATION; },
         false},
        {"no clockwise culling", [](D3DCAPS9& c) { c.PrimitiveMiscCaps &= ~D3DPMISCCAPS_CULLCW; },
         false},
        {"no texture stages", [](D3DCAPS9& c) { c.MaxSimultaneousTextures = 0; }, false},
    };
    for (const Case& c : cases) {
        // The first adapter varies; the second is always usable and keeps its ordinal 1.
        startLibrary({withCaps(0, c.change), softwareAdapterProfile(1)});
        ASSERT_EQ(l3dAdapters.count, c.accepted ? 2u : 1u) << c.name;
        EXPECT_EQ(l3dAdapters.entries[0].caps.AdapterOrdinal, c.accepted ? 0u : 1u) << c.name;
        EXPECT_STREQ(l3dAdapters.entries[0].identifier.Driver, "tessera_d3d9") << c.name;
    }
}

TEST_F(AdapterList, NoUsableAdapterOrNoDirect3DIsFatal) {
    expectFatal([&] { startLibrary({withCaps(0, [](D3DCAPS9& c) { c.MaxTextureWidth = 512; })}); },
                "[l3dInit] 利用可能なDirect3D対応デバイスがありません");
    setDirect3DCreate9Override([](UINT) { return static_cast<IDirect3D9*>(nullptr); });
    expectFatal([&] { l3dInit(nullptr); }, "[l3dInit] Direct3Dを使用できません");
    setDirect3DCreate9Override(nullptr);
}

TEST_F(AdapterList, FormatNamesComeFromTheTable) {
    EXPECT_STREQ(l3dGetFormatName(D3DFMT_X1R5G5B5), "X1R5G5B5");
    EXPECT_STREQ(l3dGetFormatName(D3DFMT_D24S8), "D24S8");
    EXPECT_STREQ(l3dGetFormatName(D3DFMT_A2R10G10B10), "unknown");
    EXPECT_TRUE(l3dIsKnownFormat(32, D3DFMT_X8R8G8B8));
    EXPECT_FALSE(l3dIsKnownFormat(16, D3DFMT_X8R8G8B8));
    EXPECT_TRUE(l3dIsKnownFormat(24, D3DFMT_R8G8B8));
}

TEST_F(AdapterList, QueriesPickTheFirstAcceptedRow) {
    AdapterProfile profile = softwareAdapterProfile();
    // Depth formats offered: D16 first, then D32; D16 is never chosen.
    profile.formats.push_back({D3DRTYPE_SURFACE, D3DFMT_D16, D3DUSAGE_DEPTHSTENCIL});
    profile.formats.push_back({D3DRTYPE_SURFACE, D3DFMT_D32, D3DUSAGE_DEPTHSTENCIL});
    profile.depthFormats = {D3DFMT_D16, D3DFMT_D32};
    // 720 x 400 exists as a 16-bit mode only.
    profile.modes.push_back({720, 400, 60, D3DFMT_R5G6B5});
    profile.deviceTypes.push_back({D3DFMT_R5G6B5, D3DFMT_R5G6B5});
    startLibrary({profile});

    D3DFORMAT display = D3DFMT_UNKNOWN, backBuffer = D3DFMT_UNKNOWN, depth = D3DFMT_UNKNOWN;
    ASSERT_TRUE(l3dFindDisplayMode(0, 0, 0, 0, display, backBuffer));
    EXPECT_EQ(display, D3DFMT_X8R8G8B8);
    EXPECT_EQ(backBuffer, D3DFMT_A8R8G8B8);  // the row with alpha comes first
    EXPECT_TRUE(l3dFindDisplayMode(0, 16, 720, 400, display, backBuffer));
    EXPECT_EQ(display, D3DFMT_R5G6B5);
    EXPECT_FALSE(l3dFindDisplayMode(0, 32, 720, 400, display, backBuffer));
    EXPECT_FALSE(l3dFindDisplayMode(0, 16, 640, 480, display, backBuffer));
    ASSERT_TRUE(l3dFindDepthFormat(0, 32, 640, 480, depth));
    EXPECT_EQ(depth, D3DFMT_D32);
    EXPECT_TRUE(l3dCheckDxtSupport(0, 0, 0, 0));
    EXPECT_TRUE(l3dFindBackBufferFormat(0, D3DFMT_X8R8G8B8, backBuffer));

    // Past the end of the list every query fails.
    EXPECT_FALSE(l3dCheckWindowedDevice(1));
    EXPECT_FALSE(l3dFindDisplayMode(1, 0, 0, 0, display, backBuffer));
    EXPECT_FALSE(l3dFindDepthFormat(1, 0, 0, 0, depth));
    EXPECT_FALSE(l3dCheckDxtSupport(1, 0, 0, 0));
    EXPECT_FALSE(l3dFindBackBufferFormat(1, D3DFMT_X8R8G8B8, backBuffer));
}

TEST_F(AdapterList, DepthSearchSkipsSixteenBitFormats) {
    AdapterProfile profile = softwareAdapterProfile();
    profile.formats.push_back({D3DRTYPE_SURFACE, D3DFMT_D16, D3DUSAGE_DEPTHSTENCIL});
    profile.formats.push_back({D3DRTYPE_SURFACE, D3DFMT_D32, D3DUSAGE_DEPTHSTENCIL});
    profile.depthFormats = {D3DFMT_D16, D3DFMT_D32};
    startLibrary({profile});
    D3DFORMAT depth = D3DFMT_UNKNOWN;
    ASSERT_TRUE(l3dFindDepthFormat(0, 0, 0, 0, depth));
    EXPECT_EQ(depth, D3DFMT_D32);

    profile.depthFormats = {D3DFMT_D16};
    startLibrary({profile});
    EXPECT_FALSE(l3dFindDepthFormat(0, 0, 0, 0, depth));
}

}  // namespace
}  // namespace tessera::test
