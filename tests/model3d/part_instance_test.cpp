// Part instances: the hidden flag from the part's own key, world blocks after a rewind, spheres
// on bones, pieces with buffers only on devices with vertex shaders, vertex copies that morph
// apart from their buffers, and the piece look-up by name.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model3d/L3DAnimInstance.h"
#include "tests/model3d/instance_fixture.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class PartInstanceTest : public InstanceTest {};

TEST_F(PartInstanceTest, OnlyThePartsOwnKeyHidesIt) {
    // Keys at 0 (flag as given) and 5 (no flags): hidden on frames 0 to 4 only when the part's
    // own motion carries the flag; a bone's flag is dropped from its node.
    struct Case {
        uint32_t motion;  // 0 the part, 1 and 2 its bones
        bool hides;
    };
    for (const Case c : {Case{0, true}, Case{1, false}, Case{2, false}}) {
        SCOPED_TRACE(c.motion);
        ModelFile model = limbModel();
        model.anims[0].motions[c.motion].keys = {ModelKey{0, 1}, ModelKey{5, 0}};
        play(model);
        for (uint32_t frame = 0; frame < 8; ++frame) {
            forward();
            const bool hidden = (part().draw.flags & L3DPartDraw::FlagHidden) != 0;
            EXPECT_EQ(hidden, c.hides && frame < 5) << "frame " << frame;
            if (c.motion > 0) {
                EXPECT_EQ(bone(c.motion).key.keyFlags & 1u, 0u);
            }
        }
    }
}

TEST_F(PartInstanceTest, FirstUpdateAfterARewindHasNoMovement) {
    ModelFile model = limbModel();
    model.anims[0].motions[0].keys = {ModelKey{0}, ModelKey{10, 0, {10, 0, 0}}};
    model.anims[0].motions[2].keys = {ModelKey{0}, ModelKey{10, 0, {0, 0, 5}}};
    play(model, "anim", 6);
    const std::vector<L3DAnimState*> nodes{&part().root, &bone(1), &bone(2)};
    EXPECT_FLOAT_EQ(part().root.block.movement[0], 1.0f);
    EXPECT_FLOAT_EQ(bone(2).block.movement[2], 0.5f);

    part().root.Rewind();
    part()._RewindBones();
    forward();
    for (L3DAnimState* node : nodes) {
        const L3DWorldBlock& b = node->block;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(b.movement[i], 0.0f);
            EXPECT_EQ(b.previousPosition[i], b.position[i]);
            EXPECT_EQ(b.scale[i], 1.0f);
            EXPECT_EQ(b.previousScale[i], 1.0f);
        }
        for (int i = 0; i < 4; ++i) EXPECT_EQ(b.previousRotation[i], b.rotation[i]);
    }
    // Back on the first key: the part at the origin, the lower bone at its reference point.
    EXPECT_EQ(part().root.block.position[0], 0.0f);
    EXPECT_FLOAT_EQ(bone(2).block.position[1], 1.0f);
    EXPECT_EQ(bone(2).block.position[2], 0.0f);
    forward();
    EXPECT_FLOAT_EQ(part().root.block.movement[0], 1.0f);
}

