#include "foundation/pack/pack_diagnostics.h"

#include "foundation/DPath.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/diagnostics/diagnostics.h"

void l3dLogPack(const char* name, int32_t level, const char* format, uint32_t packIndex) {
    char path[mirel::DPATH_SIZE];
    l3dLog(level, format, lfmGetPackFileName(packIndex, path, name));
}

void l3dErrorPack(const char* name, const char* format, uint32_t packIndex) {
    char path[mirel::DPATH_SIZE];
    l3dError(format, lfmGetPackFileName(packIndex, path, name));
}
