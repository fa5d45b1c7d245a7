#include "engine/startup/resource_packs.h"

#include "framework/core/format.h"
#include "framework/core/report.h"
#include "framework/file/file.h"

namespace {

constexpr const char* kTag = "_loadResource";
constexpr size_t kPackNameSize = 128;

bool exists(const char16_t* file) { return pelFileExists(PEL_FILE_MODE_READ, file) == PEL_OK; }

void mount(const char16_t* file) {
    pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] load resource \"%ls\"", kTag, file);
    if (pelFileMountArchive(file) < 0)
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] リソースファイル\"%ls\"を開けませんでした。",
                  kTag, file);
}

}  // namespace

bool _loadResource(const char16_t* name) {
    char16_t file[kPackNameSize];
    pelSprintf(file, kPackNameSize, u"%ls.dat", name);
    if (!exists(file)) {
        pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] resource \"%ls\" is not exist.", kTag, file);
        return false;
    }
    mount(file);
    // The numbered continuations follow while there is no gap.
    for (uint32_t n = 0;; ++n) {
        pelSprintf(file, kPackNameSize, u"%ls%u.dat", name, n);
        if (!exists(file)) break;
        mount(file);
    }
    return true;
}
