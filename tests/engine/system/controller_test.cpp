// Controllers: the planes they deliver, the run-length recording and its replay sections.
#include "engine/system/controller.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "engine/script/file.h"
#include "engine/system/controller_input.h"
#include "engine/system/controller_replay.h"
#include "framework/file/file.h"
#include "framework/input/input_device.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

// Big-endian bytes of a hand-made section.
std::string u32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string u64(uint64_t v) {
    return u32(static_cast<uint32_t>(v >> 32)) + u32(static_cast<uint32_t>(v));
}
std::string f32(float v) { return u32(std::bit_cast<uint32_t>(v)); }

// Sixteen buttons whose values and flags the test sets; polled like a device.
struct TestSource {
    float values[16] = {};
    uint32_t flags[16] = {};
    int polls = 0;

    PEL_CONTROLLER_SOURCE source() {
        return {this, [](void* u) { ++static_cast<TestSource*>(u)->polls; },
                [](void*) { return 16u; },
                [](void* u, uint32_t i) { return static_cast<TestSource*>(u)->flags[i]; },
                [](void* u, uint32_t i) { return static_cast<TestSource*>(u)->values[i]; }};
    }
};

class ControllerTest : public ScriptTest {
protected:
    ControllerTest() {
        const PEL_CONTROLLER_SOURCE s = source_.source();
        const PEL_CONTROLLER_PARAMETERS parameters{&s, 20, 10};
        slot_ = pelControllerCreate(&parameters);
        // Past the double-press window of the first frames: a first press is a single one.
        for (int i = 0; i < 30; ++i) pelControllerUpdate(slot_);
    }
    ~ControllerTest() override { pelControllerDestroy(slot_); }

    std::u16string path(const std::string& name) const { return widen(temp_.file(name)); }

    // What a controller writes, as bytes.
    std::string section(const Controller& controller) {
        File file;
        file.create(path("out.rep").c_str(), PEL_FILE_MODE_WRITE, PEL_FILE_CREATE);
        controller.writeReplay(file);
        file.close();
        return readFileBytes(temp_.file("out.rep"));
    }

    // Opens a file holding the bytes for reading.
    void openWith(File& file, const std::string& bytes) {
        temp_.write("in.rep", bytes);
        file.create(path("in.rep").c_str(), PEL_FILE_MODE_READ, 0);
    }

    static std::vector<ReplayRecord> recordsOf(const Controller& controller) {
        std::vector<ReplayRecord> out;
        for (const auto& chunk : controller.recording()->chunks)
            out.insert(out.end(), chunk.begin(), chunk.end());
        return out;
    }

    TestSource source_;
    PEL_CONTROLLER* slot_ = nullptr;
    TempDir temp_;
};

constexpr uint64_t kPressed3 = uint64_t{1} << 3;
constexpr uint64_t kHeld3 = uint64_t{1} << 19;

TEST_F(ControllerTest, HoldingAButtonRecordsThePressThenOneRun) {
    ControllerInput input(CONTROLLER_RECORD_BUTTONS, &slot_);
    EXPECT_EQ(input.getKind(), 2u);
    source_.values[3] = 1.0f;
    for (int frame = 0; frame < 100; ++frame) {
        input.refresh();
        EXPECT_EQ(input.pressed[3], frame == 0);
        EXPECT_EQ(input.held[3], 1);
        EXPECT_EQ(input.third[3], 0);  // no double press long after the last one
    }
    const std::vector<ReplayRecord> records = recordsOf(input);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].repeat, 0u);
    EXPECT_EQ(records[0].planes, kPressed3 | kHeld3);
    EXPECT_EQ(records[1].repeat, 98u);
    EXPECT_EQ(records[1].planes, kHeld3);
}

