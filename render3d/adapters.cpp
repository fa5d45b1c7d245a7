#include "render3d/adapters.h"

#include "foundation/DSjisText.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DSjis;
using namespace platform::d3d9;

L3DAdapterList l3dAdapters;

namespace {

IDirect3D9* direct3d = nullptr;

constexpr DWORD kRequiredDevCaps = D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_DRAWPRIMTLVERTEX;
constexpr DWORD kRequiredMiscCaps = 0x72;  // MASKZ, CULLNONE, CULLCW, CULLCCW
constexpr DWORD kMinimumTextureSide = 1024;

bool usable(const D3DCAPS9& caps) {
    return (caps.DevCaps & kRequiredDevCaps) == kRequiredDevCaps &&
           (caps.PrimitiveMiscCaps & kRequiredMiscCaps) == kRequiredMiscCaps &&
           caps.MaxTextureWidth >= kMinimumTextureSide &&
           caps.MaxTextureHeight >= kMinimumTextureSide && caps.MaxSimultaneousTextures != 0;
}

}  // namespace

void l3dInit(IDirect3D9* object) {
    if (object) {
        object->AddRef();
    } else {
        object = Direct3DCreate9(D3D_SDK_VERSION);
        if (!object) l3dError(DSjis<"[l3dInit] Direct3Dを使用できません">());
    }
    l3dReleaseDirect3D();
    direct3d = object;

    l3dTerm();
    const UINT adapterCount = direct3d->GetAdapterCount();
    l3dAdapters.entries.assign(adapterCount, L3D_ADAPTER{});
    for (UINT ordinal = 0; ordinal < adapterCount; ++ordinal) {
        L3D_ADAPTER& entry = l3dAdapters.entries[l3dAdapters.count];
        if (direct3d->GetDeviceCaps(ordinal, D3DDEVTYPE_HAL, &entry.caps) != D3D_OK) continue;
        if (!usable(entry.caps)) continue;
        if (direct3d->GetAdapterIdentifier(ordinal, 0, &entry.identifier) != D3D_OK) continue;
        ++l3dAdapters.count;
    }
    l3dAdapters.entries.resize(l3dAdapters.count);
    if (l3dAdapters.count == 0)
        l3dError(DSjis<"[l3dInit] 利用可能なDirect3D対応デバイスがありません">());
}

void l3dTerm() { l3dAdapters = L3DAdapterList{}; }

IDirect3D9* l3dDirect3D() { return direct3d; }

void l3dReleaseDirect3D() { releaseRef(direct3d); }
