#pragma once
// The rows of the device's state cache. Each row keeps the wanted value, the value last sent
// to Direct3D and the cache's default, and sits in up to two lists of its table: the dirty
// list (wanted differs from applied) and the non-default list (wanted differs from the
// default). Both are doubly linked through the rows and insert at the head, so a flush sends
// the most recently dirtied row first.
#include <array>
#include <cstdint>

template <class V>
struct L3DStateRow {
    static constexpr uint32_t Supported = 0x1;
    static constexpr uint32_t Dirty = 0x2;
    static constexpr uint32_t NonDefault = 0x4;

    uint32_t flags = 0;
    uint32_t unit = 0;  // sampler or stage
    uint32_t state = 0;
    V value{};
    V applied{};
    V defaultValue{};
    L3DStateRow* dirtyPrev = nullptr;
    L3DStateRow* dirtyNext = nullptr;
    L3DStateRow* nonDefaultPrev = nullptr;
    L3DStateRow* nonDefaultNext = nullptr;
};

template <class V, std::size_t N>
struct L3DStateTable {
    using Row = L3DStateRow<V>;
    std::array<Row, N> rows{};
    Row* dirty = nullptr;
    Row* nonDefault = nullptr;

    // Stores a new wanted value and moves the row into or out of the two lists.
    void record(Row& row, V value) {
        if (row.value == value) return;
        row.value = value;
        relink(row, value != row.applied, Row::Dirty, dirty, &Row::dirtyPrev, &Row::dirtyNext);
        relink(row, value != row.defaultValue, Row::NonDefault, nonDefault, &Row::nonDefaultPrev,
               &Row::nonDefaultNext);
    }

    // Sends every dirty row, most recently dirtied first, and empties the dirty list.
    template <class Send>
    void flush(Send send) {
        for (Row* row = dirty; row; row = row->dirtyNext) {
            send(*row);
            row->flags &= ~Row::Dirty;
            row->applied = row->value;
        }
        for (Row* row = dirty; row;) {
            Row* next = row->dirtyNext;
            row->dirtyPrev = row->dirtyNext = nullptr;
            row = next;
        }
        dirty = nullptr;
    }

    // Every supported row to its default, sent through `send`; both lists empty.
    template <class Send>
    void initialise(Send send) {
        for (Row& row : rows) {
            if (!(row.flags & Row::Supported)) continue;
            row.value = row.applied = row.defaultValue;
            row.flags = Row::Supported;
            row.dirtyPrev = row.dirtyNext = row.nonDefaultPrev = row.nonDefaultNext = nullptr;
            send(row);
        }
        dirty = nonDefault = nullptr;
    }

    // Sets every non-default row back to its default (recorded, not sent).
    void resetToDefaults() {
        while (nonDefault) record(*nonDefault, nonDefault->defaultValue);
    }

private:
    static void relink(Row& row, bool member, uint32_t flag, Row*& head, Row* Row::*prev,
                       Row* Row::*next) {
        const bool linked = (row.flags & flag) != 0;
        if (member == linked) return;
        if (member) {
            row.flags |= flag;
            row.*prev = nullptr;
            row.*next = head;
            if (head) head->*prev = &row;
            head = &row;
        } else {
            row.flags &= ~flag;
            if (row.*prev)
                row.*prev->*next = row.*next;
            else
                head = row.*next;
            if (row.*next) row.*next->*prev = row.*prev;
            row.*prev = row.*next = nullptr;
        }
    }
};
