// sqc compile in.nut out.cnut | sqc run file.cnut|file.nut | sqc dis file.cnut|file.nut
#include "squirrel/sqhost.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

bool ReadFile(const char* path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "sqc: cannot open %s\n", path);
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int Usage() {
    fprintf(stderr,
            "usage: sqc compile in.nut out.cnut\n"
            "       sqc run file.cnut|file.nut\n"
            "       sqc dis file.cnut|file.nut\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string cmd = argv[1];
    std::string data;
    if (!ReadFile(argv[2], data)) return 1;
    if (cmd == "run" && argc == 3) {
        return sqhost::RunScript(argv[2], data, std::cout, std::cerr);
    }
    if (cmd == "dis" && argc == 3) {
        return sqhost::Disassemble(argv[2], data, std::cout, std::cerr);
    }
    if (cmd == "compile" && argc == 4) {
        std::string cnut;
        if (!sqhost::CompileToStream(argv[2], data, cnut, std::cerr)) return 1;
        std::ofstream out(argv[3], std::ios::binary);
        out.write(cnut.data(), static_cast<std::streamsize>(cnut.size()));
        if (!out) {
            fprintf(stderr, "sqc: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return Usage();
}
