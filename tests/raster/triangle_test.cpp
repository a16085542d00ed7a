// tests/raster/triangle_test.cpp -- the triangle frame and the untextured
// routines: pixel coverage, shared edges, stipple, depth tests, shading.
#include <algorithm>
#include <random>

#include "engine/drawslots.h"
#include "engine/raster/points.h"
#include "engine/raster/untextured.h"
#include "engine/shadetable.h"
#include "tests/raster/raster_fixture.h"

namespace {

class TriangleTest : public RasterTest {
 protected:
  void SetUp() override {
    openAt(16);
    material_->colour = 0xFFFF;
  }
};

struct MaskCase {
  const char* name;
  std::initializer_list<ScreenPoint> points;
  std::vector<std::string> expected;
};

TEST_F(TriangleTest, SmallTrianglesCoverExactlyTheirPixelMasks) {
  const MaskCase cases[] = {
      {"general, knee below", {{0, 0}, {0, 4}, {4, 4}}, {"#.....", "##....", "###...", "####..", "......"}},
      {"top edge flat (F on the top row)", {{4, 0}, {0, 0}, {2, 4}}, {"###...", ".##...", ".#....", "......", "......"}},
      {"bottom edge flat (S on the top row)",
       {{0, 0}, {2, 4}, {4, 0}},
       {"###...", ".##...", ".#....", "......", "......"}},
      {"knee on the left", {{3, 0}, {0, 2}, {4, 5}}, {".##...", "###...", ".##...", "..#...", "......"}},
      {"a sliver drawn only below its knee", {{0, 0}, {0, 1}, {1, 4}}, {"......", "......", "......", "#.....", "......"}},
      {"clockwise: nothing", {{0, 0}, {4, 4}, {0, 4}}, {"......", "......", "......", "......", "......"}},
      {"collinear: nothing", {{0, 0}, {2, 2}, {4, 4}}, {"......", "......", "......", "......", "......"}},
      {"one row: nothing", {{0, 1}, {5, 1}, {3, 1}}, {"......", "......", "......", "......", "......"}},
  };
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(c.name);
    clearImage();
    TestPolygon triangle(material_, c.points);
    RwRas16FanFlatOpaque(triangle.described());
    EXPECT_EQ(mask(6, 5), c.expected);
  }
}

TEST_F(TriangleTest, TwoTrianglesSharingAnEdgeLeaveNoGapAndOverlapNowhere) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 40; ++trial) {
    std::uniform_int_distribution<int> coordinate(0, 23);
    // A convex quadrilateral cut along the diagonal a-c, both halves counter-clockwise on the screen.
    const ScreenPoint a{coordinate(random) % 8, coordinate(random) % 6};
    const ScreenPoint b{coordinate(random) % 8, 12 + coordinate(random) % 12};
    const ScreenPoint c{24 + coordinate(random) % 8, 12 + coordinate(random) % 12};
    const ScreenPoint d{24 + coordinate(random) % 8, coordinate(random) % 6};
    std::vector<int> hits(32 * 24, 0);
    for (auto points : {std::initializer_list<ScreenPoint>{a, b, c}, std::initializer_list<ScreenPoint>{a, c, d}}) {
      clearImage();
      TestPolygon half(material_, points);
      RwRas16FanFlatOpaque(half.described());
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) hits[y * 32 + x] += pixel(x, y) ? 1 : 0;
    }
    for (int y = 0; y < 24; ++y) {
      int runs = 0;
      for (int x = 0; x < 32; ++x) {
        ASSERT_LE(hits[y * 32 + x], 1) << "pixel drawn twice at " << x << "," << y << " trial " << trial;
        if (hits[y * 32 + x] && (x == 0 || !hits[y * 32 + x - 1])) ++runs;
      }
      ASSERT_LE(runs, 1) << "gap in row " << y << " trial " << trial;
    }
  }
}

