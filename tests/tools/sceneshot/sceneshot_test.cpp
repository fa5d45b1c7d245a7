// sceneshot's scene: a signpost model whose animation waves its flag and starts an effect at the
// flag's tip, with the pole's texture found in the model's directory; one frame as a golden,
// and the program writing its frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/DFile.h"
#include "model3d/L3DObjectEvent.h"
#include "render3d/diagnostics/LExceptGame.h"
#include "tests/render3d/support/built_shader_archive.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tools/sceneshot/scene_shot.h"
#include "tools/writers/effect_writers.h"
#include "tools/writers/model_file_writer.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

// A two-sided quad from (x0, y0) to (x1, y1) at depth 0, its texture coordinates over [0, 1].
void quad(ModelPart& part, float x0, float y0, float x1, float y1, uint32_t colour,
          const std::string& texture) {
    ModelMesh mesh;
    mesh.texture = texture;
    mesh.positions = {{x0, y0, 0}, {x1, y0, 0}, {x0, y1, 0}, {x1, y1, 0}};
    mesh.normals = {{0, 0, -1}};
    mesh.corners = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}};
    mesh.indices = {0, 2, 1, 2, 3, 1, 0, 1, 2, 2, 1, 3};
    mesh.primitiveCount = 4;
    part.meshes = {mesh};
    ModelRuntimeMesh runtime;
    runtime.vertices.clear();
    const float corners[4][2] = {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}};
    for (int i = 0; i < 4; ++i) {
        ModelVertex vertex;
        vertex.position = {corners[i][0], corners[i][1], 0};
        vertex.normal = {0, 0, -1};
        vertex.colour = colour;
        vertex.uv = {static_cast<float>(i & 1), static_cast<float>(1 - (i >> 1))};
        runtime.vertices.push_back(vertex);
    }
    runtime.indices = {0, 2, 1, 2, 3, 1, 0, 1, 2, 2, 1, 3};
    runtime.primitiveCount = 4;
    part.runtimes = {runtime};
}

std::array<float, 4> zTurn(float degrees) {
    const float half = degrees * 3.14159265f / 360.0f;
    return {0, 0, std::sin(half), std::cos(half)};
}

// "chr/post": a textured pole with the bone "arm" at its top and a red flag hung from it. Its
// animation "wave" swings the arm by 30 degrees and back every 20 frames and, at frame 5,
// starts effect 0 of the directory's effect data at the flag's tip.
ModelFile signpost() {
    ModelFile model;
    model.name = "post";
    ModelPart pole;
    pole.name = "pole";
    quad(pole, -0.15f, 0.0f, 0.15f, 2.2f, 0xFFFFFFFF, "wood");
    pole.bones = {ModelBone{"arm", "", {0, 2, 0}, {0, 2, 0}, 0, {}}};
    ModelPart flag;
    flag.name = "flag";
    quad(flag, 0.15f, 1.4f, 1.3f, 2.1f, 0xFFD03030, "");
    model.parts = {pole, flag};
    model.partGroups = {ModelPartGroup{"group",
                                       {ModelPartGroupMember{1, "", 0, 0, {}, {}},
                                        ModelPartGroupMember{2, "", 1, 1, {1.3f, 1.75f, 0}, {}}}}};

    ModelAnim wave;
    wave.name = "wave";
    wave.endFrame = 20;
    wave.loopFrame = 0;
    wave.partGroup = 1;
    wave.motions = {ModelMotion{1, 0, {ModelKey{}}, {}},
                    ModelMotion{1,
                                1,
                                {ModelKey{0, 0, {}, zTurn(0)}, ModelKey{10, 0, {}, zTurn(-30)},
                                 ModelKey{20, 0, {}, zTurn(0)}},
                                {}},
                    ModelMotion{2, 0, {ModelKey{}}, {}}};
    ModelEvent effect;
    effect.kind = L3DEventOwnEffect;
    effect.frame = 5;
    effect.name1 = modelRef(0, 4);  // "flag"
    effect.lifetime = 0xFFFFFFFF;
    wave.events = {effect};
    wave.pool = std::string("flag\0", 5);
    model.anims = {wave};
    return model;
}

EffectEvent effectEvent(int32_t time, uint32_t kind, std::vector<uint32_t> words) {
    EffectEvent event;
    event.time = time;
    event.kind = kind;
    for (size_t i = 0; i < words.size(); ++i) event.words[i] = words[i];
    return event;
}

uint32_t F(float value) { return effectFloatWord(value); }
uint32_t I(int32_t value) { return static_cast<uint32_t>(value); }

