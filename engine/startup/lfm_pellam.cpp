#include "engine/startup/lfm_pellam.h"

#include <string>

#include "engine/startup/data_streams.h"
#include "foundation/DSjisText.h"
#include "foundation/rcptr.h"
#include "framework/file/file.h"
#include "platform/os/cp932.h"
#include "render3d/diagnostics/diagnostics.h"

namespace {

// Framework paths handed on from the registry: at most 263 characters.
constexpr size_t kPathCapacity = 264;

std::u16string frameworkPath(const char* name) {
    std::u16string path = platform::os::cp932ToUtf16(name ? name : "");
    if (path.size() > kPathCapacity - 1) path.resize(kPathCapacity - 1);
    for (char16_t& c : path)
        if (c == u'\\') c = u'/';
    return path;
}

}  // namespace

bool LFmPellam::Exists(const char* name) {
    return pelFileExists(PEL_FILE_MODE_READ, frameworkPath(name).c_str()) == PEL_OK;
}

void LFmPellam::Open(mirel::DFile& file, const char* name, uint32_t flags) {
    using mirel::DFile;
    const int32_t mode = (flags & DFile::OpenRead) ? PEL_FILE_MODE_READ : PEL_FILE_MODE_WRITE;
    uint32_t create = 0;
    switch (flags & (DFile::OpenCreate | DFile::OpenNew)) {
    case DFile::OpenCreate | DFile::OpenNew:
        create = PEL_FILE_CREATE;
        break;
    case DFile::OpenCreate:
        l3dError("%s", mirel::DSjis<"[LFmPellam::OpenData] 未サポート(ALWAYS)">());
    case DFile::OpenNew:
        l3dError("%s", mirel::DSjis<"[LFmPellam::OpenData] 未サポート(NEW)">());
    }
    mirel::rcptr<DDataPellam> stream;
    stream.Create();
    PEL_FILE* opened = pelFileOpen(mode, frameworkPath(name).c_str(), create);
    if (!opened) l3dError(mirel::DSjis<"ファイル \"%s\" を開けませんでした。">(), name ? name : "");
    stream->TakeFile(opened);
    // A file object left open would refuse the stream.
    file.Close();
    file.AttachStream(name, stream);
}