TEST_F(ControllerTest, AnalogValuesSplitRunsOnlyWhenRecorded) {
    struct Case {
        uint32_t kind;
        size_t records;
    };
    for (const Case c : {Case{CONTROLLER_RECORD_ANALOG, 10}, Case{CONTROLLER_RECORD_BUTTONS, 2},
                         Case{CONTROLLER_RECORD_NONE, 0}}) {
        SCOPED_TRACE(c.kind);
        pelControllerUpdate(slot_);  // released between cases
        ControllerInput input(c.kind, &slot_);
        for (int frame = 0; frame < 10; ++frame) {
            source_.values[0] = 0.6f + 0.001f * static_cast<float>(frame);
            input.refresh();
            EXPECT_EQ(input.analog[0], source_.values[0]);
        }
        source_.values[0] = 0.0f;
        if (c.kind == CONTROLLER_RECORD_NONE) {
            EXPECT_EQ(input.recording(), nullptr);
            continue;
        }
        const std::vector<ReplayRecord> records = recordsOf(input);
        ASSERT_EQ(records.size(), c.records);
        if (c.kind == CONTROLLER_RECORD_ANALOG) {
            EXPECT_EQ(records[9].values[0], 0.609f);
        }
    }
}

TEST_F(ControllerTest, NanValuesNeverRepeat) {
    ControllerNone none(CONTROLLER_RECORD_ANALOG);
    none.analog[5] = std::nanf("");
    none.refresh();
    none.refresh();
    EXPECT_EQ(none.recording()->recordCount(), 2u);
}

TEST_F(ControllerTest, ThirdPlaneIsQuickTiltForAnalogButtonsElseDoublePress) {
    ControllerInput input(CONTROLLER_RECORD_NONE, &slot_);
    source_.flags[1] = PEL_INPUT_FLAG_ANALOG;
    // A first full press: a quick tilt on both, a double press on neither.
    source_.values[0] = source_.values[1] = 1.0f;
    input.refresh();
    EXPECT_EQ(input.third[0], 0);
    EXPECT_EQ(input.third[1], 1);
    // Released and pressed again within 20 frames: a double press on both.
    source_.values[0] = source_.values[1] = 0.0f;
    input.refresh();
    source_.values[0] = 1.0f;
    source_.values[1] = 0.7f;  // not full travel: no quick tilt
    input.refresh();
    EXPECT_EQ(input.third[0], 1);
    EXPECT_EQ(input.third[1], 0);
}

TEST_F(ControllerTest, AnEmptySlotKeepsThePlanesAndStillRecords) {
    PEL_CONTROLLER* empty = nullptr;
    ControllerInput input(CONTROLLER_RECORD_BUTTONS, &empty);
    input.refresh();
    input.refresh();
    ASSERT_NE(input.recording(), nullptr);
    EXPECT_EQ(input.recording()->recordCount(), 1u);
    EXPECT_EQ(recordsOf(input)[0].repeat, 1u);
}

TEST_F(ControllerTest, SectionBytesFollowTheLayout) {
    ControllerNone none(CONTROLLER_RECORD_ANALOG);
    none.held[15] = 1;
    none.third[0] = 1;
    none.analog[2] = 0.25f;
    none.refresh();
    none.refresh();
    std::string expected =
        u32(2) + u32(1) + u32(1) + u64((uint64_t{1} << 31) | (uint64_t{1} << 32));
    for (int i = 0; i < 16; ++i) expected += f32(i == 2 ? 0.25f : 0.0f);
    EXPECT_EQ(section(none), expected);

    ControllerNone silent(CONTROLLER_RECORD_NONE);
    silent.refresh();
    EXPECT_EQ(section(silent), "");
    ControllerNone fresh(CONTROLLER_RECORD_BUTTONS);
    EXPECT_EQ(section(fresh), u32(1) + u32(0));
}

TEST_F(ControllerTest, SixHundredAndOneRecordsRoundTripInTwoChunks) {
    for (uint32_t kind : {CONTROLLER_RECORD_BUTTONS, CONTROLLER_RECORD_ANALOG}) {
        SCOPED_TRACE(kind);
        ControllerNone none(kind);
        for (int frame = 0; frame < 601; ++frame) {
            none.pressed[frame % 16] = (frame / 16) & 1;
            none.held[(frame + 3) % 16] ^= 1;
            none.third[frame % 7] = frame % 3 == 0;
            none.analog[frame % 16] = static_cast<float>(frame) / 601.0f;
            none.refresh();
            if (frame % 5 == 0) none.refresh();  // some runs
        }
        ASSERT_EQ(none.recording()->chunks.size(), 2u);
        ASSERT_EQ(none.recording()->recordCount(), 601u);
        const std::string bytes = section(none);
        File file;
        openWith(file, bytes);
        ControllerReplay replay(file);
        EXPECT_EQ(replay.replayKind(), kind);
        const std::vector<ReplayRecord> written = recordsOf(none);
        ASSERT_EQ(replay.records().size(), written.size());
        for (size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(replay.records()[i].repeat, written[i].repeat) << i;
            EXPECT_EQ(replay.records()[i].planes, written[i].planes) << i;
            for (int b = 0; b < 16; ++b)
                EXPECT_EQ(replay.records()[i].values[b],
                          kind == CONTROLLER_RECORD_ANALOG ? written[i].values[b] : 0.0f);
        }
        EXPECT_TRUE(reports().empty());
    }
}

