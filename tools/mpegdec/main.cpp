// mpegdec: decodes an MPEG audio file (layers I to III) to a 16-bit PCM WAV file.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/mpegdec/mpeg_stream.h"

namespace {

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> makeWav(const tools::mpegdec::DecodedStream& stream) {
    const uint32_t dataBytes = static_cast<uint32_t>(stream.samples.size() * 2);
    const uint32_t blockAlign = static_cast<uint32_t>(stream.channels) * 2;
    std::vector<uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    putLittleEndian(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, 1, 2);
    putLittleEndian(out, static_cast<uint32_t>(stream.channels), 2);
    putLittleEndian(out, static_cast<uint32_t>(stream.sampleRate), 4);
    putLittleEndian(out, static_cast<uint32_t>(stream.sampleRate) * blockAlign, 4);
    putLittleEndian(out, blockAlign, 2);
    putLittleEndian(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    putLittleEndian(out, dataBytes, 4);
    for (int16_t sample : stream.samples) putLittleEndian(out, static_cast<uint16_t>(sample), 2);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mpegdec INPUT.mp3 OUTPUT.wav\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mpegdec: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    const tools::mpegdec::DecodedStream stream =
        tools::mpegdec::decodeMpegStream(bytes.data(), bytes.size());
    if (!stream.error.empty()) {
        std::fprintf(stderr, "mpegdec: %s: %s\n", argv[1], stream.error.c_str());
        return 1;
    }
    const std::vector<uint8_t> wav = makeWav(stream);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    if (!out) {
        std::fprintf(stderr, "mpegdec: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %d frames, %d Hz, %d channel(s)\n", argv[1], stream.frames, stream.sampleRate,
                stream.channels);
    return 0;
}
