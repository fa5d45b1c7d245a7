#pragma once
#include <string>
#include <vector>

namespace tessera::test {

struct BuiltFile {
    std::string path;  // below the program directory
    std::string bytes;
};

// The post-effect shaders as the build assembled them, each with its path "sys/posteffect/<name>"
// below the program directory, where PostEffect::setup looks for them.
std::vector<BuiltFile> builtPostEffectShaders();

}  // namespace tessera::test
