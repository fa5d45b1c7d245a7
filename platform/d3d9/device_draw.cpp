// IDirect3DDevice9: draw calls. Every vertex number a draw would read is checked against the
// data it comes from before anything is drawn; a draw that would read outside is refused.
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/d3d9/device.h"
#include "platform/d3d9/shader_vertices.h"
#include "platform/d3d9/triangle_pipeline.h"

namespace platform::d3d9 {

// Where a draw's vertices come from. Vertex number n (an index plus the base vertex, or the
// position in the primitive stream when there are no indices) is valid in [first, limit) and
// lies at vertices + n * stride.
struct IDirect3DDevice9::VertexSource {
    const std::uint8_t* vertices;
    UINT stride;
    std::int64_t first;
    std::int64_t limit;
    const std::uint8_t* indices;  // 16-bit indices, or null
    std::int64_t baseVertex;
};

namespace {

UINT vertexCountFor(D3DPRIMITIVETYPE type, UINT primitives) {
    return type == D3DPT_TRIANGLELIST ? primitives * 3 : primitives + 2;
}

// Positions in the index (or vertex) stream of triangle t, in drawing order.
void trianglePositions(D3DPRIMITIVETYPE type, UINT t, UINT out[3]) {
    switch (type) {
    case D3DPT_TRIANGLELIST:
        out[0] = 3 * t;
        out[1] = 3 * t + 1;
        out[2] = 3 * t + 2;
        break;
    case D3DPT_TRIANGLESTRIP:  // every other triangle reversed, so all keep one winding
        out[0] = t % 2 ? t + 1 : t;
        out[1] = t % 2 ? t : t + 1;
        out[2] = t + 2;
        break;
    default:  // fan
        out[0] = 0;
        out[1] = t + 1;
        out[2] = t + 2;
        break;
    }
}

std::int64_t vertexNumber(const std::uint8_t* indices, std::int64_t base, UINT position) {
    if (!indices) return position;
    std::uint16_t index;
    std::memcpy(&index, indices + 2 * static_cast<std::size_t>(position), sizeof index);
    return base + index;
}

}  // namespace

HRESULT IDirect3DDevice9::checkDrawable(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                        FvfLayout& layout) {
    if (!inScene_) return D3DERR_INVALIDCALL;
    if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0 || primitiveCount > profile_.caps.MaxPrimitiveCount)
        return D3DERR_INVALIDCALL;
    layout = describeFvf(fvf_);
    if (!layout.valid) return D3DERR_INVALIDCALL;
    // Fixed-function transform and lighting is not part of this device: untransformed
    // vertices pass through as clip space, which is only right with lighting off.
    if (!vertexShader_ && !layout.pretransformed && states_.render[D3DRS_LIGHTING])
        return D3DERR_CONFLICTINGRENDERSTATE;
    return validatePipelineStates(states_, pixelShader_ ? &pixelShader_->decoded() : nullptr);
}

