// Pointer lists used for every parent/child relation in the handle tree.
#include "env/list.h"

#include <new>

#include "env/memory.h"

namespace {
ListCell *NewCell(void *ptr) {
    auto *cell = static_cast<ListCell *>(o2pMalloc(sizeof(ListCell)));
    if (cell == nullptr) throw std::bad_alloc();
    cell->ptr = ptr;
    cell->next = nullptr;
    return cell;
}

List *NewList() {
    auto *list = static_cast<List *>(o2pCalloc(1, sizeof(List)));
    if (list == nullptr) throw std::bad_alloc();
    return list;
}
}  // namespace

List *lappend(List *list, void *ptr) {
    ListCell *cell = NewCell(ptr);
    if (list == nullptr) {
        try {
            list = NewList();
        } catch (...) {
            o2pFree(cell);
            throw;
        }
        list->head = cell;
    } else {
        list->tail->next = cell;
    }
    list->tail = cell;
    list->length++;
    return list;
}

List *lcons(void *ptr, List *list) {
    ListCell *cell = NewCell(ptr);
    if (list == nullptr) {
        try {
            list = NewList();
        } catch (...) {
            o2pFree(cell);
            throw;
        }
        list->tail = cell;
    }
    cell->next = list->head;
    list->head = cell;
    list->length++;
    return list;
}

ListCell *list_head(const List *list) { return list == nullptr ? nullptr : list->head; }

int list_length(const List *list) { return list == nullptr ? 0 : list->length; }

void *list_nth(const List *list, int n) {
    if (n < 0 || n >= list_length(list)) return nullptr;
    ListCell *cell = list->head;
    while (n-- > 0) cell = cell->next;
    return cell->ptr;
}

bool list_member(const List *list, const void *ptr) {
    foreach_cell(cell, list) {
        if (cell->ptr == ptr) return true;
    }
    return false;
}

List *list_delete(List *list, const void *ptr) {
    ListCell *prev = nullptr;
    for (ListCell *cell = list_head(list); cell != nullptr; prev = cell, cell = cell->next) {
        if (cell->ptr != ptr) continue;
        if (prev == nullptr)
            list->head = cell->next;
        else
            prev->next = cell->next;
        if (list->tail == cell) list->tail = prev;
        o2pFree(cell);
        if (--list->length == 0) {
            o2pFree(list);
            return nullptr;
        }
        return list;
    }
    return list;
}

List *list_copy(const List *list) {
    List *copy = nullptr;
    try {
        foreach_cell(cell, list) copy = lappend(copy, cell->ptr);
    } catch (...) {
        list_free(copy);
        throw;
    }
    return copy;
}

void list_free(List *list) {
    if (list == nullptr) return;
    ListCell *cell = list->head;
    while (cell != nullptr) {
        ListCell *next = cell->next;
        o2pFree(cell);
        cell = next;
    }
    o2pFree(list);
}
