#pragma once
// The Direct3D 9 module of the framework and the video settings: the one Direct3D object the
// settings dialog and the start-up checks query, the format choices and adapter checks on the
// hardware device type, and the video keys of the settings file.
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/direct3d9.h"

// Display kinds of a mode.
inline constexpr uint32_t PEL_D3D9_FULLSCREEN32 = 0;
inline constexpr uint32_t PEL_D3D9_FULLSCREEN16 = 1;
inline constexpr uint32_t PEL_D3D9_WINDOW = 2;

// One allowed display mode.
struct PEL_D3D9_MODE {
    uint32_t kind;  // PEL_D3D9_FULLSCREEN32, PEL_D3D9_FULLSCREEN16 or PEL_D3D9_WINDOW
    uint32_t width;
    uint32_t height;
    uint32_t tableFlag;  // passed through for the start-up configuration
};

// What the caller asks of an adapter.
struct PEL_D3D9_REQUIREMENTS {
    const PEL_D3D9_MODE* modes;
    uint32_t modeCount;
    uint32_t minTextureSize;  // 0: no minimum
    bool multisample;         // the multisampling choice is offered
};

// Flags of the settings.
inline constexpr uint32_t PEL_D3D9_VALID = 1;
inline constexpr uint32_t PEL_D3D9_COMPRESS = 2;
inline constexpr uint32_t PEL_D3D9_NO_FLIP = 4;
inline constexpr uint32_t PEL_D3D9_COMPATIBLE = 8;

// The chosen video settings, seven 32-bit words.
struct PEL_D3D9_SETTINGS {
    uint32_t flags;
    uint32_t adapter;
    PEL_D3D9_MODE mode;
    uint32_t multisample;  // 0 none, n (1 to 15): n + 1 samples
};
static_assert(sizeof(PEL_D3D9_SETTINGS) == 7 * 4);

// Creates the Direct3D object once (a missing one is no error); registers pelD3d9Finalize.
void pelD3d9Initialize();
void pelD3d9Finalize();
// The Direct3D object, or null.
platform::d3d9::IDirect3D9* pelD3d9Object();

// Format choices and checks, all on the hardware device type; 0 or false without Direct3D.
platform::d3d9::D3DFORMAT pelD3d9PickDisplayFormat(uint32_t kind, uint32_t adapter);
platform::d3d9::D3DFORMAT pelD3d9PickDepthFormat(uint32_t adapter,
                                                 platform::d3d9::D3DFORMAT display);
platform::d3d9::D3DFORMAT pelD3d9PickTextureFormat(platform::d3d9::D3DFORMAT display,
                                                   uint32_t adapter);
platform::d3d9::D3DFORMAT pelD3d9PickAlphaTextureFormat(platform::d3d9::D3DFORMAT display,
                                                        uint32_t adapter);
bool pelD3d9CanCompressTextures(platform::d3d9::D3DFORMAT display, uint32_t adapter);
// The index-th usable mode of the requirements' list on the adapter, into `mode`.
bool pelD3d9CheckAdapter(PEL_D3D9_MODE* mode, const PEL_D3D9_REQUIREMENTS* requirements,
                         uint32_t adapter, uint32_t index);
// Index 0: no multisampling; n (1 to 15): type n + 1. False above 15.
bool pelD3d9GetMultisampleType(uint32_t index, platform::d3d9::D3DMULTISAMPLE_TYPE* type);
bool pelD3d9CheckMultisample(uint32_t adapter, platform::d3d9::D3DFORMAT display, bool windowed,
                             platform::d3d9::D3DMULTISAMPLE_TYPE type);
bool pelD3d9HasVertexShader20(uint32_t adapter);
bool pelD3d9HasPixelShader20(uint32_t adapter);
// 0 for the 32-bit formats A8R8G8B8, X8R8G8B8 and A2R10G10B10, 1 otherwise.
uint32_t pelD3d9FormatClass(platform::d3d9::D3DFORMAT format);
// 32, 16 or 0 for a display kind.
uint32_t pelD3d9ModeBits(uint32_t kind);

// The first adapter with a usable mode and its first usable mode, valid; invalid without any.
void pelD3d9ConfigDefault(PEL_D3D9_SETTINGS* settings, const PEL_D3D9_REQUIREMENTS* requirements);
// The saved settings of the section; the defaults with a warning when they no longer fit.
void pelD3d9ConfigLoad(PEL_D3D9_SETTINGS* settings, const PEL_D3D9_REQUIREMENTS* requirements,
                       const char16_t* file, const char16_t* section);
void pelD3d9ConfigSave(const char16_t* section, const char16_t* file,
                       const PEL_D3D9_SETTINGS* settings);
