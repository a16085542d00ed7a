// The generic singly linked list and the LRU list.
#include <gtest/gtest.h>

#include <vector>

#include "core/list.h"

namespace {

std::vector<intptr_t> handed;  // values given to the callbacks, in order

void recordValue(intptr_t value) { handed.push_back(value); }

int matchEqual(intptr_t key, intptr_t value) { return key == value ? 0 : 1; }

std::vector<intptr_t> values(ZmListNode* first) {
  std::vector<intptr_t> out;
  for (ZmListNode* node = zmGetNextInList(first, nullptr); node != nullptr; node = zmGetNextInList(first, node)) {
    out.push_back(node->value);
  }
  return out;
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handed.clear();
    ASSERT_EQ(zmInitList(&head), 1);
  }
  void TearDown() override { zmDeleteList(&head, nullptr); }

  // The list 1, 2, 3, ... n.
  void fill(int n) {
    for (int i = 1; i <= n; ++i) ASSERT_EQ(zmAppendToList(&head, i), 1);
  }

  ZmListNode* head = nullptr;
};

TEST_F(ListTest, PushAndAppendOrderAndRefuseZero) {
  EXPECT_EQ(zmIsEmptyList(head), 1);
  EXPECT_EQ(zmAppendToList(&head, 2), 1);
  EXPECT_EQ(zmPushToList(&head, 1), 1);
  EXPECT_EQ(zmAppendToList(&head, 3), 1);
  EXPECT_EQ(values(head), (std::vector<intptr_t>{1, 2, 3}));

  EXPECT_EQ(zmPushToList(&head, 0), 0);
  EXPECT_EQ(zmAppendToList(&head, 0), 0);
  EXPECT_EQ(zmAppendToList(nullptr, 4), 0);
  EXPECT_EQ(values(head), (std::vector<intptr_t>{1, 2, 3}));
  EXPECT_EQ(zmInitList(nullptr), 0);
}

TEST_F(ListTest, RemoveFirstMiddleAndLast) {
  fill(4);
  for (intptr_t value : {1, 3, 4}) {
    ZmListNode* node = nullptr;
    ASSERT_EQ(zmFindInList(head, value, matchEqual, &node), 1);
    EXPECT_EQ(zmRemoveFromList(&head, &node), 1);
    EXPECT_EQ(node, nullptr);
  }
  EXPECT_EQ(values(head), std::vector<intptr_t>{2});
}

TEST_F(ListTest, RemoveRefusesANodeOfAnotherListAndNulls) {
  fill(2);
  ZmListNode* other = nullptr;
  ASSERT_EQ(zmAppendToList(&other, 7), 1);
  ZmListNode* stranger = other;

  EXPECT_EQ(zmRemoveFromList(&head, &stranger), 0);
  EXPECT_EQ(stranger, other);  // not freed: still readable and removable from its own list
  EXPECT_EQ(stranger->value, 7);
  EXPECT_EQ(values(head), (std::vector<intptr_t>{1, 2}));

  ZmListNode* none = nullptr;
  EXPECT_EQ(zmRemoveFromList(&head, &none), 0);
  EXPECT_EQ(zmRemoveFromList(nullptr, &stranger), 0);
  ZmListNode* empty = nullptr;
  EXPECT_EQ(zmRemoveFromList(&empty, &stranger), 0);

  EXPECT_EQ(zmRemoveFromList(&other, &stranger), 1);
  EXPECT_EQ(other, nullptr);
}

TEST_F(ListTest, FindStopsAtTheFirstMatch) {
  fill(3);
  // Answers 0 (a match) for the second node only.
  auto second = [](intptr_t, intptr_t value) { return value == 2 ? 0 : 1; };
  ZmListNode* node = nullptr;
  EXPECT_EQ(zmFindInList(head, 99, second, &node), 1);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node, head->next);

  EXPECT_EQ(zmFindInList(head, 99, matchEqual, &node), 0);
  EXPECT_EQ(node, nullptr);
}

TEST_F(ListTest, FindWithAMissingArgumentLeavesTheOutputAlone) {
  fill(1);
  ZmListNode* const untouched = reinterpret_cast<ZmListNode*>(0x1);
  ZmListNode* node = untouched;
  EXPECT_EQ(zmFindInList(nullptr, 1, matchEqual, &node), 0);
  EXPECT_EQ(zmFindInList(head, 0, matchEqual, &node), 0);
  EXPECT_EQ(zmFindInList(head, 1, nullptr, &node), 0);
  EXPECT_EQ(node, untouched);
  EXPECT_EQ(zmFindInList(head, 1, matchEqual, nullptr), 0);
}

