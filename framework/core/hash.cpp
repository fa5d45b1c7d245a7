#include "framework/core/hash.h"

#include <cstdlib>

#include "framework/core/mempool.h"
#include "framework/core/report.h"
#include "framework/core/spinlock.h"
#include "framework/core/wide_string.h"

struct PEL_HASH_NODE {
    uint32_t hash;
    const char16_t* key;
    void* value;
    PEL_HASH_NODE* next;
};

namespace {

constexpr uint32_t kFnvBasis = 0x811C9DC5u;
constexpr uint32_t kFnvPrime = 0x01000193u;

// Tables of several threads share one node pool, so it has its own lock.
struct NodePool {
    PEL_SPINLOCK lock{};
    PEL_MEMPOOL pool;
};
NodePool nodes;

bool defaultEqual(void*, const char16_t* storedKey, const char16_t* key) {
    return pelStrEqual(storedKey, key);
}

PEL_HASH_NODE* newNode() {
    PelSpinGuard guard(&nodes.lock);
    return static_cast<PEL_HASH_NODE*>(pelMempoolAllocateBlock(&nodes.pool));
}

void freeNode(PEL_HASH_NODE* node) {
    PelSpinGuard guard(&nodes.lock);
    pelMempoolFreeBlock(node, &nodes.pool);
}

}  // namespace

void pelHashStartNodePool() {
    pelMempoolInit(&nodes.pool, 128, sizeof(PEL_HASH_NODE), PEL_MEMPOOL_GROWABLE);
}

void pelHashStopNodePool() { pelMempoolDestroy(&nodes.pool); }

uint32_t pelHashDefault(void*, const char16_t* key) {
    uint32_t hash = kFnvBasis;
    for (; *key; ++key) {
        const uint32_t unit = *key;
        hash *= kFnvPrime;
        if (unit > 0xFF) {
            hash ^= unit >> 8;
            hash *= kFnvPrime;
        }
        hash ^= unit & 0xFF;
    }
    return hash;
}

void pelHashInit(PEL_HASH* table, uint32_t bucketCount, PEL_HASH_RELEASE valueRelease) {
    if (bucketCount == 0) bucketCount = 1;
    table->buckets = pelCheckAlloc(
        static_cast<PEL_HASH_NODE**>(std::calloc(bucketCount, sizeof(PEL_HASH_NODE*))));
    table->bucketCount = table->buckets ? bucketCount : 0;
    table->hash = pelHashDefault;
    table->equal = defaultEqual;
    table->keyRelease = nullptr;
    table->valueRelease = valueRelease;
    table->user = nullptr;
}

void pelHashDestroy(PEL_HASH* table) {
    for (uint32_t b = 0; b < table->bucketCount && table->keyRelease; ++b) {
        for (PEL_HASH_NODE* node = table->buckets[b]; node; node = node->next) {
            table->keyRelease(table->user, const_cast<char16_t*>(node->key));
        }
    }
    for (uint32_t b = 0; b < table->bucketCount && table->valueRelease; ++b) {
        for (PEL_HASH_NODE* node = table->buckets[b]; node; node = node->next)
            table->valueRelease(table->user, node->value);
    }
    for (uint32_t b = 0; b < table->bucketCount; ++b) {
        for (PEL_HASH_NODE* node = table->buckets[b]; node;) {
            PEL_HASH_NODE* next = node->next;
            freeNode(node);
            node = next;
        }
    }
    std::free(table->buckets);
    table->buckets = nullptr;
    table->bucketCount = 0;
}

void* pelHashFind(const PEL_HASH* table, const char16_t* key) {
    if (table->bucketCount == 0) return nullptr;
    const uint32_t hash = table->hash(table->user, key);
    for (PEL_HASH_NODE* node = table->buckets[hash % table->bucketCount]; node; node = node->next) {
        if (node->hash == hash && table->equal(table->user, node->key, key)) return node->value;
    }
    return nullptr;
}

PEL_STATUS pelHashInsert(PEL_HASH* table, const char16_t* key, void* value) {
    if (table->bucketCount == 0) return PEL_E_INVALIDARG;
    const uint32_t hash = table->hash(table->user, key);
    PEL_HASH_NODE*& head = table->buckets[hash % table->bucketCount];
    for (PEL_HASH_NODE* node = head; node; node = node->next) {
        if (node->hash == hash && table->equal(table->user, node->key, key)) return PEL_E_EXISTS;
    }
    PEL_HASH_NODE* node = newNode();
    if (!node) return PEL_E_FULL;
    *node = {hash, key, value, head};
    head = node;
    return PEL_OK;
}

PEL_STATUS pelHashRemove(PEL_HASH* table, const char16_t* key) {
    if (table->bucketCount == 0) return PEL_E_EXISTS;
    const uint32_t hash = table->hash(table->user, key);
    for (PEL_HASH_NODE** link = &table->buckets[hash % table->bucketCount]; *link;
         link = &(*link)->next) {
        PEL_HASH_NODE* node = *link;
        if (node->hash != hash || !table->equal(table->user, node->key, key)) continue;
        *link = node->next;
        if (table->keyRelease) table->keyRelease(table->user, const_cast<char16_t*>(node->key));
        if (table->valueRelease) table->valueRelease(table->user, node->value);
        freeNode(node);
        return PEL_OK;
    }
    return PEL_E_EXISTS;
}
