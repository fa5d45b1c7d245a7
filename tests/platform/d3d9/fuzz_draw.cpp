// Fuzz target: draws arbitrary vertex and index data with arbitrary states through every draw
// call. A bad draw must be refused or drawn inside the target, never read or write outside.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d9.h"
#include "tools/d3d9shot/present_parameters.h"

using namespace platform::d3d9;

namespace {

const DWORD kFormats[] = {0x244,
                          0x842,
                          0x815E,
                          0x835E,
                          D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR,
                          D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1};

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
};

void applyStates(IDirect3DDevice9& device, Input& in) {
    device.SetRenderState(D3DRS_CULLMODE, 1 + in.byte() % 3);
    device.SetRenderState(D3DRS_ZENABLE, in.byte() % 2);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, in.byte() % 2);
    device.SetRenderState(D3DRS_SRCBLEND, 1 + in.byte() % 11);
    device.SetRenderState(D3DRS_DESTBLEND, 1 + in.byte() % 11);
    device.SetRenderState(D3DRS_ALPHATESTENABLE, in.byte() % 2);
    device.SetRenderState(D3DRS_ALPHAFUNC, 1 + in.byte() % 8);
    device.SetRenderState(D3DRS_FOGENABLE, in.byte() % 2);
    device.SetTextureStageState(0, D3DTSS_COLOROP, 1 + in.byte() % 8);
    device.SetTextureStageState(1, D3DTSS_COLOROP, 1 + in.byte() % 8);
    device.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, in.byte() % 10);
    device.SetSamplerState(0, D3DSAMP_ADDRESSU, 1 + in.byte() % 5);
    device.SetSamplerState(0, D3DSAMP_MINFILTER, in.byte() % 4);
    device.SetSamplerState(0, D3DSAMP_MIPFILTER, in.byte() % 3);
    D3DVIEWPORT9 vp{
        static_cast<DWORD>(in.byte() % 16), static_cast<DWORD>(in.byte() % 16), 16, 16, 0.0f, 1.0f};
    device.SetViewport(&vp);
    device.SetRenderState(D3DRS_LIGHTING, in.byte() % 4 == 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Direct3DConfig config;
    config.adapters.push_back(softwareAdapterProfile());
    IDirect3D9* d3d = new IDirect3D9(std::move(config));
    D3DPRESENT_PARAMETERS pp =
        d3d9shot::windowedParameters({.width = 32, .height = 32, .format = D3DFMT_A8R8G8B8});
    IDirect3DDevice9* device = nullptr;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                      &device);
    IDirect3DTexture9* texture = nullptr;
    device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    device->SetTexture(0, texture);

    Input in{data, size};
    const DWORD fvf = kFormats[in.byte() % (sizeof kFormats / sizeof kFormats[0])];
    const auto type = static_cast<D3DPRIMITIVETYPE>(1 + in.byte() % 6);
    const UINT primitives = in.byte() % 32;
    const UINT minIndex = in.byte() % 8;
    const UINT vertexCount = in.byte() % 40;
    const INT baseVertex = static_cast<std::int8_t>(in.byte());
    applyStates(*device, in);
    device->SetFVF(fvf);
    const UINT stride = describeFvf(fvf).stride;

    std::vector<std::uint8_t> indices(2 * 100, 0);
    for (auto& b : indices) b = in.byte() % 48;  // indices mostly small, some out of range
    std::vector<std::uint8_t> vertices(static_cast<std::size_t>(stride) * 100, 0);
    for (std::size_t i = 0; i < vertices.size() && in.at < size; ++i) vertices[i] = in.byte();

    device->BeginScene();
    if (primitives <= 32) device->DrawPrimitiveUP(type, primitives, vertices.data(), stride);
    device->DrawIndexedPrimitiveUP(type, minIndex, vertexCount, primitives, indices.data(),
                                   D3DFMT_INDEX16, vertices.data(), stride);

    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    device->CreateVertexBuffer(stride * 24, 0x8, fvf, D3DPOOL_MANAGED, &vb, nullptr);
    device->CreateIndexBuffer(64, 0x8, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr);
    void* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    std::memcpy(p, vertices.data(), stride * 24);
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    std::memcpy(p, indices.data(), 64);
    ib->Unlock();
    device->SetStreamSource(0, vb, in.byte() % 64, stride);
    device->SetIndices(ib);
    device->DrawIndexedPrimitive(type, baseVertex, minIndex, vertexCount, in.byte() % 40,
                                 primitives);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);

    vb->Release();
    ib->Release();
    texture->Release();
    device->Release();
    d3d->Release();
    return 0;
}
