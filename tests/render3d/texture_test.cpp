#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/DPath.h"
#include "render3d/texture_pack.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/support/device_fixture.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/little_endian.h"
#include "tools/writers/texture_pack_writer.h"

namespace tessera::test {
namespace {

using tools::writers::dxt1Block;
using tools::writers::TexturePack;
using tools::writers::writeTexturePack;

// A 32-bit bottom-up BMP of one ARGB colour (the alpha byte is kept by the reader).
std::string bmp32(int width, int height, uint32_t argb) {
    std::string file = "BM";
    const uint32_t pixelBytes = static_cast<uint32_t>(width * height * 4);
    tools::writers::putU32(file, 54 + pixelBytes);
    tools::writers::putU32(file, 0);
    tools::writers::putU32(file, 54);
    tools::writers::putU32(file, 40);
    tools::writers::putU32(file, static_cast<uint32_t>(width));
    tools::writers::putU32(file, static_cast<uint32_t>(height));
    tools::writers::putU16(file, 1);
    tools::writers::putU16(file, 32);
    tools::writers::putU32(file, 0);
    tools::writers::putU32(file, pixelBytes);
    for (int i = 0; i < 4; ++i) tools::writers::putU32(file, 0);
    for (int i = 0; i < width * height; ++i) tools::writers::putU32(file, argb);
    return file;
}

// A profile without compressed textures: packs are read from their "raw" member.
AdapterProfile withoutDxt() {
    AdapterProfile profile = softwareAdapterProfile();
    std::erase_if(profile.formats, [](const FormatSupport& f) {
        return f.format == D3DFMT_DXT1 || f.format == D3DFMT_DXT3;
    });
    return profile;
}

AdapterProfile powerOfTwoOnly(DWORD maxSide = 4096) {
    AdapterProfile profile = softwareAdapterProfile();
    profile.caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
    profile.caps.MaxTextureWidth = profile.caps.MaxTextureHeight = maxSide;
    return profile;
}

class Textures : public Render3dTest {
protected:
    uint32_t pack() { return lfmRegistPack(""); }
    std::string packPath(const char* name) {
        char buffer[mirel::DPATH_SIZE];
        return lfmGetPackFileName(pack(), buffer, name);
    }
    // Texel (x, y) of a level of the record's Direct3D texture, as ARGB.
    static uint32_t texel(const L3DTexture& record, UINT level, UINT x, UINT y) {
        const IDirect3DSurface9& surface = record.texture->level(level);
        return surface.texels()[y * surface.width() + x];
    }
};

TEST_F(Textures, ImagesAreResampledToTheSizeTheDeviceAllows) {
    L3DDevice& device = createWindowed(powerOfTwoOnly());
    mirel::DImage image;
    ASSERT_TRUE(image.CreateAutoPitch(300, 200, mirel::DImageKind::BGRA32));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) std::memcpy(image.PixelAddress(x, y), "\x40\x80\xC0\xFF", 4);
    mirel::rcptr<L3DTexture> texture = device.CreateTextureFromImage("wide", image, true, true);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width, 512u);
    EXPECT_EQ(texture->height, 256u);
    EXPECT_EQ(texture->kind, L3DTexture::KindManaged);
    EXPECT_EQ(texture->pixelKind, 2u);
    // Level sizes halve down to 1: 512 x 256 has 10 levels.
    ASSERT_EQ(texture->levelCount, 10u);
    EXPECT_EQ(texture->texture->level(9).width(), 1u);
    for (UINT level : {0u, 3u, 9u}) EXPECT_EQ(texel(*texture, level, 0, 0), 0xFFC08040u) << level;
    EXPECT_EQ(texel(*texture, 0, 511, 255), 0xFFC08040u);
}

