#pragma once
// The records of the depth-sorted pass: what a caller registers (a position and a chain of
// element descriptions), the groups and elements the pass keeps until the frame's DrawZsd, and
// the blended-part records that model pieces register with.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "render3d/L3DRendererVertex.h"

class L3DRenderer;
struct L3DPartDraw;
struct L3D_PARTINST_MAT;

// Draws one run of elements: (renderer, vertices, vertex count, indices, index count, user).
using L3DZsdDrawFn = void (*)(L3DRenderer* renderer, const L3D_RENDERER_VERTEX* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              void* user);

// The renderer's fog at a registration, restored around the group's draw.
struct L3DFogBlock {
    uint32_t enable = 0;
    uint32_t color = 0;  // 0x00RRGGBB
    float params[2] = {};
};

// One element as the caller hands it over; the pass copies what it keeps.
struct L3DZsdElementDesc {
    static constexpr uint32_t FlagKeepOrder = 0x2;  // keep the given triangle order

    const L3DZsdElementDesc* next = nullptr;
    uint32_t vertexCount = 0;
    const L3D_RENDERER_VERTEX* vertices = nullptr;
    // View-space positions of the same vertices, 56 bytes apart (only x, y, z are read).
    const L3D_RENDERER_VERTEX* positions = nullptr;
    uint32_t indexCount = 0;
    const uint16_t* indices = nullptr;
    L3DZsdDrawFn callback = nullptr;
    void* user = nullptr;
    uint32_t flags = 0;
};

// One registration: a view-space position and its elements.
struct L3DZsdRegistration {
    float position[3] = {};
    const L3DZsdElementDesc* first = nullptr;
};

struct _L3D_RENDERER_ZSD_REGISTELEMENT {
    _L3D_RENDERER_ZSD_REGISTELEMENT* next = nullptr;
    L3DZsdDrawFn callback = nullptr;
    void* user = nullptr;
    uint32_t vertexCount = 0;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 256> vertices;
    uint32_t indexCount = 0;
    mirel::DBuffer<unsigned short, 768> indices;
};

struct _L3D_RENDERER_ZSD_REGISTGROUP {
    _L3D_RENDERER_ZSD_REGISTGROUP* next = nullptr;
    float key = 0.0f;  // squared view-space distance
    L3DFogBlock fog;
    _L3D_RENDERER_ZSD_REGISTELEMENT* elements = nullptr;
};

struct _L3D_RENDERER_ZSD_REGISTGROUP_ALLOC {
    static constexpr uint32_t Count = 256;
    _L3D_RENDERER_ZSD_REGISTGROUP records[Count];
};

struct _L3D_RENDERER_ZSD_REGISTELEMENT_ALLOC {
    static constexpr uint32_t Count = 512;
    _L3D_RENDERER_ZSD_REGISTELEMENT records[Count];
};

// A blended piece waiting for the depth-sorted pass: the user record of its element.
struct _L3D_RENDERER_ALPHASHADER {
    L3DPartDraw* part = nullptr;
    L3D_PARTINST_MAT* record = nullptr;
    uint32_t drawFlags = 0;
};

struct _L3D_RENDERER_ALPHASHADER_ALLOC {
    static constexpr uint32_t Count = 128;
    _L3D_RENDERER_ALPHASHADER records[Count];
};
