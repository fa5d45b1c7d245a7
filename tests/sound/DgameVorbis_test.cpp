#include <gtest/gtest.h>

#include <cstring>
#include <string>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "sound/DWave.h"
#include "sound/DgameVorbis.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/sound/sound_fixtures.h"

namespace tessera::test {
namespace {

using mirel::DFile;
using mirel::DgameVorbis;
using mirel::DWave;

TEST(DgameVorbis, StereoFormatFieldsAndLength) {
    const std::string ogg = makeOggVorbis(2, 44100, 30000);
    ASSERT_FALSE(ogg.empty());
    DWave wave;
    DFile file;
    ASSERT_TRUE(openWave(wave, file, ogg));
    EXPECT_EQ(wave.GetKind(), DWave::kVorbis);
    const auto& format = wave.GetPcmFormat();
    EXPECT_EQ(format.wFormatTag, 1);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_EQ(format.nBlockAlign, 4);
    EXPECT_EQ(format.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.cbSize, 18);
    EXPECT_EQ(wave.GetPcmTotal(), 30000u * 4);
    ASSERT_TRUE(wave.BeginDecode());
    EXPECT_EQ(readAll(wave, 3000).size(), 30000u * 4);
}

TEST(DgameVorbis, EndRewindAndSecondOpen) {
    const std::string ogg = makeOggVorbis(1, 22050, 9000);
    DFile file;
    attachMemory(file, ogg);
    DgameVorbis vorbis;
    char buffer[5000];
    EXPECT_EQ(vorbis._Read(buffer, 10), -1) << "not open";
    ASSERT_TRUE(vorbis._Open(file));
    EXPECT_FALSE(vorbis._Open(file)) << "already open";
    EXPECT_EQ(vorbis.GetFormat().nBlockAlign, 2);
    const std::string first(buffer, static_cast<size_t>(vorbis._Read(buffer, 5000)));
    ASSERT_EQ(first.size(), 5000u);
    size_t total = first.size();
    for (int32_t got; (got = vorbis._Read(buffer, 5000)) > 0;) total += static_cast<size_t>(got);
    EXPECT_EQ(total, 18000u);
    EXPECT_EQ(vorbis._Read(buffer, 5000), 0) << "after the end";
    EXPECT_EQ(vorbis._Read(buffer, 0), 0);
    vorbis._Rewind();
    ASSERT_EQ(vorbis._Read(buffer, 5000), 5000);
    EXPECT_TRUE(std::string(buffer, 5000) == first) << "the first samples again";
    EXPECT_TRUE(vorbis._Close());
    EXPECT_FALSE(vorbis._Close());
}

// A damaged stream whose every decode fails ends after 16 failures in a row instead of
// keeping the reader busy; a failure streak broken by data starts counting again.
TEST(DgameVorbis, FailuresInARowEndTheStream) {
    static int calls;
    static int script;  // 0: failures only; 1: 15 failures, 100 bytes, 15 failures, the end
    auto damaged = [](OggVorbis_File*, char* buffer, int, int, int, int, int*) -> long {
        const int n = calls++;
        if (script == 1) {
            if (n == 15) {
                std::memset(buffer, 7, 100);
                return 100;
            }
            if (n == 31) return 0;
        }
        return -3;  // a hole in the data
    };
    const std::string ogg = makeOggVorbis(1, 22050, 9000);
    for (int s : {0, 1}) {
        script = s;
        calls = 0;
        DFile file;
        attachMemory(file, ogg);
        DgameVorbis vorbis;
        ASSERT_TRUE(vorbis._Open(file));
        DgameVorbis::SetReadFunction(damaged);
        char buffer[4096];
        EXPECT_EQ(vorbis._Read(buffer, 4096), s == 0 ? 0 : 100) << s;
        EXPECT_EQ(calls, s == 0 ? DgameVorbis::kMaxHolesInARow : 32) << s;
        EXPECT_EQ(vorbis._Read(buffer, 4096), 0) << s;
        EXPECT_EQ(calls, s == 0 ? DgameVorbis::kMaxHolesInARow : 32) << "ended: no further call";
        DgameVorbis::SetReadFunction(nullptr);
    }
}

TEST(DgameVorbis, NotOggIsRefused) {
    DFile file;
    attachMemory(file, std::string(5000, 'x'));
    DgameVorbis vorbis;
    EXPECT_FALSE(vorbis._Open(file));
    DWave wave;
    DFile other;
    EXPECT_FALSE(openWave(wave, other, std::string(5000, 'x')));
}

}  // namespace
}  // namespace tessera::test
