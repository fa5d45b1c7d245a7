#pragma once
#include <cstddef>
#include <cstdint>

// The link an element of an intrusive list embeds.
struct PEL_LIST_LINK {
    PEL_LIST_LINK* next;
    PEL_LIST_LINK* prev;
};

using PEL_LIST_REMOVE_CALLBACK = void (*)(void* user, void* element);

// An intrusive circular doubly linked list; its head is its own sentinel, so an empty list
// points at itself. The record must not be moved or copied once initialised.
struct PEL_LIST {
    PEL_LIST_LINK head;
    size_t linkOffset;  // where the PEL_LIST_LINK lies inside each element
    uint32_t count;
    PEL_LIST_REMOVE_CALLBACK
    removeCallback;  // called for every element the remove operations take out
    void* user;
};

void pelListInit(PEL_LIST* list, size_t linkOffset, PEL_LIST_REMOVE_CALLBACK removeCallback,
                 void* user);

inline PEL_LIST_LINK* pelListEnd(PEL_LIST* list) { return &list->head; }
inline void* pelListElement(const PEL_LIST* list, PEL_LIST_LINK* link) {
    return reinterpret_cast<char*>(link) - list->linkOffset;
}
inline PEL_LIST_LINK* pelListLink(const PEL_LIST* list, void* element) {
    return reinterpret_cast<PEL_LIST_LINK*>(static_cast<char*>(element) + list->linkOffset);
}

// Linking elements in place: at the tail, or before the first element.
void pelListAppend(PEL_LIST* list, void* element);
void pelListPushFront(PEL_LIST* list, void* element);

// Without a remove callback the list is simply reset (the elements are not touched); with
// one, every element is unlinked and handed to it.
void pelListClear(PEL_LIST* list);
// The first element, or NULL.
void* pelListFirst(PEL_LIST* list);
// Unlinks the element of this link (with the callback) and returns the link that followed
// it; the sentinel is returned unchanged.
PEL_LIST_LINK* pelListRemove(PEL_LIST* list, PEL_LIST_LINK* link);
void pelListRemoveFirst(PEL_LIST* list);
void pelListRemoveLast(PEL_LIST* list);
