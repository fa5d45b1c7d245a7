#pragma once
#include <string>

namespace tessera::test {

// The bytes of the renderer's shader set as the build assembled it ("sys/renderer.csa").
std::string builtShaderArchive();

}  // namespace tessera::test
