#pragma once
// The ids through which one engine's scripts hold sprite-library records, one table per kind,
// so that an id of one kind never finds a record of another. A record has at most one id: a
// second load of a cached image finds the id it already has.
#include <unordered_map>

#include "engine/script/handle_table.h"
#include "framework/sprite/records.h"

class Engine;

template <typename T>
class SpriteIds {
public:
    // The record's id, issued on first use (0 when no id is left).
    uint32_t insert(T* record) {
        auto found = ids_.find(record);
        if (found != ids_.end()) return found->second;
        const uint32_t id = table_.insert(record);
        if (id) ids_.emplace(record, id);
        return id;
    }
    T* find(uint32_t id) const { return table_.find(id); }
    // The id the record has, or 0.
    uint32_t idOf(T* record) const {
        auto found = ids_.find(record);
        return found == ids_.end() ? 0 : found->second;
    }
    void remove(T* record) {
        auto found = ids_.find(record);
        if (found == ids_.end()) return;
        table_.remove(found->second);
        ids_.erase(found);
    }
    // Retires the ids of every record the predicate picks (records a renderer took with it).
    template <typename Pick>
    void removeIf(Pick pick) {
        for (auto it = ids_.begin(); it != ids_.end();) {
            if (pick(it->first)) {
                table_.remove(it->second);
                it = ids_.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    HandleTable<T> table_;
    std::unordered_map<T*, uint32_t> ids_;
};

struct SpriteHandles {
    SpriteIds<PEL_SPRITE_IMAGE> images;
    SpriteIds<PEL_SPRITE_RENDERER> renderers;
    SpriteIds<PEL_SPRITE_TEXT_FORMAT> formats;
    SpriteIds<PEL_SPRITE_RECT> rects;
    SpriteIds<PEL_SPRITE> sprites;
    SpriteIds<PEL_SPRITE_ANIMATION> animations;
};

// The tables of the engine, made on first use. They live in the registry of the engine's VM
// and go when the VM closes, so the ids of an engine die with it.
SpriteHandles& spriteHandlesOf(const Engine* engine);
