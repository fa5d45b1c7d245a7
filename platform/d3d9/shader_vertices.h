#pragma once
// Vertex processing by a vertex shader: the declared inputs are read from the vertices'
// FVF elements, the interpreter runs over batches of vertices, and its outputs become the
// shaded vertices the rasteriser takes (colours clamped to 0..1, as the rasteriser receives
// them; outputs the shader leaves unwritten read as the fixed-function defaults).
#include <cstdint>
#include <span>

#include "platform/d3d9/shaded_vertex.h"
#include "platform/d3d9/shader/vertex_shader_interpreter.h"
#include "platform/d3d9/vertex_format.h"

namespace platform::d3d9 {

class ShaderVertexProcessor {
public:
    ShaderVertexProcessor(const shader::DecodedShader& shader,
                          std::span<const shader::Float4> constants, const FvfLayout& layout);

    // Shades vertices[0..count) into out[0..count); any count.
    void process(const std::uint8_t* const vertices[], std::size_t count, ShadedVertex out[]);

private:
    const shader::DecodedShader& shader_;
    shader::VertexShaderInterpreter interpreter_;
    FvfLayout layout_;
};

}  // namespace platform::d3d9
