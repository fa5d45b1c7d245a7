#pragma once
// The records through which the program holds its vertex and pixel shaders; listed by the
// device without counting, like the buffers.
#include "platform/d3d9/shaders.h"

class L3DDevice;

struct L3DVShader {
    L3DDevice* device = nullptr;
    platform::d3d9::IDirect3DVertexShader9* shader = nullptr;

    L3DVShader() = default;
    L3DVShader(const L3DVShader&) = delete;
    L3DVShader& operator=(const L3DVShader&) = delete;
    ~L3DVShader();
    void _Release();
};

struct L3DPShader {
    L3DDevice* device = nullptr;
    platform::d3d9::IDirect3DPixelShader9* shader = nullptr;

    L3DPShader() = default;
    L3DPShader(const L3DPShader&) = delete;
    L3DPShader& operator=(const L3DPShader&) = delete;
    ~L3DPShader();
    void _Release();
};
