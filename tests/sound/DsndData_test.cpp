#include "sound/DsndData.h"

#include <gtest/gtest.h>

#include <string>

#include "sound/DsndManager.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/sound/sound_probes.h"

namespace tessera::test {
namespace {

using mirel::DFile;
using mirel::DsndBuffer;
using mirel::rcptr;

constexpr uint32_t kRate = 44100;

// A memory file that counts the bytes read from it.
class CountingStream : public MemoryStream {
public:
    int32_t Read(void* buffer, int32_t count) override {
        const int32_t n = MemoryStream::Read(buffer, count);
        if (n > 0) bytesRead += n;
        return n;
    }
    int64_t bytesRead = 0;
};

rcptr<CountingStream> attachCounting(DFile& file, const std::string& bytes) {
    rcptr<CountingStream> stream;
    stream.Create();
    stream->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream->Seek(0, mirel::DDataOverride::SeekBegin);
    file.AttachStream("spy", stream);
    return stream;
}

TEST(DsndData, TheFirstVoiceDecodesAndLaterOnesDuplicate) {
    ManualDevice device;
    DFile file;
    const std::string wave = countingWave(2, kRate, kRate / 10);
    const rcptr<CountingStream> spy = attachCounting(file, wave);
    const rcptr<DsndBuffer> first = device.manager.CreateBufferFromFile(file, "Se/Boom", 0, 0);
    ASSERT_TRUE(first);
    const int64_t afterFirst = spy->bytesRead;
    EXPECT_GE(afterFirst, static_cast<int64_t>(kRate / 10 * 4)) << "the sound was decoded";

    DFile again;
    attachMemory(again, "never read");
    const rcptr<DsndBuffer> second = device.manager.CreateBufferFromFile(again, "se/BOOM", 0, 0);
    const rcptr<DsndBuffer> third = device.manager.CreateBuffer("SE/boom", 0, 0);
    ASSERT_TRUE(second);
    ASSERT_TRUE(third);
    EXPECT_EQ(spy->bytesRead, afterFirst) << "duplicates decode nothing";

    // A duplicate plays the decoded samples.
    third->Play(1.0f);
    const std::vector<int16_t> out = device.sink->pull(4);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
}

TEST(DsndData, TheManagerForgetsASoundWithItsLastVoice) {
    ManualDevice device;
    DFile file;
    attachMemory(file, countingWave(2, kRate, 100));
    rcptr<DsndBuffer> a = device.manager.CreateBufferFromFile(file, "boom", 0, 0);
    rcptr<DsndBuffer> b = device.manager.CreateBuffer("boom", 0, 0);
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->Release());
    EXPECT_FALSE(a->Release());
    EXPECT_TRUE(device.manager.FindData("boom")) << "one voice is left";
    b->Release();
    EXPECT_FALSE(device.manager.FindData("boom"));
    EXPECT_FALSE(device.manager.CreateBuffer("boom", 0, 0));
}

TEST(DsndData, PlayingASoundingVoiceRestartsItAndItsEndStopsIt) {
    ManualDevice device;
    DFile file;
    attachMemory(file, countingWave(2, kRate, 2000));
    const rcptr<DsndBuffer> voice = device.manager.CreateBufferFromFile(file, "boom", 0, 0);
    voice->Play(1.0f);
    device.sink->pull(1000);
    EXPECT_TRUE(voice->IsPlaying());
    voice->Play(0.5f);
    platform::audio::DWORD play = 1, write = 0;
    voice->_GetBuffer()->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u) << "restarted from the beginning";
    platform::audio::LONG volume = 0;
    voice->_GetBuffer()->GetVolume(&volume);
    EXPECT_EQ(volume, -500);
    device.sink->pull(1999);
    EXPECT_TRUE(voice->IsPlaying());
    device.sink->pull(1);
    EXPECT_FALSE(voice->IsPlaying()) << "a one-shot voice ends by itself";
}

TEST(DsndData, NamesAreCutTo263AndUnreadableFilesAreLogged) {
    ManualDevice device;
    DFile file;
    attachMemory(file, countingWave(1, kRate, 10));
    const std::string name(300, 'n');
    ASSERT_TRUE(device.manager.CreateBufferFromFile(file, name.c_str(), 0, 0));
    const rcptr<mirel::DsndData> data = device.manager.FindData(std::string(263, 'n').c_str());
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->GetName()), std::string(263, 'n'));

    DebugCapture log;
    DFile bad;
    attachMemory(bad, "no sound here", "bad.wav");
    EXPECT_FALSE(device.manager.CreateBufferFromFile(bad, "bad", 0, 0));
    EXPECT_NE(log.text().find("[DsndData] Can't read wave data \"bad.wav\"\n"), std::string::npos)
        << log.text();
    EXPECT_FALSE(device.manager.FindData("bad"));
}

TEST(DsndData, NoDeviceGivesNoVoices) {
    mirel::DsndManager silent;
    DFile file;
    attachMemory(file, countingWave(1, kRate, 10));
    EXPECT_FALSE(silent.CreateBufferFromFile(file, "boom", 0, 0));
    EXPECT_FALSE(silent.CreateBuffer("boom", 0, 0));
}

}  // namespace
}  // namespace tessera::test
