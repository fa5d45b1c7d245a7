#pragma once

namespace mirel {

// Prints prefix, '"', path, '"' and suffix to the debug log as separate pieces (the path is
// left out when null or empty).
void DimgLogQuoted(const char* prefix, const char* path, const char* suffix);

}  // namespace mirel
