#include <memory>
#include <span>
#include <vector>

#include "foundation/DImageHolder.h"
#include "foundation/DPath.h"
#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "foundation/imagefile/image_file.h"
#include "foundation/pack/pack_registry.h"
#include "pixelconv/alpha_merge.h"
#include "pixelconv/mip_level.h"
#include "pixelconv/tex_level.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DDevice.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/format_table.h"
#include "render3d/texture_pack.h"

using mirel::DSjis;
using namespace platform::d3d9;
using mirel::DImage;
using mirel::DImageHolder;
using mirel::DImageKind;
using mirel::rcptr;

namespace {

struct FormatCandidate {
    D3DFORMAT format;
    DImageKind kind;
};

constexpr FormatCandidate kColourDeep[] = {
    {D3DFMT_R8G8B8, DImageKind::BGR24},      {D3DFMT_X8R8G8B8, DImageKind::BGRA32},
    {D3DFMT_A8R8G8B8, DImageKind::BGRA32},   {D3DFMT_X8B8G8R8, DImageKind::RGBA32},
    {D3DFMT_A8B8G8R8, DImageKind::RGBA32},   {D3DFMT_R5G6B5, DImageKind::R5G6B5},
    {D3DFMT_X1R5G5B5, DImageKind::A1R5G5B5}, {D3DFMT_A1R5G5B5, DImageKind::A1R5G5B5},
    {D3DFMT_X4R4G4B4, DImageKind::A4R4G4B4}, {D3DFMT_A4R4G4B4, DImageKind::A4R4G4B4},
};
constexpr FormatCandidate kColourShallow[] = {
    {D3DFMT_R5G6B5, DImageKind::R5G6B5},     {D3DFMT_X1R5G5B5, DImageKind::A1R5G5B5},
    {D3DFMT_A1R5G5B5, DImageKind::A1R5G5B5}, {D3DFMT_X4R4G4B4, DImageKind::A4R4G4B4},
    {D3DFMT_A4R4G4B4, DImageKind::A4R4G4B4}, {D3DFMT_R8G8B8, DImageKind::BGR24},
    {D3DFMT_X8R8G8B8, DImageKind::BGRA32},   {D3DFMT_A8R8G8B8, DImageKind::BGRA32},
    {D3DFMT_X8B8G8R8, DImageKind::RGBA32},   {D3DFMT_A8B8G8R8, DImageKind::RGBA32},
};
constexpr FormatCandidate kAlphaDeep[] = {
    {D3DFMT_A8R8G8B8, DImageKind::BGRA32},
    {D3DFMT_A8B8G8R8, DImageKind::RGBA32},
    {D3DFMT_A4R4G4B4, DImageKind::A4R4G4B4},
};
constexpr FormatCandidate kAlphaShallow[] = {
    {D3DFMT_A4R4G4B4, DImageKind::A4R4G4B4},
    {D3DFMT_A8R8G8B8, DImageKind::BGRA32},
    {D3DFMT_A8B8G8R8, DImageKind::RGBA32},
};

uint32_t nextPowerOfTwo(uint32_t value) {
    uint32_t power = 1;
    while (power < value && power < 0x80000000u) power <<= 1;
    return power < value ? value : power;
}

// Inverts the alpha of a texture pack's "raw" image in place, by the image's pixel kind.
void invertStoredAlpha(DImage& image) {
    uint8_t* top = image.FirstRow();
    const auto width = static_cast<uint32_t>(image.Width());
    const auto height = static_cast<uint32_t>(image.Height());
    switch (image.Kind()) {
    case DImageKind::RGBA32:
    case DImageKind::BGRA32:
        mirel::l3dMergeAlpha32(top, image, top, image, width, height);
        break;
    case DImageKind::A1R5G5B5:
        mirel::l3dMergeAlpha1555(top, image, top, image, width, height);
        break;
    case DImageKind::A4R4G4B4:
        mirel::l3dMergeAlpha4444(top, image, top, image, width, height);
        break;
    case DImageKind::RGB24:
    case DImageKind::BGR24:
    case DImageKind::YCbCr24:
        mirel::l3dMergeAlphaNone24(top, image, top, image, width, height);
        break;
    case DImageKind::R5G6B5:
        mirel::l3dMergeAlphaNone565(top, image, top, image, width, height);
        break;
    }
}

// A locked texture level wrapped as an image.
struct LockedLevel {
    IDirect3DSurface9* surface = nullptr;
    DImageHolder image;

