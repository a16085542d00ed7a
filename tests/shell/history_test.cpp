// tests/shell/history_test.cpp -- the history of shown URLs and the world
// cache's ownership of built worlds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/world.h"
#include "shell/worldcache.h"

namespace {

std::vector<std::string> historyUrls() {
  std::vector<std::string> urls;
  for (ZmHistory* entry = zmGetFirstHistory(); entry != nullptr; entry = zmGetNextHistory(entry))
    urls.emplace_back(entry->url);
  return urls;
}

class HistoryTest : public ::testing::Test {
 protected:
  void TearDown() override { zmFreeHistory(); }

  ZmHistory* visit(const char* url) {
    ZmHistory* entry = zmAddHistory(url);
    zmSetCurrentHistory(entry);
    return entry;
  }
};

TEST_F(HistoryTest, AddingAfterAnEarlierEntryDropsTheOnesAfterIt) {
  visit("A");
  ZmHistory* b = visit("B");
  visit("C");
  zmSetCurrentHistory(b);  // Backward
  ZmHistory* d = visit("D");
  EXPECT_EQ(historyUrls(), (std::vector<std::string>{"A", "B", "D"}));
  EXPECT_EQ(zmGetNextHistory(b), d);
  EXPECT_EQ(zmGetPrevHistory(d), b);
  EXPECT_EQ(zmGetNextHistory(d), nullptr);
}

TEST_F(HistoryTest, EndsHaveNoNeighboursAndRepeatsAreSeparateEntries) {
  EXPECT_EQ(zmGetPrevHistory(nullptr), nullptr);
  EXPECT_EQ(zmGetNextHistory(nullptr), nullptr);
  ZmHistory* first = visit("A");
  ZmHistory* again = visit("A");
  EXPECT_NE(first, again);
  EXPECT_EQ(zmGetPrevHistory(first), nullptr);
  EXPECT_EQ(zmGetNextHistory(again), nullptr);
  EXPECT_EQ(historyUrls(), (std::vector<std::string>{"A", "A"}));
}

TEST_F(HistoryTest, TheEntryKeepsItsOwnCopyOfTheUrl) {
  std::string url = "file:///tmp/a.wrl";
  ZmHistory* entry = visit(url.c_str());
  url[0] = 'X';
  EXPECT_STREQ(entry->url, "file:///tmp/a.wrl");
}

class WorldCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zmWorldCache(), 0); }
  void TearDown() override { zmFreeWorldCache(); }
};

int destroyed;
void countDestroyed(ZmWorld*) { ++destroyed; }

ZmWorld* newWorld(const char* name) {
  ZmWorld* world = zmNewWorld(name);
  zmAddWorldDestroyHandler(world, countDestroyed);
  return world;
}

TEST_F(WorldCacheTest, FindsByExactNameAndDeletesWhatItLetsGo) {
  destroyed = 0;
  ZmWorld* a = newWorld("file:///a.wrl");
  ZmWorld* b = newWorld("file:///b.wrl");
  ASSERT_EQ(zmCacheAddWorld(a), 0);
  ASSERT_EQ(zmCacheAddWorld(b), 0);
  EXPECT_EQ(zmCacheFindWorld("file:///a.wrl"), a);
  EXPECT_EQ(zmCacheFindWorld("file:///B.wrl"), nullptr);  // names match exactly
  EXPECT_EQ(zmCacheFindWorld(nullptr), nullptr);

  EXPECT_EQ(zmCacheRemoveWorld("file:///a.wrl"), 0);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(zmCacheFindWorld("file:///a.wrl"), nullptr);
  EXPECT_EQ(zmCacheRemoveWorld("file:///a.wrl"), -1);
  EXPECT_EQ(zmCacheCount(), 1);

  zmFreeWorldCache();
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(zmCacheCount(), 0);
}

}  // namespace
