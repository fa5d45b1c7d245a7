#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sound/DWave.h"
#include "sound/DgameMp3.h"
#include "sound/mpeg_acm_decoder.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/support/external_tools.h"
#include "tools/mpegdec/mpeg_stream.h"
#include "tools/writers/little_endian.h"
#include "tools/writers/riff_writer.h"

namespace tessera::test {
namespace {

using mirel::DFile;
using mirel::DgameMp3;
using mirel::DWave;

std::string reference(const std::string& mp3) {
    const auto decoded =
        tools::mpegdec::decodeMpegStream(reinterpret_cast<const uint8_t*>(mp3.data()), mp3.size());
    return std::string(reinterpret_cast<const char*>(decoded.samples.data()),
                       decoded.samples.size() * 2);
}

std::string lame(const std::string& options, int channels, int rate) {
    return runOnBytes("lame --quiet " + options + " {in} {out}", soxSignal(channels, rate, 1.5),
                      "in.wav", "out.mp3");
}

// The first 156 bytes of an MPEG-1 layer III 44.1 kHz stereo frame at 128 kbit/s whose side
// information is followed by `tag` (a VBR header) at `offset` from the frame start.
std::string frameWithTag(const std::string& tag, size_t offset) {
    std::string frame(156, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x00';
    frame.replace(offset, tag.size(), tag);
    return frame;
}

std::string bigEndian(uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
}

TEST(DgameMp3, LameStreamsDecodeAsTheDecoderAloneDoes) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("lame");
    struct Case {
        const char* options;
        int channels, rate;
    } cases[] = {
        {"-b 128", 2, 44100}, {"-V 4", 2, 44100}, {"-b 32", 1, 22050}, {"-b 16", 1, 11025}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string mp3 = lame(c.options, c.channels, c.rate);
        ASSERT_FALSE(mp3.empty());
        const std::string expected = reference(mp3);
        DWave wave;
        DFile file;
        ASSERT_TRUE(openWave(wave, file, mp3));
        EXPECT_EQ(wave.GetKind(), DWave::kMpeg);
        EXPECT_EQ(wave.GetPcmFormat().nChannels, c.channels);
        EXPECT_EQ(wave.GetPcmFormat().nSamplesPerSec, static_cast<uint32_t>(c.rate));
        EXPECT_EQ(wave.GetPcmFormat().cbSize, 18);
        ASSERT_TRUE(wave.BeginDecode());
        const std::string decoded = readAll(wave, 3001);
        const size_t common = std::min<size_t>(expected.size(), wave.GetPcmTotal());
        EXPECT_EQ(decoded.size(), common);
        EXPECT_TRUE(decoded == expected.substr(0, common));
        // A rewind starts the decoder afresh: the same bytes again.
        wave.Rewind();
        EXPECT_TRUE(readAll(wave, 100000) == decoded);
    }
}

TEST(DgameMp3, TwolameLayerTwoDecodes) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("twolame");
    const std::string mp2 = runOnBytes("twolame --quiet -b 192 {in} {out}",
                                       soxSignal(2, 48000, 1.0), "in.wav", "out.mp2");
    ASSERT_FALSE(mp2.empty());
    DWave wave;
    DFile file;
    ASSERT_TRUE(openWave(wave, file, mp2));
    ASSERT_TRUE(wave.BeginDecode());
    const std::string expected = reference(mp2);
    const std::string decoded = readAll(wave);
    ASSERT_FALSE(decoded.empty());
    EXPECT_TRUE(decoded == expected.substr(0, decoded.size()));
}

TEST(DgameMp3, SyncSearchInBlocksOf1024AndTheId3v1Cut) {
    const std::string frame = frameWithTag("", 4) + std::string(417 - 156, '\0');
    struct Case {
        size_t prefix;
        bool foundThere;
    } cases[] = {{0, true},     {1020, true},  {1021, false},
                 {1022, false}, {1023, false}, {1024, true}};
    for (const Case& c : cases) {
        for (bool id3v1 : {false, true}) {
            std::string bytes = std::string(c.prefix, '\0') + frame + frame;
            if (id3v1) bytes += "TAG" + std::string(125, 'x');
            DFile file, view;
            attachMemory(file, bytes);
            const bool found = DgameMp3::FindAudioData(file, view);
            const int32_t start =
                found ? static_cast<int32_t>(bytes.size()) - (id3v1 ? 128 : 0) - view.Size() : -1;
            EXPECT_EQ(start == static_cast<int32_t>(c.prefix), c.foundThere)
                << "sync at " << c.prefix << (id3v1 ? " with ID3v1" : "") << ", found at " << start;
        }
    }
    // Shorter than 128 bytes: no "TAG" check, and the sync is found.
    DFile file, view;
    attachMemory(file, std::string("\0\xFF\xFB\x90\0\0\0\0", 8));
    ASSERT_TRUE(DgameMp3::FindAudioData(file, view));
    EXPECT_EQ(view.Size(), 7);
}

TEST(DgameMp3, LengthFromVbrHeadersAndFrameCounts) {
    DgameMp3 mp3;
    ASSERT_TRUE(mp3.Open());
    DFile file, view;
    attachMemory(file, std::string(417000, '\0'));
    ASSERT_TRUE(view.OpenView(0, -1, file));
    // Constant bitrate: 417,000 bytes of 417-byte frames.
    ASSERT_TRUE(mp3.GetFormat(reinterpret_cast<const uint8_t*>(frameWithTag("", 4).data()), &view));
    EXPECT_EQ(mp3.totalBytes(), 1000u * 4608);
    EXPECT_EQ(mp3.pcmBytesPerFrame(), 4608u);
    // A "Xing" header of 1000 frames behind the 32 bytes of side information.
    const std::string xing = "Xing" + bigEndian(0x0F) + bigEndian(1000) + bigEndian(300000);
    ASSERT_TRUE(
        mp3.GetFormat(reinterpret_cast<const uint8_t*>(frameWithTag(xing, 36).data()), &view));
    EXPECT_EQ(mp3.totalBytes(), 1000u * 4608);
    // "VBRI" 36 bytes into the frame: bytes at +10, frames at +14.
    const std::string vbri = "VBRI" + std::string(6, '\0') + bigEndian(99999) + bigEndian(500);
    ASSERT_TRUE(
        mp3.GetFormat(reinterpret_cast<const uint8_t*>(frameWithTag(vbri, 36).data()), &view));
    EXPECT_EQ(mp3.totalBytes(), 500u * 4608);
    // A "Xing" header with the byte count only gives no frame count: the view's size counts.
    const std::string bytesOnly = "Xing" + bigEndian(0x02) + bigEndian(300000);
    ASSERT_TRUE(
        mp3.GetFormat(reinterpret_cast<const uint8_t*>(frameWithTag(bytesOnly, 36).data()), &view));
    EXPECT_EQ(mp3.totalBytes(), 1000u * 4608);
    // A frame count whose PCM length does not fit in 32 bits refuses the stream.
    const std::string huge = "Xing" + bigEndian(0x0F) + bigEndian(0x00FFFFFF) + bigEndian(300000);
    EXPECT_FALSE(
        mp3.GetFormat(reinterpret_cast<const uint8_t*>(frameWithTag(huge, 36).data()), &view));
    // Without a view there is no length.
    ASSERT_TRUE(
        mp3.GetFormat(reinterpret_cast<const uint8_t*>(frameWithTag("", 4).data()), nullptr));
    EXPECT_EQ(mp3.totalBytes(), 0u);
}

// After a rewind the input buffer is empty: the first Decode gets no bytes, fails and keeps
// the start pending; the second, with the buffer filled, starts on the first frame.
TEST(DgameMp3, RewindDoubleCall) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("lame");
    const std::string mp3 = lame("-b 128", 2, 44100);
    DFile file, view;
    attachMemory(file, mp3);
    ASSERT_TRUE(DgameMp3::FindAudioData(file, view));
    std::string frames(static_cast<size_t>(view.Size()), '\0');
    ASSERT_TRUE(view.Seek(0, mirel::DDataOverride::SeekBegin));
    ASSERT_EQ(view.Read(frames.data(), static_cast<uint32_t>(frames.size())), view.Size());
    DgameMp3 decoder;
    ASSERT_TRUE(decoder.Open());
    ASSERT_TRUE(decoder.GetFormat(reinterpret_cast<const uint8_t*>(frames.data()), &view));
    std::vector<uint8_t> pcm(decoder.pcmBytesPerFrame());
    const auto* input = reinterpret_cast<const uint8_t*>(frames.data());
    EXPECT_EQ(decoder.Decode(pcm.data(), input, 0), 0u);
    const uint32_t used = decoder.Decode(pcm.data(), input, static_cast<uint32_t>(frames.size()));
    EXPECT_GT(used, 0u);
    const std::vector<uint8_t> first = pcm;
    decoder.SetStartPending();
    EXPECT_EQ(decoder.Decode(pcm.data(), input, 0), 0u);
    EXPECT_EQ(decoder.Decode(pcm.data(), input, static_cast<uint32_t>(frames.size())), used);
    EXPECT_EQ(pcm, first);
}

