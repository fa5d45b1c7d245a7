#include "engine/script/handle_table.h"

#include <atomic>

uint32_t handleTableSeed() {
    static std::atomic<uint32_t> next{0};
    return next.fetch_add(1, std::memory_order_relaxed) % 0xFFFFu + 1;
}
