#pragma once
#include <cstdint>

#include "framework/core/status.h"

struct PEL_HASH_NODE;

using PEL_HASH_FUNCTION = uint32_t (*)(void* user, const char16_t* key);
using PEL_HASH_EQUAL = bool (*)(void* user, const char16_t* storedKey, const char16_t* key);
using PEL_HASH_RELEASE = void (*)(void* user, void* pointer);

// A chained hash table with UTF-16 keys. The table stores the key pointer, it does not copy
// the key. Nodes come from the framework's shared node pool (the core module must be running).
struct PEL_HASH {
    PEL_HASH_NODE** buckets;
    uint32_t bucketCount;
    PEL_HASH_FUNCTION hash;
    PEL_HASH_EQUAL equal;
    PEL_HASH_RELEASE keyRelease;    // optional
    PEL_HASH_RELEASE valueRelease;  // optional
    void* user;
};

// 32-bit FNV-1 over the bytes of each unit (the high byte first when it is not zero).
uint32_t pelHashDefault(void* user, const char16_t* key);

// An empty table with the default hash and equality, no key release and user 0.
void pelHashInit(PEL_HASH* table, uint32_t bucketCount, PEL_HASH_RELEASE valueRelease);
void pelHashDestroy(PEL_HASH* table);
void* pelHashFind(const PEL_HASH* table, const char16_t* key);
// PEL_E_EXISTS when the key is present: the first value stored under a key stays.
PEL_STATUS pelHashInsert(PEL_HASH* table, const char16_t* key, void* value);
// PEL_E_EXISTS when the key is absent.
PEL_STATUS pelHashRemove(PEL_HASH* table, const char16_t* key);

// The shared node pool, started and stopped by the core module.
void pelHashStartNodePool();
void pelHashStopNodePool();
