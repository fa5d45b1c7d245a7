#include "platform/plugin/local_memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The block in front of the memory; 16 bytes keep the memory aligned as malloc's is.
struct alignas(16) Block {
    size_t size;
};

Block* BlockOf(void* handle) { return static_cast<Block*>(handle); }

}  // namespace

extern "C" {

void* LocalAlloc(unsigned flags, size_t bytes) {
    if (bytes > SIZE_MAX - sizeof(Block)) return nullptr;
    void* memory = (flags & LMEM_ZEROINIT) ? std::calloc(1, sizeof(Block) + bytes)
                                           : std::malloc(sizeof(Block) + bytes);
    if (memory == nullptr) return nullptr;
    BlockOf(memory)->size = bytes;
    return memory;
}

void* LocalLock(void* handle) { return handle ? BlockOf(handle) + 1 : nullptr; }

int LocalUnlock(void*) { return 0; }

size_t LocalSize(void* handle) { return handle ? BlockOf(handle)->size : 0; }

void* LocalFree(void* handle) {
    std::free(handle);
    return nullptr;
}

}  // extern "C"
