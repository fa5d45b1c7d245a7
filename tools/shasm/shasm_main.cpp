// shasm: assembles vs_2_0 / ps_2_0 text into a little-endian token file, or with -d turns a
// token file back into text.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/shasm/shader_assembler.h"
#include "tools/shasm/shader_disassembler.h"

namespace {

bool readFile(const char* path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool writeFile(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

int assemble(const char* input, const char* output) {
    std::string text;
    if (!readFile(input, text)) {
        std::fprintf(stderr, "shasm: cannot read %s\n", input);
        return 1;
    }
    const tools::shasm::AssembleResult result = tools::shasm::assembleShader(text);
    if (!result.error.empty()) {
        std::fprintf(stderr, "%s:%s\n", input, result.error.substr(4).c_str());  // "file:N: ..."
        return 1;
    }
    std::string bytes;
    for (uint32_t token : result.tokens)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((token >> shift) & 0xFF));
    if (!writeFile(output, bytes)) {
        std::fprintf(stderr, "shasm: cannot write %s\n", output);
        return 1;
    }
    return 0;
}

int disassemble(const char* input, const char* output) {
    std::string bytes;
    if (!readFile(input, bytes)) {
        std::fprintf(stderr, "shasm: cannot read %s\n", input);
        return 1;
    }
    if (bytes.size() % 4 != 0) {
        std::fprintf(stderr, "%s: size is not a whole number of tokens\n", input);
        return 1;
    }
    std::vector<uint32_t> tokens(bytes.size() / 4);
    for (size_t i = 0; i < tokens.size(); ++i)
        for (int b = 0; b < 4; ++b)
            tokens[i] |= uint32_t{static_cast<unsigned char>(bytes[4 * i + b])} << (8 * b);
    const tools::shasm::DisassembleResult result = tools::shasm::disassembleShader(tokens);
    if (!result.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", input, result.error.c_str());
        return 1;
    }
    if (!output) {
        std::fputs(result.text.c_str(), stdout);
        return 0;
    }
    if (!writeFile(output, result.text)) {
        std::fprintf(stderr, "shasm: cannot write %s\n", output);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "-d" && (argc == 3 || argc == 4))
        return disassemble(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 3 && first != "-d") return assemble(argv[1], argv[2]);
    std::fprintf(
        stderr,
        "usage: shasm INPUT.asm OUTPUT      assemble vs_2_0 / ps_2_0 text into tokens\n"
        "       shasm -d INPUT [OUTPUT]     disassemble tokens (to stdout without OUTPUT)\n");
    return 2;
}