TEST_F(Textures, AdjustsSizesByTheCapabilities) {
    struct Case {
        DWORD textureCaps;
        DWORD maxSide;
        uint32_t width, height, expectWidth, expectHeight;
    };
    const Case cases[] = {
        {0, 4096, 300, 200, 300, 200},
        {D3DPTEXTURECAPS_POW2, 4096, 300, 200, 512, 256},
        {D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 4096, 1, 3, 1, 4},
        {D3DPTEXTURECAPS_SQUAREONLY, 4096, 300, 200, 300, 300},
        {D3DPTEXTURECAPS_POW2, 1024, 2000, 600, 1024, 1024},
        {D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 1024, 2000, 600, 1024, 1024},
    };
    for (const Case& c : cases) {
        AdapterProfile profile = softwareAdapterProfile();
        profile.caps.TextureCaps |= c.textureCaps;
        profile.caps.MaxTextureWidth = profile.caps.MaxTextureHeight = c.maxSide;
        L3DDevice& device = createWindowed(profile);
        uint32_t width = c.width, height = c.height;
        device._AdjustTextureSize(width, height);
        EXPECT_EQ(width, c.expectWidth) << c.textureCaps << " " << c.width;
        EXPECT_EQ(height, c.expectHeight) << c.textureCaps << " " << c.height;
        device_.reset();
    }
}

TEST_F(Textures, CompressedPacksUploadEveryLevel) {
    L3DDevice& device = createWindowed();
    ASSERT_TRUE(device.flags() & L3DDevice::FlagDxt);
    // Size 16 with mip-mapping: levels 16, 8 and 4, of 128, 32 and 8 bytes.
    std::string compress;
    for (int i = 0; i < 16; ++i) compress += dxt1Block(0xF800);  // red
    for (int i = 0; i < 4; ++i) compress += dxt1Block(0x07E0);   // green
    compress += dxt1Block(0x001F);                               // blue
    ASSERT_EQ(compress.size(), 128u + 32u + 8u);
    dir_.write("stone.dgt", writeTexturePack({false, 16, compress, "unused"}));
    mirel::rcptr<L3DTexture> texture = device.CreateTexturePack("Stone", pack(), "stone", true);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->kind, L3DTexture::KindCompressed);
    EXPECT_EQ(texture->pixelKind, 1u);
    EXPECT_EQ(texture->alpha, 0u);
    ASSERT_EQ(texture->levelCount, 3u);
    EXPECT_EQ(texture->texture->format(), D3DFMT_DXT1);
    EXPECT_EQ(texel(*texture, 0, 15, 15), 0xFFFF0000u);
    EXPECT_EQ(texel(*texture, 1, 7, 7), 0xFF00FF00u);
    EXPECT_EQ(texel(*texture, 2, 3, 3), 0xFF0000FFu);

    // Data that ends before the last level.
    dir_.write("short.dgt", writeTexturePack({false, 16, compress.substr(0, 150), "unused"}));
    expectFatal([&] { device.CreateTexturePack("short", pack(), "short", true); },
                "を読み込めませんでした。");
    EXPECT_FALSE(device.FindTexture("short"));
}

TEST_F(Textures, PackedSizesMustBeAcceptedUnchanged) {
    L3DDevice& device = createWindowed(powerOfTwoOnly(1024));
    std::string twelve;
    for (int i = 0; i < 9; ++i) twelve += dxt1Block(0);
    dir_.write("odd.dgt", writeTexturePack({false, 12, twelve, "unused"}));
    expectFatal([&] { device.CreateTexturePack("odd", pack(), "odd", false); },
                "[L3DDevice::CreateTextureDXTn] テクスチャファイル\"");
    dir_.write("huge.dgt", writeTexturePack({false, 2048, "x", "unused"}));
    expectFatal([&] { device.CreateTexturePack("huge", pack(), "huge", false); },
                "[L3DDevice::CreateTextureDXTn] テクスチャファイル\"");
}

