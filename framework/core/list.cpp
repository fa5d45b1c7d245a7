#include "framework/core/list.h"

namespace {

void linkBetween(PEL_LIST_LINK* link, PEL_LIST_LINK* prev, PEL_LIST_LINK* next) {
    link->prev = prev;
    link->next = next;
    prev->next = link;
    next->prev = link;
}

}  // namespace

void pelListInit(PEL_LIST* list, size_t linkOffset, PEL_LIST_REMOVE_CALLBACK removeCallback,
                 void* user) {
    list->head.next = &list->head;
    list->head.prev = &list->head;
    list->linkOffset = linkOffset;
    list->count = 0;
    list->removeCallback = removeCallback;
    list->user = user;
}

void pelListAppend(PEL_LIST* list, void* element) {
    linkBetween(pelListLink(list, element), list->head.prev, &list->head);
    ++list->count;
}

void pelListPushFront(PEL_LIST* list, void* element) {
    linkBetween(pelListLink(list, element), &list->head, list->head.next);
    ++list->count;
}

void pelListClear(PEL_LIST* list) {
    if (!list->removeCallback) {
        list->head.next = &list->head;
        list->head.prev = &list->head;
        list->count = 0;
        return;
    }
    while (list->count > 0) pelListRemove(list, list->head.next);
}

void* pelListFirst(PEL_LIST* list) {
    if (list->head.next == &list->head) return nullptr;
    return pelListElement(list, list->head.next);
}

PEL_LIST_LINK* pelListRemove(PEL_LIST* list, PEL_LIST_LINK* link) {
    if (link == &list->head) return link;
    PEL_LIST_LINK* const following = link->next;
    link->prev->next = link->next;
    link->next->prev = link->prev;
    --list->count;
    if (list->removeCallback) list->removeCallback(list->user, pelListElement(list, link));
    return following;
}

void pelListRemoveFirst(PEL_LIST* list) { pelListRemove(list, list->head.next); }

void pelListRemoveLast(PEL_LIST* list) { pelListRemove(list, list->head.prev); }
