#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Ids for engine objects that scripts hold, never addresses: the low 16 bits are the slot
// number + 1, the high 16 bits the slot's generation, which changes whenever the slot is
// freed. A stale id (its object removed) or a forged one finds nothing. Each table starts its
// generations at its own value, so the ids of two live tables (two engines) differ unless
// 65,535 tables were made between them. Id 0 is never issued.
// The first generation of the next table (1 to 0xFFFF).
uint32_t handleTableSeed();

template <typename T>
class HandleTable {
public:
    HandleTable() : seed_(handleTableSeed()) {}

    // The new object's id, or 0 when every slot is taken.
    uint32_t insert(T* object) {
        uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() >= kMaxSlots) return 0;
            index = static_cast<uint32_t>(slots_.size());
            slots_.push_back({nullptr, seed_});
        }
        slots_[index].object = object;
        return idOf(index);
    }

    T* find(uint32_t id) const {
        const uint32_t slot = id & 0xFFFFu;
        if (slot == 0 || slot > slots_.size()) return nullptr;
        const Slot& s = slots_[slot - 1];
        return s.generation == (id >> 16) ? s.object : nullptr;
    }

    // Takes the object out; the id and every copy of it go stale.
    T* remove(uint32_t id) {
        T* object = find(id);
        if (!object) return nullptr;
        const uint32_t index = (id & 0xFFFFu) - 1;
        Slot& s = slots_[index];
        s.object = nullptr;
        // Generations wrap past 0xFFFF to 1; a slot that has gone round to its first generation
        // is retired, so an old id of this table never matches again.
        s.generation = s.generation == 0xFFFFu ? 1 : s.generation + 1;
        if (s.generation != seed_) free_.push_back(index);
        return object;
    }

private:
    static constexpr size_t kMaxSlots = 0xFFFF;

    struct Slot {
        T* object;
        uint32_t generation;
    };

    uint32_t idOf(uint32_t index) const { return (slots_[index].generation << 16) | (index + 1); }

    uint32_t seed_;
    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
};
