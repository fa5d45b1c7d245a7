#include "foundation/pack/pack_registry.h"

#include <mutex>
#include <string>

#include "foundation/DApplication.h"
#include "foundation/DBuffer.h"
#include "foundation/DPath.h"
#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "foundation/DString.h"
#include "foundation/pack/DMFile.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

struct _PACKINFO {
    DString name;
    rcptr<DMFile> archive;  // null for a folder of loose files
};

struct PackTable {
    DBuffer<_PACKINFO, 32> packs;
    uint32_t count = 0;
    rcptr<LFmOverride> provider;
};

PackTable& Table() {
    static PackTable table;
    return table;
}

const char* ProgramDirectory() {
    const DApplication* application = DApplication::Current();
    return application ? application->GetProgramDirectory().Text() : "";
}

_PACKINFO& Pack(uint32_t index, const char* badIndexMessage) {
    PackTable& table = Table();
    if (index >= table.count) l3dError(badIndexMessage, static_cast<int>(index));
    return table.packs[static_cast<int32_t>(index)];
}

// The loose file of a pack without archive or provider.
void LoosePath(const _PACKINFO& pack, const char* name, char* buffer) {
    if (pack.name.Length() == 0) {
        DString resolved;
        DPathNormalize(name, resolved, ProgramDirectory());
        DStrCopyN(buffer, resolved.Text(), DPATH_SIZE);
        return;
    }
    char folder[DPATH_SIZE];
    DPathMake(folder, ProgramDirectory(), pack.name.Text(), nullptr);
    DPathMake(buffer, folder, name, nullptr);
}

}  // namespace

uint32_t lfmRegistPack(const char* name) {
    name = name ? name : "";
    PackTable& table = Table();
    for (uint32_t i = 0; i < table.count; ++i) {
        if (DStrEqualsNoCase(table.packs[static_cast<int32_t>(i)].name.Text(), name) == 0) return i;
    }
    _PACKINFO pack;
    pack.name.Assign(name);
    if (!table.provider && name[0] != '\0') {
        char path[DPATH_SIZE];
        DPathMake(path, ProgramDirectory(), name, "dmf");
        if (DIsRegularFile(path)) {
            pack.archive.Create();
            if (!pack.archive->OpenFile(path))
                l3dError(DSjis<"[lfmRegistPack] パックファイル\"%s\"が異常です">(), path);
        }
    }
    // Counted only once usable, so a pack whose archive failed is not left registered.
    const uint32_t index = table.count;
    table.packs.At(static_cast<int32_t>(index)) = pack;
    table.count = index + 1;
    return index;
}

char* lfmGetPackFileName(uint32_t index, char* buffer, const char* name) {
    const _PACKINFO& pack = Pack(index, DSjis<"[lfmGetPackFileName] パック番号が異常(%d)">());
    if (pack.archive || Table().provider) {
        DPathMake(buffer, pack.name.Text(), name, nullptr);
    } else {
        LoosePath(pack, name, buffer);
    }
    return buffer;
}

bool lfmIsPackDataExist(uint32_t index, const char* name) {
    const _PACKINFO& pack = Pack(index, DSjis<"[lfmIsPackDataExist] パック番号が異常(%d)">());
    if (Table().provider) return Table().provider->Exists(name);
    if (pack.archive) return pack.archive->Find(name) != nullptr;
    char path[DPATH_SIZE];
    LoosePath(pack, name, path);
    return DIsRegularFile(path);
}

void lfmOpenPackData(uint32_t index, DFile& file, const char* name) {
    const _PACKINFO& pack = Pack(index, DSjis<"[lfmOpenPackData] パック番号が異常(%d)">());
    if (!Table().provider && pack.archive) {
        // A file object left open would read as a missing member.
        file.Close();
        if (!pack.archive->OpenData(file, name))
            l3dError(DSjis<"[lfmOpenPackData] 指定パック\"%s\"にファイル\"%s\"は存在しません">(),
                     pack.name.Text(), name ? name : "");
        return;
    }
    char path[DPATH_SIZE];
    if (pack.name.Length() == 0) {
        DStrCopyN(path, name, DPATH_SIZE);
    } else {
        DPathMake(path, pack.name.Text(), name, nullptr);
    }
    lfmOpenPath(path, file, DFile::OpenRead);
}

void lfmOpenPath(const char* path, DFile& file, uint32_t flags) {
    if (Table().provider) {
        Table().provider->Open(file, path, flags);
        return;
    }
    DString resolved;
    DPathNormalize(path, resolved, ProgramDirectory());
    file.Close();
    if (!file.Open(resolved.Text(), flags))
        l3dError(DSjis<"ファイル \"%s\" を開けませんでした。">(), resolved.Text());
}

bool lfmFindFirstExisting(char* buffer, uint32_t index, const char* name, const char* extensions) {
    if (lfmIsPackDataExist(index, name)) {
        DStrCopyN(buffer, name, DPATH_SIZE);
        return true;
    }
    const char* cursor = extensions ? extensions : "";
    for (;;) {
        const char* start = cursor;
        std::string extension;
        uint32_t c;
        while ((c = DStrNextChar(cursor)) != 0 && c != ':') {
            if (c > 0xFF) extension += static_cast<char>(c >> 8);
            extension += static_cast<char>(c & 0xFF);
        }
        if (c == 0 && cursor == start) break;  // the end of the list
        if (extension.size() > DPATH_SIZE - 1) extension.resize(DPATH_SIZE - 1);
        DPathMake(buffer, nullptr, name, extension.c_str());
        if (lfmIsPackDataExist(index, buffer)) return true;
        if (c == 0) break;
    }
    DStrCopyN(buffer, name, DPATH_SIZE);
    return false;
}

void lfmRegistOverride(const rcptr<LFmOverride>& provider) {
    PackTable& table = Table();
    if (table.provider && provider)
        l3dError("%s", DSjis<"[lfmRegistOverride] すでにoverrideされている">());
    table.provider = provider;
}

void lfmReleasePacks() {
    PackTable& table = Table();
    for (uint32_t i = 0; i < table.count; ++i) table.packs[static_cast<int32_t>(i)] = _PACKINFO();
    table.count = 0;
    table.provider.Reset();
}
