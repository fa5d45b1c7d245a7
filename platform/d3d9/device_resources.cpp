// IDirect3DDevice9: creation of textures, buffers and shaders.
#include <algorithm>
#include <optional>
#include <span>

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/shader/shader_decoder.h"

namespace platform::d3d9 {
namespace {

constexpr UINT kMaxBufferBytes = 64u << 20;

bool textureFormatStored(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || isBlockCompressed(format);
}

bool profileAllows(const AdapterProfile& profile, D3DRESOURCETYPE type, D3DFORMAT format,
                   DWORD usage) {
    return std::any_of(profile.formats.begin(), profile.formats.end(), [&](const FormatSupport& f) {
        return f.type == type && f.format == format && (f.usage & usage) == usage;
    });
}

bool bufferPoolAndUsageValid(D3DPOOL pool, DWORD usage) {
    if (usage & ~(D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DYNAMIC))
        return false;
    if (pool > D3DPOOL_SYSTEMMEM) return false;
    return !((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED);
}

}  // namespace

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                        D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                        HANDLE* shared) {
    recorder_.record("CreateTexture", width, height, levels, usage, format, pool, texture, shared);
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (shared || width == 0 || height == 0 || width > profile_.caps.MaxTextureWidth ||
        height > profile_.caps.MaxTextureHeight || pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) &&
        (pool != D3DPOOL_DEFAULT || !isColourTargetFormat(format)))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if (!textureFormatStored(format) ||
        !profileAllows(profile_, D3DRTYPE_TEXTURE, format, usage & D3DUSAGE_RENDERTARGET))
        return D3DERR_NOTAVAILABLE;
    // Compressed textures are made of whole 4x4 blocks.
    if (isBlockCompressed(format) && (width % 4 != 0 || height % 4 != 0)) return D3DERR_INVALIDCALL;
    const UINT fullChain = fullMipCount(width, height);
    if (levels > fullChain) return D3DERR_INVALIDCALL;
    const bool mipmaps = (profile_.caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) != 0;
    const UINT resolved = !mipmaps ? 1 : levels == 0 ? fullChain : levels;
    *texture = new IDirect3DTexture9(width, height, resolved, usage, format, pool, tally_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    recorder_.record("CreateVertexBuffer", length, usage, fvf, pool, buffer, shared);
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (shared || length == 0 || length > kMaxBufferBytes || !bufferPoolAndUsageValid(pool, usage))
        return D3DERR_INVALIDCALL;
    if (fvf != 0) {
        const FvfLayout layout = describeFvf(fvf);
        if (!layout.valid || length < layout.stride) return D3DERR_INVALIDCALL;
    }
    *buffer = new IDirect3DVertexBuffer9(length, usage, fvf, pool, tally_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                            HANDLE* shared) {
    recorder_.record("CreateIndexBuffer", length, usage, format, pool, buffer, shared);
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (shared || length < 2 || length > kMaxBufferBytes || !bufferPoolAndUsageValid(pool, usage))
        return D3DERR_INVALIDCALL;
    if (format != D3DFMT_INDEX16) return D3DERR_INVALIDCALL;
    *buffer = new IDirect3DIndexBuffer9(length, usage, format, pool, tally_);
    return D3D_OK;
}

namespace {

// Decodes a token stream of `tokenCount` tokens as a shader of `kind` no newer than the
// adapter's `maxVersion` (the caps' version token); nothing when it is refused.
std::optional<shader::DecodedShader> decodeForDevice(const DWORD* function, UINT tokenCount,
                                                     shader::ShaderKind kind, DWORD maxVersion) {
    if (!function || tokenCount == 0) return std::nullopt;
    shader::DecodeResult result =
        shader::decodeShader(std::span<const std::uint32_t>(function, tokenCount));
    if (!result.shader || result.shader->kind != kind) return std::nullopt;
    const DWORD version = (DWORD{result.shader->majorVersion} << 8) | result.shader->minorVersion;
    if (version > (maxVersion & 0xFFFF)) return std::nullopt;
    return std::move(result.shader);
}

}  // namespace

HRESULT IDirect3DDevice9::CreateVertexShader(const DWORD* function, UINT tokenCount,
                                             IDirect3DVertexShader9** shader) {
    recorder_.record("CreateVertexShader", function, tokenCount, shader);
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    auto decoded = decodeForDevice(function, tokenCount, shader::ShaderKind::Vertex,
                                   profile_.caps.VertexShaderVersion);
    if (!decoded) return D3DERR_INVALIDCALL;
    *shader = new IDirect3DVertexShader9(function, std::move(*decoded));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreatePixelShader(const DWORD* function, UINT tokenCount,
                                            IDirect3DPixelShader9** shader) {
    recorder_.record("CreatePixelShader", function, tokenCount, shader);
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    auto decoded = decodeForDevice(function, tokenCount, shader::ShaderKind::Pixel,
                                   profile_.caps.PixelShaderVersion);
    if (!decoded) return D3DERR_INVALIDCALL;
    *shader = new IDirect3DPixelShader9(function, std::move(*decoded));
    return D3D_OK;
}

}  // namespace platform::d3d9
