#include "tests/sound/sound_fixtures.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>

#include "tests/foundation/support/memory_stream.h"
#include "tests/support/external_tools.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {

bool openWave(mirel::DWave& wave, mirel::DFile& file, const std::string& bytes, const char* name) {
    attachMemory(file, bytes, name);
    return wave.Open(file);
}

std::string readAll(mirel::DWave& wave, uint32_t piece) {
    std::string out;
    std::vector<char> buffer(piece);
    for (;;) {
        const int32_t got = wave.Read(buffer.data(), piece);
        if (got <= 0) break;
        out.append(buffer.data(), static_cast<size_t>(got));
    }
    return out;
}

std::string makeOggVorbis(int channels, int rate, int frames) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.3f) != 0) return {};
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    std::string out;
    auto appendPage = [&](const ogg_page& page) {
        out.append(reinterpret_cast<const char*>(page.header), page.header_len);
        out.append(reinterpret_cast<const char*>(page.body), page.body_len);
    };
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) appendPage(page);

    const double pi = 3.14159265358979323846;
    int written = 0;
    bool ended = false;
    while (!ended) {
        const int count = std::min(1024, frames - written);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int i = 0; i < count; ++i) {
                const double t = static_cast<double>(written + i) / rate;
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = static_cast<float>(0.4 * std::sin(2 * pi * (440 + 220 * c) * t));
            }
            vorbis_analysis_wrote(&dsp, count);
            written += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    appendPage(page);
                    if (ogg_page_eos(&page)) ended = true;
                }
            }
        }
        if (count <= 0 && !ended) {
            while (ogg_stream_flush(&stream, &page)) appendPage(page);
            ended = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::string runOnBytes(const std::string& command, const std::string& input,
                       const std::string& inName, const std::string& outName) {
    TempDir dir;
    const std::string in = dir.write(inName, input);
    const std::string out = dir.file(outName);
    std::string line = command;
    for (size_t at; (at = line.find("{in}")) != std::string::npos;) line.replace(at, 4, in);
    for (size_t at; (at = line.find("{out}")) != std::string::npos;) line.replace(at, 5, out);
    if (!runCommand(line)) return {};
    return readFileBytes(out);
}

std::string soxSignal(int channels, int rate, double seconds) {
    return runOnBytes("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                          " -b 16 -e signed-integer {out} synth " + std::to_string(seconds) +
                          " sine 100-9000 synth " + std::to_string(seconds) +
                          " whitenoise amod 30 vol 0.9",
                      "", "unused", "signal.wav");
}

std::string waveData(const std::string& wave) {
    size_t at = 12;
    while (at + 8 <= wave.size()) {
        uint32_t size = 0;
        std::memcpy(&size, wave.data() + at + 4, 4);
        if (wave.compare(at, 4, "data") == 0) return wave.substr(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return {};
}

}  // namespace tessera::test
