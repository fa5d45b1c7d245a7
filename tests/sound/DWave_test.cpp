#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sound/DWave.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/support/external_tools.h"
#include "tools/writers/little_endian.h"
#include "tools/writers/riff_writer.h"

namespace tessera::test {
namespace {

using mirel::DFile;
using mirel::DWave;
using namespace tools::writers;

std::string bytePattern(size_t count, int seed) {
    std::string out(count, '\0');
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<char>((i * 7 + seed * 31) & 0xFF);
    return out;
}

TEST(DWaveRiff, ChunkLayoutsTable) {
    const std::string data = bytePattern(400, 1);
    const std::string fmt16 = riffChunk("fmt ", pcmFormatBody(2, 22050, 16));
    std::string fmt14Body = pcmFormatBody(2, 22050, 16).substr(0, 14);
    struct Case {
        const char* what;
        std::string file;
        bool opens;
    } cases[] = {
        {"fmt then data", riffFile("WAVE", fmt16 + riffChunk("data", data)), true},
        {"data before fmt", riffFile("WAVE", riffChunk("data", data) + fmt16), true},
        {"odd chunk of 5 padded to 6",
         riffFile("WAVE",
                  riffChunk("junk", "\x01\x02\x03\x04\x05") + fmt16 + riffChunk("data", data)),
         true},
        {"fmt of 14 bytes",
         riffFile("WAVE", riffChunk("fmt ", fmt14Body) + riffChunk("data", data)), false},
        {"no data chunk", riffFile("WAVE", fmt16), false},
        {"no fmt chunk", riffFile("WAVE", riffChunk("data", data)), false},
        {"11 bytes of a WAVE header", std::string("RIFF\x04\0\0\0WAV", 11), false},
        {"11 bytes of MPEG sync", std::string("\xFF\xFB\x90\x00\0\0\0\0\0\0\0", 11), false},
        {"empty", std::string(), false},
    };
    for (const Case& c : cases) {
        DWave wave;
        DFile file;
        ASSERT_EQ(openWave(wave, file, c.file), c.opens) << c.what;
        if (!c.opens) continue;
        EXPECT_EQ(wave.GetKind(), 0u) << c.what;
        EXPECT_EQ(wave.GetPcmFormat().nSamplesPerSec, 22050u) << c.what;
        EXPECT_EQ(wave.GetPcmFormat().nBlockAlign, 4) << c.what;
        EXPECT_EQ(wave.GetPcmFormat().cbSize, 0) << c.what;
        EXPECT_EQ(wave.GetPcmTotal(), data.size()) << c.what;
        ASSERT_TRUE(wave.BeginDecode());
        EXPECT_EQ(readAll(wave, 64), data) << c.what;
    }
}

TEST(DWaveRiff, ReadsStopAtTheEndAndRewindStartsOver) {
    const std::string data = bytePattern(1000, 2);
    DWave wave;
    DFile file;
    DebugCapture log;
    ASSERT_TRUE(openWave(wave, file, pcmWave(1, 8000, 8, data), "beep.wav"));
    char buffer[2000];
    EXPECT_EQ(wave.Read(buffer, 10), -1);
    EXPECT_EQ(log.text(), "[DWave] Run BeginDecode before Read 'beep.wav'\n");
    ASSERT_TRUE(wave.BeginDecode());
    EXPECT_FALSE(wave.BeginDecode()) << "a second BeginDecode changes nothing";
    EXPECT_EQ(wave.Read(buffer, 0), 0);
    EXPECT_EQ(wave.Read(buffer, 600), 600);
    EXPECT_EQ(wave.Read(buffer, 2000), 400) << "only what is left";
    EXPECT_EQ(std::string(buffer, 400), data.substr(600));
    EXPECT_EQ(wave.Read(buffer, 2000), 0);
    wave.Rewind();
    EXPECT_EQ(wave.Read(buffer, 2000), 1000);
    EXPECT_TRUE(wave.EndDecode());
    EXPECT_FALSE(wave.EndDecode());
    EXPECT_FALSE(wave.Open(file)) << "already open";
    EXPECT_TRUE(wave.Close());
    EXPECT_FALSE(wave.Close());
    EXPECT_EQ(wave.Read(buffer, 10), -1);
}

// A video stream (k = 0) interleaved with the audio stream (k = 1): only the 01wb chunks are
// read, across chunk boundaries and odd sizes.
TEST(DWaveAvi, ReadsTheAudioChunksOfTheFirstAudioStream) {
    AviStream video{false, std::string(40, 'v'), {}};
    AviStream audio{true, pcmFormatBody(2, 44100, 16), {}};
    std::string expected;
    for (int i = 0; i < 7; ++i) {
        video.chunks.push_back(std::string(33 + i, static_cast<char>('a' + i)));
        audio.chunks.push_back(bytePattern(4 * (50 + 13 * i), i));
        expected += audio.chunks.back();
    }
    const std::string avi = aviFile({video, audio});
    DWave wave;
    DFile file;
    ASSERT_TRUE(openWave(wave, file, avi));
    EXPECT_EQ(wave.GetKind(), DWave::kAvi);
    EXPECT_EQ(wave.GetPcmTotal(), expected.size());
    EXPECT_EQ(wave.GetPcmFormat().nSamplesPerSec, 44100u);
    ASSERT_TRUE(wave.BeginDecode());
    EXPECT_EQ(readAll(wave, 77), expected);
    wave.Rewind();
    EXPECT_EQ(readAll(wave, 1000), expected);

    // Without an audio stream the file is no sound source.
    DWave silent;
    DFile other;
    EXPECT_FALSE(openWave(silent, other, aviFile({video})));
}

TEST(DWaveRiff, FormatChunksFromTheFileAreBounded) {
    const std::string data = bytePattern(256, 3);
    // MS ADPCM with a coefficient table: cbSize 32 needs 50 bytes of chunk.
    std::string coefficients;
    putU16(coefficients, 500);  // frames per block
    putU16(coefficients, 7);
    const int16_t table[14] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};
    for (int16_t v : table) putU16(coefficients, static_cast<uint16_t>(v));
    const std::string adpcm = waveFormatBody(2, 1, 8000, 4096, 256, 4, true, coefficients);
    std::string shortExtra = adpcm.substr(0, 30);  // cbSize still says 32
    std::string huge = riffChunk("fmt ", std::string(0x10002, '\0'));
    std::memcpy(&huge[8], pcmFormatBody(1, 8000, 8).data(), 16);
    std::string beyond = "fmt ";
    putU32(beyond, 0x7FFFFF00);  // claims far more than the file holds
    beyond += pcmFormatBody(1, 8000, 8);
    struct Case {
        const char* what;
        std::string file;
        bool opens;
    } cases[] = {
        {"MS ADPCM with its table",
         riffFile("WAVE", riffChunk("fmt ", adpcm) + riffChunk("data", data)), true},
        {"cbSize beyond the chunk",
         riffFile("WAVE", riffChunk("fmt ", shortExtra) + riffChunk("data", data)), false},
        {"fmt above 64 KiB", riffFile("WAVE", huge + riffChunk("data", data)), false},
        {"fmt beyond the file", riffFile("WAVE", riffChunk("data", data) + beyond), false},
    };
    for (const Case& c : cases) {
        DWave wave;
        DFile file;
        EXPECT_EQ(openWave(wave, file, c.file), c.opens) << c.what;
    }
}

TEST(DWaveRiff, UnknownCodecIsReportedWithTheFileName) {
    const std::string gsm = waveFormatBody(0x31, 1, 8000, 1625, 65, 0, true, "\x40\x01");
    DWave wave;
    DFile file;
    DebugCapture log;
    EXPECT_FALSE(openWave(wave, file,
                          riffFile("WAVE", riffChunk("fmt ", gsm) + riffChunk("data", "abcd")),
                          "voice.wav"));
    EXPECT_EQ(log.text(), "[DWave] Can't init ACM to 'voice.wav'\n");
}

// Every codec through DWave, in WAVE and in AVI, against sox's own decoding.
TEST(DWaveAcm, CompressedWavesDecodeAsSoxDecodesThem) {
    REQUIRE_TOOL("sox");
    for (const char* encoding : {"ms-adpcm", "ima-adpcm", "a-law", "u-law"}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(std::string(encoding) + " " + std::to_string(channels));
            const std::string signal = soxSignal(channels, 22050, 1.7);
            const std::string encoded = runOnBytes(
                std::string("sox {in} -e ") + encoding + " {out}", signal, "in.wav", "out.wav");
            const std::string reference = waveData(
                runOnBytes("sox {in} -e signed-integer -b 16 {out}", encoded, "in.wav", "out.wav"));
            ASSERT_FALSE(reference.empty());
            DWave wave;
            DFile file;
            ASSERT_TRUE(openWave(wave, file, encoded));
            EXPECT_EQ(wave.GetKind(), DWave::kAcm);
            EXPECT_EQ(wave.GetPcmFormat().wBitsPerSample, 16);
            EXPECT_EQ(wave.GetPcmFormat().nChannels, channels);
            ASSERT_TRUE(wave.BeginDecode());
            EXPECT_TRUE(readAll(wave) == reference);

            // The same data as the audio stream of an AVI file, in chunks of 1000 bytes.
            std::string format;
            {
                const std::string& e = encoded;
                size_t at = 12;
                while (at + 8 <= e.size()) {
                    uint32_t size = 0;
                    std::memcpy(&size, e.data() + at + 4, 4);
                    if (e.compare(at, 4, "fmt ") == 0) format = e.substr(at + 8, size);
                    at += 8 + size + (size & 1);
                }
            }
            AviStream audio{true, format, {}};
            const std::string data = waveData(encoded);
            for (size_t at = 0; at < data.size(); at += 1000)
                audio.chunks.push_back(data.substr(at, 1000));
            DWave avi;
            DFile aviFileObject;
            ASSERT_TRUE(
                openWave(avi, aviFileObject, aviFile({AviStream{false, "x", {"v", "w"}}, audio})));
            EXPECT_EQ(avi.GetKind(), DWave::kAvi | DWave::kAcm);
            ASSERT_TRUE(avi.BeginDecode());
            EXPECT_TRUE(readAll(avi, 3333) == reference);
        }
    }
}

