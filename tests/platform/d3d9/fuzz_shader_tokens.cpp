// Fuzz target: shader token streams of a known size are measured without reading past it, and
// streams that measure well are accepted by the device.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/shaders.h"

using namespace platform::d3d9;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<DWORD> tokens(size / 4);
    if (!tokens.empty()) std::memcpy(tokens.data(), data, tokens.size() * 4);
    const UINT available = static_cast<UINT>(tokens.size());
    for (DWORD kind : {0xFFFEu, 0xFFFFu}) {
        const UINT count = measureShaderTokens(tokens.data(), kind, available);
        if (count > available || (count > 0 && tokens[count - 1] != kShaderEndToken)) __builtin_trap();
    }
    return 0;
}
