// Frame captures: which frames are written, their names, that capturing draws every frame, the
// failing save, and a sprite scene drawn through the real backend whose captures match goldens.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "engine/script/script_vm.h"
#include "foundation/pack/pack_registry.h"
#include "framework/sprite/sprite.h"
#include "platform/d3d9/device.h"
#include "tests/engine/engine_fixture.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

// Routes files opened for writing into a folder of real files, as writable files, and records
// each path with its open flags; with `refuse` set such a file is left closed. Reads (the post
// effects' shaders) come from the program folder.
class CaptureProvider : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override {
        return std::filesystem::exists(programFolder + "/" + name);
    }
    void Open(mirel::DFile& file, const char* path, uint32_t flags) override {
        if (flags == mirel::DFile::OpenRead) {
            file.Open((programFolder + "/" + path).c_str(), flags);
            return;
        }
        opened.push_back(std::string(path) + " " + std::to_string(flags));
        if (refuse) return;
        const std::filesystem::path full = folder + "/" + path;
        std::filesystem::create_directories(full.parent_path());
        file.Open(full.string().c_str(), flags | mirel::DFile::OpenWrite);
    }
    std::vector<std::string> opened;
    bool refuse = false;
    std::string folder;
    std::string programFolder;
};

class CaptureTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        provider_.Create();
        provider_->folder = temp().path() + "/captures";
        provider_->programFolder = executableFolder();
    }
    // The System reads its shader set while it starts; the provider takes over the files only
    // after that, so that it sees the captures alone.
    System& startSystem() {
        System& system = EngineTest::startSystem();
        lfmRegistOverride(provider_);
        return system;
    }
    void TearDown() override {
        lfmReleasePacks();
        provider_.Reset();
        EngineTest::TearDown();
    }
    // Runs `frames` frames capturing into "shots/" with the interval; the frames captured.
    std::vector<int> runCapturing(int frames, uint32_t interval) {
        auto engine = makeEngine(frames);
        engine->setCapture(engine->vm()->internPath(u"Shots"), interval);
        std::vector<int> captured;
        size_t seen = provider_->opened.size();
        engine->onUpdate = [&](TestEngine&, int frame) {
            // Opens of the previous frame show at the next update.
            if (provider_->opened.size() != seen) captured.push_back(frame - 1);
            seen = provider_->opened.size();
        };
        runEngine(std::move(engine));
        if (provider_->opened.size() != seen) captured.push_back(frames);
        return captured;
    }
    std::string captureBytes(const std::string& name) const {
        std::ifstream in(temp().path() + "/captures/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    mirel::rcptr<CaptureProvider> provider_;
};

TEST_F(CaptureTest, IntervalPicksTheFramesAndNumberingRestartsInEveryRun) {
    startSystem();
    EXPECT_EQ(runCapturing(4, 0), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(runCapturing(9, 2), (std::vector<int>{3, 6, 9}));
    EXPECT_EQ(provider_->opened,
              (std::vector<std::string>{"shots/0.bmp 12", "shots/1.bmp 12", "shots/2.bmp 12",
                                        "shots/3.bmp 12", "shots/0.bmp 12", "shots/1.bmp 12",
                                        "shots/2.bmp 12"}));
    // A 24-bit bitmap of the 160 x 120 back buffer.
    const std::string bitmap = captureBytes("shots/0.bmp");
    ASSERT_EQ(bitmap.size(), 54u + 160u * 120u * 3u);
    EXPECT_EQ(bitmap.substr(0, 2), "BM");
    EXPECT_EQ(bitmap[28], 24);
}

TEST_F(CaptureTest, NoFrameIsSkippedWhileCapturing) {
    startSystem();
    pacer_.steps.assign(8, true);
    runCapturing(5, 10);
    EXPECT_EQ(log_.text(), "U D r P U D r P U D s1 w P U D s1 w P U D s1 w P");
}

TEST_F(CaptureTest, AFailedSaveIsFatalWithItsName) {
    startSystem();
    provider_->refuse = true;
    auto engine = makeEngine(3);
    engine->setCapture(engine->vm()->internPath(u"shots"), 0);
    EXPECT_THROW(engine->run(), FatalReport);
    EXPECT_TRUE(reported(PEL_REPORT_ERROR,
                         u"Error: [Engine::run] レンダリング結果をファイルに保存できませんでした"
                         u"(shots/0.bmp)"));
}

TEST_F(CaptureTest, SpriteSceneCapturesMatchTheGoldens) {
    PngSpec spec;
    spec.width = 16;
    spec.height = 16;
    spec.colorType = 6;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
            const uint8_t pixel[4] = {static_cast<uint8_t>(edge ? 255 : 32),
                                      static_cast<uint8_t>(16 * x), static_cast<uint8_t>(16 * y),
                                      static_cast<uint8_t>(edge ? 255 : 192)};
            spec.samples.insert(spec.samples.end(), pixel, pixel + 4);
        }
    writeBesideExecutable("box.png", pngFile(spec));
    startSystem();

    auto engine = makeEngine(10);
    engine->setCapture(engine->vm()->internPath(u"scene"), 4);
    PEL_SPRITE* sprite = nullptr;
    TestEngine* raw = engine.get();
    engine->onStart = [&] {
        PEL_SPRITE_CONTEXT* context = raw->spriteContext();
        PEL_SPRITE_RENDERER* renderer = pelSpriteRendererCreate(context, 0, 0, 1);
        PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(u"box.png", context);
        ASSERT_NE(image, nullptr);
        PEL_SPRITE_RECT* rect = pelSpriteRectCreate(image, {renderer, 0, 0, 16, 16, 8, 8});
        sprite = pelSpriteCreate(renderer);
        pelSpriteSetRect(sprite, rect);
    };
    engine->onUpdate = [&](TestEngine&, int frame) {
        sprite->x = 20.0f + 9.0f * frame;
        sprite->y = 30.0f + 5.0f * frame;
        sprite->flags |= PEL_SPRITE_DIRTY;
        // The 3D scene's stand-in: a dark blue background.
        system_->device().device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102040, 1.0f, 0);
    };
    runEngine(std::move(engine));

    ASSERT_EQ(provider_->opened, (std::vector<std::string>{"scene/0.bmp 12", "scene/1.bmp 12"}));
    for (const char* name : {"0", "1"}) {
        const std::optional<Frame> frame =
            readFrame(temp().path() + "/captures/scene/" + name + ".bmp");
        ASSERT_TRUE(frame);
        EXPECT_TRUE(matchesGolden(*frame, "engine", std::string("sprite_scene_") + name));
    }
}

}  // namespace
}  // namespace tessera::test
