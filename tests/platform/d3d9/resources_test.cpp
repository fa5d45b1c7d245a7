// Resources: texture levels and locks, DXT decoding, buffers, shaders, and draws that would
// read outside their data.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/dxt_decode.h"
#include "platform/d3d9/format_info.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

class Resources : public DeviceTest {
protected:
    void SetUp() override { createDevice(8, 8); }
};

TEST_F(Resources, MipChainsHalveWithFloorAndDxtLevelsLockInBlocks) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(300, 20, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 9u);  // 300 .. 1
    const UINT widths[9] = {300, 150, 75, 37, 18, 9, 4, 2, 1};
    const UINT heights[9] = {20, 10, 5, 2, 1, 1, 1, 1, 1};
    for (UINT i = 0; i < 9; ++i) {
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(i, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, widths[i]);
        EXPECT_EQ(desc.Height, heights[i]);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    }
    EXPECT_EQ(texture->GetLevelDesc(9, nullptr), D3DERR_INVALIDCALL);
    texture->Release();

    // DXT1 of size 16 with three levels: 128, 32 and 8 bytes, pitch in blocks.
    ASSERT_EQ(device_->CreateTexture(16, 16, 3, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    const INT pitches[3] = {32, 16, 8};
    const std::size_t bytes[3] = {128, 32, 8};
    for (UINT i = 0; i < 3; ++i) {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(i, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, pitches[i]);
        EXPECT_EQ(levelBytes(D3DFMT_DXT1, 16 >> i, 16 >> i), bytes[i]);
        ASSERT_EQ(texture->UnlockRect(i), D3D_OK);
    }
    EXPECT_EQ(levelBytes(D3DFMT_DXT3, 16, 16), 256u);
    // Sub-rectangles of compressed levels are whole blocks.
    const RECT unaligned{2, 0, 6, 4};
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, &unaligned, 0), D3DERR_INVALIDCALL);
    const RECT aligned{4, 8, 12, 16};
    ASSERT_EQ(texture->LockRect(0, &locked, &aligned, 0), D3D_OK);
    texture->UnlockRect(0);
    texture->Release();
    EXPECT_EQ(device_->CreateTexture(6, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(Resources, LockRulesFollowPoolsAndNesting) {
    IDirect3DTexture9* texture = makeTexture(4, 4, std::vector<std::uint32_t>(16, 0));
    D3DLOCKED_RECT locked;
    const RECT sub{1, 2, 3, 4};
    ASSERT_EQ(texture->LockRect(0, &locked, &sub, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    *static_cast<std::uint32_t*>(locked.pBits) = 0xDEADBEEF;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<std::uint32_t*>(locked.pBits)[2 * 4 + 1], 0xDEADBEEFu);
    texture->UnlockRect(0);
    const RECT outside{2, 2, 5, 3};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    const RECT empty{2, 2, 2, 3};
    EXPECT_EQ(texture->LockRect(0, &locked, &empty, 0), D3DERR_INVALIDCALL);
    texture->Release();

    // A render texture in the DEFAULT pool cannot be locked; neither can the back buffer.
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &texture, nullptr),
              D3D_OK);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    texture->Release();
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    EXPECT_EQ(back->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    back->Release();

    struct Case {
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
        HRESULT result;
    };
    const Case cases[] = {
        {D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, D3DERR_NOTAVAILABLE},
        {0, D3DFMT_DXT5, D3DPOOL_MANAGED, D3DERR_NOTAVAILABLE},
        {0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, D3D_OK},
    };
    for (const Case& c : cases) {
        IDirect3DTexture9* made = nullptr;
        EXPECT_EQ(device_->CreateTexture(4, 4, 1, c.usage, c.format, c.pool, &made, nullptr),
                  c.result)
            << c.format;
        if (made) made->Release();
    }
}

TEST_F(Resources, SurfaceLevelsShareTheTexturesReferences) {
    IDirect3DTexture9* texture = makeTexture(2, 2, std::vector<std::uint32_t>(4, 0));
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u);  // the level keeps the texture alive
    D3DSURFACE_DESC desc;
    ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(level->Release(), 0u);
}

TEST(DxtDecode, KnownBlocks) {
    // DXT1, four-colour mode: colour 0 pure red (0xF800), colour 1 pure blue (0x001F).
    const std::uint8_t fourColour[8] = {0x00, 0xF8, 0x1F, 0x00, 0b11100100, 0, 0, 0xFF};
    std::uint32_t texels[16];
    decodeDxt1Block(fourColour, texels);
    EXPECT_EQ(texels[0], 0xFFFF0000u);   // index 0
    EXPECT_EQ(texels[1], 0xFF0000FFu);   // index 1
    EXPECT_EQ(texels[2], 0xFFAA0055u);   // (2a + b) / 3
    EXPECT_EQ(texels[3], 0xFF5500AAu);   // (a + 2b) / 3
    EXPECT_EQ(texels[4], 0xFFFF0000u);   // row 1 all index 0
    EXPECT_EQ(texels[15], 0xFF5500AAu);  // row 3 all index 3
    // Three-colour mode (colour 0 <= colour 1): midpoint and transparent black.
    const std::uint8_t threeColour[8] = {0x1F, 0x00, 0x00, 0xF8, 0b11100100, 0, 0, 0};
    decodeDxt1Block(threeColour, texels);
    EXPECT_EQ(texels[0], 0xFF0000FFu);
    EXPECT_EQ(texels[1], 0xFFFF0000u);
    EXPECT_EQ(texels[2], 0xFF7F007Fu);
    EXPECT_EQ(texels[3], 0x00000000u);
    // 5:6:5 expansion repeats the top bits: green 0x07E0 is 0xFF exactly, 0x0400 is 0x82.
    const std::uint8_t greens[8] = {0xE0, 0x07, 0x00, 0x04, 0b0100, 0, 0, 0};
    decodeDxt1Block(greens, texels);
    EXPECT_EQ(texels[0], 0xFF00FF00u);
    EXPECT_EQ(texels[1], 0xFF008200u);

    // DXT3: explicit 4-bit alpha times 17, colour always four-colour.
    std::uint8_t dxt3[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                             0x1F, 0x00, 0x00, 0xF8, 0,    0,    0,    0};
    decodeDxt3Block(dxt3, texels);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(texels[i] >> 24, static_cast<std::uint32_t>(i * 17)) << i;
    EXPECT_EQ(texels[0] & 0xFFFFFF, 0x0000FFu);  // colour 0 blue even though it is below colour 1
}

TEST_F(Resources, DxtTexturesAreDecodedAtUnlockAndSampled) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_DXT3, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const std::uint8_t block[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F,
                                    0x00, 0xF8, 0x1F, 0x00, 0,    0,    0,    0};
    std::memcpy(locked.pBits, block, sizeof block);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->BeginScene();
    drawRect(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFF);
    device_->EndScene();
    const std::vector<std::uint32_t> out = readTarget();
    EXPECT_EQ(out[0], 0xFFFF0000u);
    EXPECT_EQ(out[3 * 8 + 3], 0x00FF0000u);  // the last texel's alpha nibble is 0
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(Resources, BuffersLockWithinTheirSize) {
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(112, 0x8, 0x815E, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    std::memset(data, 0xAB, 112);
    ASSERT_EQ(vb->Lock(56, 56, &data, D3DLOCK_DISCARD), D3D_OK);  // nested
    EXPECT_EQ(static_cast<std::uint8_t*>(data)[55], 0xAB);
    vb->Unlock();
    vb->Unlock();
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(100, 20, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(vb->Lock(0xFFFFFFF0u, 0x20, &data, 0), D3DERR_INVALIDCALL);
    D3DVERTEXBUFFER_DESC desc;
    ASSERT_EQ(vb->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.FVF, 0x815Eu);
    EXPECT_EQ(desc.Size, 112u);
    vb->Release();

    IDirect3DIndexBuffer9* ib = nullptr;
    EXPECT_EQ(device_->CreateIndexBuffer(64, 0x8, D3DFMT_INDEX32, D3DPOOL_MANAGED, &ib, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateVertexBuffer(64, 0x208, 0x815E, D3DPOOL_MANAGED, &vb, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateVertexBuffer(64, 0x218, 0x244, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    vb->Release();
}

TEST_F(Resources, ShaderTokenStreamsAreValidatedAndKept) {
    // vs_2_0: dcl_position v0 (2 operand tokens), mov oPos, v0 (2), a comment of 1 token, end.
    const DWORD vs[] = {0xFFFE0200, 0x0200001F, 0x80000000, 0x900F0000, 0x02000001,
                        0xC00F0000, 0x90E40000, 0x0001FFFE, 0x0000FFFF, 0x0000FFFF};
    IDirect3DVertexShader9* vertex = nullptr;
    EXPECT_EQ(device_->CreateVertexShader(vs, 8, &vertex),
              D3DERR_INVALIDCALL);  // cut before its end
    EXPECT_EQ(device_->CreateVertexShader(nullptr, 10, &vertex), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateVertexShader(vs, 10, &vertex), D3D_OK);
    UINT size = 0;
    ASSERT_EQ(vertex->GetFunction(nullptr, &size), D3D_OK);
    EXPECT_EQ(size, 10u * 4);  // the comment's 0x0000FFFF payload is not the end
    ASSERT_EQ(device_->SetVertexShader(vertex), D3D_OK);
    vertex->Release();

    const DWORD vs3[] = {0xFFFE0300, 0x0000FFFF};
    EXPECT_EQ(device_->CreateVertexShader(vs3, 2, &vertex), D3DERR_INVALIDCALL);
    const DWORD psAsVs[] = {0xFFFF0200, 0x0000FFFF};
    EXPECT_EQ(device_->CreateVertexShader(psAsVs, 2, &vertex), D3DERR_INVALIDCALL);
    IDirect3DPixelShader9* pixel = nullptr;
    ASSERT_EQ(device_->CreatePixelShader(psAsVs, 2, &pixel), D3D_OK);
    ASSERT_EQ(device_->SetPixelShader(pixel), D3D_OK);
    pixel->Release();
    device_->SetVertexShader(nullptr);
    device_->SetPixelShader(nullptr);
}

TEST_F(Resources, DrawsThatWouldReadOutsideTheirDataAreRefused) {
    device_->BeginScene();
    SpriteVertex v[4] = {};
    const std::uint16_t beyond[3] = {0, 1, 4};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, beyond, D3DFMT_INDEX16,
                                              v, sizeof(SpriteVertex)),
              D3DERR_INVALIDCALL);
    const std::uint16_t below[3] = {0, 1, 2};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 1, 3, 1, below, D3DFMT_INDEX16, v,
                                              sizeof(SpriteVertex)),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 20),
              D3DERR_INVALIDCALL);  // stride too small
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, v, sizeof(SpriteVertex)),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0x7FFFFFFF, v, sizeof(SpriteVertex)),
              D3DERR_INVALIDCALL);

    // Buffers: 4 vertices and 6 indices.
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(SpriteVertex), 0x8, kSpriteFvf,
                                          D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(12, 0x8, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr),
              D3D_OK);
    void* data = nullptr;
    vb->Lock(0, 0, &data, 0);
    const float corners[4][2] = {{-0.5f, -0.5f}, {7.5f, -0.5f}, {-0.5f, 7.5f}, {7.5f, 7.5f}};
    for (int i = 0; i < 4; ++i) {
        const SpriteVertex sv{corners[i][0], corners[i][1], 0, 1, 0xFF00FF00, 0, 0, 0, 0};
        std::memcpy(static_cast<SpriteVertex*>(data) + i, &sv, sizeof sv);
    }
    vb->Unlock();
    ib->Lock(0, 0, &data, 0);
    const std::uint16_t quad[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, quad, sizeof quad);
    ib->Unlock();
    device_->SetStreamSource(0, vb, 0, sizeof(SpriteVertex));
    device_->SetIndices(ib);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 1, 2),
              D3DERR_INVALIDCALL);  // 7 indices
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2),
              D3DERR_INVALIDCALL);  // vertex 4
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 2),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(readTarget()[0], 0u);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(readTarget(), std::vector<std::uint32_t>(64, 0xFF00FF00));
    device_->EndScene();
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    vb->Release();
    ib->Release();
}

}  // namespace
}  // namespace tessera::test