TEST_F(ListTest, ForEachStopsAfterTheFirstZeroAnswer) {
  fill(4);
  auto untilThree = [](intptr_t value) {
    handed.push_back(value);
    return value == 3 ? 0 : 1;
  };
  zmForEachInList(head, untilThree);
  EXPECT_EQ(handed, (std::vector<intptr_t>{1, 2, 3}));
  zmForEachInList(head, nullptr);
  zmForEachInList(nullptr, untilThree);
  EXPECT_EQ(handed.size(), 3u);
}

TEST_F(ListTest, DeleteHandsValuesLastFirst) {
  fill(4);
  zmDeleteList(&head, recordValue);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(handed, (std::vector<intptr_t>{4, 3, 2, 1}));

  zmDeleteList(&head, recordValue);  // empty: nothing handed
  zmDeleteList(nullptr, recordValue);
  EXPECT_EQ(handed.size(), 4u);
}

TEST_F(ListTest, NodesAreMadeAndFreedSingly) {
  ZmListNode* node = nullptr;
  ASSERT_EQ(zmNewListNode(&node, 5), 1);
  EXPECT_EQ(node->value, 5);
  EXPECT_EQ(node->next, nullptr);
  zmFreeListNode(&node);
  EXPECT_EQ(node, nullptr);
  zmFreeListNode(&node);
  zmFreeListNode(nullptr);
  EXPECT_EQ(zmNewListNode(nullptr, 5), 0);
}

class LruListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handed.clear();
    lru = zmNewLruList(3, matchEqual, recordValue);
    ASSERT_NE(lru, nullptr);
  }
  void TearDown() override { zmDeleteLruList(lru); }

  ZmLruList* lru = nullptr;
};

TEST_F(LruListTest, AnOverfullListDropsTheLeastRecentlyUsed) {
  for (intptr_t value : {1, 2, 3}) ASSERT_EQ(zmAddToLruList(lru, value), 1);
  EXPECT_EQ(zmFindInLruList(lru, 1), 1);  // 1 becomes the most recent, 2 the least
  ASSERT_EQ(zmAddToLruList(lru, 4), 1);
  EXPECT_EQ(handed, std::vector<intptr_t>{2});
  EXPECT_EQ(lru->count, 3);
  EXPECT_EQ(values(lru->first), (std::vector<intptr_t>{4, 1, 3}));
  EXPECT_EQ(zmFindInLruList(lru, 2), 0);
}

TEST_F(LruListTest, RemoveAndDeleteHandValuesToTheFreeCallback) {
  for (intptr_t value : {1, 2, 3}) ASSERT_EQ(zmAddToLruList(lru, value), 1);
  EXPECT_EQ(zmRemoveFromLruList(lru, 2), 1);
  EXPECT_EQ(zmRemoveFromLruList(lru, 2), 0);
  EXPECT_EQ(lru->count, 2);
  zmDeleteLruList(lru);
  lru = nullptr;
  EXPECT_EQ(handed, (std::vector<intptr_t>{2, 3, 1}));
}

#ifndef NDEBUG
// A count that no longer matches the nodes is a broken list, not bad input.
TEST_F(LruListTest, CountsThatDisagreeWithTheNodesStopLoudly) {
  for (intptr_t value : {1, 2}) ASSERT_EQ(zmAddToLruList(lru, value), 1);
  lru->count = 4;  // more than a list of three may hold
  EXPECT_DEATH(zmAddToLruList(lru, 3), "^zmAddToLruList: an LRU list holds at most its capacity");
  lru->count = 0;  // fewer than the two nodes
  EXPECT_DEATH(zmRemoveFromLruList(lru, 1), "^dropLruNode: the dropped node is one of the values");
  lru->count = 2;
}
#endif

TEST_F(LruListTest, RefusesBadArguments) {
  EXPECT_EQ(zmNewLruList(0, matchEqual, nullptr), nullptr);
  EXPECT_EQ(zmNewLruList(1, nullptr, nullptr), nullptr);
  EXPECT_EQ(zmAddToLruList(lru, 0), 0);
  EXPECT_EQ(zmAddToLruList(nullptr, 1), 0);
  EXPECT_EQ(zmFindInLruList(nullptr, 1), 0);
  EXPECT_EQ(zmRemoveFromLruList(nullptr, 1), 0);
  EXPECT_EQ(lru->count, 0);
}

}  // namespace
