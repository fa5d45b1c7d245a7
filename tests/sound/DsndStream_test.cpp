#include "sound/DsndStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/mixer.h"
#include "sound/DsndManager.h"
#include "sound/DsndVolume.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/sound/sound_probes.h"
#include "tools/writers/riff_writer.h"

namespace tessera::test {
namespace {

using mirel::DFile;
using mirel::DsndList;
using mirel::DsndStream;
using mirel::rcptr;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kPeriod = platform::audio::kPeriodFrames;

struct Source {
    std::string wave;
    int32_t loop;
};

rcptr<DsndList> makeList(const std::vector<Source>& sources) {
    rcptr<DsndList> list;
    list.Create();
    for (const Source& source : sources) {
        DFile file;
        attachMemory(file, source.wave);
        EXPECT_TRUE(list->AddWave(file, source.loop));
    }
    return list;
}

// A stream on the manual sink, pulled period by period. After every period that crosses a
// notification (each half second boundary), the pull waits for the stream thread to have
// handled it, so the output does not depend on how the threads are scheduled.
class StreamRun {
public:
    explicit StreamRun(const std::vector<Source>& sources) {
        stream = device.manager.CreateStream(makeList(sources));
    }
    ~StreamRun() {
        if (stream) stream->Stop();
    }

    void play(float volume = 1.0f) {
        stream->Play(volume);
        probe.awaitGeneration(0);
    }
    // Pulls `frames` frames (a multiple of a period); returns the 16-bit samples.
    std::vector<int16_t> pull(uint32_t frames) {
        std::vector<int16_t> out;
        for (uint32_t done = 0; done < frames; done += kPeriod) {
            const bool crosses = position_ % kRate == 0;
            const uint64_t seen = probe.generation();
            const std::vector<int16_t> part = device.sink->pull(kPeriod);
            out.insert(out.end(), part.begin(), part.end());
            if (crosses && runningBefore_) probe.awaitGeneration(seen);
            position_ += kPeriod;
            runningBefore_ = stream->IsRunning();
        }
        return out;
    }

