#include "render3d/texture_pack.h"

#include <cstdio>

#include "foundation/DPath.h"
#include "foundation/DSjisText.h"
#include "foundation/imagefile/image_file.h"
#include "foundation/pack/DMFile.h"
#include "foundation/pack/pack_diagnostics.h"
#include "foundation/pack/pack_registry.h"
#include "pixelconv/blit.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DFile;
using mirel::DImage;
using mirel::DSjis;

namespace {

constexpr const char* kImageExtensions = "dgi:png:jpg:jpeg:bmp";

void readSpecWord(DFile& spec, uint32_t& value, const char* archivePath) {
    uint8_t bytes[4];
    if (spec.Read(bytes, 4) != 4)
        l3dError(DSjis<"ファイル \"%s\" を読み込めませんでした。">(), archivePath);
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Opens and decodes one image of the pack; false when it cannot be read.
bool loadPackImage(uint32_t pack, const char* path, DImage& image) {
    DFile file;
    lfmOpenPackData(pack, file, path);
    return mirel::DimgLoad(file, image);
}

}  // namespace

bool l3dGetTextureData(DFile& file, DFile& member, uint32_t& size, bool& alpha, bool compressed) {
    if (!file.Seek(0, mirel::DDataOverride::SeekBegin)) return false;
    mirel::DMFile archive;
    if (!archive.Open(file)) return false;
    const char* path = file.GetPath();
    DFile spec;
    if (!archive.OpenData(spec, "spec"))
        l3dError(DSjis<"[l3dGetTextureData] テクスチャファイル\"%s\"の形式が異常。">(), path);
    uint32_t magic = 0;
    readSpecWord(spec, magic, path);
    if (magic == l3dTexturePackOpaque)
        alpha = false;
    else if (magic == l3dTexturePackAlpha)
        alpha = true;
    else
        l3dError(DSjis<"[l3dGetTextureData] テクスチャファイル\"%s\"の形式が異常。">(), path);
    readSpecWord(spec, size, path);
    if (!archive.OpenData(member, compressed ? "compress" : "raw"))
        l3dError(DSjis<"[l3dGetTextureData] テクスチャファイル\"%s\"の形式が異常。">(), path);
    return true;
}

void l3dLoadTextureImage(uint32_t pack, DImage& destination, bool& hasAlpha, const char* fileName) {
    char colourPath[mirel::DPATH_SIZE];
    lfmFindFirstExisting(colourPath, pack, fileName, kImageExtensions);
    DImage colour;
    if (!loadPackImage(pack, colourPath, colour))
        l3dErrorPack(fileName, DSjis<"[l3dLoadTextureImage] カラー画像(%s)を読み込めません">(),
                     pack);

    char alphaName[mirel::DPATH_SIZE];
    std::snprintf(alphaName, sizeof alphaName, "%s_a", fileName);
    char alphaPath[mirel::DPATH_SIZE];
    DImage alphaImage;
    hasAlpha = false;
    if (lfmFindFirstExisting(alphaPath, pack, alphaName, kImageExtensions)) {
        if (!loadPackImage(pack, alphaPath, alphaImage))
            l3dErrorPack(alphaName,
                         DSjis<"[l3dLoadTextureImage] アルファ画像(%s)を読み込めません">(), pack);
        hasAlpha = true;
        if (alphaImage.Width() != colour.Width() || alphaImage.Height() != colour.Height())
            l3dErrorPack(
                fileName,
                DSjis<"[l3dLoadTextureImage] カラー画像とアルファ画像のサイズが違う(%s)">(), pack);
    }

    const auto width = static_cast<uint32_t>(colour.Width());
    const auto height = static_cast<uint32_t>(colour.Height());
    destination.ReleasePixels();
    destination.CreateAutoPitch(colour.Width(), colour.Height(), mirel::DImageKind::BGRA32);
    if (hasAlpha) {
        mirel::DimgBlitColor(destination, colour, width, height, width, height, 0, 0);
        const auto alphaWidth = static_cast<uint32_t>(alphaImage.Width());
        const auto alphaHeight = static_cast<uint32_t>(alphaImage.Height());
        mirel::DimgBlitAlpha(destination, alphaImage, alphaWidth, alphaHeight, alphaWidth,
                             alphaHeight, 0, 0);
    } else {
        mirel::DimgBlitColorFixedAlpha(destination, colour, width, height, width, height, 255, 0);
    }
}
