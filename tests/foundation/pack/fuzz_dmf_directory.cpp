// Fuzz target: "DMF " directories from arbitrary bytes, opened with and without the throw
// flag, then every member looked up and read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/DExceptFile.h"
#include "foundation/pack/DMFile.h"
#include "tests/foundation/support/memory_stream.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool throwFlag : {false, true}) {
        DFile file;
        tessera::test::attachMemory(file, bytes);
        file.SetThrow(throwFlag);
        DMFile archive;
        try {
            if (!archive.Open(file)) continue;
        } catch (const DExceptFile&) {
            continue;
        }
        for (auto it = archive.Entries()._GetFirstNode(); !(it == archive.Entries()._GetEndNode());
             it = it.Next()) {
            DMFile::DMFileINFO* entry = it.GetRef().Get();
            if (archive.Find(entry->name) == nullptr) __builtin_trap();
            DFile member;
            if (!archive.OpenEntry(member, entry)) __builtin_trap();
            member.SetThrow(false);
            char buffer[64];
            while (member.Read(buffer, sizeof buffer) > 0) {
            }
        }
    }
    return 0;
}