    ~LockedLevel() {
        if (surface) {
            surface->UnlockRect();
            surface->Release();
        }
    }
    bool lock(IDirect3DTexture9* texture, UINT level, DImageKind kind) {
        if (texture->GetSurfaceLevel(level, &surface) != D3D_OK) return false;
        D3DLOCKED_RECT locked{};
        if (surface->LockRect(&locked, nullptr, 0) != D3D_OK) {
            releaseRef(surface);
            return false;
        }
        const D3DSURFACE_DESC& desc = surface->desc();
        return DImage::AttachRaw(image, static_cast<uint8_t*>(locked.pBits),
                                 static_cast<int32_t>(desc.Width),
                                 static_cast<int32_t>(desc.Height), locked.Pitch, kind);
    }
    uint32_t width() const { return static_cast<uint32_t>(image.Width()); }
    uint32_t height() const { return static_cast<uint32_t>(image.Height()); }
};

}  // namespace

void L3DDevice::_CreateTextureManager() {
    const D3DFORMAT adapterFormat = windowed_ ? windowDisplay_ : fullScreenDisplay_;
    IDirect3D9* direct3d = l3dDirect3D();
    auto choose = [&](std::span<const FormatCandidate> candidates, DWORD usage, D3DFORMAT& format,
                      uint32_t& kind) {
        for (const FormatCandidate& candidate : candidates) {
            if (direct3d->CheckDeviceFormat(adapterOrdinal(), D3DDEVTYPE_HAL, adapterFormat, usage,
                                            D3DRTYPE_TEXTURE, candidate.format) == D3D_OK) {
                format = candidate.format;
                kind = static_cast<uint32_t>(candidate.kind);
                return true;
            }
        }
        return false;
    };
    const bool deep = colourDepth_ > 16;
    if (!choose(deep ? std::span<const FormatCandidate>(kColourDeep) : kColourShallow, 0,
                colourFormat_, colourKind_))
        l3dError(
            DSjis<"[L3DDevice::_CreateTexture] カラーテクスチャフォーマットが見つかりません">());
    if (!choose(deep ? std::span<const FormatCandidate>(kAlphaDeep) : kAlphaShallow, 0,
                alphaFormat_, alphaKind_))
        l3dError(
            DSjis<"[L3DDevice::_CreateTexture] アルファテクスチャフォーマットが見つかりません">());
    constexpr FormatCandidate kRender[] = {{D3DFMT_A8R8G8B8, DImageKind::BGRA32},
                                           {D3DFMT_A8B8G8R8, DImageKind::RGBA32}};
    uint32_t renderKind = 0;
    renderFormat_ = D3DFMT_UNKNOWN;
    choose(kRender, D3DUSAGE_RENDERTARGET, renderFormat_, renderKind);
    l3dLog(0,
           "[L3DDevice::_CreateTextureManager]\r\n\tColor texture format: %s\r\n\tAlpha texture "
           "format: %s\r\n\tRender texture format: %s\r\n",
           l3dGetFormatName(colourFormat_), l3dGetFormatName(alphaFormat_),
           l3dGetFormatName(renderFormat_));
}

void L3DDevice::_AdjustTextureSize(uint32_t& width, uint32_t& height) const {
    if (caps_.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL)) {
        width = nextPowerOfTwo(width);
        height = nextPowerOfTwo(height);
    }
    const bool square = (caps_.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
    if (square) width = height = std::max(width, height);
    width = std::min<uint32_t>(width, caps_.MaxTextureWidth);
    height = std::min<uint32_t>(height, caps_.MaxTextureHeight);
    if (square) width = height = std::min(width, height);
}

rcptr<L3DTexture> L3DDevice::FindTexture(const char* name) {
    if (!name || name[0] == '\0') return {};
    for (auto it = textures_._GetFirstNode(); it != textures_._GetEndNode(); it = it.Next()) {
        const L3DTextureSlot& slot = *it.GetRef();
        const L3DTexture* record = slot.Get();
        if (record->name[0] != '\0' && mirel::DStrEqualsNoCase(record->name, name) == 0)
            return slot.Counted();
    }
    return {};
}

void L3DDevice::registerTexture(const rcptr<L3DTexture>& texture) {
    rcptr<L3DTextureSlot> slot;
    slot.Create();
    *slot = L3DTextureSlot(texture);
    textures_.AddTail(slot);
}

