#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/pack/DMFile.h"
#include "tests/render3d/support/device_fixture.h"
#include "tools/shasm/shader_assembler.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/scrambled_fields.h"

namespace tessera::test {
namespace {

using Buffers = Render3dTest;

std::string shaderBytes(const char* text) {
    const tools::shasm::AssembleResult assembled = tools::shasm::assembleShader(text);
    EXPECT_TRUE(assembled.error.empty()) << assembled.error;
    std::string bytes(assembled.tokens.size() * 4, '\0');
    std::memcpy(bytes.data(), assembled.tokens.data(), bytes.size());
    return bytes;
}

constexpr const char* kVertexShader = "vs_2_0\ndcl_position v0\nmov oPos, v0\n";
constexpr const char* kPixelShader = "ps_2_0\ndcl v0\nmov oC0, v0\n";

TEST_F(Buffers, RecordsLeaveTheDeviceListWithTheirLastHandle) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<L3DVBuffer> vertices = device._CreateVBuffer(560, L3DDevice::DefaultFvf);
    mirel::rcptr<L3DIBuffer> indices = device._CreateIBuffer(60);
    mirel::rcptr<L3DVBuffer> dropped = device._CreateVBuffer(56, L3DDevice::DefaultFvf);
    EXPECT_EQ(device.vertexBufferCount(), 2u);
    EXPECT_EQ(device.indexBufferCount(), 1u);
    dropped.Reset();
    EXPECT_EQ(device.vertexBufferCount(), 1u);

