// RwBackFacing: which way a polygon's first three vertices turn in the
// plane of screen y and depth.
#include <cstdint>

#include <gtest/gtest.h>

#include "engine/polygon.h"
#include "engine/render.h"

namespace {

struct YDepth {
  int32_t y, depth;
};

int backFacing(YDepth p0, YDepth p1, YDepth p2) {
  RwVertex vertices[3] = {};
  const YDepth points[3] = {p0, p1, p2};
  for (int i = 0; i < 3; ++i) {
    vertices[i].screenY = points[i].y;
    vertices[i].depth = points[i].depth;
  }
  alignas(RwPolygon) unsigned char storage[sizeof(RwPolygon) + 3 * sizeof(RwVertex*)] = {};
  auto* polygon = reinterpret_cast<RwPolygon*>(storage);
  polygon->vertexCount = 3;
  for (int i = 0; i < 3; ++i) polygon->vertices[i] = &vertices[i];
  return RwBackFacing(polygon);
}

TEST(BackFacing, TurnOfTheFirstThreeVertices) {
  struct Case {
    const char* what;
    YDepth p0, p1, p2;
    int expected;
  } cases[] = {
      {"one way", {0, 0}, {10, 0}, {10, 10}, 0},
      {"the other way", {0, 0}, {10, 10}, {10, 0}, 1},
      // Products of 2.5e9 that a 32-bit multiplication would wrap negative.
      {"large steps", {0, 0}, {50000, 1}, {50001, 50001}, 0},
      {"large steps reversed", {0, 0}, {50001, 50001}, {50000, 1}, 1},
      // Steps of mixed signs are decided by the signs alone, also where the
      // products would cancel: a flat triangle then counts as front-facing.
      {"mixed signs, flat", {0, 0}, {2, -5}, {2, -5}, 0},
      {"same signs, flat", {0, 0}, {2, 5}, {4, 10}, 1},
      {"steps of 2^30, mixed signs", {INT32_MIN / 2, 0}, {0, INT32_MAX / 2}, {INT32_MAX / 2, 0}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(backFacing(c.p0, c.p1, c.p2), c.expected) << c.what;
}

}  // namespace
