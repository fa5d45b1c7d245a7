#pragma once
#include <cstdint>

// One record between the game and the lobby program: a record type and its payload, sent
// as it lies in memory (little-endian).
struct LoungeRecord {
    uint32_t type;
    uint8_t payload[272];
};
static_assert(sizeof(LoungeRecord) == 276);
