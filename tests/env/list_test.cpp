#include <gtest/gtest.h>

#include "env/list.h"
#include "env/memory.h"

namespace {
int a, b, c;

TEST(List, AppendConsNthAndDeleteKeepOrder) {
    List *list = nullptr;
    list = lappend(list, &a);
    list = lappend(list, &b);
    list = lcons(&c, list);
    ASSERT_EQ(list_length(list), 3);
    EXPECT_EQ(list_nth(list, 0), &c);
    EXPECT_EQ(list_nth(list, 1), &a);
    EXPECT_EQ(list_nth(list, 2), &b);
    EXPECT_EQ(list_nth(list, 3), nullptr);
    EXPECT_TRUE(list_member(list, &b));

    // Deleting the tail must keep appends working.
    list = list_delete(list, &b);
    list = lappend(list, &b);
    EXPECT_EQ(list_nth(list, 2), &b);

    List *copy = list_copy(list);
    list = list_delete(list, &c);
    list = list_delete(list, &a);
    list = list_delete(list, &b);
    EXPECT_EQ(list, nullptr);  // an emptied list is the null list
    EXPECT_EQ(list_length(copy), 3);
    list_free(copy);
}

TEST(List, DeleteRemovesOnlyTheFirstOccurrence) {
    List *list = nullptr;
    list = lappend(list, &a);
    list = lappend(list, &b);
    list = lappend(list, &a);
    list = list_delete(list, &a);
    ASSERT_EQ(list_length(list), 2);
    EXPECT_EQ(list_nth(list, 0), &b);
    EXPECT_EQ(list_nth(list, 1), &a);
    list = list_delete(list, &c);  // not a member: unchanged
    EXPECT_EQ(list_length(list), 2);
    list_free(list);
}

TEST(List, AllocationFailureThrowsAndLeavesTheListIntact) {
    List *list = lappend(nullptr, &a);
    o2pFailAllocationAfter(0);
    EXPECT_THROW(lappend(list, &b), std::bad_alloc);
    EXPECT_EQ(list_length(list), 1);
    o2pFailAllocationAfter(0);
    EXPECT_THROW(lappend(nullptr, &b), std::bad_alloc);
    o2pFailAllocationAfter(1);  // the cell succeeds, the list head fails
    EXPECT_THROW(lappend(nullptr, &b), std::bad_alloc);
    o2pFailAllocationAfter(-1);
    list_free(list);
}
}  // namespace
