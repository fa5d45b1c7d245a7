// Effect data files: every kind's parameter layout at both versions, the reference checks and
// their texts, the computed root flag, the sort by time and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "foundation/pack/pack_registry.h"
#include "tests/effects/effect_fixture.h"

namespace tessera::test {
namespace {

using tools::writers::EffectData;
using tools::writers::EffectEvent;
using tools::writers::effectFloatWord;

constexpr float kRadian = 0.017453292f;

// The words each kind keeps, as the layout table gives them (kinds 23 and 24 keep a
// quaternion, checked apart).
std::set<int> storedWords(uint32_t kind, uint32_t version) {
    switch (kind) {
    case 0:
    case 7:
    case 12:
    case 17:
    case 22:
    case 27:
        return {};
    case 2:
        return {0};
    case 1:
    case 28:
    case 37:
    case 38:
        return {0, 1};
    case 3:
    case 13:
    case 14:
    case 18:
    case 19:
    case 36:
    case 40:
    case 41:
        return {0, 1, 2};
    case 6:
    case 8:
    case 9:
    case 23:
    case 24:
    case 34:
    case 35:
        return {0, 1, 2, 3};
    case 4:
    case 5:
    case 33:
        return {0, 1, 2, 3, 4};
    case 16:
    case 21:
    case 30:
    case 31:
    case 43:
    case 44:
        return {0, 1, 2, 3, 4, 5};
    case 15:
    case 20:
    case 42:
        return {0, 1, 2, 3, 4, 5, 6};
    case 11:
    case 29:
    case 26:
    case 32:
        return {0, 1, 2, 3, 4, 5, 6, 7};
    case 10:
    case 25:
        return {0, 1, 2, 3, 4, 5, 6, 7, 8};
    case 39:
        return version >= 6 ? std::set<int>{0, 1, 2} : std::set<int>{0, 1};
    default:
        return {};
    }
}

// One event of the kind with a distinct word everywhere; references of kinds 3 to 6 valid for
// two image definitions and one model; angles in degrees where the kind converts them.
EffectEvent everyWordEvent(uint32_t kind) {
    EffectEvent event;
    event.time = static_cast<int32_t>(kind);
    event.kind = kind;
    for (uint32_t w = 0; w < 9; ++w) event.words[w] = kind * 0x100 + w + 1;
    switch (kind) {
    case 3:
        event.words[0] = 1;
        event.words[1] = static_cast<uint32_t>(-7);
        break;
    case 4:
    case 5:
        event.words[0] = 0;
        event.words[1] = 1;
        event.words[3] = 0;
        break;
    case 6:
        event.words[0] = 1;
        event.words[1] = 0;
        event.words[2] = static_cast<uint32_t>(-1);
        break;
    case 23:
    case 24:
        event.words = {effectFloatWord(1.0f), effectFloatWord(2.0f), effectFloatWord(2.0f),
                       effectFloatWord(90.0f)};
        break;
    case 25:
    case 26:
    case 32:
        event.words[6] = effectFloatWord(180.0f);
        event.words[7] = effectFloatWord(-45.0f);
        break;
    default:
        break;
    }
    return event;
}

class EffectDataFile : public EffectTest {};

TEST_F(EffectDataFile, EveryKindKeepsItsWordsAtBothVersions) {
    useDevice();
    setProp(smallDefinition(2, 1));
    for (uint32_t version : {5u, 6u}) {
        SCOPED_TRACE(version);
        std::vector<EffectEvent> events;
        for (uint32_t kind = 0; kind <= 44; ++kind) events.push_back(everyWordEvent(kind));
        const L3D_EFFECT_DATA* data =
            loadData(oneRoot(events, version), "effect/v" + std::to_string(version));
        ASSERT_EQ(data->rootCount, 1u);
        const L3D_EFFECT_PART& part = data->roots[0].rootPart;
        ASSERT_EQ(part.eventCount, 45u);
        for (uint32_t kind = 0; kind <= 44; ++kind) {
            SCOPED_TRACE(kind);
            const L3D_EFFECT_EVENT& loaded = part.events[kind];
            const EffectEvent written = everyWordEvent(kind);
            EXPECT_EQ(loaded.kind, kind);
            EXPECT_EQ(loaded.time, static_cast<int32_t>(kind));
            if (kind == 23 || kind == 24) {
                // Axis (1, 2, 2) / 3 turned by 90 degrees.
                const float s = std::sin(90.0f * kRadian / 2.0f);
                EXPECT_NEAR(loaded.f(0), s / 3.0f, 1e-6f);
                EXPECT_NEAR(loaded.f(1), 2.0f * s / 3.0f, 1e-6f);
                EXPECT_NEAR(loaded.f(2), 2.0f * s / 3.0f, 1e-6f);
                EXPECT_NEAR(loaded.f(3), std::cos(90.0f * kRadian / 2.0f), 1e-6f);
                for (int w = 4; w < 9; ++w) EXPECT_EQ(loaded.p[w], 0u) << "P" << w;
                continue;
            }
            const std::set<int> stored = storedWords(kind, version);
            for (int w = 0; w < 9; ++w) {
                uint32_t expected = stored.count(w) ? written.words[w] : 0;
                if ((kind == 25 || kind == 26 || kind == 32) && (w == 6 || w == 7))
                    expected = effectFloatWord(std::bit_cast<float>(written.words[w]) * kRadian);
                if (kind == 39 && version == 5 && w == 2) expected = effectFloatWord(0.0f);
                EXPECT_EQ(loaded.p[w], expected) << "P" << w;
            }
        }
    }
}

TEST_F(EffectDataFile, ATinyAxisBecomesNoTurn) {
    EffectEvent turn;
    turn.kind = 23;
    turn.words = {effectFloatWord(1e-7f), effectFloatWord(-1e-7f), 0, effectFloatWord(90.0f)};
    const L3D_EFFECT_DATA* data = loadData(oneRoot({turn}));
    const L3D_EFFECT_EVENT& event = data->roots[0].rootPart.events[0];
    EXPECT_EQ(event.f(0), 0.0f);
    EXPECT_EQ(event.f(1), 0.0f);
    EXPECT_EQ(event.f(2), 0.0f);
    EXPECT_EQ(event.f(3), 1.0f);
}

TEST_F(EffectDataFile, EventsAreSortedByTimeAsSignedFrames) {
    std::vector<EffectEvent> events;
    for (int32_t time : {5, -3, 0, 12, 1}) {
        EffectEvent event;
        event.kind = 7;
        event.time = time;
        events.push_back(event);
    }
    const L3D_EFFECT_DATA* data = loadData(oneRoot(events));
    const L3D_EFFECT_PART& part = data->roots[0].rootPart;
    std::vector<int32_t> times;
    for (uint32_t i = 0; i < part.eventCount; ++i) times.push_back(part.events[i].time);
    EXPECT_EQ(times, (std::vector<int32_t>{-3, 0, 1, 5, 12}));
}

TEST_F(EffectDataFile, RootFlagsGainTheKeyBitFromFollowStopOrAStoppablePart) {
    struct Case {
        uint32_t rootFlags;
        std::vector<uint32_t> partFlags;
        uint32_t managerFlags;
        bool keyed;
    };
    const Case cases[] = {
        {0, {}, 0, false},     {0x10000, {}, 0, false},  // never taken from the file
        {1, {}, 0, true},      {2, {}, 0, true},        {4, {1, 4}, 0, false}, {0, {0, 2}, 0, true},
        {0, {2 | 4}, 0, true}, {0, {2 | 4}, 1, false},  // a skipped part does not count
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        manager_.flags = c.managerFlags;
        EffectData data = oneRoot({});
        data.roots[0].flags = c.rootFlags;
        data.roots[0].rootPart.flags = 2;  // read, then cleared: never counts
        for (uint32_t flags : c.partFlags) data.roots[0].parts.push_back({flags, {}});
        const L3D_EFFECT_DATA* loaded = loadData(data, "effect/flags" + std::to_string(n++));
        const L3D_EFFECT_ROOT& root = loaded->roots[0];
        EXPECT_EQ(root.rootPart.flags, 0u);
        EXPECT_EQ(root.flags & 0xFFFF, c.rootFlags & 0xFFFF);
        EXPECT_EQ((root.flags & 0x10000) != 0, c.keyed);
        ASSERT_EQ(root.partCount, c.partFlags.size());
    }
}

TEST_F(EffectDataFile, ReferenceChecksNameTheRootPartAndEvent) {
    struct Case {
        uint32_t kind;
        std::vector<std::pair<int, int32_t>> words;  // word, value
        bool inPart;
        const char* text;  // empty: loads
    };
    // No definition: no image definitions and no models.
    const Case cases[] = {
        {3,
         {{0, 0}, {1, -7}},
         false,
         "[L3DEffectManager::_CheckImage] root0の2個目のeventにおいて使用イメージが異常(0/0)"},
        {4,
         {{0, -1}},
         true,
         "[L3DEffectManager::_CheckImage] "
         "root0/part1の2個目のeventにおいて使用イメージが異常(-1/0)"},
        {8, {}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EffectEvent first;
        first.kind = 7;
        EffectEvent checked;
        checked.time = 1;
        checked.kind = c.kind;
        for (auto [word, value] : c.words) checked.words[word] = static_cast<uint32_t>(value);
        EffectData data = oneRoot({});
        if (c.inPart) {
            data.roots[0].parts.push_back({0, {}});
            data.roots[0].parts.push_back({0, {first, checked}});
        } else {
            data.roots[0].rootPart.events = {first, checked};
        }
        const std::string name = "effect/check" + std::to_string(c.kind);
        if (*c.text)
            expectFatal([&] { loadData(data, name); }, c.text);
        else
            EXPECT_EQ(loadData(data, name)->rootCount, 1u);
    }
}

TEST_F(EffectDataFile, ModelReferencesReachTheBuiltInShapesOnly) {
    useDevice();
    setProp(smallDefinition(1, 0));
    struct Case {
        uint32_t kind;
        int modelWord;
        int32_t model;
        bool loads;
    };
    const Case cases[] = {
        {3, 1, -7, true}, {3, 1, -8, false}, {4, 3, -1, true},
        {5, 3, 0, false}, {6, 2, -8, false}, {6, 2, -7, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        EffectEvent event;
        event.kind = c.kind;
        event.words[c.modelWord] = static_cast<uint32_t>(c.model);
        const std::string name = "effect/model" + std::to_string(n++);
        if (c.loads) {
            EXPECT_EQ(loadData(oneRoot({event}), name)->rootCount, 1u);
            continue;
        }
        expectFatal([&] { loadData(oneRoot({event}), name); },
                    "[L3DEffectManager::_CheckModel] root0の1個目のeventにおいて使用モデルが異常(" +
                        std::to_string(c.model) + ")");
        EXPECT_NE(
            log_.text().find(mirel::Sjis("[L3DEffectManager::_CheckModel] エフェクトファイル \"" +
                                         dir_.path() + "/" + name + "\" 内でエラー発生")),
            std::string::npos);
    }
}

TEST_F(EffectDataFile, AnImageReferenceEqualToTheCountFails) {
    useDevice();
    setProp(smallDefinition(2, 0));
    EffectEvent event;
    event.kind = 6;
    event.words = {1, 2, static_cast<uint32_t>(-1)};
    EffectData data = oneRoot({});
    data.roots.resize(2);
    data.roots[1].parts.resize(3);
    data.roots[1].parts[2].events = {event};
    expectFatal(
        [&] { loadData(data); },
        "[L3DEffectManager::_CheckImage] root1/part2の1個目のeventにおいて使用イメージが異常(2/2)");
}

TEST_F(EffectDataFile, AMissingFileGivesARecordWithoutRootsAndALogLine) {
    l3dLogThreshold = 3;
    L3D_EFFECT_DATA* data = manager_.LoadData(nnid("gone"), pack_, "effect/gone");
    l3dLogThreshold = 2;
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->rootCount, 0u);
    EXPECT_EQ(manager_.GetFirstData(), data);
    EXPECT_NE(log_.text().find("[L3DEffectManager::_LoadData] \"" + dir_.path() +
                               "/effect/gone\" isn't exist\n"),
              std::string::npos);
}

TEST_F(EffectDataFile, LookUpFindsRecordsByResourceName) {
    EXPECT_EQ(manager_.GetFirstData(), nullptr);
    L3D_RENDERER_NNID* first = nnid("first");
    L3D_EFFECT_DATA* a = manager_.LoadData(first, pack_, "effect/a");
    L3D_EFFECT_DATA* b = loadData(oneRoot({}), "effect/b");
    EXPECT_EQ(manager_.GetFirstData(), a);
    EXPECT_EQ(manager_.FindData(first), a);
    EXPECT_EQ(manager_.FindData(b->nnid), b);
    EXPECT_EQ(manager_.FindData(nnid("other")), nullptr);
    EXPECT_STREQ(b->name, "effect/b");
    EXPECT_EQ(b->pack, pack_);
}

TEST_F(EffectDataFile, RefusalsHaveTheirTexts) {
    const std::string path = dir_.path() + "/effect/bad";
    struct Case {
        const char* what;
        EffectData data;
        std::string text;
    };
    EffectData badMagic = oneRoot({});
    badMagic.magic = 0x54444646;
    EffectData newer = oneRoot({}, 7);
    EffectData older = oneRoot({}, 4);
    EffectEvent unknown;
    unknown.kind = 45;
    const Case cases[] = {
        {"magic", badMagic,
         "[L3DEffectManager::_LoadData] エフェクトファイル \"" + path + ".dat\" のヘッダが異常"},
        {"newer", newer,
         "[L3DEffectManager::_LoadData] エフェクトファイル \"" + path +
             ".dat\" のバージョンが異常"},
        {"older", older,
         "[L3DEffectManager::_LoadData] エフェクトファイル \"" + path +
             ".dat\" のバージョンが古すぎる"},
        {"kind 45", oneRoot({unknown}), "[L3DEffectManager::_LoadDataPart] 不明な種類45"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("effect/bad.dat", tools::writers::effectDataFile(c.data));
        expectFatal(
            [&] { manager_.LoadData(nnid("bad" + std::to_string(n++)), pack_, "effect/bad"); },
            c.text);
    }
    EXPECT_NE(
        log_.text().find(mirel::Sjis("[L3DEffectManager::_LoadDataPart] エフェクトファイル \"" +
                                     path + "\" 内でエラー発生")),
        std::string::npos);
    expectFatal([&] { manager_.LoadData(nullptr, pack_, "effect/bad"); },
                "[L3DEffectManager::LoadData] 無効なNNID(0)");
    L3D_RENDERER_NNID* twice = nnid("twice");
    manager_.LoadData(twice, pack_, "effect/none");
    expectFatal([&] { manager_.LoadData(twice, pack_, "effect/again"); },
                "[L3DEffectManager::LoadData] すでに \"effect/again\" は読み込まれている");
}

TEST_F(EffectDataFile, CountsPastTheFileAreShortReads) {
    // A root count, a part count and an event count of 2^32 - 1, each in a file that ends
    // right after it.
    const std::string path = dir_.path() + "/effect/huge.dat";
    EffectData base = oneRoot({});
    for (int field = 0; field < 3; ++field) {
        SCOPED_TRACE(field);
        std::string bytes = tools::writers::effectDataFile(base);
        // Offsets of root count, root part's event count, part count in that file.
        const size_t offsets[] = {8, 20, 24};
        const size_t at = offsets[field];
        bytes.resize(at + 4);
        for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(0xFF ^ ((at + i) & 0xFF));
        writeFile("effect/huge.dat", bytes);
        expectFatal(
            [&] { manager_.LoadData(nnid("huge" + std::to_string(field)), pack_, "effect/huge"); },
            "ファイル \"" + path + "\" を読み込めませんでした。");
    }
}

}  // namespace
}  // namespace tessera::test