TEST_F(Textures, RawPackAlphaIsStoredInverted) {
    L3DDevice& device = createWindowed(withoutDxt());
    ASSERT_FALSE(device.flags() & L3DDevice::FlagDxt);
    dir_.write("glass.dgt",
               writeTexturePack({true, 4, "", bmp32(4, 4, 0x00336699)}));  // alpha 0 stored
    mirel::rcptr<L3DTexture> texture = device.CreateTexturePack("glass", pack(), "glass", false);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->alpha, 1u);  // "DTCA"
    EXPECT_EQ(texture->texture->format(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(texel(*texture, 0, 2, 2), 0xFF336699u);
}

TEST_F(Textures, ImagesTakeTheirAlphaFromASeparateImage) {
    L3DDevice& device = createWindowed();
    dir_.write("leaf.bmp", bmp32(2, 2, 0xFF204060));
    dir_.write("leaf_a.bmp", bmp32(2, 2, 0xFF007F00));  // alpha from green: 0x7F
    dir_.write("rock.bmp", bmp32(2, 2, 0x00204060));
    mirel::rcptr<L3DTexture> leaf = device.CreateTexturePack("leaf", pack(), "leaf", false);
    ASSERT_TRUE(leaf);
    EXPECT_EQ(leaf->alpha, 1u);
    EXPECT_EQ(texel(*leaf, 0, 1, 1), 0x7F204060u);
    mirel::rcptr<L3DTexture> rock = device.CreateTexturePack("rock", pack(), "rock", false);
    ASSERT_TRUE(rock);
    EXPECT_EQ(rock->alpha, 0u);
    EXPECT_EQ(rock->texture->format(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(texel(*rock, 0, 0, 0) & 0xFFFFFF, 0x204060u);

    dir_.write("bark.bmp", bmp32(2, 2, 0xFF000000));
    dir_.write("bark_a.bmp", bmp32(3, 2, 0xFFFFFFFF));
    expectFatal(
        [&] { device.CreateTexturePack("bark", pack(), "bark", false); },
        "[l3dLoadTextureImage] カラー画像とアルファ画像のサイズが違う(" + packPath("bark") + ")");
    dir_.write("moss.bmp", "not an image");
    expectFatal([&] { device.CreateTexturePack("moss", pack(), "moss", false); },
                "[l3dLoadTextureImage] カラー画像(" + packPath("moss") + ")を読み込めません");
    EXPECT_THROW(device.CreateTexturePack("none", pack(), "none", false), LExceptGame);
}

TEST_F(Textures, NamesAreFoundWithoutRegardToAsciiCase) {
    L3DDevice& device = createWindowed(powerOfTwoOnly(1024));
    mirel::rcptr<L3DTexture> stone = device.CreateTexture("Stone", 8, 8);
    EXPECT_EQ(device.FindTexture("STONE").Get(), stone.Get());
    EXPECT_EQ(stone.UseCount(), 1);  // the found handle was dropped again
    EXPECT_FALSE(device.FindTexture("stones"));
    expectFatal([&] { device.CreateTexture("stone", 8, 8); },
                "[L3DDevice::_CreateTexture] テクスチャ\"stone\"はすでに存在しています。");

    // Names keep their first 263 bytes.
    const std::string longName(300, 'L');
    mirel::rcptr<L3DTexture> named = device.CreateTexture(longName.c_str(), 4, 4);
    EXPECT_EQ(std::string(named->name), longName.substr(0, 263));
    EXPECT_EQ(device.FindTexture(longName.substr(0, 263).c_str()).Get(), named.Get());
    named.Reset();

    // Render textures have no name: two coexist and neither is found by the empty name.
    mirel::rcptr<L3DTexture> first = device.CreateTextureBack(256, 256);
    mirel::rcptr<L3DTexture> second = device.CreateTextureBack(100, 60);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->width, 128u);
    EXPECT_EQ(second->contentsLost, 1);
    EXPECT_FALSE(device.FindTexture(""));
    EXPECT_FALSE(device.CreateTextureBack(2000, 2000));
    EXPECT_EQ(device.textureCount(), 3u);

    // Dropping the last handle takes a texture off the list.
    stone.Reset();
    EXPECT_EQ(device.textureCount(), 2u);
    EXPECT_FALSE(device.FindTexture("stone"));
}

TEST_F(Textures, ReleaseAllDetachesTexturesHeldElsewhere) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<L3DTexture> kept = device.CreateTexture("kept", 4, 4);
    mirel::rcptr<L3DTexture> target = device.CreateTextureBack(16, 16);
    device.ReleaseAll();
    EXPECT_EQ(device.device(), nullptr);
    EXPECT_EQ(kept->device, nullptr);
    EXPECT_EQ(kept->texture, nullptr);
    EXPECT_EQ(target->texture, nullptr);
    EXPECT_EQ(device.textureCount(), 0u);
    EXPECT_FALSE(device.Present());
    EXPECT_FALSE(device.Restore(true));
}

TEST_F(Textures, OnlyOneLevelManagedTexturesCanBeLocked) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<L3DTexture> plain = device.CreateTexture("plain", 8, 8);
    int32_t pitch = 0;
    uint8_t* bits = plain->Lock(2, 1, 4, 4, pitch);
    ASSERT_NE(bits, nullptr);
    EXPECT_GE(pitch, 8 * 4);
    plain->texture->UnlockRect(0);

    mirel::rcptr<L3DTexture> mipped = device._CreateTexture("mipped", 8, 8, true, true);
    ASSERT_GT(mipped->levelCount, 1u);
    expectFatal([&] { mipped->Lock(0, 0, 1, 1, pitch); },
                "[L3DTexture::Lock] テクスチャをロックできません");
    mirel::rcptr<L3DTexture> target = device.CreateTextureBack(8, 8);
    expectFatal([&] { target->Lock(0, 0, 1, 1, pitch); },
                "[L3DTexture::Lock] テクスチャをロックできません");
    expectFatal([&] { plain->FillColor(0); },
                "[L3DTexture::FillColor] バックバッファテクスチャではありません");
    expectFatal([&] { plain->CopyBackBuffer(); },
                "[L3DTexture::CopyBackBuffer] バックバッファテクスチャではありません");
}

