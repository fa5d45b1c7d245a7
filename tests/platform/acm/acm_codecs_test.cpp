#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/acm/acm.h"
#include "platform/acm/acm_decoder.h"
#include "tests/support/external_tools.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

using namespace platform::acm;

uint32_t u32At(const std::string& s, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

// The "fmt " and "data" chunks of a RIFF WAVE file.
struct WaveChunks {
    std::string format, data;
};

WaveChunks readWave(const std::string& bytes) {
    WaveChunks chunks;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = u32At(bytes, at + 4);
        const std::string body = bytes.substr(at + 8, size);
        if (id == "fmt ") chunks.format = body;
        if (id == "data") chunks.data = body;
        at += 8 + size + (size & 1);
    }
    return chunks;
}

// Runs the seven calls as a sound source does: suggest, open, size, then whole input buffers
// of nBlockAlign x 1024 bytes, the last one zero-padded, cut to the predicted size.
std::string decodeThroughAcm(const WaveChunks& wave) {
    std::string formatBytes = wave.format;
    formatBytes.resize(std::max<size_t>(formatBytes.size(), 18), '\0');
    const auto* source = reinterpret_cast<const WaveFormatEx*>(formatBytes.data());
    WaveFormatEx pcm;
    pcm.wFormatTag = 1;
    EXPECT_EQ(acmFormatSuggest(nullptr, source, &pcm, 18, ACM_FORMATSUGGESTF_WFORMATTAG),
              MMSYSERR_NOERROR);
    EXPECT_EQ(pcm.wBitsPerSample, 16);
    EXPECT_EQ(pcm.nChannels, source->nChannels);
    EXPECT_EQ(pcm.nAvgBytesPerSec, pcm.nSamplesPerSec * pcm.nBlockAlign);
    HACMSTREAM stream = nullptr;
    EXPECT_EQ(acmStreamOpen(&stream, nullptr, source, &pcm, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    if (!stream) return {};
    DWORD total = 0;
    EXPECT_EQ(
        acmStreamSize(stream, static_cast<DWORD>(wave.data.size()), &total, ACM_STREAMSIZEF_SOURCE),
        MMSYSERR_NOERROR);
    const DWORD inputSize = source->nBlockAlign * 1024u;
    DWORD outputSize = 0;
    EXPECT_EQ(acmStreamSize(stream, inputSize, &outputSize, ACM_STREAMSIZEF_SOURCE),
              MMSYSERR_NOERROR);
    std::vector<uint8_t> input(inputSize), output(outputSize);
    ACMSTREAMHEADER header;
    header.cbStruct = kStreamHeaderSize;
    header.pbSrc = input.data();
    header.cbSrcLength = inputSize;
    header.pbDst = output.data();
    header.cbDstLength = outputSize;
    EXPECT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    std::string decoded;
    for (size_t at = 0; at < wave.data.size(); at += inputSize) {
        const size_t want = std::min<size_t>(inputSize, wave.data.size() - at);
        std::fill(input.begin(), input.end(), 0);
        std::memcpy(input.data(), wave.data.data() + at, want);
        EXPECT_EQ(acmStreamConvert(stream, &header, 0), MMSYSERR_NOERROR);
        decoded.append(reinterpret_cast<char*>(output.data()), header.cbDstLengthUsed);
    }
    EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
    EXPECT_GE(decoded.size(), total);
    decoded.resize(std::min<size_t>(decoded.size(), total));
    return decoded;
}

// A test signal with all sorts of steps: a chirp and noise bursts, mono or stereo.
std::string makeSignal(const TempDir& dir, int channels, int rate) {
    const std::string path = dir.file("signal.wav");
    const std::string command = "sox -n -r " + std::to_string(rate) + " -c " +
                                std::to_string(channels) + " -b 16 -e signed-integer " + path +
                                " synth 1.3 sine 100-9000 synth 1.3 whitenoise amod 30 vol 0.9";
    EXPECT_TRUE(runCommand(command));
    return path;
}

TEST(AcmCodecs, DecodeByteForByteAsSoxDoes) {
    REQUIRE_TOOL("sox");
    TempDir dir;
    struct Case {
        const char* encoding;
        int channels, rate;
        const char* extra;
    } cases[] = {
        {"ms-adpcm", 1, 22050, ""},  {"ms-adpcm", 2, 44100, ""}, {"ima-adpcm", 1, 22050, ""},
        {"ima-adpcm", 2, 44100, ""}, {"a-law", 1, 8000, ""},     {"a-law", 2, 44100, ""},
        {"u-law", 1, 8000, ""},      {"u-law", 2, 22050, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + " " + std::to_string(c.channels) + " channels");
        const std::string signal = makeSignal(dir, c.channels, c.rate);
        const std::string encoded = dir.file("encoded.wav");
        const std::string reference = dir.file("reference.raw");
        ASSERT_TRUE(runCommand("sox " + signal + " -e " + c.encoding + " " + encoded));
        ASSERT_TRUE(runCommand("sox " + encoded + " -t raw -e signed-integer -b 16 " + reference));
        const WaveChunks wave = readWave(readFileBytes(encoded));
        ASSERT_GE(wave.format.size(), 16u);
        const std::string expected = readFileBytes(reference);
        const std::string decoded = decodeThroughAcm(wave);
        ASSERT_EQ(decoded.size(), expected.size());
        size_t firstDifference = 0;
        while (firstDifference < decoded.size() &&
               decoded[firstDifference] == expected[firstDifference])
            ++firstDifference;
        EXPECT_EQ(firstDifference, decoded.size()) << "first differing byte";
    }
}

TEST(AcmCodecs, OtherTagsAndBrokenFormatsAreRefused) {
    struct Case {
        const char* what;
        WaveFormatEx format;
        std::vector<uint8_t> extra;
    } cases[] = {
        {"GSM", {0x31, 1, 8000, 1625, 65, 0, 2}, {0x40, 0x01}},
        {"unknown tag", {0x1234, 1, 8000, 8000, 1, 8, 0}, {}},
        {"MS ADPCM without coefficients", {2, 1, 8000, 4096, 256, 4, 4}, {0xF4, 0x01, 0, 0}},
        {"MS ADPCM table beyond cbSize", {2, 1, 8000, 4096, 256, 4, 4}, {0xF4, 0x01, 7, 0}},
        {"MS ADPCM block too small", {2, 1, 8000, 4096, 6, 4, 8}, {2, 0, 1, 0, 0, 1, 0, 0}},
        {"MS ADPCM too many samples", {2, 1, 8000, 4096, 8, 4, 8}, {5, 0, 1, 0, 0, 1, 0, 0}},
        {"IMA ADPCM ragged block", {0x11, 2, 8000, 4096, 514, 4, 2}, {0xF9, 0x01}},
        {"IMA ADPCM block beyond 8 KiB", {0x11, 1, 8000, 4096, 8196, 4, 2}, {0xF9, 0x3F}},
        {"MS ADPCM block beyond 8 KiB",
         {2, 1, 8000, 4096, 8200, 4, 8},
         {0xF4, 0x01, 1, 0, 0, 1, 0, 0}},
        {"IMA ADPCM three bits", {0x11, 1, 8000, 4096, 256, 3, 2}, {0xF9, 0x01}},
        {"A-law 16 bits", {6, 1, 8000, 16000, 2, 16, 0}, {}},
        {"mu-law align", {7, 2, 8000, 8000, 1, 8, 0}, {}},
        {"no channels", {7, 0, 8000, 8000, 1, 8, 0}, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(sizeof(WaveFormatEx) + c.extra.size());
        std::memcpy(bytes.data(), &c.format, sizeof c.format);
        if (!c.extra.empty())
            std::memcpy(bytes.data() + sizeof c.format, c.extra.data(), c.extra.size());
        const auto* source = reinterpret_cast<const WaveFormatEx*>(bytes.data());
        WaveFormatEx pcm;
        pcm.wFormatTag = 1;
        EXPECT_EQ(acmFormatSuggest(nullptr, source, &pcm, 18, ACM_FORMATSUGGESTF_WFORMATTAG),
                  ACMERR_NOTPOSSIBLE)
            << c.what;
        HACMSTREAM stream = reinterpret_cast<HACMSTREAM>(1);
        pcm = WaveFormatEx{1, c.format.nChannels, c.format.nSamplesPerSec, 0, 0, 16, 0};
        pcm.nBlockAlign = static_cast<uint16_t>(2 * pcm.nChannels);
        EXPECT_EQ(acmStreamOpen(&stream, nullptr, source, &pcm, nullptr, 0, 0, 0),
                  ACMERR_NOTPOSSIBLE)
            << c.what;
        EXPECT_EQ(stream, nullptr) << c.what;
    }
}

// A decoder registered by a higher layer is found through the same calls.
TEST(AcmCodecs, RegisteredDecoderServesItsTag) {
    class Doubler : public AcmDecoder {
    public:
        uint64_t outputBytes(uint64_t sourceBytes) const override { return 2 * sourceBytes; }
        uint32_t convert(const uint8_t* input, uint32_t inputBytes, uint8_t* output,
                         uint32_t capacity, uint32_t& used) override {
            used = std::min(inputBytes, capacity / 2);
            for (uint32_t i = 0; i < used; ++i) output[2 * i] = output[2 * i + 1] = input[i];
            return 2 * used;
        }
    };
    acmRegisterDecoder(0x7777, [](const WaveFormatEx&) -> std::unique_ptr<AcmDecoder> {
        return std::make_unique<Doubler>();
    });
    const WaveFormatEx source{0x7777, 1, 8000, 8000, 1, 8, 0};
    WaveFormatEx pcm;
    pcm.wFormatTag = 1;
    ASSERT_EQ(acmFormatSuggest(nullptr, &source, &pcm, 18, ACM_FORMATSUGGESTF_WFORMATTAG),
              MMSYSERR_NOERROR);
    HACMSTREAM stream = nullptr;
    ASSERT_EQ(acmStreamOpen(&stream, nullptr, &source, &pcm, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    uint8_t input[3] = {1, 2, 3}, output[8] = {};
    ACMSTREAMHEADER header;
    header.cbStruct = kStreamHeaderSize;
    header.pbSrc = input;
    header.cbSrcLength = 3;
    header.pbDst = output;
    header.cbDstLength = 8;
    EXPECT_EQ(acmStreamConvert(stream, &header, 0), ACMERR_UNPREPARED);
    ASSERT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acmStreamConvert(stream, &header, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(header.cbDstLengthUsed, 6u);
    EXPECT_EQ(header.cbSrcLengthUsed, 3u);
    EXPECT_EQ(output[5], 3);
    acmStreamUnprepareHeader(stream, &header, 0);
    acmStreamClose(stream, 0);
}

}  // namespace
}  // namespace tessera::test
