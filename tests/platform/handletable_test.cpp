// Tests of the handle table: numbering, stale handles, bounds, lookups by
// kind, and records that keep their address while others come and go.
#include "platform/handletable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::HandleTable;

struct Thing;
using HTHING = Thing*;

HTHING handle(uintptr_t number) { return reinterpret_cast<HTHING>(number); }

enum class Kind { Pen, Brush };

struct Shape {
  Kind kind;
  int size = 0;
};

TEST(HandleTable, HandsOutNumbersFromTheFirstByTheStepAndFindsTheirRecords) {
  HandleTable<HTHING, std::string> table{0x100, 4};
  EXPECT_EQ(table.add("a"), handle(0x100));
  EXPECT_EQ(table.add("b"), handle(0x104));
  EXPECT_EQ(table.add("c"), handle(0x108));
  ASSERT_NE(table.find(handle(0x104)), nullptr);
  EXPECT_EQ(*table.find(handle(0x104)), "b");
  EXPECT_EQ(table.size(), 3u);
}

TEST(HandleTable, ValuesNeverHandedOutFindNothing) {
  HandleTable<HTHING, int> table{0x100, 4};
  table.add(1);
  table.add(2);
  const uintptr_t foreign[] = {0, 0xFC, 0x101, 0x102, 0x108, std::numeric_limits<uintptr_t>::max()};
  for (uintptr_t number : foreign) {
    EXPECT_EQ(table.find(handle(number)), nullptr) << std::hex << number;
    EXPECT_FALSE(table.remove(handle(number))) << std::hex << number;
  }
  EXPECT_EQ(table.size(), 2u);
}

TEST(HandleTable, ARemovedHandleStaysStaleAndIsNeverHandedOutAgain) {
  HandleTable<HTHING, std::string> table{1};
  HTHING first = table.add("first");
  HTHING second = table.add("second");
  ASSERT_TRUE(table.remove(first));
  EXPECT_EQ(table.find(first), nullptr);
  EXPECT_FALSE(table.remove(first));

  std::vector<HTHING> later;
  for (int i = 0; i < 100; ++i) later.push_back(table.add("later"));
  for (HTHING h : later) EXPECT_NE(h, first);
  EXPECT_EQ(table.find(first), nullptr);
  EXPECT_EQ(*table.find(second), "second");
}

TEST(HandleTable, ABoundedTableRefusesWhileFullAndTakesAgainWithAFreshHandle) {
  HandleTable<HTHING, int> table{1, 1, 2};
  HTHING a = table.add(10);
  HTHING b = table.add(20);
  EXPECT_TRUE(table.full());
  EXPECT_EQ(table.add(30), nullptr);
  EXPECT_EQ(table.size(), 2u);

  table.remove(a);
  HTHING c = table.add(30);
  EXPECT_NE(c, nullptr);
  EXPECT_NE(c, a);
  EXPECT_EQ(*table.find(c), 30);
  EXPECT_EQ(*table.find(b), 20);
}

TEST(HandleTable, NumberingStopsShortOfAllOnesAndDoesNotWrap) {
  constexpr uintptr_t kMax = std::numeric_limits<uintptr_t>::max();
  HandleTable<uintptr_t, int> table{kMax - 8, 4};
  EXPECT_EQ(table.add(1), kMax - 8);
  EXPECT_EQ(table.add(2), kMax - 4);
  EXPECT_EQ(table.add(3), 0u);  // all-ones is the invalid value, and 0 after it is null
  table.remove(kMax - 8);
  EXPECT_EQ(table.add(4), 0u);  // freeing a record gives no number back
  EXPECT_EQ(table.find(kMax), nullptr);
  EXPECT_EQ(table.size(), 1u);
}

TEST(HandleTable, LookupByKindFindsOnlyRecordsOfThatKind) {
  HandleTable<HTHING, Shape> byValue{0x10000, 4};
  HandleTable<HTHING, std::unique_ptr<Shape>> byPointer{0x10000, 4};
  HTHING pen = byValue.add(Shape{Kind::Pen, 1});
  HTHING brush = byPointer.add(std::make_unique<Shape>(Shape{Kind::Brush, 2}));

  EXPECT_EQ(byValue.find(pen, Kind::Pen), byValue.find(pen));
  EXPECT_EQ(byValue.find(pen, Kind::Brush), nullptr);
  EXPECT_EQ(byPointer.find(brush, Kind::Brush), byPointer.find(brush));
  EXPECT_EQ(byPointer.find(brush, Kind::Pen), nullptr);
  byValue.remove(pen);
  EXPECT_EQ(byValue.find(pen, Kind::Pen), nullptr);
}

TEST(HandleTable, RecordsKeepTheirAddressWhileOthersAreAddedAndRemoved) {
  HandleTable<HTHING, Shape> table{1};
  HTHING kept = table.add(Shape{Kind::Pen, 7});
  Shape* address = table.find(kept);
  std::vector<HTHING> others;
  for (int i = 0; i < 1000; ++i) others.push_back(table.add(Shape{Kind::Brush, i}));
  for (size_t i = 0; i < others.size(); i += 2) table.remove(others[i]);
  EXPECT_EQ(table.find(kept), address);
  EXPECT_EQ(address->size, 7);
}

#ifndef NDEBUG
TEST(HandleTableDeathTest, NumberingFromZeroOrByZeroStops) {
  using Table = HandleTable<HTHING, int>;
  EXPECT_DEATH(Table(0, 4), "^HandleTable: a handle table numbers from a first value by a step, neither 0");
  EXPECT_DEATH(Table(0x100, 0), "^HandleTable: a handle table numbers");
}
#endif

TEST(HandleTable, WalksOldestFirstOverASnapshot) {
  HandleTable<uintptr_t, int> table{0x100, 4};
  for (int value : {5, 6, 5, 7}) table.add(value);
  table.remove(0x100);
  EXPECT_EQ(table.firstWhere([](int v) { return v == 5; }), 0x108u);
  EXPECT_EQ(table.firstWhere([](int v) { return v == 9; }), 0u);

  std::vector<uintptr_t> live = table.handles();
  EXPECT_EQ(live, (std::vector<uintptr_t>{0x104, 0x108, 0x10C}));
  for (uintptr_t h : live) table.remove(h);  // the snapshot survives the removals
  EXPECT_TRUE(table.empty());
}

}  // namespace
