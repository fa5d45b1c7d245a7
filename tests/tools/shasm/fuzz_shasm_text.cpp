// Assembles arbitrary text. Whatever assembles must disassemble, and the disassembly must be a
// fixed point: assembling it and disassembling again gives the same text and tokens.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/shasm/shader_assembler.h"
#include "tools/shasm/shader_disassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tools::shasm;
    const AssembleResult first =
        assembleShader(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!first.error.empty()) return 0;
    const DisassembleResult text = disassembleShader(first.tokens);
    if (!text.error.empty()) std::abort();
    const AssembleResult second = assembleShader(text.text);
    if (!second.error.empty()) std::abort();
    const DisassembleResult again = disassembleShader(second.tokens);
    if (again.text != text.text) std::abort();
    if (assembleShader(again.text).tokens != second.tokens) std::abort();
    return 0;
}
