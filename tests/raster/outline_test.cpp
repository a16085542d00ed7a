// tests/raster/outline_test.cpp -- wireframe outlines at 16 and 8 bits: the
// exact pixels of a square and a triangle, the end and edge rules of a
// segment, the depth test, clipped edges and the vertex colour.
#include <string>
#include <vector>

#include "engine/drawslots.h"
#include "engine/shadetable.h"
#include "tests/raster/raster_fixture.h"

namespace {

constexpr intptr_t outlineFlat = 2, outlineVertex = 3;
constexpr int width = 32, height = 24;  // the viewport: W and H of the edge rules

class OutlineTest : public RasterTest {
 protected:
  void SetUp() override { openAt(16, width, height); }

  int draw(RwPolygon* polygon, bool z = false, intptr_t pair = outlineFlat) {
    const RwRendererPair& entry = DrawSlotTable(&rwDeviceRecord)[pair];
    return (z ? entry.depthBuffered : entry.plain)(polygon);
  }

  // The set pixels of the whole image as (x, y) pairs, row by row.
  std::vector<std::pair<int, int>> drawnPixels() const {
    std::vector<std::pair<int, int>> drawn;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (pixel(x, y)) drawn.emplace_back(x, y);
    return drawn;
  }
};

TEST_F(OutlineTest, SquareOutlineLeavesOutItsLastCorner) {
  TestPolygon square(material_, {{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  EXPECT_EQ(draw(square.get()), 0);
  EXPECT_EQ(mask(7, 7), (std::vector<std::string>{".......",
                                                    ".#####.",
                                                    ".#...#.",
                                                    ".#...#.",
                                                    ".#...#.",
                                                    ".####..",
                                                    "......."}));
}

TEST_F(OutlineTest, TriangleOutlineStepsItsSlantedEdgeFromTheLeftEnd) {
  TestPolygon triangle(material_, {{1, 1}, {7, 1}, {1, 5}});
  draw(triangle.get());
  EXPECT_EQ(mask(9, 7), (std::vector<std::string>{".........",
                                                    ".######..",
                                                    ".#...#...",
                                                    ".#.##....",
                                                    ".##......",
                                                    ".#.......",
                                                    "........."}));
}

// A polygon of two vertices draws its one segment (both ways round).
TEST_F(OutlineTest, SegmentEndAndEdgeRules) {
  using Pixels = std::vector<std::pair<int, int>>;
  struct Case {
    const char* what;
    ScreenPoint from, to;
    Pixels drawn;
  } cases[] = {
      {"horizontal 2..6 on row 3", {2, 3}, {6, 3}, {{2, 3}, {3, 3}, {4, 3}, {5, 3}}},
      {"no length", {4, 4}, {4, 4}, {{4, 4}}},
      {"along the bottom edge", {3, height}, {9, height}, {}},
      {"along the right edge", {width, 2}, {width, 9}, {}},
      {"steep onto the right edge: pulled in",
       {width - 4, 0},
       {width, 10},
       {{28, 0}, {28, 1}, {28, 2}, {29, 3}, {29, 4}, {29, 5}, {30, 6}, {30, 7}, {31, 8}, {31, 9}}},
      {"flat onto the right edge: as it is",
       {width - 10, 0},
       {width, 4},
       {{22, 0}, {23, 0}, {24, 0}, {25, 1}, {26, 1}, {27, 1}, {28, 2}, {29, 2}, {30, 3}, {31, 3}}},
      {"up from the bottom edge: its end there pulled in", {5, height}, {5, height - 3}, {{5, 21}, {5, 22}, {5, 23}}},
  };
  for (const Case& c : cases) {
    clearImage();
    TestPolygon segment(material_, {c.from, c.to});
    draw(segment.get());
    EXPECT_EQ(drawnPixels(), c.drawn) << c.what;
  }
}

TEST_F(OutlineTest, DepthTestPassesEqualDepths) {
  TestPolygon square(material_, {{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  square.setIntensity(23 << 16);  // level 23 keeps the colours apart
  struct Case {
    int32_t depth;
    uintptr_t colour;
    uint32_t expected;
  } cases[] = {{1000, 0x0841, 0}, {1000, 0x1082, 1}, {999, 0x18C3, 1}, {1001, 0x2104, 3}};
  uint32_t written[4];
  for (size_t k = 0; k < std::size(cases); ++k) {
    for (size_t v = 0; v < 4; ++v) square.vertex(v).depth = cases[k].depth;
    material_->colour = cases[k].colour;
    draw(square.get(), true);
    written[k] = pixel(3, 1);
    EXPECT_EQ(pixel(3, 1), written[cases[k].expected]) << k;
    EXPECT_EQ(storedDepth(3, 1), k == 3 ? 1001 : 1000) << k;
  }
  EXPECT_NE(written[0], written[1]);
}

TEST_F(OutlineTest, EdgeWithBothEndsOutsideOnePlaneIsSkipped) {
  TestPolygon square(material_, {{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  square.vertex(2).flags = 0x10;  // outside one plane ...
  square.vertex(3).flags = 0x30;  // ... and this one outside it and another
  square.vertex(1).flags = 0x20;  // a different plane from vertex 2's
  draw(square.get());
  EXPECT_EQ(mask(7, 7), (std::vector<std::string>{".......",
                                                    ".#####.",
                                                    ".#...#.",
                                                    ".#...#.",
                                                    ".#...#.",
                                                    ".#.....",
                                                    "......."}));
}

TEST_F(OutlineTest, VertexColourOutlineTakesTheFirstVertexLevels) {
  TestPolygon square(material_, {{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  material_->colour = 31u << 11 | 31u << 6 | 31u;
  square.vertex(0).intensity[0] = 5 << 16;
  square.vertex(0).intensity[1] = 12 << 16;
  square.vertex(0).intensity[2] = 20 << 16;
  square.vertex(1).intensity[0] = 30 << 16;  // the other vertices do not count
  draw(square.get(), false, outlineVertex);
  const auto shade = [](int level) { return uint32_t{RwGetShadeTables().shade[level * 32 + 31]}; };
  const uint32_t expected = shade(5) << 11 | shade(12) << 6 | shade(20);
  for (auto [x, y] : drawnPixels()) EXPECT_EQ(pixel(x, y), expected) << x << "," << y;
  EXPECT_EQ(drawnPixels().size(), 15u);
  EXPECT_EQ(square.get()->intensity[0], 31 << 16) << "the polygon record is left as it was";
  clearImage();
  draw(square.get(), false, outlineFlat);
  EXPECT_EQ(pixel(3, 1), shade(31) << 11 | shade(31) << 6 | shade(31));
}

class Outline8Test : public OutlineTest {
 protected:
  void SetUp() override { openAt(8, width, height); }
};

TEST_F(Outline8Test, SquareDrawsTheSamePixelsInTheRampOfTheColour) {
  TestPolygon square(material_, {{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  material_->colour = 2 << 5;  // the third ramp
  square.setIntensity(9 << 16);
  square.vertex(0).intensity[0] = 17 << 16;
  for (intptr_t pair : {outlineFlat, outlineVertex}) {
    for (bool z : {false, true}) {
      clearImage();
      draw(square.get(), z, pair);
      EXPECT_EQ(mask(7, 7)[5], ".####..") << pair << z;
      EXPECT_EQ(pixel(1, 1), RwGetShadeTables().ramp[(2 << 5) + (pair == outlineFlat ? 9 : 17)]) << pair << z;
    }
  }
}

}  // namespace
