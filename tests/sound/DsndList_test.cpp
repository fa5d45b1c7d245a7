#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "sound/DsndList.h"
#include "tests/foundation/support/memory_stream.h"
#include "tools/writers/riff_writer.h"

namespace tessera::test {
namespace {

using mirel::DFile;
using mirel::DsndList;
using namespace tools::writers;

// Keeps the memory files alive as long as the list reads from them.
struct ListFixture {
    std::deque<DFile> files;
    DsndList list;

    bool add(const std::string& bytes, int32_t loop) {
        files.emplace_back();
        attachMemory(files.back(), bytes, "memory");
        return list.AddWave(files.back(), loop);
    }
    // Which source is current after each advance (the first entry is after the rewind), up to
    // `steps` advances or until the list runs out (-1 marks the end).
    std::vector<int> order(const std::vector<mirel::rcptr<DsndList::_DATA>>& sources, int steps) {
        std::vector<int> out;
        auto index = [&] {
            for (size_t i = 0; i < sources.size(); ++i) {
                if (list._CurrentWave() == sources[i]) return static_cast<int>(i);
            }
            return -1;
        };
        list.Rewind();
        out.push_back(index());
        for (int i = 0; i < steps; ++i) {
            const bool more = list._Advance();
            out.push_back(index());
            EXPECT_EQ(more, out.back() != -1);
            if (!more) break;
        }
        return out;
    }
};

std::string tone(uint16_t channels, uint32_t rate, uint16_t bits) {
    return pcmWave(channels, rate, bits, std::string(64, '\x10'));
}

TEST(DsndList, AddWaveAcceptsOnlyTheFirstSourcesFormat) {
    ListFixture f;
    EXPECT_FALSE(f.add("not a sound", 0));
    EXPECT_FALSE(f.list._FirstWave());
    ASSERT_TRUE(f.add(tone(2, 44100, 16), 0));
    EXPECT_FALSE(f.add(tone(2, 22050, 16), 0)) << "another rate";
    EXPECT_FALSE(f.add(tone(1, 44100, 16), 0)) << "another channel count";
    EXPECT_FALSE(f.add(tone(2, 44100, 8), 0)) << "another sample size";
    EXPECT_TRUE(f.add(tone(2, 44100, 16), 0));
    // Only the two matching sources are listed: the second is current after one advance and
    // the list runs out after it.
    f.list.Rewind();
    EXPECT_TRUE(f.list._Advance());
    EXPECT_FALSE(f.list._Advance());
    EXPECT_FALSE(f.list._CurrentWave());
    EXPECT_FALSE(f.list._Advance()) << "an exhausted list stays exhausted";
}

TEST(DsndList, LoopCountsDecideTheOrderAndAreConsumed) {
    ListFixture f;
    ASSERT_TRUE(f.add(tone(1, 8000, 8), 2));   // intro played three times
    ASSERT_TRUE(f.add(tone(1, 8000, 8), 0));   // once
    ASSERT_TRUE(f.add(tone(1, 8000, 8), -1));  // then for ever
    std::vector<mirel::rcptr<DsndList::_DATA>> sources;
    sources.push_back(f.list._FirstWave());
    f.list.Rewind();
    for (int i = 0; i < 2; ++i) {  // the two repeats of the intro
        EXPECT_TRUE(f.list._Advance());
        EXPECT_EQ(f.list._CurrentWave(), sources[0]);
    }
    f.list._Advance();
    sources.push_back(f.list._CurrentWave());
    f.list._Advance();
    sources.push_back(f.list._CurrentWave());
    ASSERT_NE(sources[1], sources[2]);

    // The intro's count was used up by the walk above: a rewind does not restore it.
    EXPECT_EQ(f.order(sources, 5), (std::vector<int>{0, 1, 2, 2, 2, 2}));
}

TEST(DsndList, RewindOfAnEmptyListLeavesNoCurrentSource) {
    ListFixture f;
    f.list.Rewind();
    EXPECT_FALSE(f.list._CurrentWave());
    EXPECT_FALSE(f.list._Advance());
}

}  // namespace
}  // namespace tessera::test