// Layer III data in a WAVE file (tag 0x55) goes through the MPEG decoder registered with the
// ACM layer.
TEST(DgameMp3, LayerThreeInsideWaveThroughTheRegisteredCodec) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("lame");
    mirel::registerMpegAcmDecoder();
    const std::string mp3 = lame("-b 64", 2, 44100);
    std::string extra;
    tools::writers::putU16(extra, 1);     // wID
    tools::writers::putU32(extra, 2);     // fdwFlags
    tools::writers::putU16(extra, 209);   // nBlockSize
    tools::writers::putU16(extra, 1);     // nFramesPerBlock
    tools::writers::putU16(extra, 1393);  // nCodecDelay
    using namespace tools::writers;
    const std::string wav = riffFile(
        "WAVE", riffChunk("fmt ", waveFormatBody(0x55, 2, 44100, 8000, 1, 0, true, extra)) +
                    riffChunk("data", mp3));
    DWave wave;
    DFile file;
    ASSERT_TRUE(openWave(wave, file, wav));
    EXPECT_EQ(wave.GetKind(), DWave::kAcm);
    EXPECT_GE(wave.GetPcmTotal(), reference(mp3).size()) << "an upper bound";
    ASSERT_TRUE(wave.BeginDecode());
    const std::string decoded = readAll(wave, 4096);
    EXPECT_TRUE(decoded == reference(mp3)) << decoded.size() << " bytes";
    // Rewound in the middle, with part of a frame held by the codec: the same bytes again.
    wave.Rewind();
    char part[5000];
    ASSERT_EQ(wave.Read(part, sizeof part), static_cast<int32_t>(sizeof part));
    wave.Rewind();
    EXPECT_TRUE(readAll(wave, 3000) == decoded);
}

}  // namespace
}  // namespace tessera::test
