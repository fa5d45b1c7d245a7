// Playing effects: key registration, the dense key table, stopping by key and all at once,
// the instance pool, the world matrix and the warnings of Play.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render3d/LQuat.h"
#include "tests/effects/effect_fixture.h"

namespace tessera::test {
namespace {

using tools::writers::EffectData;
using tools::writers::EffectEvent;

constexpr float kPosition[3] = {1.0f, 2.0f, 3.0f};
constexpr float kNoTurn[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kUnit[3] = {1.0f, 1.0f, 1.0f};
constexpr uint32_t kNoUser[2] = {0, 0};

// A world block: position at floats 0 to 2, rotation at 9 to 12.
struct Block {
    float f[19] = {4.0f, 5.0f, 6.0f, 0, 0, 0, 0, 0, 0, 0.0f, 0.6f, 0.0f, 0.8f};
};

class EffectManager : public EffectTest {
protected:
    // Roots by flags; every root has one part of the given part flags.
    const L3D_EFFECT_DATA* load(std::vector<uint32_t> rootFlags, uint32_t partFlags = 0) {
        EffectData data;
        for (uint32_t flags : rootFlags) {
            tools::writers::EffectRoot root;
            root.flags = flags;
            root.parts.push_back({partFlags, {}});
            data.roots.push_back(root);
        }
        return loadData(data, "effect/data" + std::to_string(loads_++));
    }
    void play(const L3D_EFFECT_DATA* data, uint32_t index, const void* key,
              const float* attach = nullptr, const float* trailA = nullptr,
              const float* trailB = nullptr) {
        manager_.Play(data, index, 0, L3DEffectEndless, kPosition, kNoTurn, kUnit, kNoUser, key,
                      attach, trailA, trailB);
    }
    std::vector<L3D_EFFECT_WORKROOT*> activeList() const {
        std::vector<L3D_EFFECT_WORKROOT*> out;
        for (L3D_EFFECT_WORKROOT* i = manager_.active; i; i = i->next) out.push_back(i);
        return out;
    }
    std::vector<L3D_EFFECT_WORKROOT*> keyList(uint32_t entry) const {
        std::vector<L3D_EFFECT_WORKROOT*> out;
        for (L3D_EFFECT_WORKROOT* i = manager_.keys[static_cast<int32_t>(entry)].first; i;
             i = i->nextKeyed)
            out.push_back(i);
        return out;
    }

    int loads_ = 0;
    int keyA_ = 0, keyB_ = 0, keyC_ = 0;
};

TEST_F(EffectManager, OnlyAKeyWithSomethingToClearRegisters) {
    const L3D_EFFECT_DATA* data = load({0, 0x1, 0x2});
    Block block;
    const float point[3] = {};
    struct Case {
        const char* what;
        uint32_t root;
        const void* key;
        const float* attach;
        const float* trailA;
        const float* trailB;
        bool registers;
    };
    const Case cases[] = {
        {"no key", 1, nullptr, block.f, point, point, false},
        {"key alone", 0, &keyA_, nullptr, nullptr, nullptr, false},
        {"target not followed", 0, &keyA_, block.f, nullptr, nullptr, false},
        {"followed target", 1, &keyA_, block.f, nullptr, nullptr, true},
        {"trail point A", 0, &keyA_, nullptr, point, nullptr, true},
        {"trail point B", 0, &keyA_, nullptr, nullptr, point, true},
        {"root that stops", 2, &keyA_, nullptr, nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        play(data, c.root, c.key, c.attach, c.trailA, c.trailB);
        L3D_EFFECT_WORKROOT* instance = manager_.active;
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(instance->keyIndex != L3DEffectNoKey, c.registers);
        EXPECT_EQ(manager_.keyCount, c.registers ? 1u : 0u);
        if (c.attach) {
            EXPECT_EQ(instance->position[1], 5.0f);  // placed at the target
        }
        if (!c.key) {
            // Nothing could clear them later: none kept.
            EXPECT_EQ(instance->attach, nullptr);
            EXPECT_EQ(instance->trailA, nullptr);
            EXPECT_EQ(instance->trailB, nullptr);
        }
        manager_.StopAll();
        EXPECT_EQ(manager_.keyCount, 0u);
    }
}

TEST_F(EffectManager, PlaySetsPlacementAndWorldMatrix) {
    const L3D_EFFECT_DATA* data = load({0x1});
    Block block;
    const float rotation[4] = {0.0f, 0.0f, std::sqrt(0.5f), std::sqrt(0.5f)};  // 90 deg about z
    const float scale[3] = {2.0f, 3.0f, 4.0f};
    const uint32_t user[2] = {7, 9};
    manager_.Play(data, 0, 5, 100, kPosition, rotation, scale, user, &keyA_, block.f, nullptr,
                  nullptr);
    const L3D_EFFECT_WORKROOT& instance = *manager_.active;
    EXPECT_EQ(instance.attach, block.f);
    EXPECT_EQ(instance.position[0], 4.0f);
    EXPECT_EQ(instance.position[2], 6.0f);
    EXPECT_EQ(instance.rotation[1], 0.6f);
    EXPECT_EQ(instance.rotation[3], 0.8f);
    EXPECT_EQ(instance.startDelay, 5u);
    EXPECT_EQ(instance.lifetime, 100u);
    EXPECT_EQ(instance.user[1], 9u);
    EXPECT_EQ(instance.holdFlags, 0u);
    EXPECT_EQ(instance.rootPart.instance, &instance);
    EXPECT_EQ(instance.rootPart.frame, -1);
    EXPECT_EQ(instance.rootPart.image, -1);
    // Row vectors: x scaled by 2, turned onto y, moved by the position.
    const float x[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    float out[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) out[c] += x[r] * instance.world.m[r][c];
    EXPECT_NEAR(out[0], 1.0f, 1e-6f);
    EXPECT_NEAR(out[1], 4.0f, 1e-6f);
    EXPECT_NEAR(out[2], 3.0f, 1e-6f);
    EXPECT_EQ(instance.scale.m[0][0], 2.0f);
    EXPECT_EQ(instance.scale.m[2][2], 4.0f);
    EXPECT_EQ(instance.scale.m[3][3], 1.0f);

    // Without a target: the origin and no turn.
    play(data, 0, &keyA_);
    EXPECT_EQ(manager_.active->position[0], 0.0f);
    EXPECT_EQ(manager_.active->rotation[3], 1.0f);
}

TEST_F(EffectManager, StopByKeyKeepsAnEntryWhoseInstancesSurvive) {
    const L3D_EFFECT_DATA* data = load({0x1}, 0x2);
    Block block;
    play(data, 0, &keyA_, block.f);
    L3D_EFFECT_WORKROOT* instance = manager_.active;
    // Two child parts, one that stops by key and one that does not.
    L3D_EFFECT_PART keep{};
    L3D_EFFECT_WORKPART* kept = manager_._AllocPart(instance, &keep, 0);
    L3D_EFFECT_WORKPART* stopped = manager_._AllocPart(instance, &data->roots[0].parts[0], 0);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(stopped, nullptr);
    manager_.StopByKey(&keyA_);
    EXPECT_EQ(activeList(), std::vector<L3D_EFFECT_WORKROOT*>{instance});
    EXPECT_EQ(manager_.keyCount, 1u);
    EXPECT_EQ(keyList(0), std::vector<L3D_EFFECT_WORKROOT*>{instance});
    EXPECT_EQ(instance->attach, nullptr);
    EXPECT_EQ(instance->children, kept);
    EXPECT_EQ(kept->next, nullptr);
    EXPECT_EQ(stopped->instance, nullptr);
    EXPECT_EQ(instance->rootPart.instance, instance);
    manager_.StopByKey(&keyB_);  // unknown: nothing
    EXPECT_EQ(manager_.keyCount, 1u);
}

TEST_F(EffectManager, EmptyingAMiddleEntryMovesTheLastOneWhichStillStops) {
    const L3D_EFFECT_DATA* data = load({0x2});
    play(data, 0, &keyA_);
    play(data, 0, &keyB_);
    play(data, 0, &keyC_);
    play(data, 0, &keyC_);
    ASSERT_EQ(manager_.keyCount, 3u);
    manager_.StopByKey(&keyB_);
    ASSERT_EQ(manager_.keyCount, 2u);
    EXPECT_EQ(manager_.keys[1].key, &keyC_);
    for (L3D_EFFECT_WORKROOT* moved : keyList(1)) EXPECT_EQ(moved->keyIndex, 1u);
    EXPECT_EQ(keyList(1).size(), 2u);
    manager_.StopByKey(&keyC_);
    EXPECT_EQ(manager_.keyCount, 1u);
    ASSERT_EQ(activeList().size(), 1u);
    EXPECT_EQ(manager_.active->keyIndex, 0u);
    EXPECT_EQ(manager_.keys[0].key, &keyA_);
}

TEST_F(EffectManager, TheInstancePoolGrowsByBlocksAndReusesLastFreedFirst) {
    const L3D_EFFECT_DATA* data = load({0});
    for (int i = 0; i < 128; ++i) play(data, 0, nullptr);
    EXPECT_EQ(manager_.instances.blockCount(), 1u);
    play(data, 0, nullptr);
    EXPECT_EQ(manager_.instances.blockCount(), 2u);
    EXPECT_EQ(activeList().size(), 129u);
    L3D_EFFECT_WORKROOT* first = activeList()[10];
    L3D_EFFECT_WORKROOT* second = activeList()[20];
    manager_._FreeRoot(first);
    manager_._FreeRoot(second);
    play(data, 0, nullptr);
    EXPECT_EQ(manager_.active, second);
    play(data, 0, nullptr);
    EXPECT_EQ(manager_.active, first);
    manager_.StopAll();
    EXPECT_EQ(manager_.active, nullptr);
    EXPECT_EQ(manager_.instances.freeCount(), 256u);
}

TEST_F(EffectManager, PlayWarnsAboutMissingDataAndIndices) {
    const L3D_EFFECT_DATA* none = manager_.LoadData(nnid("none"), pack_, "effect/none");
    play(none, 0, &keyA_);
    play(nullptr, 0, &keyA_);
    const L3D_EFFECT_DATA* two = load({0, 0});
    play(two, 2, &keyA_);
    EXPECT_EQ(manager_.active, nullptr);
    const std::string log = log_.text();
    EXPECT_NE(log.find(mirel::Sjis("[L3DEffectManager::Play] 無効なエフェクト番号(0/0)")),
              std::string::npos);
    EXPECT_NE(log.find(mirel::Sjis("[L3DEffectManager::Play] 無効なエフェクト番号(2/2)")),
              std::string::npos);
    EXPECT_NE(log.find(mirel::Sjis("[L3DEffectManager::Play] 無効なエフェクトデータ")),
              std::string::npos);
}

TEST_F(EffectManager, OptionalRootsAndPartsAreSkippedUnderTheManagerFlag) {
    const L3D_EFFECT_DATA* data = load({0x4}, 0x4);
    play(data, 0, nullptr);
    ASSERT_NE(manager_.active, nullptr);
    EXPECT_EQ(manager_._AllocPart(manager_.active, &data->roots[0].parts[0], 0) != nullptr, true);
    manager_.StopAll();
    manager_.flags = L3DEffectSkipOptional;
    play(data, 0, nullptr);
    EXPECT_EQ(manager_.active, nullptr);
    const uint32_t freeParts = manager_.parts.freeCount();
    manager_.flags = 0;
    play(data, 0, nullptr);
    manager_.flags = L3DEffectSkipOptional;
    EXPECT_EQ(manager_._AllocPart(manager_.active, &data->roots[0].parts[0], 0), nullptr);
    EXPECT_EQ(manager_.parts.freeCount(), freeParts);
}

TEST_F(EffectManager, SeGroupListsHoldOneReferencePerGroup) {
    const L3D_EFFECT_DATA* constData = load({0});
    L3D_EFFECT_DATA* data = manager_.FindData(constData->nnid);
    mirel::LSeManager::_GROUPINFO group;
    L3D_SEGROUPLIST list;
    list.count = 3;
    list.groups.Allocate(3);
    list.groups[0] = &group;
    list.groups[1] = nullptr;
    list.groups[2] = &group;
    manager_.SetSeGroupList(data, list);
    EXPECT_EQ(group.refCount, 2u);
    ASSERT_EQ(data->seGroups.count, 3u);
    EXPECT_NE(data->seGroups.groups.Get(), list.groups.Get());
    EXPECT_EQ(data->seGroups.groups[2], &group);
    expectFatal([&] { manager_.SetSeGroupList(nullptr, list); },
                "[L3DEffectManager::Play] 無効なエフェクトデータ");
    data->seGroups = {};  // the group is not a sound manager's: nothing to unload
}

TEST_F(EffectManager, ClearDropsDataDefinitionAndInstances) {
    const L3D_EFFECT_DATA* data = load({0x2});
    const L3D_RENDERER_NNID* id = data->nnid;
    play(data, 0, &keyA_);
    manager_.Clear();
    EXPECT_EQ(manager_.active, nullptr);
    EXPECT_EQ(manager_.keyCount, 0u);
    EXPECT_EQ(manager_.GetFirstData(), nullptr);
    EXPECT_EQ(manager_.name[0], '\0');
    // Loadable again under the same resource name.
    EXPECT_NE(manager_.LoadData(id, pack_, "effect/x"), nullptr);
}

}  // namespace
}  // namespace tessera::test
