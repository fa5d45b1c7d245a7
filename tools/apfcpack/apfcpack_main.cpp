// apfcpack pack OUTPUT LIST: packs the files named by LIST into the "APFC" archive OUTPUT. Each
// line of LIST is "<member name><TAB><file path>"; members keep the order of the lines.
// apfcpack ver OUTPUT NUMBER: writes the game version file, one big-endian u32.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os/utf8.h"
#include "tools/writers/apfc_writer.h"
#include "tools/writers/big_endian.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: apfcpack pack OUTPUT LIST\n"
                 "       apfcpack ver OUTPUT NUMBER\n");
    return 2;
}

bool readFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

int pack(const std::string& output, const std::string& listPath) {
    std::ifstream list(listPath);
    if (!list) {
        std::fprintf(stderr, "apfcpack: cannot read %s\n", listPath.c_str());
        return 1;
    }
    std::vector<tools::writers::ApfcMember> members;
    std::string line;
    for (int number = 1; std::getline(list, line); ++number) {
        if (line.empty()) continue;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) {
            std::fprintf(stderr, "apfcpack: %s:%d: expected \"member<TAB>file\"\n",
                         listPath.c_str(), number);
            return 1;
        }
        const std::string file = line.substr(tab + 1);
        tools::writers::ApfcMember member;
        member.name = platform::os::utf8ToUtf16(line.substr(0, tab));
        if (!readFile(file, member.bytes)) {
            std::fprintf(stderr, "apfcpack: cannot read %s\n", file.c_str());
            return 1;
        }
        members.push_back(std::move(member));
    }
    if (!tools::writers::writeApfc(output, members)) {
        std::fprintf(stderr, "apfcpack: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

int version(const std::string& output, const char* text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long number = std::strtoull(text, &end, 0);
    if (errno || end == text || *end || number > 0xFFFFFFFFull) {
        std::fprintf(stderr, "apfcpack: the version %s is not a 32-bit number\n", text);
        return 1;
    }
    std::string bytes;
    tools::writers::putU32BigEndian(bytes, static_cast<uint32_t>(number));
    if (!writeFile(output, bytes)) {
        std::fprintf(stderr, "apfcpack: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return usage();
    const std::string command = argv[1];
    if (command == "pack") return pack(argv[2], argv[3]);
    if (command == "ver") return version(argv[2], argv[3]);
    return usage();
}
