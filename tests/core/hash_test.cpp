// Hash tables: the two hash functions, equal keys, sweeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/hash.h"

TEST(HashFunctions, GiveTheDocumentedValues) {
  struct { const char* key; uint32_t hash; } strings[] = {
      {"ab", 97 * 1 + 98 * 8}, {"", 0}, {"a", 97},
      {"\xff", 1},  // bytes are signed: -1 * 1, then the absolute value
  };
  for (const auto& c : strings) EXPECT_EQ(zmHashString(c.key), c.hash) << c.key;

  struct { int32_t id; uint32_t hash; } ids[] = {
      {3, 9}, {-10000, 0}, {-1, 1}, {-9999, 99980001u % 500},
      // 50000 * 50000 wraps to a negative 32-bit product: the remainder is
      // negative too and comes back as a large unsigned number.
      {50000, static_cast<uint32_t>(static_cast<int32_t>(2500000000u) % 500)},
  };
  for (const auto& c : ids) EXPECT_EQ(zmHashId(&c.id), c.hash) << c.id;
}

class HashTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zmNewHash(7, &table, zmHashString), 0); }
  void TearDown() override { zmDeleteHash(table); }
  void* lookup(const char* key) {
    void* value = nullptr;
    return zmGetHashValue(table, key, &value) == 0 ? value : nullptr;
  }
  ZmHash* table = nullptr;
  int a = 1, b = 2, c = 3;
};

TEST_F(HashTable, EqualKeysFindTheFirstAndDeleteByValueTakesTheRightOne) {
  ASSERT_EQ(zmNewHashEntry(table, "k", 2, &a), 0);
  ASSERT_EQ(zmNewHashEntry(table, "k", 2, &b), 0);
  ASSERT_EQ(zmNewHashEntry(table, "other", 6, &c), 0);
  EXPECT_EQ(lookup("k"), &a);

  // Removing by value leaves the other entry under the same key.
  EXPECT_EQ(zmDeleteHashEntryByValue(table, "k", &b), 0);
  EXPECT_EQ(zmDeleteHashEntryByValue(table, "k", &b), -1);
  EXPECT_EQ(lookup("k"), &a);
  zmDeleteHashEntry(table, "k");
  EXPECT_EQ(lookup("k"), nullptr);
  zmDeleteHashEntry(table, "k");  // absent: nothing happens

  void* key = nullptr;
  ASSERT_EQ(zmGetHashKeyByValue(table, &c, &key), 0);
  EXPECT_STREQ(static_cast<char*>(key), "other");
  EXPECT_EQ(zmGetHashKeyByValue(table, &a, &key), -1);
}

TEST_F(HashTable, AppendsAfterARemovedTailStayReachable) {
  // Same bucket: "k" then "k" again; removing the tail then appending must
  // not lose the new entry.
  ASSERT_EQ(zmNewHashEntry(table, "k", 2, &a), 0);
  ASSERT_EQ(zmNewHashEntry(table, "k", 2, &b), 0);
  ASSERT_EQ(zmDeleteHashEntryByValue(table, "k", &b), 0);
  ASSERT_EQ(zmNewHashEntry(table, "k", 2, &c), 0);
  ASSERT_EQ(zmDeleteHashEntryByValue(table, "k", &a), 0);
  EXPECT_EQ(lookup("k"), &c);
}

TEST_F(HashTable, RemovingAGivenEntryKeepsTheChainInOrder) {
  int d = 4;
  int* values[] = {&a, &b, &c, &d};
  struct Case {
    int removed;                // position of the entry taken out
    std::vector<int> expected;  // the chain afterwards, then one appended (9)
  };
  const Case cases[] = {
      {0, {2, 3, 4, 9}}, {1, {1, 3, 4, 9}}, {3, {1, 2, 3, 9}},
  };
  for (const Case& test : cases) {
    zmDeleteHash(table);
    ASSERT_EQ(zmNewHash(1, &table, zmHashString), 0);  // one chain: a known order
    ZmHashEntry* entries[4];
    for (int i = 0; i < 4; ++i) ASSERT_NE(entries[i] = zmAddHashEntry(table, "k", 2, values[i]), nullptr);
    zmRemoveHashEntry(table, entries[test.removed]);
    int nine = 9;
    ASSERT_EQ(zmNewHashEntry(table, "k", 2, &nine), 0);
    std::vector<int> seen;
    zmForEachHashValue(table, [](void* value, void* out) {
      static_cast<std::vector<int>*>(out)->push_back(*static_cast<int*>(value));
      return 1;
    }, &seen);
    EXPECT_EQ(seen, test.expected) << "removed " << test.removed;
  }
}

static int recordValue(void* value, void* seen) {
  auto* values = static_cast<std::vector<int>*>(seen);
  values->push_back(*static_cast<int*>(value));
  // Answers: the second entry is removed and the sweep stops.
  return values->size() == 2 ? ZM_SWEEP_REMOVE_AND_STOP : ZM_SWEEP_KEEP;
}

TEST_F(HashTable, SweepRemovesAndStopsWhereTheCallbackSays) {
  zmDeleteHash(table);
  ASSERT_EQ(zmNewHash(1, &table, zmHashString), 0);  // one chain: a known order
  for (int* v : {&a, &b, &c}) ASSERT_EQ(zmNewHashEntry(table, "k", 2, v), 0);
  std::vector<int> seen;
  EXPECT_EQ(zmSweepHash(table, recordValue, &seen), -1);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));

  seen.clear();
  auto keepAll = [](void* value, void* out) {
    static_cast<std::vector<int>*>(out)->push_back(*static_cast<int*>(value));
    return static_cast<int>(ZM_SWEEP_KEEP);
  };
  EXPECT_EQ(zmSweepHash(table, keepAll, &seen), 0);
  EXPECT_EQ(seen, (std::vector<int>{1, 3}));

  auto removeAll = [](void*, void*) { return static_cast<int>(ZM_SWEEP_REMOVE); };
  EXPECT_EQ(zmSweepHash(table, removeAll, nullptr), 0);
  EXPECT_EQ(lookup("k"), nullptr);
  auto stopAtOnce = [](void*, void*) { return 0; };
  EXPECT_EQ(zmForEachHashValue(table, stopAtOnce, nullptr), 0);  // empty: no call
}