    StreamProbe probe;
    ManualDevice device;
    rcptr<DsndStream> stream;

private:
    uint64_t position_ = 0;
    bool runningBefore_ = true;
};

std::vector<int16_t> samplesOf(const std::string& wave) {
    const std::string data = waveData(wave);
    std::vector<int16_t> samples(data.size() / 2);
    std::memcpy(samples.data(), data.data(), samples.size() * 2);
    return samples;
}

// Stereo frames of output as 16-bit samples: stereo sources pass through unchanged.
std::vector<int16_t> framesOf(const std::vector<int16_t>& samples, size_t from, size_t frames) {
    return {samples.begin() + from * 2, samples.begin() + (from + frames) * 2};
}

TEST(DsndStream, ThreeAndAHalfSecondsPlayThroughAndStopAtTheFourthSecond) {
    const std::string wave = countingWave(2, kRate, kRate * 7 / 2);
    StreamRun run({{wave, 0}});
    ASSERT_TRUE(run.stream);
    run.play();
    const std::vector<int16_t> first = run.pull(kRate * 3);
    EXPECT_TRUE(run.stream->IsRunning()) << "after the notification at 3 s";
    const std::vector<int16_t> fourth = run.pull(kRate);
    EXPECT_TRUE(run.stream->IsRunning()) << "the half holding 3-3.5 s plays to its end";
    const std::vector<int16_t> after = run.pull(kPeriod);
    EXPECT_FALSE(run.stream->IsRunning()) << "the thread leaves when the next half begins";

    std::vector<int16_t> rendered = first;
    rendered.insert(rendered.end(), fourth.begin(), fourth.end());
    const std::vector<int16_t> source = samplesOf(wave);
    EXPECT_TRUE(framesOf(rendered, 0, kRate * 7 / 2) == source) << "bit-exact pass-through";
    const std::vector<int16_t> padding = framesOf(rendered, kRate * 7 / 2, kRate / 2);
    EXPECT_EQ(std::count(padding.begin(), padding.end(), 0), static_cast<long>(padding.size()));
}

TEST(DsndStream, ASourceUnderASecondStopsAtTheSecondNotification) {
    const std::string wave = countingWave(2, kRate, kRate / 2);
    StreamRun run({{wave, 0}});
    run.play();
    run.pull(kRate);
    EXPECT_TRUE(run.stream->IsRunning());
    run.pull(kPeriod);
    EXPECT_FALSE(run.stream->IsRunning());

    // The end left an acknowledgement nobody waited for; a new run must not take it for its
    // own: Play returns only once the new thread has set its volume and started.
    run.stream->Play(0.5f);
    EXPECT_TRUE(run.stream->IsRunning());
    EXPECT_EQ(run.probe.volumes().back(), mirel::DsndVolumeToMillibel(0.5f, 0));
}

TEST(DsndStream, AnIntroFlowsIntoAnEndlessLoopWithoutAGap) {
    const std::string intro = countingWave(2, kRate, kRate * 3 / 10, 1);
    const std::string loop = countingWave(2, kRate, kRate * 7 / 10, 30000);
    StreamRun run({{intro, 0}, {loop, -1}});
    run.play();
    const std::vector<int16_t> rendered = run.pull(kRate * 4);
    EXPECT_TRUE(run.stream->IsRunning());
    std::vector<int16_t> expected = samplesOf(intro);
    const std::vector<int16_t> loopSamples = samplesOf(loop);
    while (expected.size() < rendered.size())
        expected.insert(expected.end(), loopSamples.begin(), loopSamples.end());
    expected.resize(rendered.size());
    EXPECT_TRUE(rendered == expected);
    run.stream->Stop();
    EXPECT_FALSE(run.stream->IsRunning());
}

TEST(DsndStream, AnEightBitSourcePadsWithItsSilence) {
    // 8-bit silence is 0x80; padding with 0 would render as full negative scale.
    const std::string wave = tools::writers::pcmWave(1, kRate, 8, std::string(kRate / 4, '\x90'));
    StreamRun run({{wave, 0}});
    run.play();
    const std::vector<int16_t> rendered = run.pull(kRate);
    EXPECT_EQ(rendered[0], 0x10 * 256);
    const std::vector<int16_t> padding = framesOf(rendered, kRate / 4, kRate * 3 / 4);
    EXPECT_EQ(std::count(padding.begin(), padding.end(), 0), static_cast<long>(padding.size()));
}

std::vector<int32_t> fadeSchedule(uint32_t length, float playVolume) {
    std::vector<int32_t> steps;
    for (uint32_t t = 50; t < length; t += 50) {
        const float volume =
            static_cast<float>((1.0 - static_cast<double>(t) / length) * playVolume);
        steps.push_back(mirel::DsndVolumeToMillibel(volume, 0.005f));
    }
    steps.push_back(-10000);
    return steps;
}

TEST(DsndStream, FadeOutStepsEveryFiftyMillisecondsThenSilences) {
    StreamRun run({{countingWave(2, kRate, kRate), -1}});
    run.play();
    run.stream->FadeOut(1000);
    for (int i = 0; i < 20; ++i) run.probe.release();
    std::vector<int32_t> expected{0};
    const std::vector<int32_t> steps = fadeSchedule(1000, 1.0f);
    expected.insert(expected.end(), steps.begin(), steps.end());
    EXPECT_EQ(run.probe.volumes(), expected);
    EXPECT_EQ(steps.front(), mirel::DsndVolumeToMillibel(0.95f, 0.005f));
    EXPECT_EQ(steps[steps.size() - 2], mirel::DsndVolumeToMillibel(0.05f, 0.005f));
    EXPECT_EQ(run.stream->GetCommand(), DsndStream::kRunning) << "silent but running";

    // After a finished fade a new one starts again from the play volume.
    run.stream->FadeOut(0);
    run.probe.release();
    EXPECT_EQ(run.probe.volumes().back(), -10000);
    EXPECT_EQ(run.probe.volumes().size(), expected.size() + 1);
}

TEST(DsndStream, SetVolumeEndsAFadeAndASecondFadeIsIgnored) {
    StreamRun run({{countingWave(2, kRate, kRate), -1}});
    run.play(0.8f);
    run.stream->FadeOut(1000);
    run.stream->FadeOut(100);  // ignored: the first fade runs
    run.probe.release();
    run.probe.release();
    EXPECT_EQ(run.probe.volumes(),
              (std::vector<int32_t>{mirel::DsndVolumeToMillibel(0.8f, 0),
                                    fadeSchedule(1000, 0.8f)[0], fadeSchedule(1000, 0.8f)[1]}));
    run.stream->SetVolume(0.5f);
    EXPECT_EQ(run.probe.volumes().back(), mirel::DsndVolumeToMillibel(0.5f * 0.8f, 0));
    EXPECT_EQ(run.stream->GetCommand(), DsndStream::kRunning) << "the fade has ended";
}

TEST(DsndStream, PlayOnARunningStreamReturnsAtOnce) {
    StreamRun run({{countingWave(2, kRate, kRate), -1}});
    run.play(1.0f);
    run.stream->Play(0.25f);
    EXPECT_EQ(run.probe.volumes(), std::vector<int32_t>{0});
    run.stream->Stop();
    EXPECT_EQ(run.stream->GetCommand(), 0u);
    run.stream->Stop();  // idle: nothing
    run.stream->SetVolume(0.5f);
    run.stream->FadeOut(10);
    EXPECT_EQ(run.probe.volumes(), std::vector<int32_t>{0});
}

// Runs `body` on another thread and fails the whole run if it has not returned within a
// generous limit, so that a hang is reported instead of blocking the suite.
void withWatchdog(const std::function<void()>& body) {
    std::packaged_task<void()> task(body);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
        std::fprintf(stderr, "watchdog: the stream hung\n");
        std::abort();
    }
    runner.join();
}

TEST(DsndStream, ALoopingSourceWithoutSamplesStopsLoopingInsteadOfHanging) {
    // A source that opens but yields nothing, looping for ever, ahead of a real one.
    const std::string empty = tools::writers::pcmWave(2, kRate, 16, "");
    const std::string tail = countingWave(2, kRate, kRate / 4);
    withWatchdog([&] {
        StreamRun run({{empty, -1}, {tail, 0}});
        run.play();
        const std::vector<int16_t> rendered = run.pull(kRate / 2);
        EXPECT_TRUE(framesOf(rendered, 0, kRate / 4) == samplesOf(tail));
        run.stream->Stop();
    });
    withWatchdog([&] {
        StreamRun run({{empty, 5}});
        run.play();
        run.pull(kRate * 2 + kPeriod);
        EXPECT_FALSE(run.stream->IsRunning());
    });
}

TEST(DsndStream, TheManagerKeepsADroppedStreamUntilItIsReleased) {
    StreamProbe probe;
    ManualDevice device;
    rcptr<DsndStream> stream =
        device.manager.CreateStream(makeList({{countingWave(2, kRate, kRate), -1}}));
    stream->Play(1.0f);
    DsndStream* raw = stream.Get();
    stream.Reset();
    EXPECT_TRUE(raw->IsRunning()) << "the manager's handle keeps it playing";
    EXPECT_TRUE(device.manager.Release());
    EXPECT_FALSE(device.manager.CreateStream(makeList({{countingWave(2, kRate, 10), 0}})));
}

TEST(DsndStream, StreamsNeedADeviceAndASource) {
    mirel::DsndManager silent;
    EXPECT_FALSE(silent.CreateStream(makeList({{countingWave(2, kRate, 10), 0}})));
    ManualDevice device;
    rcptr<DsndList> empty;
    empty.Create();
    EXPECT_FALSE(device.manager.CreateStream(empty));
    DFile file;
    attachMemory(file, "not a sound");
    EXPECT_FALSE(device.manager.OpenStream(file));
}

}  // namespace
}  // namespace tessera::test
