// rendercsa OUTPUT: writes the renderer's shader set, "sys/renderer.csa", to OUTPUT.
#include <cstdio>
#include <fstream>

#include "tools/rendercsa/renderer_shaders.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rendercsa OUTPUT\n");
        return 2;
    }
    std::string error;
    const auto members = tools::rendercsa::rendererShaderMembers(error);
    if (members.empty()) {
        std::fprintf(stderr, "rendercsa: %s\n", error.c_str());
        return 1;
    }
    const std::string archive = tools::writers::writeDmf(members);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "rendercsa: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