TEST_F(Textures, RenderTexturesCopyTheViewportCornerAndFill) {
    clientWidth_ = 64;
    clientHeight_ = 32;
    L3DDevice& device = createWindowed();
    device.device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0);
    mirel::rcptr<L3DTexture> target = device.CreateTextureBack(128, 128);
    target->FillColor(0xFF000000);
    EXPECT_EQ(target->contentsLost, 0);
    target->CopyBackBuffer();
    EXPECT_EQ(texel(*target, 0, 63, 31), 0xFF112233u);
    EXPECT_EQ(texel(*target, 0, 64, 0), 0xFF000000u);
    EXPECT_EQ(texel(*target, 0, 0, 32), 0xFF000000u);
}

TEST_F(Textures, TexturePackDataIsFoundByItsMembers) {
    startLibrary({softwareAdapterProfile()});
    struct Case {
        const char* name;
        std::string bytes;
        bool compressed;
        const char* fatal;  // null: no fatal report
        bool result;
        bool alpha;
        uint32_t size;
    };
    const Case cases[] = {
        {"not an archive", "plain image bytes", true, nullptr, false, false, 0},
        {"opaque", writeTexturePack({false, 64, "c", "r"}), true, nullptr, true, false, 64},
        {"alpha raw", writeTexturePack({true, 32, "c", "r"}), false, nullptr, true, true, 32},
        {"bad magic", tools::writers::writeDmf({{"spec", "DTCX\x10\0\0\0"}}), true,
         "の形式が異常。", false, false, 0},
        {"no spec", tools::writers::writeDmf({{"compress", "c"}}), true, "の形式が異常。", false,
         false, 0},
        {"short spec", tools::writers::writeDmf({{"spec", "DTC"}}), true,
         "を読み込めませんでした。", false, false, 0},
        {"no member", writeTexturePack({false, 8, "", "r"}), true, "の形式が異常。", false, false,
         0},
    };
    for (const Case& c : cases) {
        mirel::DFile file;
        attachMemory(file, c.bytes, c.name);
        mirel::DFile member;
        uint32_t size = 0;
        bool alpha = false;
        if (c.fatal) {
            expectFatal([&] { l3dGetTextureData(file, member, size, alpha, c.compressed); },
                        c.fatal);
            continue;
        }
        EXPECT_EQ(l3dGetTextureData(file, member, size, alpha, c.compressed), c.result) << c.name;
        if (!c.result) continue;
        EXPECT_EQ(alpha, c.alpha) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
        char byte = 0;
        EXPECT_EQ(member.Read(&byte, 1), 1) << c.name;
        EXPECT_EQ(byte, c.compressed ? 'c' : 'r') << c.name;
    }
}

}  // namespace
}  // namespace tessera::test
