#pragma once
#include <cstdint>

#include "framework/core/mempool.h"
#include "framework/sprite/records.h"

// What the library's files share: the module's pools and the count helpers.
namespace tessera::sprite {

struct Pools {
    PEL_MEMPOOL images;
    PEL_MEMPOOL renderers;
    PEL_MEMPOOL rects;
    PEL_MEMPOOL fonts;
    PEL_MEMPOOL textPages;
    PEL_MEMPOOL textFormats;
    PEL_MEMPOOL texts;
    PEL_MEMPOOL sprites;
    PEL_MEMPOOL cursors;
};
Pools& pools();

template <typename T>
T* allocate(PEL_MEMPOOL& pool) {
    return static_cast<T*>(pelMempoolAllocateBlock(&pool));
}

// Drop one internal reference and destroy the record when both counts are then zero.
void unrefImage(PEL_SPRITE_IMAGE* image);
void unrefRect(PEL_SPRITE_RECT* rect);
void unrefAnimation(PEL_SPRITE_ANIMATION* animation);
void unrefTextFormat(PEL_SPRITE_TEXT_FORMAT* format);

// The fatal report of a code outside the tables.
void reportNotImplemented();

// Half away from zero, clamped to the range of u32.
uint32_t roundTime(float value);

inline void unlinkFrom(PEL_LIST* list, void* element) {
    pelListRemove(list, pelListLink(list, element));
}

// The list a sprite is linked in: its parent's or the renderer's, visible or hidden.
PEL_LIST* placeList(PEL_SPRITE* sprite);
void joinLevel(PEL_SPRITE* sprite);
void leaveLevel(PEL_SPRITE* sprite);

// Calls f on every sprite of the list; the next link is taken before each call, so f may move
// the sprite to another list or destroy it.
template <typename F>
void forEachSprite(PEL_LIST* list, F f) {
    for (PEL_LIST_LINK* link = list->head.next; link != pelListEnd(list);) {
        PEL_LIST_LINK* const next = link->next;
        f(static_cast<PEL_SPRITE*>(pelListElement(list, link)));
        link = next;
    }
}

}  // namespace tessera::sprite
