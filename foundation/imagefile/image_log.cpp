#include "foundation/imagefile/image_log.h"

#include "foundation/DDebug.h"

namespace mirel {

void DimgLogQuoted(const char* prefix, const char* path, const char* suffix) {
    DDebug& debug = DDebug::Global();
    debug.Print(prefix);
    debug.Print("\"");
    if (path != nullptr && path[0] != '\0') debug.Print(path);
    debug.Print("\"");
    debug.Print(suffix);
}

}  // namespace mirel