    // Held across ReleaseAll: no Direct3D buffer and no device any more.
    device.ReleaseAll();
    EXPECT_EQ(vertices->buffer, nullptr);
    EXPECT_EQ(vertices->device, nullptr);
    EXPECT_EQ(indices->buffer, nullptr);
    EXPECT_EQ(device.vertexBufferCount(), 0u);
    EXPECT_EQ(device.indexBufferCount(), 0u);
}

TEST_F(Buffers, UsageFollowsHardwareVertexShaders) {
    for (DWORD version : {0xFFFE0200u, 0xFFFE0000u}) {
        AdapterProfile profile = softwareAdapterProfile();
        profile.caps.VertexShaderVersion = version;
        L3DDevice& device = createWindowed(profile);
        mirel::rcptr<L3DVBuffer> vertices = device._CreateVBuffer(56, L3DDevice::DefaultFvf);
        mirel::rcptr<L3DIBuffer> indices = device._CreateIBuffer(6);
        const DWORD expected = version >= 0xFFFE0101u ? 0x8u : 0x18u;
        EXPECT_EQ(vertices->buffer->usage(), expected);
        EXPECT_EQ(indices->buffer->usage(), expected);
        EXPECT_EQ(vertices->buffer->pool(), D3DPOOL_MANAGED);
        EXPECT_EQ(vertices->kind, 0u);
        EXPECT_EQ(vertices->fvf, L3DDevice::DefaultFvf);
        // A dynamic buffer (kind 1) is rebuilt in the default pool after a reset.
        vertices->kind = L3DVBuffer::KindDynamic;
        vertices->_Reset();
        EXPECT_EQ(vertices->buffer->pool(), D3DPOOL_DEFAULT);
        EXPECT_EQ(vertices->buffer->usage(), expected | D3DUSAGE_DYNAMIC);
        EXPECT_EQ(vertices->contentsLost, 1);
        vertices.Reset();
        indices.Reset();
        device_.reset();
    }
}

TEST_F(Buffers, FillsCopyAtMostTheBufferSize) {
    L3DDevice& device = createWindowed();
    const std::vector<uint16_t> indices{0, 1, 2, 2, 1, 3, 7, 7};
    mirel::rcptr<L3DIBuffer> buffer = device.CreateIBufferWith(indices.data(), 12);
    EXPECT_EQ(buffer->size, 12u);
    EXPECT_EQ(std::memcmp(buffer->buffer->bytes(), indices.data(), 12), 0);
    const std::vector<uint8_t> vertices(100, 0xAB);
    mirel::rcptr<L3DVBuffer> small = device.CreateVBufferWith(vertices.data(), 40, 0x142);
    EXPECT_EQ(small->buffer->size(), 40u);
    EXPECT_EQ(small->buffer->bytes()[39], 0xAB);
    buffer->SetData(vertices.data(), 2);
    EXPECT_EQ(buffer->buffer->bytes()[1], 0xAB);
    EXPECT_EQ(buffer->buffer->bytes()[2], 1);  // beyond the given length: unchanged
}

TEST_F(Buffers, RendererShadersAreReadScrambledFromTheArchive) {
    L3DDevice& device = createWindowed();
    std::string vertex = shaderBytes(kVertexShader);
    std::string pixel = shaderBytes(kPixelShader);
    tools::writers::scrambleFields(vertex);
    tools::writers::scrambleFields(pixel);
    std::string truncated = vertex.substr(0, vertex.size() - 4);  // no end token
    dir_.write("renderer.csa", tools::writers::writeDmf({{"basic.vsh", vertex},
                                                         {"basic.psh", pixel},
                                                         {"broken.vsh", truncated},
                                                         {"empty.psh", ""}}));
    mirel::DMFile archive;
    ASSERT_TRUE(archive.OpenFile(dir_.file("renderer.csa").c_str()));
    mirel::DFile member;
    ASSERT_TRUE(archive.OpenData(member, "basic.vsh"));
    mirel::rcptr<L3DVShader> vs = device.CreateVShader(member);
    ASSERT_TRUE(vs && vs->shader);
    mirel::DFile pixelMember;
    ASSERT_TRUE(archive.OpenData(pixelMember, "basic.psh"));
    mirel::rcptr<L3DPShader> ps = device.CreatePShader(pixelMember);
    ASSERT_TRUE(ps && ps->shader);

    mirel::DFile broken;
    ASSERT_TRUE(archive.OpenData(broken, "broken.vsh"));
    expectFatal([&] { device.CreateVShader(broken); },
                "[L3DDevice::CreateVShader] 頂点シェーダを作成できませんでした(" +
                    std::string(broken.GetPath()) + ")");
    mirel::DFile empty;
    ASSERT_TRUE(archive.OpenData(empty, "empty.psh"));
    expectFatal([&] { device.CreatePShader(empty); },
                "[L3DDevice::CreatePShader] ピクセルシェーダを作成できませんでした");

    // Shaders are released with the device; a held record survives empty.
    device.ReleaseAll();
    EXPECT_EQ(vs->shader, nullptr);
    EXPECT_EQ(ps->device, nullptr);
}

TEST_F(Buffers, RefusedPostEffectShadersGiveNull) {
    L3DDevice& device = createWindowed();
    std::filesystem::create_directories(dir_.file("sys/posteffect"));
    dir_.write("sys/posteffect/blur.vsh", shaderBytes(kVertexShader));
    dir_.write("sys/posteffect/blur.psh", shaderBytes(kPixelShader));
    std::string garbage = shaderBytes(kPixelShader);
    garbage[4] = '\x7F';  // an unknown opcode
    dir_.write("sys/posteffect/bad.psh", garbage);
    dir_.write("sys/posteffect/cut.vsh", shaderBytes(kVertexShader).substr(0, 10));
    EXPECT_TRUE(device.CreateVShaderFromPack("sys/posteffect/blur.vsh"));
    EXPECT_TRUE(device.CreatePShaderFromPack("sys/posteffect/blur.psh"));
    EXPECT_FALSE(device.CreatePShaderFromPack("sys/posteffect/bad.psh"));
    EXPECT_FALSE(device.CreateVShaderFromPack("sys/posteffect/cut.vsh"));
    EXPECT_THROW(device.CreateVShaderFromPack("sys/posteffect/missing.vsh"), LExceptGame);
}

}  // namespace
}  // namespace tessera::test
