#pragma once
#include <cstdint>

#include "engine/script/handle_table.h"
#include "framework/core/list.h"

class ScriptObject;
class BinManager;

// The whole content of a file loaded by a script, owned by one engine's BinManager.
struct BinBuffer {
    PEL_LIST_LINK link;
    BinManager* manager;
    uint32_t id;  // what the script holds, as a user pointer
    uint32_t size;
    uint8_t* data;  // new[]
};

// The byte buffers of one engine, in load order. Scripts name a buffer by its id; ids of
// destroyed buffers and of other engines find nothing here.
class BinManager {
public:
    BinManager();
    // Frees what the scripts left (each with its "force destroy" report).
    ~BinManager() { destroy(); }
    BinManager(const BinManager&) = delete;
    BinManager& operator=(const BinManager&) = delete;

    // A new empty buffer at the end of the list, or null when no id is left.
    BinBuffer* createBuffer();
    BinBuffer* find(uint32_t id) const { return ids_.find(id); }
    // Unlinks and frees the buffer.
    void removeBuffer(BinBuffer* buffer);
    // The engine's teardown: frees every buffer left, reporting each at level 4.
    void destroy();
    uint32_t count() const { return list_.count; }

private:
    PEL_LIST list_;
    HandleTable<BinBuffer> ids_;
};

// Registers binaryLoad, binaryDestroy, binaryReadU8, binaryReadI32, binaryWriteU8 and
// binaryWriteI32 in the table.
void registerBinaryNatives(const ScriptObject& root);
