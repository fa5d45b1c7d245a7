#pragma once
// Validates a vs_2_0 or ps_2_0 token stream and unpacks it. The caller gives the number of
// tokens it holds; the decoder reads none beyond it and refuses a stream that does not end
// with the end token inside it. Tokens after the end token are left alone.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/d3d9/shader/decoded_shader.h"

namespace platform::d3d9::shader {

struct DecodeResult {
    std::optional<DecodedShader> shader;  // empty when the stream is refused
    std::string error;                    // why it was refused
    size_t errorToken = 0;                // the position of the token at fault
};

DecodeResult decodeShader(std::span<const uint32_t> tokens);

}  // namespace platform::d3d9::shader