TEST_F(PartInstanceTest, PaletteSlotsHoldTheRootAndEachBone) {
    ModelFile model = limbModel();
    model.anims[0].motions[0].keys = {ModelKey{0, 0, {0, 0, 3}}};
    model.anims[0].motions[1].keys = {ModelKey{0, 0, {1, 0, 0}}};
    model.anims[0].motions[2].keys = {ModelKey{0, 0, {0, 2, 0}}};
    play(model, "anim", 1);
    ASSERT_EQ(part().draw.matrixCount, 3u);
    // Translations add up the chain: root, upper below it, lower below upper.
    const float expected[3][3] = {{0, 0, 3}, {1, 0, 3}, {1, 2, 3}};
    for (int slot = 0; slot < 3; ++slot)
        for (int i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(part().draw.matrices[slot].m[3][i], expected[slot][i]) << slot;
    EXPECT_FLOAT_EQ(bone(2).block.position[1], 3.0f);  // reference (0, 1, 0) moved by 2
    EXPECT_FLOAT_EQ(part().draw.centre[2], 3.0f);
}

TEST_F(PartInstanceTest, SphereOnABoneFollowsIt) {
    ModelFile model = limbModel();
    model.anims[0].motions[2].keys = {ModelKey{0}, ModelKey{10, 0, {2, 0, 0}}};
    model.collGroups = {ModelCollGroup{"arm", "", 3, 1, {ModelSphere{1, 2, {0, 1, 0}, 0.5f}}}};
    play(model);
    const L3D_COLLGROUPINST_SPHERE& sphere = collGroup(0).spheres[0];
    ASSERT_EQ(bone(2).sphereCount, 1u);
    EXPECT_EQ(bone(2).spheres[0], &sphere);
    EXPECT_EQ(bone(1).sphereCount, 0u);
    for (uint32_t frame = 0; frame < 12; ++frame) {
        forward();
        const float x = 0.2f * static_cast<float>(std::min(frame, 10u));
        EXPECT_NEAR(sphere.centre[0], x, 1e-6) << frame;
        EXPECT_FLOAT_EQ(sphere.centre[1], 1.0f);
        const float previous = frame == 0 ? x : 0.2f * static_cast<float>(std::min(frame - 1, 10u));
        EXPECT_NEAR(sphere.previousCentre[0], previous, 1e-6) << frame;
    }
}

// A part whose piece has three texture-coordinate sets and a morph map moving its third corner.
ModelFile threeSetModel(bool threeSets) {
    ModelFile model = limbModel();
    ModelPart& body = model.parts[0];
    body.uvs = {{0, 0}, {1, 0}, {0, 1}};
    if (threeSets) {
        body.meshes[0].extraUvs = {{1, 2}, {2, 0}, {0, 1}};
        body.runtimes[0].extraUvs = {{1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    }
    body.morphMaps = {{"open", {{0, 2, {0, 3, 0, 0, 0, 1}}}}};
    model.anims[0].motions[0].morphGroups = {{"face", {{2, 1}}}};
    return model;
}

TEST_F(PartInstanceTest, BuffersOnlyWithVertexShadersAndOnlyForOneSetCopies) {
    struct Case {
        bool vertexShaders;
        bool threeSets;
    };
    for (const Case c : {Case{true, false}, Case{true, true}, Case{false, false}}) {
        SCOPED_TRACE(testing::Message() << c.vertexShaders << c.threeSets);
        AdapterProfile profile = softwareAdapterProfile();
        if (!c.vertexShaders) profile.caps.VertexShaderVersion = 0xFFFE0000;
        instance_.Reset();
        renderer_ = std::make_unique<L3DRenderer>();
        device_.reset();
        l3dTerm();
        l3dReleaseDirect3D();
        renderer_->device = mirel::rcptr<L3DDevice>::NonOwning(&createWindowed(profile));
        play(threeSetModel(c.threeSets));
        L3D_PARTINST_MAT& piece = part().piece(0);
        EXPECT_EQ((piece.flags & L3D_PARTINST_MAT::FlagThreeUvSets) != 0, c.threeSets);
        if (!c.vertexShaders) {
            EXPECT_FALSE(piece.vertexBuffer);
            EXPECT_FALSE(piece.indexBuffer);
            continue;
        }
        ASSERT_TRUE(piece.vertexBuffer && piece.indexBuffer);
        const uint32_t stride = c.threeSets ? 72 : 56;
        EXPECT_EQ(piece.vertexBuffer->size, 3 * stride);
        EXPECT_EQ(piece.vertexBuffer->fvf, c.threeSets ? 0x835Eu : 0x815Eu);
        auto bufferY = [&](uint32_t vertex) {
            void* data = nullptr;
            EXPECT_EQ(piece.vertexBuffer->buffer->Lock(0, 0, &data, 0), D3D_OK);
            float y;
            std::memcpy(&y, static_cast<const char*>(data) + vertex * stride + 4, 4);
            piece.vertexBuffer->buffer->Unlock();
            return y;
        };
        // Frames 0 to 2 morph the copy (drawn from memory), frame 3 leaves it still and uploads.
        forward(3);
        EXPECT_FLOAT_EQ(piece.vertices[2].y, 3.0f);
        EXPECT_TRUE(piece.flags & L3D_PARTINST_MAT::FlagCpuVertices);
        EXPECT_FLOAT_EQ(bufferY(2), 1.0f);
        forward();
        EXPECT_FALSE(piece.flags & L3D_PARTINST_MAT::FlagCpuVertices);
        EXPECT_FLOAT_EQ(bufferY(2), c.threeSets ? 1.0f : 3.0f);
        EXPECT_FALSE(piece.flags & L3DPieceCopyChanged);
    }
}

TEST_F(PartInstanceTest, RestoreBringsBackMorphedPositionsAndOnRequestTexCoords) {
    // Texture coordinates that events changed come back only when the part's animation has
    // flag bit 0; morphed positions always do; enabled collision groups return to the model's.
    for (const uint32_t animFlags : {0u, 1u}) {
        SCOPED_TRACE(animFlags);
        ModelFile model = threeSetModel(false);
        model.anims[0].flags = animFlags;
        model.collGroups = {ModelCollGroup{"g", "", 3, 1, {ModelSphere{1, 2}}}};
        play(model, "anim", 4);
        L3D_PARTINST_MAT& piece = part().piece(0);
        ASSERT_FLOAT_EQ(piece.vertices[2].y, 3.0f);
        piece.vertices[1].u = 0.5f;
        piece.flags |= L3DPieceTexCoordsChanged;
        collGroup(0)._Switch(false);
        part()._Restore();
        EXPECT_EQ(piece.vertices[2].y, 1.0f);
        EXPECT_EQ(piece.vertices[2].nz, 1.0f);
        EXPECT_EQ(piece.vertices[1].u, animFlags ? 0.0f : 0.5f);
        EXPECT_EQ((piece.flags & L3DPieceTexCoordsChanged) != 0, animFlags == 0);
        EXPECT_FALSE(piece.flags & L3DPiecePositionsMorphed);
        EXPECT_TRUE(piece.flags & L3DPieceCopyChanged);
        EXPECT_TRUE(collGroup(0).enabled());
    }
}

TEST_F(PartInstanceTest, MorphMapsAndEmptyPiecesAreSafeWithAnyRunTimeMeshOrder) {
    // Run-time meshes in another order than the source meshes: a morph entry of source mesh 1
    // corner 5 would land past piece 1's three vertices, and is refused.
    ModelFile model = limbModel();
    ModelPart& body = model.parts[0];
    ModelMesh six;
    six.corners.assign(6, {0, 0, 0, 0});
    six.indices = {0, 1, 2, 3, 4, 5};
    six.primitiveCount = 2;
    body.meshes = {ModelMesh{}, six};
    ModelRuntimeMesh sixVertices;
    sixVertices.meshIndex = 1;
    sixVertices.vertices.assign(6, ModelVertex{});
    sixVertices.indices = {0, 1, 2, 3, 4, 5};
    sixVertices.primitiveCount = 2;
    body.runtimes = {sixVertices, ModelRuntimeMesh{}};
    body.morphMaps = {{"far", {{1, 5, {}}}}};
    expectFatal([&] { play(model, nullptr); },
                "[L3DPartInstance::_Create] Part \"body\": morph map \"far\" names vertex 5 of "
                "piece 1, which the part does not have");

    // A piece without vertices gets no buffers (a buffer of no bytes cannot be made) and
    // draws nothing.
    ModelFile empty = limbModel();
    ModelMesh none;
    none.corners.clear();
    none.indices.clear();
    none.primitiveCount = 0;
    empty.parts[0].meshes = {none};
    empty.parts[0].runtimes[0].vertices.clear();
    empty.parts[0].runtimes[0].indices.clear();
    empty.parts[0].runtimes[0].primitiveCount = 0;
    renderer_ = std::make_unique<L3DRenderer>();
    renderer_->device = mirel::rcptr<L3DDevice>::NonOwning(&createWindowed());
    play(empty, "anim", 1);
    EXPECT_EQ(part().piece(0).vertexCount, 0u);
    EXPECT_FALSE(part().piece(0).vertexBuffer);
}

TEST_F(PartInstanceTest, GetMatTakesTheFirstNameEqualButForCase) {
    ModelFile model = limbModel();
    ModelPart& body = model.parts[0];
    body.meshes = {ModelMesh{}, ModelMesh{}};
    body.meshes[0].material = "Skin";
    body.meshes[1].material = "SKIN";
    body.runtimes = {ModelRuntimeMesh{}, ModelRuntimeMesh{}};
    body.runtimes[1].meshIndex = 1;
    play(model, nullptr);
    EXPECT_EQ(part().GetMat("skin").Get(), &part().piece(0));
    EXPECT_EQ(part().GetMat("SKIN").Get(), &part().piece(0));
    expectFatal([&] { part().GetMat("skins"); },
                "[L3DPartInstance::GetMat] 指定されたマテリアルは見つかりません(skins)");
}

TEST_F(PartInstanceTest, MaterialsFromThePartThenTheModelThenTheDefault) {
    // Options are chosen by part name; the first list that has one wins.
    auto option = [](uint32_t blend) {
        ModelShaderOption o;
        o.partName = modelRef(0, 4);  // "body"
        o.flags = blend;              // the blend type
        return o;
    };
    ModelFile model = limbModel();
    model.pool = "body";
    model.parts[0].pool = "body";
    model.shaderOptions = {option(3)};
    play(model, nullptr);
    EXPECT_EQ(part().piece(0).material->option->blendType, 3u);
    model.parts[0].shaderOptions = {option(8)};
    play(model, nullptr);
    EXPECT_EQ(part().piece(0).material->option->blendType, 8u);
    model.parts[0].shaderOptions.clear();
    model.shaderOptions.clear();
    play(model, nullptr);
    EXPECT_EQ(part().piece(0).material->option.Get(), &renderer_->defaultOption);
    EXPECT_EQ(part().piece(0).material, &part().baseMaterials[0]);
}

}  // namespace
}  // namespace tessera::test