// The dither value of every pixel of a row run, worked out from the tables.
std::vector<int> expectedStipple(const std::vector<std::string>& coverage, int opacity) {
  std::vector<int> written;
  for (size_t y = 0; y < coverage.size(); ++y) {
    const size_t start = coverage[y].find('#');
    if (start == std::string::npos) continue;
    uint32_t d = DitherColumns[start & 7] ^ (DitherRows[y & 7] & 255);
    for (size_t x = start; x < coverage[y].size() && coverage[y][x] == '#'; ++x, d ^= d >> 6) {
      written.push_back((d & 255) < static_cast<uint32_t>(opacity) ? 1 : 0);
    }
  }
  return written;
}

bool ditherValueOccurs(const std::vector<std::string>& coverage, int value) {
  const std::vector<int> below = expectedStipple(coverage, value);
  const std::vector<int> belowOrAt = expectedStipple(coverage, value + 1);
  return below != belowOrAt;
}

std::vector<int> writtenWithin(const std::vector<std::string>& coverage, const std::vector<std::string>& drawn) {
  std::vector<int> written;
  for (size_t y = 0; y < coverage.size(); ++y)
    for (size_t x = 0; x < coverage[y].size(); ++x)
      if (coverage[y][x] == '#') written.push_back(drawn[y][x] == '#' ? 1 : 0);
  return written;
}

TEST_F(TriangleTest, StippleWritesExactlyThePixelsWhoseDitherValueIsBelowTheOpacity) {
  const std::initializer_list<ScreenPoint> points = {{1, 0}, {2, 23}, {30, 20}};
  TestPolygon opaque(material_, points);
  RwRas16FanFlatOpaque(opaque.described());
  const std::vector<std::string> coverage = mask(32, 24);
  // 16, 20 and 65 are dither values of covered pixels: a pixel whose value
  // equals the opacity must stay unwritten.
  for (int opacity : {0, 16, 20, 65, 128, 252}) {
    SCOPED_TRACE(opacity);
    if (opacity > 0 && opacity < 128) {
      ASSERT_TRUE(ditherValueOccurs(coverage, opacity));
    }
    clearImage();
    material_->opacity = static_cast<uint8_t>(opacity);
    TestPolygon stipple(material_, points);
    RwRas16FanFlatStipple(stipple.described());
    const std::vector<std::string> once = mask(32, 24);
    EXPECT_EQ(writtenWithin(coverage, once), expectedStipple(coverage, opacity));
    RwRas16FanFlatStipple(stipple.described());
    EXPECT_EQ(mask(32, 24), once);
  }
}

TEST_F(TriangleTest, OpaqueZOverwritesAtEqualDepthAndStippleZDoesNot) {
  struct Case {
    RwRasterEntry draw;
    bool secondWins;
  };
  for (const Case& c : {Case{RwRas16FanFlatOpaqueZ, true}, Case{RwRas16FanFlatStippleZ, false},
                        Case{RwRas16FanGouraudOpaqueZ, true}, Case{RwRas16FanGouraudStippleZ, false}}) {
    clearImage();
    material_->opacity = 252;
    material_->colour = 0xF800;  // red
    // Level 20: at 24 and above every colour runs toward white.
    TestPolygon first(material_, {{0, 0, 20 << 16}, {0, 20, 20 << 16}, {20, 20, 20 << 16}});
    first.setIntensity(20 << 16);
    c.draw(first.described());
    const uint32_t firstColour = pixel(1, 10);
    ASSERT_NE(firstColour, 0u);
    EXPECT_EQ(storedDepth(1, 10), 1000);
    material_->colour = 0x001F;  // blue
    TestPolygon second(material_, {{0, 0, 20 << 16}, {0, 20, 20 << 16}, {20, 20, 20 << 16}});
    second.setIntensity(20 << 16);
    c.draw(second.described());
    EXPECT_EQ(pixel(1, 10) != firstColour, c.secondWins);
  }
}