void L3DDevice::_RemoveTexture(L3DTexture* record) {
    for (auto it = textures_._GetFirstNode(); it != textures_._GetEndNode(); it = it.Next()) {
        if (it.GetRef()->Get() == record) {
            textures_.Erase(it);
            return;
        }
    }
}

void L3DDevice::requireNewTextureName(const char* name, const char* function) {
    if (FindTexture(name))
        l3dError(DSjis<"[L3DDevice::%s] テクスチャ\"%s\"はすでに存在しています。">(), function,
                 name);
}

rcptr<L3DTexture> L3DDevice::_CreateTexture(const char* name, uint32_t width, uint32_t height,
                                            bool alpha, bool mip) {
    requireNewTextureName(name, "_CreateTexture");
    _AdjustTextureSize(width, height);
    if (!(flags_ & FlagMipmap)) mip = false;
    const D3DFORMAT format = alpha ? alphaFormat_ : colourFormat_;
    const uint32_t kind = alpha ? alphaKind_ : colourKind_;
    IDirect3DTexture9* texture = nullptr;
    if (device_->CreateTexture(width, height, mip ? 0 : 1, 0, format, D3DPOOL_MANAGED, &texture,
                               nullptr) != D3D_OK)
        l3dError(
            DSjis<"[L3DDevice::CreateTexture] テクスチャが作成できません。(%ux%u)(alpha: %s)(mip: "
                  "%s)(pri: %d)">(),
            width, height, alpha ? "true" : "false", mip ? "true" : "false", 0);
    texture->SetPriority(0);
    rcptr<L3DTexture> record;
    record.Create();
    L3DTexture::InitRecord(name, L3DTexture::KindManaged, record.Get(), this, texture, kind, width,
                           height, alpha, texture->GetLevelCount());
    registerTexture(record);
    return record;
}

rcptr<L3DTexture> L3DDevice::CreateTextureFromImage(const char* name, DImage& image, bool alpha,
                                                    bool mip) {
    rcptr<L3DTexture> record = _CreateTexture(name, static_cast<uint32_t>(image.Width()),
                                              static_cast<uint32_t>(image.Height()), alpha, mip);
    const auto kind = static_cast<DImageKind>(record->pixelKind);
    std::vector<std::unique_ptr<LockedLevel>> levels;
    for (uint32_t i = 0; i < record->levelCount; ++i) {
        levels.push_back(std::make_unique<LockedLevel>());
        if (!levels.back()->lock(record->texture, i, kind)) {
            levels.pop_back();
            break;
        }
    }
    if (!levels.empty()) {
        LockedLevel& top = *levels[0];
        mirel::l3dConvertToTexLevel(top.image, image, top.width(), top.height(),
                                    static_cast<uint32_t>(image.Width()),
                                    static_cast<uint32_t>(image.Height()), 0, 0);
        for (size_t i = 1; i < levels.size(); ++i)
            mirel::l3dConvertMipLevel(levels[i]->image, levels[i - 1]->image, levels[i]->width(),
                                      levels[i]->height(), levels[i - 1]->width(),
                                      levels[i - 1]->height(), 0, 0);
    }
    // Levels 1 and up are unlocked first, level 0 last.
    while (!levels.empty()) levels.pop_back();
    return record;
}

rcptr<L3DTexture> L3DDevice::CreateTextureDXTn(const char* name, mirel::DFile& data, uint32_t size,
                                               bool alpha, bool mip) {
    requireNewTextureName(name, "CreateTextureDXTn");
    if (!(flags_ & FlagDxt))
        l3dError(DSjis<"[L3DDevice::CreateTextureDXTn] "
                       "このパソコンは圧縮テクスチャに対応していません。">());
    uint32_t width = size, height = size;
    _AdjustTextureSize(width, height);
    if (width != size || height != size)
        l3dError(DSjis<"[L3DDevice::CreateTextureDXTn] "
                       "テクスチャファイル\"%s\"を読み込めませんでした。">(),
                 data.GetPath());
    uint32_t levelCount = 1;
    if (mip && (flags_ & FlagMipmap))
        for (uint32_t side = size; side > 7; side >>= 1) ++levelCount;
    IDirect3DTexture9* texture = nullptr;
    if (device_->CreateTexture(size, size, levelCount, 0, alpha ? D3DFMT_DXT3 : D3DFMT_DXT1,
                               D3DPOOL_MANAGED, &texture, nullptr) != D3D_OK)
        l3dError(DSjis<"[L3DDevice::CreateTextureDXTn] "
                       "テクスチャファイル\"%s\"を読み込めませんでした。">(),
                 data.GetPath());
    texture->SetPriority(0);
    rcptr<L3DTexture> record;
    record.Create();
    L3DTexture::InitRecord(name, L3DTexture::KindCompressed, record.Get(), this, texture,
                           alpha ? 0 : 1, size, size, alpha, texture->GetLevelCount());
    registerTexture(record);
    for (uint32_t i = 0; i < record->levelCount; ++i) {
        IDirect3DSurface9* level = nullptr;
        D3DLOCKED_RECT locked{};
        if (texture->GetSurfaceLevel(i, &level) != D3D_OK) break;
        const D3DSURFACE_DESC desc = level->desc();
        const uint32_t bytes = alpha ? desc.Width * desc.Height : desc.Width * desc.Height / 2;
        bool read = false;
        if (level->LockRect(&locked, nullptr, 0) == D3D_OK) {
            read = data.Read(locked.pBits, bytes) == static_cast<int32_t>(bytes);
            level->UnlockRect();
        }
        level->Release();
        if (!read) l3dError(DSjis<"ファイル \"%s\" を読み込めませんでした。">(), data.GetPath());
    }
    return record;
}

