// snddec: decodes any file that DWave opens (WAVE with any codec, MPEG inside WAVE, AVI audio,
// MPEG audio, Ogg Vorbis) to a 16-bit PCM WAV at the source's rate and channels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "foundation/DFile.h"
#include "platform/audio/wav_header.h"
#include "sound/DWave.h"
#include "sound/mpeg_acm_decoder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: snddec INPUT OUTPUT.wav\n");
        return 2;
    }
    // The sources' own log lines (an ACM failure, say) go to standard error.
    setenv("TESSERA_DEBUG_OUTPUT", "1", 1);
    mirel::registerMpegAcmDecoder();
    mirel::DFile file;
    mirel::DWave wave;
    if (!file.Open(argv[1], mirel::DFile::OpenRead) || !wave.Open(file) || !wave.BeginDecode()) {
        std::fprintf(stderr, "snddec: cannot open '%s' as a sound source\n", argv[1]);
        return 1;
    }
    const auto& format = wave.GetPcmFormat();
    std::vector<char> pcm;
    std::vector<char> buffer(65536);
    for (int32_t got; (got = wave.Read(buffer.data(), static_cast<uint32_t>(buffer.size()))) > 0;)
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + got);
    // 8-bit sources (unsigned, silence 0x80) widen to 16 bits.
    if (format.wBitsPerSample == 8) {
        std::vector<char> wide(2 * pcm.size());
        for (size_t i = 0; i < pcm.size(); ++i) {
            const int sample = (static_cast<uint8_t>(pcm[i]) - 128) * 256;
            wide[2 * i] = static_cast<char>(sample & 0xFF);
            wide[2 * i + 1] = static_cast<char>((sample >> 8) & 0xFF);
        }
        pcm.swap(wide);
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::fprintf(stderr, "snddec: cannot write '%s'\n", argv[2]);
        return 1;
    }
    const platform::audio::WavHeader header = platform::audio::makeWavHeader(
        format.nSamplesPerSec, format.nChannels, static_cast<uint32_t>(pcm.size()));
    const bool written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                         std::fwrite(pcm.data(), 1, pcm.size(), out) == pcm.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "snddec: cannot write '%s'\n", argv[2]);
        return 1;
    }
    std::printf("%s: %zu bytes, %u Hz, %u channel(s)\n", argv[1], pcm.size(), format.nSamplesPerSec,
                format.nChannels);
    return 0;
}
