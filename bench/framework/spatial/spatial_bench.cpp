// 10,000 objects with random small boxes (up to 1/256 or 1/4096 of the side, the argument) in
// a 10-level quadtree over 0 to 1,048,575, queried with boxes of 1/64 of the side at random
// places, against a brute-force scan of the same objects. Reports both times per query and
// scan_over_tree. Target: the tree at least 10 times faster.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <random>
#include <vector>

#include "framework/core/core.h"
#include "framework/spatial/spatial.h"

namespace {

constexpr int32_t kSide = 1048576;
constexpr int kObjects = 10000;
constexpr int kQueries = 2000;

struct Thing {
    PEL_SPATIAL_LINK link{};
    int32_t low[2];
    int32_t high[2];
};

struct Box {
    int32_t low[2];
    int32_t high[2];
};

double seconds(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void QuadtreeAgainstScan(benchmark::State& state) {
    pelSpatialRegisterModule();
    pelInitialize();
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> at(0, kSide - 1);
    std::uniform_int_distribution<int32_t> extent(0, kSide / int32_t(state.range(0)));
    std::vector<Thing> things(kObjects);
    for (Thing& thing : things) {
        for (int axis = 0; axis < 2; ++axis) {
            thing.low[axis] = at(random);
            thing.high[axis] = std::min(kSide - 1, thing.low[axis] + extent(random));
        }
        thing.link.flags = 1;
    }
    std::vector<Box> queries(kQueries);
    for (Box& box : queries) {
        for (int axis = 0; axis < 2; ++axis) {
            box.low[axis] = at(random) % (kSide - kSide / 64);
            box.high[axis] = box.low[axis] + kSide / 64 - 1;
        }
    }

    PEL_QUADTREE tree{};
    const int32_t minimum[2] = {0, 0};
    const int32_t maximum[2] = {kSide - 1, kSide - 1};
    pelQuadtreeCreate(10, &tree, offsetof(Thing, link), minimum, maximum);
    for (Thing& thing : things) pelQuadtreeInsert(&tree, &thing, thing.low, thing.high);
    PEL_ARRAY result;
    pelArrayInit(&result, sizeof(void*), 1024);

    double treeBest = 1e9;
    double scanBest = 1e9;
    size_t sink = 0;
    for (auto _ : state) {
        const double treeTime = seconds([&] {
            for (const Box& box : queries) {
                pelQuadtreeCollect(box.low, &result, &tree, box.high, 1);
                sink += result.count;
            }
        });
        const double scanTime = seconds([&] {
            for (const Box& box : queries) {
                for (const Thing& thing : things) {
                    sink += thing.high[0] >= box.low[0] && box.high[0] >= thing.low[0] &&
                            thing.high[1] >= box.low[1] && box.high[1] >= thing.low[1];
                }
            }
        });
        treeBest = std::min(treeBest, treeTime);
        scanBest = std::min(scanBest, scanTime);
        state.SetIterationTime(treeTime);
    }
    benchmark::DoNotOptimize(sink);
    state.counters["tree_us_per_query"] = treeBest / kQueries * 1e6;
    state.counters["scan_us_per_query"] = scanBest / kQueries * 1e6;
    state.counters["scan_over_tree"] = scanBest / treeBest;
    pelArrayDestroy(&result);
    pelQuadtreeDestroy(&tree);
    pelFinalize();
}
BENCHMARK(QuadtreeAgainstScan)
    ->Arg(256)
    ->Arg(4096)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace
