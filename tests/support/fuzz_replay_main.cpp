// Replays a fuzz target's saved corpus: every regular file below the folders named on the
// command line is handed to LLVMFuzzerTestOneInput once. A crash or sanitizer report fails
// the run; an empty or missing corpus fails too, so a target cannot silently test nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], error)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
        if (error) {
            std::fprintf(stderr, "cannot read corpus %s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    std::printf("replayed %zu corpus files\n", replayed);
    return replayed > 0 ? 0 : 1;
}