TEST_F(TriangleTest, NearerPixelsWinAndFartherOnesWriteNothing) {
  TestPolygon near(material_, {{0, 0, 31 << 16, 2000}, {0, 20, 31 << 16, 2000}, {20, 20, 31 << 16, 2000}});
  RwRas16FanFlatOpaqueZ(near.described());
  const uint32_t nearColour = pixel(2, 15);
  material_->colour = 0x001F;
  TestPolygon far(material_, {{0, 0, 31 << 16, 100}, {0, 20, 31 << 16, 100}, {20, 20, 31 << 16, 100}});
  RwRas16FanFlatOpaqueZ(far.described());
  EXPECT_EQ(storedDepth(2, 15), 2000);
  EXPECT_EQ(pixel(2, 15), nearColour);
}

TEST_F(TriangleTest, FullIntensityFlatPixelComesFromTheShadeTableWithBitFiveClear) {
  TestPolygon triangle(material_, {{0, 0}, {0, 8}, {8, 8}});
  RwRas16FanFlatOpaque(triangle.described());
  const uint32_t top = RwGetShadeTables().shade[31 * 32 + 31];
  EXPECT_EQ(pixel(0, 5), top << 11 | top << 6 | top);
  EXPECT_EQ(pixel(0, 5) & 0x20, 0u);
}

TEST_F(TriangleTest, EvenGouraudIntensitiesDrawOneColour) {
  TestPolygon triangle(material_, {{0, 0, 20 << 16}, {0, 20, 20 << 16}, {20, 20, 20 << 16}});
  RwRas16FanGouraudOpaque(triangle.described());
  const uint32_t level20 = RwGetShadeTables().shade[20 * 32 + 31];
  const uint32_t expected = level20 << 11 | level20 << 6 | level20;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x <= y; ++x) ASSERT_EQ(pixel(x, y), expected) << x << "," << y;
}

TEST_F(TriangleTest, FewerThanThreeVerticesDrawNothing) {
  TestPolygon two(material_, {{0, 0}, {5, 5}});
  EXPECT_EQ(RwRas16FanFlatOpaque(two.described()), 0);
  TestPolygon one(material_, {{3, 3}});
  RwRas16FanGouraudOpaque(one.described());
  EXPECT_EQ(mask(6, 6), std::vector<std::string>(6, "......"));
}

TEST_F(TriangleTest, SlopesAgreeWithTheDivisionEverywhere) {
  for (int dy = 1; dy <= 40; ++dy)
    for (int dx = -40; dx <= 40; ++dx) ASSERT_EQ(RwEdgeSlope(dx, dy), dx * 65536 / dy) << dx << "/" << dy;
  EXPECT_EQ(RwEdgeSlope(31, 31), 65536);
}

TEST(DitherTables, EachWordFollowsFromTheOneBeforeWithPeriodEight) {
  for (const uint32_t* table : {DitherColumns, DitherRows}) {
    for (int i = 0; i < 15; ++i) EXPECT_EQ(table[i + 1], table[i] ^ (table[i] >> 6)) << i;
    EXPECT_EQ(table[0], table[7] ^ (table[7] >> 6));
  }
}

// The tuned flat span loops against their plain references on random trapezoids.
class TunedSpans : public RasterTest {
 protected:
  void expectTheSameImages(void (*tuned)(RwSpanParams*), void (*reference)(RwSpanParams*)) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> column(0, 31 * 65536);
    std::uniform_int_distribution<int> step(-3 * 65536, 3 * 65536);
    for (int trial = 0; trial < 200; ++trial) {
      RwSpanParams block = {};
      block.leftX = column(random) / 2;
      block.rightX = block.leftX + column(random) / 2;
      block.leftStep = step(random) / 4;
      block.rightStep = block.leftStep + std::abs(step(random)) / 4;
      block.rows = 4;
      block.colourStride = camera_->image.stride;
      block.flatColour = 0x1234 + trial;
      block.ditherRow = DitherRows[0];
      auto run = [&](void (*span)(RwSpanParams*)) {
        clearImage();
        RwSpanParams copy = block;
        copy.colourRow = camera_->image.rowTable[2];
        span(&copy);
        return checksum();
      };
      ASSERT_EQ(run(tuned), run(reference)) << trial;
    }
  }
};