// A stream that fails every read beyond a point, though it reports its whole size.
class FailingStream : public MemoryStream {
public:
    int32_t Read(void* buffer, int32_t count) override {
        if (Tell() + count > failFrom) return -1;
        return MemoryStream::Read(buffer, count);
    }
    int32_t failFrom = 0;
};

// Decoded bytes already copied by a read survive a failing read of the next input block.
TEST(DWaveAcm, ShortInputReadKeepsWhatWasDelivered) {
    const std::string data = bytePattern(3000, 4);
    const std::string wav =
        riffFile("WAVE", riffChunk("fmt ", waveFormatBody(6, 1, 8000, 8000, 1, 8, true)) +
                             riffChunk("data", data));
    DFile file;
    mirel::rcptr<FailingStream> stream;
    stream.Create();
    static_cast<MemoryStream&>(*stream) = MemoryStream(wav);
    stream->failFrom = static_cast<int32_t>(wav.size()) - 1500;
    ASSERT_TRUE(file.AttachStream("alaw.wav", stream));
    DWave wave;
    ASSERT_TRUE(wave.Open(file));
    ASSERT_TRUE(wave.BeginDecode());
    std::vector<char> buffer(8000);
    EXPECT_EQ(wave.Read(buffer.data(), 4000), 2048) << "one 1024-byte block decoded";
    EXPECT_EQ(wave.Read(buffer.data(), 4000), -1) << "nothing delivered: the failure shows";
}

}  // namespace
}  // namespace tessera::test
