#pragma once
// The depth-sorted pass: blended geometry registered during a frame as groups of elements keyed
// by their squared view-space distance, drawn once at the end of the frame from the farthest
// group to the nearest. Consecutive elements with the same callback and user record are merged
// into one draw while their vertices stay addressable by 16-bit indices. Groups and elements
// come from pools that only grow; an element keeps its vertex and index storage for reuse.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "foundation/DList.h"
#include "render3d/zsd_records.h"

// The renderer's fog fields, which the pass saves with each group and sets around its draws.
struct L3DFogFields {
    uint8_t& enable;
    uint32_t& color;
    float (&params)[2];

    L3DFogBlock load() const { return {enable, color, {params[0], params[1]}}; }
    void store(const L3DFogBlock& block) const {
        enable = static_cast<uint8_t>(block.enable);
        color = block.color;
        params[0] = block.params[0];
        params[1] = block.params[1];
    }
};

class L3DZsdPass {
public:
    // Merged runs stay addressable by 16-bit indices.
    static constexpr uint32_t MaxRunVertices = 65535;

    // Registers one group with the fog it is to be drawn with. An element whose indices reach
    // past its vertices is left out, with a log line.
    void Register(const L3DZsdRegistration& registration, const L3DFogBlock& fog);
    // Fills sortedIndices: the triangles farthest first by the squared length of their corner
    // sum, or the indices unchanged with FlagKeepOrder or fewer than 3 of them.
    void SortTriangles(const L3D_RENDERER_VERTEX* positions, const uint16_t* indices,
                       uint32_t indexCount, uint32_t flags);
    // Draws every group back to front and empties the queue; the fog fields end as they were.
    void Draw(L3DRenderer* renderer, const L3DFogFields& fog);
    // Frees the pools and scratch storage; each buffer can grow again afterwards.
    void Release();

    _L3D_RENDERER_ZSD_REGISTGROUP* head = nullptr;
    uint32_t groupCount = 0;
    uint32_t freeGroupCount = 0;
    mirel::DBuffer<_L3D_RENDERER_ZSD_REGISTGROUP*, 256> freeGroups;
    mirel::DList<_L3D_RENDERER_ZSD_REGISTGROUP_ALLOC> groupChunks;
    uint32_t freeElementCount = 0;
    mirel::DBuffer<_L3D_RENDERER_ZSD_REGISTELEMENT*, 512> freeElements;
    mirel::DList<_L3D_RENDERER_ZSD_REGISTELEMENT_ALLOC> elementChunks;
    mirel::DBuffer<_L3D_RENDERER_ZSD_REGISTGROUP*, 256> sortGroups;
    mirel::DBuffer<float, 256> sortKeys;
    mirel::DBuffer<float, 256> triangleKeys;
    mirel::DBuffer<unsigned short, 768> sortedIndices;
    uint32_t sortedIndexCount = 0;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 768> batchVertices;
    mirel::DBuffer<unsigned short, 2304> batchIndices;

private:
    _L3D_RENDERER_ZSD_REGISTGROUP* takeGroup();
    _L3D_RENDERER_ZSD_REGISTELEMENT* takeElement();
};

// True when every one of the indices names one of vertexCount vertices; otherwise logs one
// line naming the caller and the first bad index.
bool l3dIndicesInRange(const uint16_t* indices, uint32_t indexCount, uint32_t vertexCount,
                       const char* caller);
