#include "tests/sound/mpeg/mpg123_reference.h"

#ifdef TESSERA_HAVE_MPG123
#include <mpg123.h>
#endif

#include <gtest/gtest.h>

#include "sound/mpeg/mp3_synthesis.h"
#include "tests/sound/mpeg/stream_comparison.h"
#include "tests/support/fixture_paths.h"

namespace sound::mpeg::test {

#ifdef TESSERA_HAVE_MPG123

ReferenceDecoding decodeWithMpg123(const std::string& path) {
    ReferenceDecoding result;
    result.available = true;
    int status = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &status);
    if (handle == nullptr) {
        result.error = "mpg123_new failed";
        return result;
    }
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_param(handle, MPG123_ADD_FLAGS,
                 MPG123_IGNORE_INFOFRAME | MPG123_QUIET | MPG123_FORCE_FLOAT, 0.0);
    mpg123_format_none(handle);
    for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L}) {
        mpg123_format(handle, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    }
    if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
        result.error = std::string("mpg123_open: ") + mpg123_strerror(handle);
        mpg123_delete(handle);
        return result;
    }
    float buffer[4608];
    for (;;) {
        size_t done = 0;
        status =
            mpg123_read(handle, reinterpret_cast<unsigned char*>(buffer), sizeof(buffer), &done);
        for (size_t i = 0; i < done / sizeof(float); ++i) {
            result.samples.push_back(convertSampleToPcm16(buffer[i] * 32768.0f));
        }
        if (status == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(handle, &rate, &channels, &encoding);
            result.sampleRate = static_cast<int>(rate);
            result.channels = channels;
            continue;
        }
        if (status != MPG123_OK) break;
    }
    if (status != MPG123_DONE)
        result.error = std::string("mpg123_read: ") + mpg123_strerror(handle);
    mpg123_close(handle);
    mpg123_delete(handle);
    return result;
}

#else

ReferenceDecoding decodeWithMpg123(const std::string&) { return {}; }

#endif

void expectMatchesMpg123(const std::string& path, const tools::mpegdec::DecodedStream& ours) {
    const ReferenceDecoding reference = decodeWithMpg123(path);
    if (!reference.available) {
        if (tessera::test::runningInCi()) FAIL() << "built without libmpg123";
        GTEST_SKIP() << "built without libmpg123";
    }
    ASSERT_EQ(reference.error, "");
    EXPECT_EQ(reference.sampleRate, ours.sampleRate);
    EXPECT_EQ(reference.channels, ours.channels);
    ASSERT_EQ(reference.samples.size(), ours.samples.size());
    const Difference difference = compareSamples(ours.samples, reference.samples);
    EXPECT_LE(difference.maximum, 2) << "first sample beyond 2 LSB: " << difference.firstBeyondTwo;
    EXPECT_LE(difference.rms, 0.7);
}

}  // namespace sound::mpeg::test
