// A skinned box animated by its part and bone keys, drawn through the renderer with the built
// shader set at frames 0, 10 and 20 (160 x 120 goldens): the part turns about y while the top
// bone bends the upper half and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tests/foundation/support/memory_stream.h"
#include "tests/model3d/instance_fixture.h"
#include "tests/platform/d3d9/support/presented_frames.h"
#include "tests/render3d/support/built_shader_archive.h"
#include "tests/render3d/support/matrices.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

constexpr uint32_t kWidth = 160, kHeight = 120;

// A box of half size h: six faces of two triangles, each wound counter-clockwise seen from
// outside (front faces for the device's default culling). The lower half follows palette slot
// 1, the upper half slot 2, blended across the middle.
void addBox(ModelPart& part, float h) {
    ModelMesh& mesh = part.meshes[0];
    ModelRuntimeMesh& runtime = part.runtimes[0];
    mesh.corners.clear();
    mesh.positions.clear();
    mesh.normals.clear();
    mesh.indices.clear();
    runtime.vertices.clear();
    runtime.indices.clear();
    const float faces[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& n : faces) {
        const float u[3] = {n[0] == 0 ? 1.0f : 0.0f, n[0] != 0 ? 1.0f : 0.0f, 0.0f};
        const float v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2],
                            n[0] * u[1] - n[1] * u[0]};
        const auto first = static_cast<uint32_t>(runtime.vertices.size());
        mesh.normals.push_back({n[0], n[1], n[2]});
        for (int k = 0; k < 4; ++k) {
            const float su = (k & 1) ? 1.0f : -1.0f, sv = (k & 2) ? 1.0f : -1.0f;
            ModelVertex vertex;
            for (int i = 0; i < 3; ++i) vertex.position[i] = h * (n[i] + su * u[i] + sv * v[i]);
            const float upper = std::clamp(0.5f + vertex.position[1] / (2.0f * h), 0.0f, 1.0f);
            vertex.weights = {1.0f - upper, upper, 0, 0};
            vertex.bones = {1, 2, 0, 0};
            vertex.normal = {n[0], n[1], n[2]};
            vertex.colour = 0xFFFFFFFF;
            runtime.vertices.push_back(vertex);
            const auto corner = static_cast<uint32_t>(mesh.positions.size());
            mesh.positions.push_back(vertex.position);
            mesh.corners.push_back({corner, static_cast<uint32_t>(mesh.normals.size() - 1), 0, 0});
        }
        // Corners 0 (-u -v), 1 (+u -v), 2 (-u +v), 3 (+u +v); (u x v) = n, so 0 1 2 runs
        // counter-clockwise seen from outside in a right-handed frame; the device's left-handed
        // view mirrors it, so each triangle is given the other way round.
        for (uint32_t c : {0u, 2u, 1u, 2u, 3u, 1u}) {
            mesh.indices.push_back(first + c);
            runtime.indices.push_back(static_cast<uint16_t>(first + c));
        }
    }
    mesh.primitiveCount = static_cast<uint32_t>(mesh.indices.size() / 3);
    runtime.primitiveCount = mesh.primitiveCount;
    runtime.maxBlend = 2;
    runtime.usedBones = {1, 2};
}

ModelFile bendingBox() {
    ModelFile model;
    model.pool = "box";
    ModelPart box;
    box.name = "box";
    addBox(box, 0.7f);
    box.bones = {ModelBone{
        "base", "", {0, 0, 0}, {0, 0, 0}, 0, {ModelBone{"top", "", {0, 0, 0}, {0, 0, 0}, 0, {}}}}};
    ModelShaderOption option;
    option.partName = modelRef(0, 3);
    option.colour1 = {1.0f, 0.75f, 0.5f, 1.0f};
    option.colour2 = {0.2f, 0.2f, 0.2f, 1.0f};
    option.value = 0.03f;         // edge width
    option.block = {0, 0, 0, 1};  // black edge
    model.shaderOptions = {option};
    model.parts = {box};
    model.partGroups = {ModelPartGroup{"group", {{1, "", 0, 0, {0, 0, 0}, {}}}}};
    ModelAnim bend;
    bend.name = "bend";
    bend.endFrame = 40;
    bend.loopFrame = 0;
    bend.partGroup = 1;
    const std::array<float, 4> still{0, 0, 0, 1};
    bend.motions = {ModelMotion{1,
                                0,
                                {ModelKey{0, 0, {0, 0, 0}, keyRotation(0.3f, 1, 0, 15)},
                                 ModelKey{40, 0, {0, 0, 0}, keyRotation(0.3f, 1, 0, 75)}},
                                {}},
                    ModelMotion{1, 1, {ModelKey{0, 0, {0, 0, 0}, still}}, {}},
                    ModelMotion{1,
                                2,
                                {ModelKey{0, 2, {0, 0, 0}, still},
                                 ModelKey{20, 2, {0, 0, 0}, keyRotation(0, 0, 1, 45)},
                                 ModelKey{40, 0, {0, 0, 0}, still}},
                                {}}};
    model.anims = {bend};
    return model;
}

class AnimGolden : public InstanceTest {
protected:
    void SetUp() override {
        InstanceTest::SetUp();
        clientWidth_ = kWidth;
        clientHeight_ = kHeight;
        presenter_ = [this](HWND) { return lastFramePresenter(frame_); };
        L3DDevice& device = createWindowed();
        mirel::DFile archive;
        attachMemory(archive, builtShaderArchive(), "sys/renderer.csa");
        renderer_ = std::make_unique<L3DRenderer>();
        renderer_->_CreateCore(mirel::rcptr<L3DDevice>::NonOwning(&device), {}, archive);
        // The eye at the origin looking along +z; x from -2 to 2 and y from -1.5 to 1.5.
        renderer_->SetViewProjection(LMat::Identity(), parallel43());
        const float light[3] = {-0.3f, -0.5f, -0.8f};
        renderer_->SetLightDir(light);
    }

    Frame draw() {
        std::vector<L3DPartDraw*> parts;
        for (auto it = instance_->parts._GetFirstNode(); it != instance_->parts._GetEndNode();
             it = it.Next())
            parts.push_back(&it.GetRef()->draw);
        IDirect3DDevice9* d = device_->device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF303040, 1.0f, 0);
        d->BeginScene();
        const float white[4] = {1, 1, 1, 1};
        renderer_->DrawObjectInstance(parts, white, white, 0);
        renderer_->DrawZsd();
        d->EndScene();
        frame_ = {};
        EXPECT_TRUE(device_->Present());
        return frame_;
    }

    Frame frame_;
};

TEST_F(AnimGolden, SkinnedBoxAtThreeFrames) {
    play(bendingBox(), "bend");
    instance_->placement.position[2] = 5.0f;
    uint32_t shown = 0;
    for (uint32_t frame : {0u, 10u, 20u}) {
        forward(frame + 1 - shown);
        shown = frame + 1;
        const Frame f = draw();
        ASSERT_EQ(f.width, kWidth);
        EXPECT_TRUE(matchesGolden(f, "model3d", "bending_box_frame" + std::to_string(frame)));
    }
}

}  // namespace
}  // namespace tessera::test
