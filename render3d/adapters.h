#pragma once
// The 3D library's Direct3D object and its list of usable adapters.
#include <cstdint>
#include <vector>

#include "platform/d3d9/direct3d9.h"

// One usable adapter: the capabilities of its HAL device and its identity. The adapter
// ordinal is caps.AdapterOrdinal, which differs from the entry's index when an adapter before
// it was rejected.
struct L3D_ADAPTER {
    platform::d3d9::D3DCAPS9 caps;
    platform::d3d9::D3DADAPTER_IDENTIFIER9 identifier;
};

struct L3DAdapterList {
    uint32_t count = 0;
    std::vector<L3D_ADAPTER> entries;
};

extern L3DAdapterList l3dAdapters;

// Keeps a reference to the given Direct3D object (or makes one with Direct3DCreate9 (32) when
// null) and lists the adapters that the library can draw with; fatal when there is none.
void l3dInit(platform::d3d9::IDirect3D9* direct3d);
// Forgets the adapter list.
void l3dTerm();
// The Direct3D object kept by l3dInit (null before it).
platform::d3d9::IDirect3D9* l3dDirect3D();
// Shutdown: drops the library's reference to the Direct3D object.
void l3dReleaseDirect3D();
