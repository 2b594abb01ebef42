// Singly linked lists of pointers: children of an environment, binds and
// defines of a statement, cached statements, parse trees, thread-key entries.
// A null List* is the empty list. Appending keeps order; deleting removes the
// first cell that holds the pointer. Cells come from the library allocator, so
// running out of memory throws std::bad_alloc, which the entry-point guard
// turns into error 16506.
#pragma once

struct ListCell {
    void *ptr;
    ListCell *next;
};

struct List {
    int length;
    ListCell *head;
    ListCell *tail;
};

List *lappend(List *list, void *ptr);
List *lcons(void *ptr, List *list);
ListCell *list_head(const List *list);
void *list_nth(const List *list, int n);
int list_length(const List *list);
bool list_member(const List *list, const void *ptr);
List *list_delete(List *list, const void *ptr);
List *list_copy(const List *list);
void list_free(List *list);

#define foreach_cell(cell, list) \
    for (ListCell *cell = list_head(list); cell != nullptr; cell = cell->next)