TEST_F(TunedSpans, SixteenBitFlatLoopMatchesThePlainReference) {
  openAt(16);
  expectTheSameImages(RwRas16SpanFlatOpaque, RwRas16SpanFlatOpaqueReference);
}

TEST_F(TunedSpans, EightBitFlatLoopMatchesThePlainReference) {
  openAt(8);
  expectTheSameImages(RwRas8SpanFlatOpaque, RwRas8SpanFlatOpaqueReference);
}

TEST_F(TriangleTest, PointCloudsDrawAllButTheLastVertexAndSkipPointsOutsideTheImage) {
  TestPolygon points(material_, {{1, 1}, {-5, 3}, {40, 2}, {3, 30}, {2, 2}, {4, 4}});
  RwRas16PointsFlat(points.described());
  EXPECT_EQ(mask(6, 6), (std::vector<std::string>{"......", ".#....", "..#...", "......", "......", "......"}));
  TestPolygon again(material_, {{1, 1, 31 << 16, 1000}, {1, 1, 31 << 16, 1000}, {0, 0}});
  clearImage();
  RwRas16PointsFlatZ(again.described());  // the second point at equal depth is not drawn
  EXPECT_EQ(storedDepth(1, 1), 1000);
}

// ---- 8-bit

class Triangle8Test : public RasterTest {
 protected:
  void SetUp() override { openAt(8); }
};

TEST_F(Triangle8Test, ColourBitFiveReversesTheLevel) {
  const uintptr_t forward = 2 * 32;  // hue 0, saturation step 2: an even row
  const uintptr_t reversed = 3 * 32; // saturation step 3: odd, bit 5 set
  for (uintptr_t colour : {forward, reversed}) {
    material_->colour = colour;
    TestPolygon dark(material_, {{0, 0}, {0, 8}, {8, 8}});
    dark.setIntensity(0);
    RwRas8FanFlatOpaque(dark.described());
    const bool isReversed = colour & 0x20;
    EXPECT_EQ(pixel(0, 5), RwGetShadeTables().ramp[colour + (isReversed ? 31 : 0)]);
  }
}

TEST_F(Triangle8Test, GouraudLevelsOutsideTheRampAreClampedToIt) {
  const uintptr_t colour = 5 * 32;  // a reversed row: level runs 31 - level
  material_->colour = colour;
  TestPolygon triangle(material_, {{0, 0, 40 << 16}, {0, 20, -6 << 16}, {20, 20, 36 << 16}});
  RwRas8FanGouraudOpaque(triangle.described());
  const uint8_t* row = RwGetShadeTables().ramp + colour;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x <= y; ++x) ASSERT_NE(std::find(row, row + 32, pixel(x, y)), row + 32) << x << "," << y;
}

TEST_F(Triangle8Test, StippleAndZMatchTheSixteenBitRules) {
  const std::initializer_list<ScreenPoint> points = {{1, 0}, {2, 23}, {30, 20}};
  TestPolygon opaque(material_, points);
  RwRas8FanFlatOpaque(opaque.described());
  const std::vector<std::string> coverage = mask(32, 24);
  for (int opacity : {16, 20, 65, 128}) {
    SCOPED_TRACE(opacity);
    clearImage();
    material_->opacity = static_cast<uint8_t>(opacity);
    TestPolygon stipple(material_, points);
    RwRas8FanGouraudStippleZ(stipple.described());
    EXPECT_EQ(writtenWithin(coverage, mask(32, 24)), expectedStipple(coverage, opacity));
    const uint32_t before = checksum();
    RwRas8FanGouraudStippleZ(stipple.described());
    EXPECT_EQ(checksum(), before);
  }
}

}  // namespace
