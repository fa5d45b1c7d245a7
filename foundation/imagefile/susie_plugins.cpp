#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/DExceptFile.h"
#include "foundation/DList.h"
#include "foundation/DPath.h"
#include "foundation/DStr.h"
#include "foundation/imagefile/dib_converter.h"
#include "foundation/imagefile/image_file.h"
#include "foundation/imagefile/image_log.h"
#include "platform/os/cp932.h"
#include "platform/os/module_path.h"
#include "platform/plugin/local_memory.h"
#include "platform/plugin/plugin_library.h"
#include "platform/plugin/susie_abi.h"

namespace mirel {
namespace {

namespace plugin = platform::plugin;

struct _DSUSIEINFO {
    void* module = nullptr;
    SusieIsSupportedFn isSupported = nullptr;
    SusieGetPictureInfoFn getPictureInfo = nullptr;
    SusieGetPictureFn getPicture = nullptr;
};

// The loaded plug-ins in the order found. Never destroyed: DSusieTerm empties it.
DList<_DSUSIEINFO>& Plugins() {
    static DList<_DSUSIEINFO>* plugins = new DList<_DSUSIEINFO>;
    return *plugins;
}

// The header the plug-ins test: the first bytes of the data, zero-padded, long enough for the
// second test 128 bytes further on to see 4096 bytes too.
constexpr size_t kHeaderBytes = 4096;
constexpr size_t kMacBinaryBytes = 128;

std::string ProgramDirectory() {
    const std::string module = platform::os::utf8ToCp932(platform::os::moduleFileName());
    char drive[DPATH_SIZE], directory[DPATH_SIZE];
    DPathSplitDrive(module.c_str(), drive, directory, nullptr);
    return std::string(drive) + directory;
}

// Checks one library's entry points; true when it joins the list.
bool Register(void* module, const char* path) {
    auto getPluginInfo =
        reinterpret_cast<SusieGetPluginInfoFn>(plugin::findSymbol(module, "GetPluginInfo"));
    if (getPluginInfo == nullptr) {
        DimgLogQuoted("[_DSusieInit] can't get \"GetPluginInfo\" in ", path, "\n");
        return false;
    }
    char version[257] = {};  // one more byte than offered, so the text always ends
    if (getPluginInfo(0, version, 256) == 0 || DStrEqualsNoCase(version, "00IN") != 0) {
        DimgLogQuoted("[_DSusieInit] ", path, ": version error.\n");
        return false;
    }
    rcptr<_DSUSIEINFO> info;
    info.Create();
    info->module = module;
    info->isSupported =
        reinterpret_cast<SusieIsSupportedFn>(plugin::findSymbol(module, "IsSupported"));
    info->getPictureInfo =
        reinterpret_cast<SusieGetPictureInfoFn>(plugin::findSymbol(module, "GetPictureInfo"));
    info->getPicture =
        reinterpret_cast<SusieGetPictureFn>(plugin::findSymbol(module, "GetPicture"));
    if (!info->isSupported || !info->getPictureInfo || !info->getPicture) {
        DimgLogQuoted("[_DSusieInit] ", path, ": can't find functions.\n");
        return false;
    }
    Plugins().AddTail(info);
    DimgLogQuoted("[_DSusieInit] ", path, ": loaded.\n");
    return true;
}

// The whole file from its start, or false.
bool ReadWhole(DFile& file, std::vector<char>& data) {
    try {
        if (!file.Seek(0, DDataOverride::SeekBegin)) return false;
        const int32_t size = file.Size();
        if (size < 0) return false;
        data.resize(static_cast<size_t>(size));
        return size == 0 || file.Read(data.data(), static_cast<uint32_t>(size)) == size;
    } catch (const DExceptFile&) {
        return false;
    }
}

// Both memory handles, freed on every path.
struct PictureHandles {
    void* info = nullptr;
    void* bits = nullptr;
    ~PictureHandles() {
        LocalFree(info);
        LocalFree(bits);
    }
};

}  // namespace

void _DSusieInit() {
    for (const std::string& path : plugin::findPluginFiles(ProgramDirectory())) {
        void* module = plugin::loadLibrary(path);
        if (module == nullptr) continue;
        if (!Register(module, path.c_str())) plugin::freeLibrary(module);
    }
}

void DSusieTerm() {
    DList<_DSUSIEINFO>& plugins = Plugins();
    for (auto it = plugins._GetFirstNode(); !(it == plugins._GetEndNode()); it = it.Next())
        plugin::freeLibrary(it.GetRef()->module);
    plugins._EraseAllNodes();
}

bool DimgLoadSusie(DFile& file, DImage& image) {
    std::vector<char> data;
    if (!ReadWhole(file, data)) return false;
    std::vector<char> header(kHeaderBytes + kMacBinaryBytes, '\0');
    std::copy_n(data.begin(), std::min(data.size(), header.size()), header.begin());

    DList<_DSUSIEINFO>& plugins = Plugins();
    const _DSUSIEINFO* chosen = nullptr;
    size_t skip = 0;
    for (auto it = plugins._GetFirstNode(); !(it == plugins._GetEndNode()) && !chosen;
         it = it.Next()) {
        const _DSUSIEINFO* candidate = it.GetRef().Get();
        if (candidate->isSupported(file.GetPath(), header.data()) != 0) {
            chosen = candidate;
        } else if (candidate->isSupported(file.GetPath(), header.data() + kMacBinaryBytes) != 0) {
            chosen = candidate;
            // A MacBinary file: the picture follows a 128-byte header.
            if (data.size() > kMacBinaryBytes - 1) skip = kMacBinaryBytes;
        }
    }
    if (chosen == nullptr) return false;

    PictureHandles handles;
    if (chosen->getPicture(data.data() + skip, static_cast<long>(data.size() - skip),
                           kSusieFromMemory, &handles.info, &handles.bits, nullptr, 0) != 0)
        return false;
    const auto* info = static_cast<const uint8_t*>(LocalLock(handles.info));
    const auto* bits = static_cast<const uint8_t*>(LocalLock(handles.bits));
    const bool ok =
        DimgDibToBgr24(info, LocalSize(handles.info), bits, LocalSize(handles.bits), image);
    LocalUnlock(handles.info);
    LocalUnlock(handles.bits);
    return ok;
}

}  // namespace mirel
