#pragma once
// Scalar types, result codes and small records of the Direct3D 9 programming interface, with
// the documented numeric values. The runtime's 3D code is written against these names.
#include <cstdint>

namespace platform::d3d9 {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using LARGE_INTEGER = std::int64_t;
using HWND = void*;
using HANDLE = void*;
using D3DCOLOR = std::uint32_t;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Result codes: facility 0x876 for Direct3D, the generic COM codes otherwise.
constexpr HRESULT makeD3dError(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = makeD3dError(380);
constexpr HRESULT D3DERR_WASSTILLDRAWING = makeD3dError(540);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = makeD3dError(2072);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = makeD3dError(2073);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = makeD3dError(2074);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = makeD3dError(2075);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = makeD3dError(2076);
constexpr HRESULT D3DERR_TOOMANYOPERATIONS = makeD3dError(2077);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = makeD3dError(2078);
constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = makeD3dError(2079);
constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = makeD3dError(2081);
constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = makeD3dError(2082);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = makeD3dError(2087);
constexpr HRESULT D3DERR_NOTFOUND = makeD3dError(2150);
constexpr HRESULT D3DERR_MOREDATA = makeD3dError(2151);
constexpr HRESULT D3DERR_DEVICELOST = makeD3dError(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = makeD3dError(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = makeD3dError(2154);
constexpr HRESULT D3DERR_INVALIDDEVICE = makeD3dError(2155);
constexpr HRESULT D3DERR_INVALIDCALL = makeD3dError(2156);

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

constexpr D3DCOLOR D3DCOLOR_ARGB(DWORD a, DWORD r, DWORD g, DWORD b) {
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}

constexpr DWORD MAKEFOURCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

}  // namespace platform::d3d9
