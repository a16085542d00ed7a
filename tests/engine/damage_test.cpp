// Damaged-rectangle lists: the union is kept as rectangles that never overlap.
#include <set>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/damage.h"
#include "engine_fixture.h"

namespace {

using Rect = std::tuple<int, int, int, int>;

std::set<std::pair<int, int>> unionOf(const std::vector<Rect>& rects) {
  std::set<std::pair<int, int>> covered;
  for (const auto& [x, y, w, h] : rects) {
    for (int py = y; py < y + h; ++py) {
      for (int px = x; px < x + w; ++px) covered.insert({px, py});
    }
  }
  return covered;
}

class DamageList : public OpenEngine {
 protected:
  void TearDown() override {
    RwFreeDamagedRects(list);
    OpenEngine::TearDown();
  }
  void add(int x, int y, int w, int h) {
    RwRect rect = {x, y, w, h};
    list = RwAddDamagedRect(list, &rect);
  }
  std::vector<Rect> rects() const {
    std::vector<Rect> out;
    for (const RwDamagedRect* r = list; r; r = r->next) out.emplace_back(r->x, r->y, r->width, r->height);
    return out;
  }
  // The covered pixels, checking on the way that no pixel is covered twice.
  std::set<std::pair<int, int>> pixels() const {
    std::set<std::pair<int, int>> covered;
    for (const RwDamagedRect* r = list; r; r = r->next) {
      for (int y = r->y; y < r->y + r->height; ++y) {
        for (int x = r->x; x < r->x + r->width; ++x) EXPECT_TRUE(covered.insert({x, y}).second) << x << "," << y;
      }
    }
    return covered;
  }
  RwDamagedRect* list = nullptr;
};

TEST_F(DamageList, EmptyRectanglesAreIgnored) {
  add(0, 0, 0, 5);
  add(0, 0, 5, -1);
  EXPECT_EQ(list, nullptr);
}

TEST_F(DamageList, IdenticalOrInsideLeavesTheListUnchanged) {
  add(0, 0, 10, 10);
  add(0, 0, 10, 10);
  add(2, 2, 3, 3);
  EXPECT_EQ(rects(), std::vector<Rect>({{0, 0, 10, 10}}));
}

TEST_F(DamageList, TouchingEdgesAreDisjoint) {
  add(0, 0, 10, 10);
  add(10, 0, 5, 10);
  add(0, 10, 10, 5);
  EXPECT_EQ(rects(), std::vector<Rect>({{0, 0, 10, 10}, {10, 0, 5, 10}, {0, 10, 10, 5}}));
}

TEST_F(DamageList, ARectangleCoveringTwoReplacesBoth) {
  add(0, 0, 4, 4);
  add(10, 10, 4, 4);
  add(-1, -1, 20, 20);
  EXPECT_EQ(rects(), std::vector<Rect>({{-1, -1, 20, 20}}));
}

TEST_F(DamageList, CrossingOneEdgeTrimsTheListedOneAndAddsTheNewWhole) {
  add(0, 0, 10, 10);
  add(-5, 5, 20, 10);  // sticks out left, right and below
  EXPECT_EQ(rects(), std::vector<Rect>({{0, 0, 10, 5}, {-5, 5, 20, 10}}));
}

TEST_F(DamageList, PartialOverlapAddsOnlyTheOutsideParts) {
  add(0, 0, 10, 10);
  add(5, 5, 10, 10);  // corner overlap: below, then right
  EXPECT_EQ(rects(), std::vector<Rect>({{0, 0, 10, 10}, {5, 10, 10, 5}, {10, 5, 5, 5}}));
  add(2, -3, 4, 20);  // crosses the top and bottom of the first
  EXPECT_EQ(pixels(), unionOf({{0, 0, 10, 10}, {5, 5, 10, 10}, {2, -3, 4, 20}}));
}

TEST_F(DamageList, ManyRandomRectanglesCoverExactlyTheirUnion) {
  std::vector<Rect> added;
  unsigned seed = 5;
  auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % range);
  };
  for (int i = 0; i < 60; ++i) {
    int x = next(40), y = next(40), w = next(15), h = next(15);
    add(x, y, w, h);
    added.emplace_back(x, y, w, h);
  }
  EXPECT_EQ(pixels(), unionOf(added));
}

TEST_F(DamageList, ExhaustedPoolKeepsTheListWhole) {
  add(0, 0, 10, 10);
  RwFailAllocationsAfter(0);
  for (int i = 0; i < 1000; ++i) add(20 + i * 20, 0, 10, 10);  // more than one page holds
  RwFailAllocationsAfter(-1);
  EXPECT_EQ(RwGetAndClearError(), rwErrOutOfMemory);
  std::vector<Rect> kept = rects();
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.front(), Rect(0, 0, 10, 10));
  EXPECT_LT(kept.size(), 1001u);
}

}  // namespace
