// Tile-parallel rasterisation: frames do not depend on the number of threads, the tiles of a
// large draw really are shared between threads, and every tile runs once however they share.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/d3d9/tile_workers.h"
#include "platform/os/float_mode.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

struct Lcg {
    std::uint32_t state;
    std::uint32_t next() { return state = state * 1664525u + 1013904223u; }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
};

class TileThreading : public DeviceTest {
protected:
    // Overlapping blended, depth-tested, textured triangles across many tiles, in several
    // draws: any change in the order a pixel sees them changes the frame.
    std::vector<std::uint32_t> renderScene(unsigned threads) {
        rasterThreads_ = threads;
        createDevice(300, 200);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        std::vector<std::uint32_t> texels(16 * 16);
        Lcg random{7};
        for (auto& t : texels) t = random.next();
        IDirect3DTexture9* texture = makeTexture(16, 16, texels);
        device_->SetTexture(0, texture);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);

        EXPECT_EQ(device_->BeginScene(), D3D_OK);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
        for (int draw = 0; draw < 4; ++draw) {
            std::vector<SpriteVertex> vertices(3 * 60);
            for (auto& v : vertices) {
                v = {random.unit() * 340 - 20,
                     random.unit() * 240 - 20,
                     random.unit(),
                     1,
                     random.next(),
                     random.unit() * 3,
                     random.unit() * 3,
                     0,
                     0};
            }
            EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 60, vertices.data(),
                                               sizeof(SpriteVertex)),
                      D3D_OK);
        }
        drawRect(0, 0, 300, 200, 0x80FFFFFF, 0, 0, 2, 2, 0.5f);
        EXPECT_EQ(device_->EndScene(), D3D_OK);
        threadsUsed_ = device_->rasterThreadsUsedLastDraw();
        std::vector<std::uint32_t> frame = readTarget();
        device_->SetTexture(0, nullptr);
        texture->Release();
        EXPECT_EQ(device_->Release(), 0u);
        device_ = nullptr;
        d3d_->Release();
        d3d_ = nullptr;
        return frame;
    }

    unsigned threadsUsed_ = 0;
};

TEST_F(TileThreading, FramesAreIdenticalWithOneTwoAndEightThreads) {
    const std::vector<std::uint32_t> single = renderScene(1);
    EXPECT_EQ(threadsUsed_, 1u);
    for (unsigned threads : {2u, 8u}) {
        const std::vector<std::uint32_t> frame = renderScene(threads);
        ASSERT_EQ(frame.size(), single.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < frame.size(); ++i) differing += frame[i] != single[i];
        EXPECT_EQ(differing, 0u) << threads << " threads";
    }
}

TEST_F(TileThreading, TilesOfALargeDrawRunOnSeveralThreads) {
    renderScene(8);
    // 300 x 200 spans 5 x 4 tiles, shared out among the eight threads.
    EXPECT_EQ(threadsUsed_, 8u);
}

// Runs of every size, over and over on the same workers, with a few slow tiles that send the
// other threads to take tiles from the slow thread's share: each tile runs exactly once.
TEST(TileWorkers, EveryTileRunsExactlyOnce) {
    for (const unsigned threads : {2u, 3u, 8u}) {
        platform::d3d9::TileWorkers workers(threads);
        for (int round = 0; round < 3; ++round) {
            for (const unsigned tiles : {0u, 1u, 2u, 7u, 8u, 9u, 64u, 301u}) {
                std::vector<std::atomic<int>> runs(tiles);
                workers.run(tiles, [&](unsigned tile) {
                    if (tile % 13 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    runs[tile].fetch_add(1, std::memory_order_relaxed);
                });
                for (unsigned tile = 0; tile < tiles; ++tile)
                    ASSERT_EQ(runs[tile].load(), 1)
                        << "tile " << tile << " of " << tiles << " on " << threads << " threads";
            }
        }
    }
}

// Each thread draws a contiguous share and begins it itself; when one thread is held up on
// its first tile, the others finish the rest of its share.
TEST(TileWorkers, ThreadsBeginTheirOwnSharesAndFinishOthers) {
    constexpr unsigned kThreads = 4, kTiles = 40;
    platform::d3d9::TileWorkers workers(kThreads);
    std::vector<std::thread::id> ranOn(kTiles);
    std::atomic<unsigned> done{0};
    workers.run(kTiles, [&](unsigned tile) {
        ranOn[tile] = std::this_thread::get_id();
        if (tile == 0) {
            // The caller's share is tiles 0..9: the others take its other nine.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (done.load() < kTiles - 1 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
        }
        done.fetch_add(1);
    });
    EXPECT_EQ(done.load(), kTiles);
    std::vector<std::thread::id> firsts;
    for (unsigned share = 0; share < kThreads; ++share)
        firsts.push_back(ranOn[share * kTiles / kThreads]);
    std::sort(firsts.begin(), firsts.end());
    EXPECT_EQ(std::unique(firsts.begin(), firsts.end()), firsts.end())
        << "a thread began another's share";
    for (unsigned tile = 1; tile < kTiles / kThreads; ++tile)
        EXPECT_NE(ranOn[tile], ranOn[0]) << "tile " << tile << " waited for its held-up owner";
}

// Whichever thread claims a tile computes it in the caller's floating-point mode of that run,
// so denormals flush alike on every thread.
TEST(TileWorkers, EveryTileRunsInTheCallersFloatMode) {
    namespace os = platform::os;
    const uint32_t saved = os::floatMode();
    platform::d3d9::TileWorkers workers(8);
    const uint32_t plain = saved & ~(os::kFloatFlushToZero | os::kFloatDenormalsAreZero);
    constexpr uint32_t kStatusFlags = 0x3F;  // sticky exception flags, not part of the mode
    for (const uint32_t mode :
         {plain | os::kFloatFlushToZero | os::kFloatDenormalsAreZero, plain}) {
        os::setFloatMode(mode);
        std::vector<uint32_t> modes(64, 0);
        std::vector<int> flushed(64, -1);
        workers.run(64, [&](unsigned tile) {
            modes[tile] = os::floatMode() & ~kStatusFlags;
            volatile float denormal = 1e-39f;
            volatile float product = denormal * 1.0f;
            flushed[tile] = product == 0.0f;
        });
        os::setFloatMode(saved);
        EXPECT_EQ(modes, std::vector<uint32_t>(64, mode & ~kStatusFlags));
        EXPECT_EQ(flushed, std::vector<int>(64, (mode & os::kFloatDenormalsAreZero) != 0));
    }
}

}  // namespace
}  // namespace tessera::test
