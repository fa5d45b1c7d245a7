#include "tests/render3d/support/built_posteffect_shaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace tessera::test {

std::vector<BuiltFile> builtPostEffectShaders() {
    std::vector<BuiltFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(TESSERA_POSTEFFECT_SHADER_PATH))
        files.push_back({"sys/posteffect/" + entry.path().filename().string(),
                         readFileBytes(entry.path().string())});
    EXPECT_FALSE(files.empty()) << TESSERA_POSTEFFECT_SHADER_PATH;
    std::sort(files.begin(), files.end(),
              [](const BuiltFile& a, const BuiltFile& b) { return a.path < b.path; });
    return files;
}

}  // namespace tessera::test