TEST_F(ControllerTest, ReplayPlaysEachRecordWithItsRepeatsOnce) {
    File file;
    openWith(file, u32(1) + u32(3) + u32(0) + u64(kPressed3 | kHeld3) + u32(4) + u64(kHeld3) +
                       u32(0) + u64(uint64_t{1} << 40));
    ControllerReplay replay(file);
    EXPECT_EQ(replay.getKind(), 1u);
    std::vector<uint64_t> frames;
    for (int frame = 0; frame < 7; ++frame) {
        replay.refresh();
        uint64_t planes = 0;
        for (int b = 0; b < 16; ++b)
            planes |= uint64_t{replay.pressed[b]} << b | uint64_t{replay.held[b]} << (16 + b) |
                      uint64_t{replay.third[b]} << (32 + b);
        frames.push_back(planes);
    }
    EXPECT_EQ(frames, (std::vector<uint64_t>{kPressed3 | kHeld3, kHeld3, kHeld3, kHeld3, kHeld3,
                                             kHeld3, uint64_t{1} << 40}));
    EXPECT_TRUE(reports().empty());
    replay.refresh();
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
              std::vector<std::u16string>{u"Error: [ControllerReplay::refresh] リプレイ異常"});
}

TEST_F(ControllerTest, ReplayOfButtonsKeepsTheAnalogValues) {
    File file;
    openWith(file, u32(1) + u32(1) + u32(0) + u64(1));
    ControllerReplay replay(file);
    replay.analog[4] = 0.5f;
    replay.refresh();
    EXPECT_EQ(replay.analog[4], 0.5f);
    EXPECT_EQ(replay.pressed[0], 1);
}

TEST_F(ControllerTest, BadSectionsAreFatalBeforeAnyAllocation) {
    struct Case {
        std::string bytes;
        std::u16string error;
    };
    const Case cases[] = {
        {u32(3) + u32(0), u"Error: [ControllerReplay::ControllerReplay] 不明なリプレイ種別です(3)"},
        {u32(0) + u32(0), u"Error: [ControllerReplay::ControllerReplay] 不明なリプレイ種別です(0)"},
        // A count the file cannot hold, however large, is the short file.
        {u32(1) + u32(0xFFFFFFFF) + u32(0) + u64(0),
         u"Error: [File::read] ファイル操作でエラーが発生しました。"},
        {u32(2) + u32(2) + u32(0) + u64(0) + std::string(64, '\0'),
         u"Error: [File::read] ファイル操作でエラーが発生しました。"},
        // A count that fits the file but not the bytes after the header runs short.
        {u32(1) + u32(2) + u32(0) + u64(0) + u32(0) + u32(0),
         u"Error: [File::readU64] ファイル操作でエラーが発生しました。"},
        {u32(1), u"Error: [File::readU32] ファイル操作でエラーが発生しました。"},
    };
    for (const Case& c : cases) {
        clearReports();
        File file;
        openWith(file, c.bytes);
        ControllerReplay replay(file);
        ASSERT_FALSE(textsAt(PEL_REPORT_ERROR).empty());
        EXPECT_EQ(textsAt(PEL_REPORT_ERROR)[0], c.error);
        EXPECT_LE(replay.records().size(), 2u);
    }
}

TEST_F(ControllerTest, ResetStopsTheRecordingAndDropsTheReplay) {
    ControllerNone none(CONTROLLER_RECORD_BUTTONS);
    none.refresh();
    none.reset();
    EXPECT_EQ(none.recording(), nullptr);
    EXPECT_EQ(section(none), "");

    File file;
    openWith(file, u32(1) + u32(1) + u32(5) + u64(1));
    ControllerReplay replay(file);
    replay.reset();
    EXPECT_TRUE(replay.records().empty());
    replay.refresh();
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR).size(), 1u);
}

}  // namespace
}  // namespace tessera::test
