#include "tests/render3d/renderer_fixture.h"

#include <cstring>
#include <filesystem>
#include <vector>

#include "foundation/DFile.h"
#include "render3d/shader_table.h"
#include "tools/shasm/shader_assembler.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/scrambled_fields.h"

namespace tessera::test {

namespace {

std::string scrambledShader(const char* text) {
    const tools::shasm::AssembleResult assembled = tools::shasm::assembleShader(text);
    EXPECT_TRUE(assembled.error.empty()) << assembled.error;
    std::string bytes(assembled.tokens.size() * 4, '\0');
    std::memcpy(bytes.data(), assembled.tokens.data(), bytes.size());
    tools::writers::scrambleFields(bytes);
    return bytes;
}

}  // namespace

std::string minimalShaderArchive(const std::string& omitted) {
    const std::string vertex = scrambledShader("vs_2_0\ndcl_position v0\nmov oPos, v0\n");
    const std::string pixel = scrambledShader("ps_2_0\ndcl v0\nmov oC0, v0\n");
    std::vector<tools::writers::DmfMember> members;
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind)
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant)
            members.push_back({l3dShaderMemberName(kind, variant), vertex});
    members.push_back({"map3_psh", pixel});
    std::erase_if(members, [&](const auto& member) { return member.name == omitted; });
    return tools::writers::writeDmf(members);
}

void RendererTest::SetUp() {
    Render3dTest::SetUp();
    savedTime_ = L3DRenderer::timeSource;
    L3DRenderer::timeSource = [] { return kFixedRendererTime; };
}

void RendererTest::TearDown() {
    renderer_.reset();
    L3DRenderer::timeSource = savedTime_;
    Render3dTest::TearDown();
}

L3DRenderer& RendererTest::createRenderer(L3DDevice& device, const std::string& archive) {
    std::filesystem::create_directories(dir_.file("sys"));
    dir_.write("sys/renderer.csa", archive);
    mirel::DFile file;
    EXPECT_TRUE(file.Open(dir_.file("sys/renderer.csa").c_str(), mirel::DFile::OpenRead));
    renderer_ = std::make_unique<L3DRenderer>();
    renderer_->Create(mirel::rcptr<L3DDevice>::NonOwning(&device), {}, file);
    return *renderer_;
}

}  // namespace tessera::test
