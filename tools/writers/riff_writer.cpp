#include "tools/writers/riff_writer.h"

#include <algorithm>

#include "tools/writers/little_endian.h"

namespace tools::writers {

std::string riffChunk(const std::string& id, const std::string& body) {
    std::string out = id.substr(0, 4);
    putU32(out, static_cast<uint32_t>(body.size()));
    out += body;
    if (body.size() & 1) out += '\0';
    return out;
}

std::string riffList(const std::string& type, const std::string& content) {
    return riffChunk("LIST", type + content);
}

std::string riffFile(const std::string& form, const std::string& content) {
    return riffChunk("RIFF", form + content);
}

std::string waveFormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t averageBytes,
                           uint16_t blockAlign, uint16_t bits, bool withSize,
                           const std::string& extra) {
    std::string out;
    putU16(out, tag);
    putU16(out, channels);
    putU32(out, rate);
    putU32(out, averageBytes);
    putU16(out, blockAlign);
    putU16(out, bits);
    if (withSize) {
        putU16(out, static_cast<uint16_t>(extra.size()));
        out += extra;
    }
    return out;
}

std::string pcmFormatBody(uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return waveFormatBody(1, channels, rate, rate * align, align, bits);
}

std::string pcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& data) {
    return riffFile(
        "WAVE", riffChunk("fmt ", pcmFormatBody(channels, rate, bits)) + riffChunk("data", data));
}

std::string aviFile(const std::vector<AviStream>& streams) {
    std::string header(56, '\0');  // "avih": the main header, unread by sound sources
    std::string lists = riffChunk("avih", header);
    size_t longest = 0;
    for (const AviStream& stream : streams) {
        std::string streamHeader(56, '\0');
        streamHeader.replace(0, 4, stream.audio ? "auds" : "vids");
        lists +=
            riffList("strl", riffChunk("strh", streamHeader) + riffChunk("strf", stream.format));
        longest = std::max(longest, stream.chunks.size());
    }
    std::string movie;
    for (size_t i = 0; i < longest; ++i) {
        for (size_t k = 0; k < streams.size(); ++k) {
            if (i >= streams[k].chunks.size()) continue;
            const std::string id = {static_cast<char>('0' + k / 10 % 10),
                                    static_cast<char>('0' + k % 10)};
            movie += riffChunk(id + (streams[k].audio ? "wb" : "dc"), streams[k].chunks[i]);
        }
    }
    return riffFile("AVI ", riffList("hdrl", lists) + riffList("movi", movie));
}

}  // namespace tools::writers