HRESULT IDirect3DDevice9::drawTriangles(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                        const FvfLayout& layout, const VertexSource& source) {
    const UINT positions = vertexCountFor(type, primitiveCount);
    for (UINT p = 0; p < positions; ++p) {
        const std::int64_t n = vertexNumber(source.indices, source.baseVertex, p);
        if (n < source.first || n >= source.limit) return D3DERR_INVALIDCALL;
    }
    if (cooperativeState() != D3D_OK) return D3D_OK;

    const IDirect3DTexture9* textures[kStageCount];
    for (UINT s = 0; s < kStageCount; ++s) textures[s] = textures_[s];
    TrianglePipeline pipeline(states_, {renderTarget_, depthStencil_, viewport_}, textures,
                              layout.pretransformed && !vertexShader_,
                              pixelShader_ ? &pixelShader_->decoded() : nullptr, pixelConstants_,
                              drawBuffers_.tiles);
    pipeline.reserve(primitiveCount);
    std::optional<ShaderVertexProcessor> shaderVertices;
    if (vertexShader_)
        shaderVertices.emplace(
            vertexShader_->decoded(),
            std::span<const shader::Float4>(vertexConstants_.data(), vertexConstantsUsed_), layout);

    // Triangles go in chunks: the distinct vertices of a chunk are shaded once, in batches,
    // then its triangles are queued; the whole draw is rasterised at the end. A chunk's vertex
    // numbers lie within kReach of each other (16-bit indices, or consecutive positions), save
    // the first vertex of a long fan: a table over their span gives each number its slot among
    // the shaded vertices, and a number outside it is shaded for each corner it stands at.
    constexpr UINT kChunkTriangles = 1024;
    constexpr std::int64_t kReach = 65536 + 3 * kChunkTriangles;
    constexpr std::uint32_t kUnshaded = ~std::uint32_t{0};
    std::vector<std::int64_t>& corners = drawBuffers_.corners;
    std::vector<std::uint32_t>& slots = drawBuffers_.slots;
    std::vector<std::uint32_t>& cornerSlots = drawBuffers_.cornerSlots;
    std::vector<const std::uint8_t*>& addresses = drawBuffers_.addresses;
    std::vector<ShadedVertex>& shaded = drawBuffers_.shaded;
    for (UINT chunk = 0; chunk < primitiveCount; chunk += kChunkTriangles) {
        const UINT end = std::min(primitiveCount, chunk + kChunkTriangles);
        corners.clear();
        for (UINT t = chunk; t < end; ++t) {
            UINT at[3];
            trianglePositions(type, t, at);
            for (UINT p : at) corners.push_back(vertexNumber(source.indices, source.baseVertex, p));
        }
        const auto [lowest, highest] = std::minmax_element(corners.begin(), corners.end());
        const std::int64_t first = std::max(*lowest, corners.back() - kReach),
                           last = std::min(*highest, corners.back() + kReach);
        slots.assign(static_cast<std::size_t>(last - first + 1), kUnshaded);
        cornerSlots.clear();
        addresses.clear();
        for (std::int64_t n : corners) {
            std::uint32_t* slot =
                n >= first && n <= last ? &slots[static_cast<std::size_t>(n - first)] : nullptr;
            if (!slot || *slot == kUnshaded) {
                if (slot) *slot = static_cast<std::uint32_t>(addresses.size());
                cornerSlots.push_back(static_cast<std::uint32_t>(addresses.size()));
                addresses.push_back(source.vertices + static_cast<std::size_t>(n) * source.stride);
            } else {
                cornerSlots.push_back(*slot);
            }
        }
        shaded.resize(addresses.size());
        if (shaderVertices) {
            shaderVertices->process(addresses.data(), addresses.size(), shaded.data());
        } else {
            for (std::size_t i = 0; i < addresses.size(); ++i)
                fetchFixedFunctionVertex(addresses[i], layout, shaded[i]);
        }
        for (std::size_t corner = 0; corner < cornerSlots.size(); corner += 3)
            pipeline.drawTriangle(shaded[cornerSlots[corner]], shaded[cornerSlots[corner + 1]],
                                  shaded[cornerSlots[corner + 2]]);
    }
    pipeline.draw(*workers_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                          const void* vertices, UINT stride) {
    recorder_.record("DrawPrimitiveUP", type, primitiveCount, vertices, stride);
    // A user-pointer draw leaves no stream source behind.
    releaseRef(streamSource_);
    streamOffset_ = streamStride_ = 0;
    FvfLayout layout;
    if (const HRESULT hr = checkDrawable(type, primitiveCount, layout); FAILED(hr)) return hr;
    if (!vertices || stride < layout.stride) return D3DERR_INVALIDCALL;
    const VertexSource source{static_cast<const std::uint8_t*>(vertices), stride,  0,
                              vertexCountFor(type, primitiveCount),       nullptr, 0};
    return drawTriangles(type, primitiveCount, layout, source);
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                                 UINT vertexCount, UINT primitiveCount,
                                                 const void* indices, D3DFORMAT indexFormat,
                                                 const void* vertices, UINT stride) {
    recorder_.record("DrawIndexedPrimitiveUP", type, minVertexIndex, vertexCount, primitiveCount,
                     indices, indexFormat, vertices, stride);
    releaseRef(streamSource_);
    streamOffset_ = streamStride_ = 0;
    releaseRef(indices_);
    FvfLayout layout;
    if (const HRESULT hr = checkDrawable(type, primitiveCount, layout); FAILED(hr)) return hr;
    if (!vertices || !indices || indexFormat != D3DFMT_INDEX16 || stride < layout.stride ||
        vertexCount == 0)
        return D3DERR_INVALIDCALL;
    const VertexSource source{static_cast<const std::uint8_t*>(vertices),
                              stride,
                              minVertexIndex,
                              std::int64_t{minVertexIndex} + vertexCount,
                              static_cast<const std::uint8_t*>(indices),
                              0};
    return drawTriangles(type, primitiveCount, layout, source);
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                               UINT minVertexIndex, UINT vertexCount,
                                               UINT startIndex, UINT primitiveCount) {
    recorder_.record("DrawIndexedPrimitive", type, baseVertexIndex, minVertexIndex, vertexCount,
                     startIndex, primitiveCount);
    FvfLayout layout;
    if (const HRESULT hr = checkDrawable(type, primitiveCount, layout); FAILED(hr)) return hr;
    if (!streamSource_ || !indices_ || streamStride_ < layout.stride) return D3DERR_INVALIDCALL;
    // The index range must lie in the index buffer, every vertex wholly in the vertex buffer.
    const std::uint64_t indexEnd =
        (std::uint64_t{startIndex} + vertexCountFor(type, primitiveCount)) * 2;
    if (indexEnd > indices_->size()) return D3DERR_INVALIDCALL;
    if (streamOffset_ > streamSource_->size() ||
        streamSource_->size() - streamOffset_ < layout.stride)
        return D3DERR_INVALIDCALL;
    const std::int64_t vertexSlots =
        (streamSource_->size() - streamOffset_ - layout.stride) / streamStride_ + 1;
    const VertexSource source{
        streamSource_->bytes() + streamOffset_,          streamStride_,  0, vertexSlots,
        indices_->bytes() + std::size_t{startIndex} * 2, baseVertexIndex};
    return drawTriangles(type, primitiveCount, layout, source);
}

}  // namespace platform::d3d9