rcptr<L3DTexture> L3DDevice::CreateTexturePack(const char* name, uint32_t pack,
                                               const char* fileName, bool mip) {
    requireNewTextureName(name, "CreateTexturePack");
    char path[mirel::DPATH_SIZE];
    lfmFindFirstExisting(path, pack, fileName, "dgt:dgi:png:jpg:jpeg:bmp");
    mirel::DFile file;
    lfmOpenPackData(pack, file, path);
    mirel::DFile member;
    uint32_t size = 0;
    bool alpha = false;
    const bool compressed = (flags_ & FlagDxt) != 0;
    if (l3dGetTextureData(file, member, size, alpha, compressed)) {
        if (compressed) return CreateTextureDXTn(name, member, size, alpha, mip);
        DImage image;
        if (!mirel::DimgLoad(member, image))
            l3dError(
                DSjis<"[L3DDevice::CreateTexturePack] テクスチャファイル\"%s\"の形式が異常。">(),
                path);
        invertStoredAlpha(image);
        return CreateTextureFromImage(name, image, alpha, mip);
    }
    DImage image;
    bool hasAlpha = false;
    l3dLoadTextureImage(pack, image, hasAlpha, fileName);
    return CreateTextureFromImage(name, image, hasAlpha, mip);
}

IDirect3DTexture9* L3DDevice::CreateRenderTexture(uint32_t width, uint32_t height) {
    if (renderFormat_ == D3DFMT_UNKNOWN) return nullptr;
    _UnbindAll();
    IDirect3DTexture9* texture = nullptr;
    if (device_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, renderFormat_,
                               D3DPOOL_DEFAULT, &texture, nullptr) != D3D_OK)
        return nullptr;
    return texture;
}

rcptr<L3DTexture> L3DDevice::CreateTextureBack(uint32_t width, uint32_t height) {
    uint32_t adjustedWidth = width, adjustedHeight = height;
    _AdjustTextureSize(adjustedWidth, adjustedHeight);
    if (adjustedWidth < width || adjustedHeight < height) return {};
    IDirect3DTexture9* texture = CreateRenderTexture(adjustedWidth, adjustedHeight);
    if (!texture) return {};
    rcptr<L3DTexture> record;
    record.Create();
    // Pixel kind 5 is what these records have always carried; they are never locked.
    L3DTexture::InitRecord("", L3DTexture::KindRender, record.Get(), this, texture,
                           static_cast<uint32_t>(DImageKind::A4R4G4B4), adjustedWidth,
                           adjustedHeight, 0, texture->GetLevelCount());
    registerTexture(record);
    return record;
}

void L3DDevice::_ReleaseTextures() {
    while (textures_.Count() != 0) textures_._GetFirstRef()->Get()->_Release();
}

void L3DDevice::_ReleaseRenderTextures() {
    for (auto it = textures_._GetFirstNode(); it != textures_._GetEndNode(); it = it.Next()) {
        L3DTexture* record = it.GetRef()->Get();
        if (record->kind == L3DTexture::KindRender) releaseRef(record->texture);
    }
}

void L3DDevice::_RestoreTextures() {
    for (auto it = textures_._GetFirstNode(); it != textures_._GetEndNode(); it = it.Next())
        it.GetRef()->Get()->_Reset();
}