// A soft disc of 16 x 16 texels, white in the middle and clear at the rim.
std::vector<uint32_t> disc() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const float dx = (static_cast<float>(x) - 7.5f) / 7.5f;
            const float dy = (static_cast<float>(y) - 7.5f) / 7.5f;
            const float a = std::fmax(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            const auto v = static_cast<uint32_t>(a * 255.0f);
            pixels.push_back(v << 24 | v << 16 | v << 8 | v);
        }
    return pixels;
}

// The data directory: model, pole texture, effect definition with its texture, effect data of
// one growing golden disc that follows what it is attached to.
void writeScene(const TempDir& dir) {
    dir.write("chr/post.dgo", writeModelFile(signpost()));
    std::vector<uint32_t> wood;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) wood.push_back((x / 2 + y) % 2 ? 0xFF8A5A30 : 0xFFC09060);
    std::filesystem::create_directories(dir.file("effect"));
    ASSERT_TRUE(writePng(dir.file("chr/wood.png"), 8, 8, wood));
    EffectDefinition definition;
    definition.imageOptions = {0};
    EffectImageDef image;
    image.blend = 1;
    definition.imageDefs = {image};
    dir.write("effect/effdef.dat", effectDefinitionFile(definition));
    ASSERT_TRUE(writePng(dir.file("effect/effdef0.png"), 16, 16, disc(), true));
    EffectData data;
    EffectRoot root;
    root.flags = 1;  // follows the flag
    root.rootPart.events = {effectEvent(0, 3, {I(0), I(-4), I(0)}),
                            effectEvent(0, 8, {F(1.0f), F(0.8f), F(0.3f), F(1.0f)}),
                            effectEvent(0, 18, {F(0.3f), F(0.3f), F(0.3f)}),
                            effectEvent(0, 19, {F(0.04f), F(0.04f), F(0.04f)}),
                            effectEvent(60, 0, {})};
    data.roots = {root};
    dir.write("chr/effdata.dat", effectDataFile(data));
}

sceneshot::Options sceneOptions(const std::string& directory) {
    sceneshot::Options options;
    options.directory = directory;
    options.model = "chr/post";
    options.animation = "wave";
    options.definition = "effect/effdef";
    const float eye[3] = {0.6f, 1.3f, -3.5f}, target[3] = {0.6f, 1.3f, 0.0f};
    std::copy(eye, eye + 3, options.eye);
    std::copy(target, target + 3, options.target);
    return options;
}

TEST(Sceneshot, TheFlagWavesAndItsEventStartsAnEffect) {
    TempDir dir;
    writeScene(dir);
    const std::string shaders = dir.write("renderer.csa", builtShaderArchive());
    mirel::DFile archive;
    ASSERT_TRUE(archive.Open(shaders.c_str(), mirel::DFile::OpenRead));
    sceneshot::SceneShot shot(sceneOptions(dir.path()), archive);
    std::vector<sceneshot::Frame> frames;
    for (int n = 1; n <= 12; ++n) frames.push_back(shot.next());
    for (const sceneshot::Frame& frame : frames) {
        ASSERT_EQ(frame.width, 160u);
        ASSERT_EQ(frame.height, 120u);
    }
    // The flag moves from frame to frame; the effect only appears once its event has fired.
    EXPECT_NE(frames[1].argb, frames[2].argb);
    const sceneshot::Frame& last = frames.back();
    EXPECT_TRUE(
        matchesGolden({last.width, last.height, last.argb}, "tools/sceneshot", "post_frame12"));
}

TEST(Sceneshot, TheProgramWritesItsFrames) {
    const std::string sceneshot = requiredEnv("SCENESHOT");
    TempDir dir;
    writeScene(dir);
    const std::string shaders = dir.write("renderer.csa", builtShaderArchive());
    std::filesystem::create_directories(dir.file("out"));
    const std::string command = "'" + sceneshot + "' '" + dir.path() + "' chr/post '" +
                                dir.file("out") +
                                "' --anim wave --frames 3 --definition effect/effdef --shaders '" +
                                shaders + "' --size 80x60 --eye 0.6,1.3,-3.5 --target 0.6,1.3,0";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"frame001.png", "frame002.png", "frame003.png"}) {
        const std::optional<Frame> frame = readFrame(dir.file("out/") + name);
        ASSERT_TRUE(frame) << name;
        EXPECT_EQ(frame->width, 80u);
    }
    EXPECT_NE(std::system(("'" + sceneshot + "' '" + dir.path() + "' chr/none '" + dir.file("out") +
                           "' --shaders '" + shaders + "' 2>/dev/null")
                              .c_str()),
              0);
    EXPECT_NE(std::system(("'" + sceneshot + "' only-two args 2>/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace tessera::test
