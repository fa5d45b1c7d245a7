#include "tests/render3d/support/built_shader_archive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace tessera::test {

std::string builtShaderArchive() {
    std::ifstream in(TESSERA_RENDERER_CSA_PATH, std::ios::binary);
    EXPECT_TRUE(in) << TESSERA_RENDERER_CSA_PATH;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tessera::test
