// tests/raster/perspective_test.cpp -- perspective-correct textured
// triangles at 16 and 8 bits: weights and pre-shifts of the set-up, the
// head-on quad against the affine routine, a foreshortened quad against a
// float reference, the depth test, flat lighting, stipple, and texel reads
// that never leave the block.
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "engine/drawslots.h"
#include "engine/raster/perspective.h"
#include "engine/raster/textured.h"
#include "engine/shadetable.h"
#include "engine/texture.h"
#include "tests/raster/raster_fixture.h"

namespace {

constexpr intptr_t texturedFlatOpaque = 8, texturedFlatStipple = 10;
constexpr uint8_t lit = 1, foreshorten = 2, filter = 4;
constexpr int side = 48, height = 16;

// A texel that names its own column and row (never 0, so never transparent).
uint32_t namedTexel(int column, int row) { return static_cast<uint32_t>(row << 7 | column) + 1; }
int texelColumn(uint32_t t) { return static_cast<int>((t - 1) & 127); }
int texelRow(uint32_t t) { return static_cast<int>((t - 1) >> 7); }

class PerspectiveTest : public RasterTest {
 protected:
  void SetUp() override {
    openAt(16, 64, 32);
    texels_.assign(128 * 128, 0);  // exactly one block, so a stray read is caught
    texture_.texels = reinterpret_cast<uint8_t*>(texels_.data());
    texture_.frameCount = 1;
    texture_.frameStep = 1;
    material_->texture = &texture_;
  }
  // A corner inside the image.
  static ScreenPoint anyCorner(std::mt19937& random) {
    std::uniform_int_distribution<int> x(0, 63), y(0, 31);
    return {x(random), y(random)};
  }
  // Texture coordinates, camera depths and depths of any value, the extreme
  // ones (0, NaN, huge) included.
  static void scatterWildly(TestPolygon& polygon, std::mt19937& random, int round) {
    std::uniform_int_distribution<int32_t> anyWord(INT32_MIN, INT32_MAX);
    const float depths[] = {0.0f, 1e-30f, 1e-3f, 1.0f, 7.5f, 1e4f, 1e30f, -1.0f, NAN};
    std::uniform_int_distribution<size_t> pick(0, std::size(depths) - 1);
    for (size_t k = 0; k < 3; ++k) {
      RwVertex& v = polygon.vertex(k);
      v.u = round % 2 ? anyWord(random) : anyWord(random) >> 12;
      v.v = anyWord(random) >> (round % 3 * 8);
      v.cameraDepth = depths[pick(random)];
      v.depth = anyWord(random) & 0xFFFF;
    }
  }
  void TearDown() override {
    if (material_) material_->texture = nullptr;
    RasterTest::TearDown();
  }

  void fillTexture(uint32_t (*value)(int, int)) {
    for (int row = 0; row < 128; ++row)
      for (int column = 0; column < 128; ++column) texels_[row * 128 + column] = static_cast<uint16_t>(value(column, row));
  }

  int draw(RwPolygon* polygon, uint8_t modes, bool z = false, intptr_t pair = texturedFlatOpaque) {
    material_->textureModes = modes;
    const RwRendererPair& entry = DrawSlotTable(&rwDeviceRecord)[pair];
    return (z ? entry.depthBuffered : entry.plain)(polygon);
  }

  int drawnCount() const {
    int drawn = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < side; ++x) drawn += pixel(x, y) != 0;
    return drawn;
  }

  std::vector<uint16_t> texels_;
  RwTexture texture_{};
};

// A screen rectangle side x height at the origin, counter-clockwise on the
// screen; the left corners at camera depth nearLeft, the right at farRight.
// u/d and v/d are affine across it, as for a plane seen in perspective, so
// the exact coordinates at any point follow from the float reference below.
struct Quad {
  float depthLeft, depthRight;
  int32_t zLeft, zRight;
  double vScale;  // v / camera depth = vScale x y / height

  void place(TestPolygon& polygon) const {
    const int corners[4][2] = {{0, 0}, {0, height}, {side, height}, {side, 0}};
    for (size_t k = 0; k < 4; ++k) {
      const bool right = corners[k][0] == side;
      RwVertex& v = polygon.vertex(k);
      v.cameraDepth = right ? depthRight : depthLeft;
      v.depth = right ? zRight : zLeft;
      v.u = right ? 65536 : 0;
      v.v = static_cast<int32_t>(std::lround(vScale * corners[k][1] / height * v.cameraDepth * 65536));
    }
  }
  // Texel column and row at screen point (x, y), perspective-correct.
  void reference(double x, double y, double& column, double& row) const {
    const double t = x / side;
    const double inverseDepth = (1 - t) / depthLeft + t / depthRight;
    const double uOverDepth = t / depthRight;  // u is 0 on the left, 1 on the right
    column = 128 * uOverDepth / inverseDepth;
    row = 128 * vScale * y / height / inverseDepth;
  }
};

TestPolygon makePolygon(RwMaterial* material) {
  return TestPolygon(material, {{0, 0}, {0, height}, {side, height}, {side, 0}});
}

TEST(PerspectiveSetUp, WeightsAreNormalisedProductsOfTheOtherDepths) {
  struct Case {
    float depth[3];
    int32_t weight[3];
  } cases[] = {
      {{1, 2, 4}, {0x40000000, 0x20000000, 0x10000000}},
      {{3, 3, 3}, {0x48000000, 0x48000000, 0x48000000}},
      {{1, 1, 1e6f}, {0x7A120000, 0x7A120000, 0x10000}},  // the far vertex floors at 1.0
      {{0, 1, 1}, {0x40000000, 0x10000, 0x10000}},      // a depth of 0 stays finite
  };
  for (const Case& c : cases) {
    int32_t weight[3];
    RwPerspectiveWeights(c.depth, weight);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(weight[k], c.weight[k]) << c.depth[0] << " " << c.depth[1] << " " << c.depth[2];
  }
}

TEST(PerspectiveSetUp, PreShiftFollowsTheBitLengthOfTheWholeParts) {
  struct Case {
    int32_t u0, v0, u1, v1, shift;
  } cases[] = {{0, 0, 65535, 100, 1}, {2 << 16, 0, 0, 0, 3}, {0, 3 << 16, 0, 0, 3},
               {255 << 16, 0, 0, 0, 9}, {-(3 << 16), 0, 0, 0, 3}, {INT32_MIN, 0, 0, 0, 17}};
  for (const Case& c : cases) EXPECT_EQ(RwPerspectiveShift(c.u0, c.v0, c.u1, c.v1), c.shift) << c.u0;
}

TEST_F(PerspectiveTest, HeadOnQuadDrawsTheAffineTexelsWithinRounding) {
  fillTexture(namedTexel);
  const Quad flat = {2.0f, 2.0f, 1000, 1000, 1.0};
  TestPolygon polygon = makePolygon(material_);
  flat.place(polygon);
  draw(polygon.get(), 0);
  std::vector<uint32_t> affine;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < side; ++x) affine.push_back(pixel(x, y));
  clearImage();
  draw(polygon.get(), foreshorten);
  size_t k = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < side; ++x, ++k) {
      const uint32_t p = pixel(x, y);
      ASSERT_EQ(p != 0, affine[k] != 0) << x << "," << y;
      if (!p) continue;
      EXPECT_LE(std::abs(texelColumn(p) - texelColumn(affine[k])), 1) << x << "," << y;
      EXPECT_LE(std::abs(texelRow(p) - texelRow(affine[k])), 1) << x << "," << y;
    }
  }
}

// Spans start at their nearer end: the left one, then the right one.
TEST_F(PerspectiveTest, ForeshortenedQuadKeepsPerspectiveCorrectTexels) {
  fillTexture(namedTexel);
  const Quad quads[] = {{1.0f, 4.0f, 40000, 10000, 0.25}, {4.0f, 1.0f, 10000, 40000, 0.25}};
  for (const Quad& quad : quads) {
    SCOPED_TRACE(quad.depthLeft);
    clearImage();
    TestPolygon polygon = makePolygon(material_);
    quad.place(polygon);
    draw(polygon.get(), foreshorten, true);
    const bool leftNear = quad.depthLeft < quad.depthRight;
    for (int y : {1, 7, 14}) {
      for (int x : {2, 12, 24, 36, 45}) {
        // Rows are drawn one edge step down; a left-to-right walk samples one
        // pixel ahead, a right-to-left walk the pixel itself.
        double column, row;
        quad.reference(x + (leftNear ? 1 : 0), y + 1, column, row);
        const uint32_t p = pixel(x, y);
        ASSERT_NE(p, 0u) << x << "," << y;
        EXPECT_NEAR(texelColumn(p), std::floor(column), 1.0) << x << "," << y;
        EXPECT_NEAR(texelRow(p), std::floor(row), 1.0) << x << "," << y;
        const double z = quad.zLeft + (quad.zRight - quad.zLeft) * (x + 0.5) / side;
        EXPECT_NEAR(storedDepth(x, y), z, std::abs(quad.zRight - quad.zLeft) * 2.0 / side + 2) << x << "," << y;
      }
    }
    // The affine routine bends the same lines far away from the reference.
    clearImage();
    draw(polygon.get(), 0);
    double column, row;
    quad.reference(24, 8, column, row);
    EXPECT_GT(std::abs(texelColumn(pixel(24, 7)) - column), 8.0);
  }
}

TEST_F(PerspectiveTest, DepthTestDrawsOnlyStrictlyNearerAndSkipsTransparentTexels) {
  TestPolygon polygon = makePolygon(material_);
  Quad quad = {2.0f, 2.0f, 30000, 30000, 1.0};
  fillTexture([](int, int) { return 0x1234u; });
  quad.place(polygon);
  draw(polygon.get(), foreshorten, true);
  ASSERT_EQ(pixel(10, 5), 0x1234u);
  ASSERT_EQ(storedDepth(10, 5), 30000);
  struct Case {
    int32_t z;
    uint32_t texel;
    uint32_t pixel;
    uint16_t depth;
  } cases[] = {
      {30000, 0x5555, 0x1234, 30000},  // equal: not drawn
      {29999, 0x5555, 0x1234, 30000},  // farther: not drawn
      {30001, 0, 0x1234, 30000},       // nearer but transparent: untouched
      {30001, 0x5555, 0x5555, 30001},  // nearer: drawn and stored
  };
  for (const Case& c : cases) {
    for (uint16_t& t : texels_) t = static_cast<uint16_t>(c.texel);
    quad.zLeft = quad.zRight = c.z;
    quad.place(polygon);
    draw(polygon.get(), foreshorten, true);
    EXPECT_EQ(pixel(10, 5), c.pixel) << c.z;
    EXPECT_EQ(storedDepth(10, 5), c.depth) << c.z;
  }
}

TEST_F(PerspectiveTest, FlatLitTexelsGoThroughOneShadeRowPerChannel) {
  for (uint16_t& t : texels_) t = 0xFFFF;  // every channel full, bit 5 set
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 3.0f, 1000, 1000, 0.5};
  quad.place(polygon);
  polygon.get()->intensity[0] = 31 << 16;
  polygon.get()->intensity[1] = 0;
  polygon.get()->intensity[2] = (7 << 16) + 0xFD70;  // 7.99 uses row 7
  draw(polygon.get(), foreshorten);
  EXPECT_EQ(pixel(20, 8), 0xFFFFu);  // unlit writes the texel unchanged
  clearImage();
  draw(polygon.get(), lit | foreshorten);
  const auto shade = [](int level) { return uint32_t{RwGetShadeTables().shade[level * 32 + 31]}; };
  EXPECT_EQ(pixel(20, 8), shade(31) << 11 | shade(0) << 6 | shade(7));
  EXPECT_EQ(pixel(20, 8) & 0x20, 0u);
}

TEST_F(PerspectiveTest, StippleWritesWholeTexelsWherePassedAndNothingElse) {
  fillTexture(namedTexel);
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 3.0f, 20000, 10000, 0.5};
  quad.place(polygon);
  draw(polygon.get(), foreshorten, true);
  std::vector<uint32_t> opaque;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < side; ++x) opaque.push_back(pixel(x, y));
  const int total = side * height;
  struct Case {
    uint8_t opacity;
    int fewest, most;
  } cases[] = {{0, 0, 0}, {128, total * 3 / 10, total * 7 / 10}, {252, total * 9 / 10, total}};
  for (const Case& c : cases) {
    clearImage();
    material_->opacity = c.opacity;
    draw(polygon.get(), foreshorten, true, texturedFlatStipple);
    int drawn = 0;
    size_t k = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < side; ++x, ++k) {
        if (!pixel(x, y)) {
          EXPECT_EQ(storedDepth(x, y), 0) << "a stippled-out pixel keeps its depth";
          continue;
        }
        ++drawn;
        EXPECT_EQ(pixel(x, y), opaque[k]) << x << "," << y;
      }
    }
    EXPECT_GE(drawn, c.fewest) << int{c.opacity};
    EXPECT_LE(drawn, c.most) << int{c.opacity};
  }
}

// A texel that names column and row in its red and blue channels, which the
// shade levels 23 leave as they are (for values 1..30).
uint32_t channelTexel(int column, int row) {
  return static_cast<uint32_t>((column & 31) << 11 | 5 << 6 | (row & 31));
}

TEST_F(PerspectiveTest, FilterJittersTheTexelByLessThanOneAgainstThePlainRoute) {
  fillTexture(channelTexel);
  TestPolygon polygon = makePolygon(material_);
  const int corners[4][2] = {{0, 0}, {0, height}, {side, height}, {side, 0}};
  for (size_t k = 0; k < 4; ++k) {  // texels 4..28 across, 4..20 down
    polygon.vertex(k).cameraDepth = 2.0f;
    polygon.vertex(k).u = (4 + corners[k][0] / 2) * 512;
    polygon.vertex(k).v = (4 + corners[k][1]) * 512;
  }
  polygon.setIntensity(23 << 16);
  draw(polygon.get(), lit | foreshorten);
  std::vector<uint32_t> plain;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < side; ++x) plain.push_back(pixel(x, y));
  clearImage();
  draw(polygon.get(), lit | foreshorten | filter);
  int moved = 0;
  size_t k = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < side; ++x, ++k) {
      const uint32_t p = pixel(x, y);
      ASSERT_NE(p, 0u) << x << "," << y;
      EXPECT_LE(std::abs(static_cast<int>(p >> 11) - static_cast<int>(plain[k] >> 11)), 1) << x << "," << y;
      EXPECT_LE(std::abs(static_cast<int>(p & 31) - static_cast<int>(plain[k] & 31)), 1) << x << "," << y;
      moved += p != plain[k];
    }
  }
  EXPECT_GT(moved, side * height / 10);
}

TEST_F(PerspectiveTest, FilterJitterWrapsAcrossTheTextureEdge) {
  fillTexture([](int column, int) { return column == 127 ? 9u << 11 : 3u << 11; });
  TestPolygon polygon = makePolygon(material_);
  for (size_t k = 0; k < 4; ++k) {
    polygon.vertex(k).cameraDepth = 1.0f + static_cast<float>(k % 2);
    polygon.vertex(k).u = 0;
    polygon.vertex(k).v = static_cast<int32_t>(k) * 4096;
  }
  polygon.setIntensity(23 << 16);
  draw(polygon.get(), lit | foreshorten | filter);
  std::set<uint32_t> seen;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < side; ++x) seen.insert(pixel(x, y) >> 11);
  EXPECT_EQ(seen, (std::set<uint32_t>{3, 9}));
}

TEST_F(PerspectiveTest, WrongWindingDrawsNothing) {
  fillTexture(namedTexel);
  TestPolygon polygon(material_, {{0, 0}, {side, 0}, {side, height}, {0, height}});
  for (size_t k = 0; k < 4; ++k) polygon.vertex(k).cameraDepth = 1.0f + static_cast<float>(k);
  draw(polygon.get(), foreshorten, true);
  EXPECT_EQ(mask(side, height), std::vector<std::string>(height, std::string(side, '.')));
}

// Any coordinates and depths: every read stays in the 128 x 128 block (the
// sanitizer watches the block's edges) and nothing is written off the
// triangle's rows.
TEST_F(PerspectiveTest, WildCoordinatesAndDepthsNeverLeaveTheBlock) {
  fillTexture(namedTexel);
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    TestPolygon polygon(material_, {anyCorner(random), anyCorner(random), anyCorner(random)});
    scatterWildly(polygon, random, round);
    draw(polygon.get(), round % 4 == 0 ? (lit | foreshorten) : foreshorten, round % 2 == 0);
  }
}

// ---- 8-bit colour: texels and pixels are palette indices, so a texel
// names its column or its row (plus 1), one texture for each.

class Perspective8Test : public PerspectiveTest {
 protected:
  void SetUp() override {
    openAt(8, 64, 32);
    texels8_.assign(128 * 128, 0);  // exactly one block, so a stray read is caught
    texture_.texels = texels8_.data();
    texture_.frameCount = 1;
    texture_.frameStep = 1;
    material_->texture = &texture_;
  }

  void fillTexture8(uint32_t (*value)(int, int)) {
    for (int row = 0; row < 128; ++row)
      for (int column = 0; column < 128; ++column) texels8_[row * 128 + column] = static_cast<uint8_t>(value(column, row));
  }

  std::vector<uint32_t> image() const {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < side; ++x) pixels.push_back(pixel(x, y));
    return pixels;
  }

  std::vector<uint8_t> texels8_;
};

uint32_t columnTexel(int column, int) { return static_cast<uint32_t>(column) + 1; }
uint32_t rowTexel(int, int row) { return static_cast<uint32_t>(row) + 1; }

TEST_F(Perspective8Test, HeadOnQuadDrawsTheAffineTexelsWithinRounding) {
  const Quad flat = {2.0f, 2.0f, 1000, 1000, 1.0};
  TestPolygon polygon = makePolygon(material_);
  flat.place(polygon);
  for (auto texel : {columnTexel, rowTexel}) {
    fillTexture8(texel);
    clearImage();
    draw(polygon.get(), 0);
    const std::vector<uint32_t> affine = image();
    clearImage();
    draw(polygon.get(), foreshorten);
    const std::vector<uint32_t> perspective = image();
    for (size_t k = 0; k < affine.size(); ++k) {
      ASSERT_EQ(perspective[k] != 0, affine[k] != 0) << k;
      EXPECT_LE(std::abs(static_cast<int>(perspective[k]) - static_cast<int>(affine[k])), 1) << k;
    }
  }
}

TEST_F(Perspective8Test, ForeshortenedQuadKeepsPerspectiveCorrectTexels) {
  const Quad quads[] = {{1.0f, 4.0f, 40000, 10000, 0.25}, {4.0f, 1.0f, 10000, 40000, 0.25}};
  for (const Quad& quad : quads) {
    SCOPED_TRACE(quad.depthLeft);
    TestPolygon polygon = makePolygon(material_);
    quad.place(polygon);
    const bool leftNear = quad.depthLeft < quad.depthRight;
    for (bool columns : {true, false}) {
      fillTexture8(columns ? columnTexel : rowTexel);
      clearImage();
      draw(polygon.get(), foreshorten, true);
      for (int y : {1, 7, 14}) {
        for (int x : {2, 12, 24, 36, 45}) {
          double column, row;  // sampled as in the 16-bit test above
          quad.reference(x + (leftNear ? 1 : 0), y + 1, column, row);
          const uint32_t p = pixel(x, y);
          ASSERT_NE(p, 0u) << x << "," << y;
          EXPECT_NEAR(static_cast<double>(p) - 1, std::floor(columns ? column : row), 1.0) << x << "," << y;
          const double z = quad.zLeft + (quad.zRight - quad.zLeft) * (x + 0.5) / side;
          EXPECT_NEAR(storedDepth(x, y), z, std::abs(quad.zRight - quad.zLeft) * 2.0 / side + 2) << x << "," << y;
        }
      }
    }
  }
}

// The opaque 8-bit members draw through span families, whose depth test
// passes an equal depth; the stippled ones keep the strict test.
TEST_F(Perspective8Test, DepthTestDrawsNearerOrEqualAndSkipsTransparentTexels) {
  TestPolygon polygon = makePolygon(material_);
  Quad quad = {2.0f, 2.0f, 30000, 30000, 1.0};
  polygon.setIntensity(0);
  struct Case {
    int32_t z;
    uint8_t texel;
    bool drawnOpaque, drawnStipple;
  } cases[] = {{30000, 0x55, true, false}, {29999, 0x55, false, false}, {30001, 0, false, false},
               {30001, 0x55, true, true}};
  material_->opacity = 255;  // the stipple pair tests every pixel but those of dither byte 255
  for (intptr_t pair : {texturedFlatOpaque, texturedFlatStipple}) {
    for (uint8_t modes : {uint8_t{foreshorten}, uint8_t{lit | foreshorten}}) {
      for (const Case& c : cases) {
        clearImage();
        quad.zLeft = quad.zRight = 30000;
        for (uint8_t& t : texels8_) t = 0x12;
        quad.place(polygon);
        draw(polygon.get(), foreshorten, true);
        ASSERT_EQ(pixel(10, 5), 0x12u);
        for (uint8_t& t : texels8_) t = c.texel;
        quad.zLeft = quad.zRight = c.z;
        quad.place(polygon);
        draw(polygon.get(), modes, true, pair);
        const bool drawn = pair == texturedFlatOpaque ? c.drawnOpaque : c.drawnStipple;
        const uint32_t written = modes & lit ? RwGetShadeTables().shade[0x55] : 0x55u;  // intensity 0: row 0
        const std::string what = std::to_string(c.z) + " modes " + std::to_string(modes) + " pair " + std::to_string(pair);
        EXPECT_EQ(pixel(10, 5), drawn ? written : 0x12u) << what;
        EXPECT_EQ(storedDepth(10, 5), drawn ? c.z : 30000) << what;
      }
    }
  }
}

TEST_F(Perspective8Test, FlatLitTexelsGoThroughTheRowOfTheFirstIntensity) {
  fillTexture8([](int column, int) { return static_cast<uint32_t>(column) + 100; });
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 3.0f, 1000, 1000, 0.5};
  quad.place(polygon);
  polygon.get()->intensity[0] = (7 << 16) + 0xFD70;  // 7.99 uses row 7
  polygon.get()->intensity[1] = 31 << 16;           // the other channels are not read
  polygon.get()->intensity[2] = 31 << 16;
  draw(polygon.get(), foreshorten);
  const std::vector<uint32_t> unlit = image();
  for (uint32_t p : unlit) ASSERT_TRUE(p == 0 || p >= 100) << "unlit writes the texel unchanged";
  for (intptr_t pair : {texturedFlatOpaque, texturedFlatStipple}) {
    clearImage();
    material_->opacity = pair == texturedFlatOpaque ? 255 : 254;
    draw(polygon.get(), lit | foreshorten, false, pair);
    const std::vector<uint32_t> lit8 = image();
    int checked = 0;
    for (size_t k = 0; k < unlit.size(); ++k) {
      if (unlit[k] && lit8[k]) {
        EXPECT_EQ(lit8[k], RwGetShadeTables().shade[7 * 256 + unlit[k]]) << k << " pair " << pair;
        ++checked;
      }
    }
    EXPECT_GT(checked, side * height / 2) << pair;
  }
}

// Stippled pixels are the opaque ones or none; the share follows the
// opacity; a pixel left out keeps its depth; the filter bit changes nothing.
TEST_F(Perspective8Test, StippleWritesWholeTexelsWherePassedAndNothingElse) {
  fillTexture8(columnTexel);
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 3.0f, 20000, 10000, 0.5};
  quad.place(polygon);
  draw(polygon.get(), foreshorten, true);
  const std::vector<uint32_t> opaque = image();
  const int total = side * height;
  struct Case {
    uint8_t opacity;
    int fewest, most;
  } cases[] = {{0, 0, 0}, {128, total * 3 / 10, total * 7 / 10}, {252, total * 9 / 10, total}};
  for (const Case& c : cases) {
    material_->opacity = c.opacity;
    std::vector<uint32_t> first;
    for (uint8_t modes : {uint8_t{foreshorten}, uint8_t{foreshorten | filter}}) {
      clearImage();
      draw(polygon.get(), modes, true, texturedFlatStipple);
      const std::vector<uint32_t> stippled = image();
      if (first.empty()) first = stippled;
      EXPECT_EQ(stippled, first) << "filter " << int{c.opacity};
      int drawn = 0;
      for (size_t k = 0; k < stippled.size(); ++k) {
        const int x = static_cast<int>(k) % side, y = static_cast<int>(k) / side;
        if (!stippled[k]) {
          EXPECT_EQ(storedDepth(x, y), 0) << "a stippled-out pixel keeps its depth";
          continue;
        }
        ++drawn;
        EXPECT_EQ(stippled[k], opaque[k]) << x << "," << y;
      }
      EXPECT_GE(drawn, c.fewest) << int{c.opacity};
      EXPECT_LE(drawn, c.most) << int{c.opacity};
    }
  }
}

TEST_F(Perspective8Test, WildCoordinatesAndDepthsNeverLeaveTheBlock) {
  fillTexture8(columnTexel);
  std::mt19937 random(8);
  material_->opacity = 128;
  for (int round = 0; round < 400; ++round) {
    TestPolygon polygon(material_, {anyCorner(random), anyCorner(random), anyCorner(random)});
    scatterWildly(polygon, random, round);
    polygon.setIntensity(static_cast<int32_t>(random()));  // levels outside 0..31 stay in the table
    const intptr_t pair = round % 3 == 0 ? texturedFlatStipple : texturedFlatOpaque;
    draw(polygon.get(), round % 4 == 0 ? (lit | foreshorten) : foreshorten, round % 2 == 0, pair);
  }
}


// ---- every texture mode, the catalogue, Gouraud levels, span families

void drawFan(RwTriangleRoutine routine, TestPolygon& polygon) {
  const RwRasterPolygon* described = polygon.described();
  for (intptr_t i = described->vertexCount - 2; i >= 1; --i) routine(described, i);
}

// Intensity as a plane over the screen, so every triangle of the quad
// interpolates the same field: level 2 at the origin, 0.4 a column, 0.5 a row.
double levelAt(double x, double y) { return 2 + 0.4 * x + 0.5 * y; }
void lightAsPlane(TestPolygon& polygon) {
  const int corners[4][2] = {{0, 0}, {0, height}, {side, height}, {side, 0}};
  for (size_t k = 0; k < 4; ++k) {
    for (int c = 0; c < 3; ++c) {
      polygon.vertex(k).intensity[c] = static_cast<int32_t>(std::lround(levelAt(corners[k][0], corners[k][1]) * 65536));
    }
  }
}

// Whether a shaded value is ShadeTable's at a level within one of the
// reference (rows drawn one edge step down; the walk's own half-pixel).
bool withinOneLevel(double reference, int rowBytes, uint32_t channel, uint32_t shaded) {
  for (int level = static_cast<int>(std::floor(reference)) - 1; level <= static_cast<int>(std::floor(reference)) + 1;
       ++level) {
    if (level >= 0 && level < 32 && RwGetShadeTables().shade[level * rowBytes + channel] == shaded) return true;
  }
  return false;
}

TEST_F(PerspectiveTest, EveryTextureModeEntryOfTheDepthDraws) {
  fillTexture(namedTexel);
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 3.0f, 20000, 10000, 0.5};
  quad.place(polygon);
  polygon.setIntensity(20 << 16);
  material_->opacity = 200;
  for (int entry = 0; entry < 40; ++entry) {
    ASSERT_NE(RwGetTextureModeTable()[entry], nullptr) << entry;
    clearImage();
    drawFan(RwGetTextureModeTable()[entry], polygon);
    EXPECT_GT(drawnCount(), side * height / 2) << entry;
  }
}

TEST_F(PerspectiveTest, CatalogueNamesTheRoutineOfEveryPerspectiveEntry) {
  const std::pair<int, RwTriangleRoutine> catalogue[] = {
      {7, RwRas16TriGouraudPerspOpaque},       {15, RwRas16TriGouraudPerspOpaqueZ},
      {11, RwRas16TriGouraudPerspStipple},     {3, RwRas16TriGouraudPerspStippleZ},
      {6, RwRas16TriUnlitPerspOpaque},         {34, RwRas16TriUnlitPerspOpaque},
      {35, RwRas16TriFlatPerspOpaque},         {14, RwRas16TriUnlitPerspOpaqueZ},
      {26, RwRas16TriUnlitPerspOpaqueZ},       {27, RwRas16TriFlatPerspOpaqueZ},
      {10, RwRas16TriUnlitPerspStipple},       {22, RwRas16TriUnlitPerspStipple},
      {23, RwRas16TriFlatPerspStipple},        {2, RwRas16TriUnlitPerspStippleZ},
      {18, RwRas16TriUnlitPerspStippleZ},      {19, RwRas16TriFlatPerspStippleZ},
      {38, RwRas16TriUnlitPerspFilterOpaque},  {39, RwRas16TriFlatPerspFilterOpaque},
      {30, RwRas16TriUnlitPerspFilterOpaqueZ}, {31, RwRas16TriFlatPerspFilterOpaqueZ},
      {36, RwRas16TriUnlitAffineFilterOpaque}, {37, RwRas16TriFlatAffineFilterOpaque},
  };
  for (const auto& [entry, routine] : catalogue) EXPECT_EQ(RwGetTextureModeTable()[entry], routine) << entry;
}

TEST_F(PerspectiveTest, GouraudLevelsFollowAFloatReferenceWithinOneLevel) {
  fillTexture([](int, int) { return 0xFFDFu; });  // every channel 31
  TestPolygon polygon = makePolygon(material_);
  lightAsPlane(polygon);
  material_->opacity = 255;
  const Quad quads[] = {{1.0f, 4.0f, 40000, 10000, 0.25}, {4.0f, 1.0f, 10000, 40000, 0.25}};
  // The affine Gouraud members light alike (their dither byte, not the
  // whole dither word, rounds the level).
  const RwTriangleRoutine members[] = {RwRas16TriGouraudPerspOpaque,   RwRas16TriGouraudPerspOpaqueZ,
                                       RwRas16TriGouraudPerspStipple,  RwRas16TriGouraudPerspStippleZ,
                                       RwRas16TriGouraudAffineOpaque,  RwRas16TriGouraudAffineStipple};
  for (const Quad& quad : quads) {
    quad.place(polygon);
    for (RwTriangleRoutine member : members) {
      clearImage();
      drawFan(member, polygon);
      int checked = 0;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < side; ++x) {
          const uint32_t p = pixel(x, y);
          if (!p) continue;  // a stippled-out pixel
          ++checked;
          const double level = levelAt(x + 0.5, y + 1);
          EXPECT_TRUE(withinOneLevel(level, 32, 31, p >> 11)) << x << "," << y << " red " << (p >> 11);
          // Green is rounded by the dither byte: half a level up on average.
          EXPECT_TRUE(withinOneLevel(level + 0.5, 32, 31, (p >> 6) & 31)) << x << "," << y << " green";
          EXPECT_TRUE(withinOneLevel(level, 32, 31, p & 31)) << x << "," << y << " blue";
          EXPECT_EQ(p & 0x20, 0u);
        }
      }
      EXPECT_GT(checked, side * height * 9 / 10);
    }
  }
}

// The span families walk their rows as the plain row loop does: the same
// pixels, the same texels where both walk in perspective, within one texel
// where one of them walks a row affinely.
TEST_F(PerspectiveTest, UnlitSpanFamilyMatchesThePlainRowLoop) {
  fillTexture(namedTexel);
  TestPolygon polygon = makePolygon(material_);
  const Quad quads[] = {{1.0f, 4.0f, 1000, 1000, 0.25}, {4.0f, 1.0f, 1000, 1000, 0.25}, {2.0f, 2.0f, 1000, 1000, 0.5}};
  for (const Quad& quad : quads) {
    quad.place(polygon);
    clearImage();
    drawFan(RwRas16TriUnlitPerspOpaqueReference, polygon);
    std::vector<uint32_t> plain;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < side; ++x) plain.push_back(pixel(x, y));
    clearImage();
    drawFan(RwRas16TriUnlitPerspOpaque, polygon);
    size_t k = 0, same = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < side; ++x, ++k) {
        const uint32_t p = pixel(x, y);
        ASSERT_EQ(p != 0, plain[k] != 0) << x << "," << y;
        if (!p) continue;
        EXPECT_LE(std::abs(texelColumn(p) - texelColumn(plain[k])), 1) << x << "," << y;
        EXPECT_LE(std::abs(texelRow(p) - texelRow(plain[k])), 1) << x << "," << y;
        same += p == plain[k];
      }
    }
    if (quad.depthLeft != quad.depthRight) {
      EXPECT_EQ(same, plain.size() - std::count(plain.begin(), plain.end(), 0u));
    }
  }
}

TEST_F(PerspectiveTest, UnlitFilterMovesTexelsByLessThanOneAndNeverAUniformOne) {
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 2.0f, 1000, 1000, 0.1};
  quad.place(polygon);
  for (bool z : {false, true}) {
    const RwTriangleRoutine filtered = z ? RwRas16TriUnlitPerspFilterOpaqueZ : RwRas16TriUnlitPerspFilterOpaque;
    fillTexture([](int, int) { return 0x4321u; });
    clearImage();
    drawFan(filtered, polygon);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < side; ++x) ASSERT_EQ(pixel(x, y), 0x4321u) << x << "," << y;
    fillTexture(namedTexel);
    clearImage();
    drawFan(RwRas16TriUnlitPerspOpaque, polygon);
    std::vector<uint32_t> plain;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < side; ++x) plain.push_back(pixel(x, y));
    clearImage();
    drawFan(filtered, polygon);
    size_t k = 0, moved = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < side; ++x, ++k) {
        const uint32_t p = pixel(x, y);
        ASSERT_NE(p, 0u);
        // Upward by under half a texel: the same texel or the next one.
        const int dc = (texelColumn(p) - texelColumn(plain[k]) + 128) % 128;
        const int dr = (texelRow(p) - texelRow(plain[k]) + 128) % 128;
        EXPECT_LE(dc, 1) << x << "," << y;
        EXPECT_LE(dr, 1) << x << "," << y;
        moved += p != plain[k];
      }
    }
    EXPECT_GT(moved, plain.size() / 10) << z;
  }
}

// Rendered at 16 bits and then at 8, a foreshortened quad picks the same
// texel at every pixel (the 8-bit textures name a column or a row).
TEST_F(PerspectiveTest, EightBitPicksTheSameTexelsAsSixteenBit) {
  struct Member {
    uint8_t modes;
    intptr_t pair;
    bool z;
  } members[] = {{foreshorten, texturedFlatOpaque, false}, {foreshorten, texturedFlatOpaque, true},
                 {foreshorten, texturedFlatStipple, false}, {foreshorten, texturedFlatStipple, true}};
  const Quad quads[] = {{1.0f, 4.0f, 40000, 10000, 0.25}, {4.0f, 1.0f, 10000, 40000, 0.25}};
  std::vector<std::vector<int>> columns16, rows16;
  material_->opacity = 200;
  fillTexture(namedTexel);
  for (const Quad& quad : quads) {
    for (const Member& m : members) {
      TestPolygon polygon = makePolygon(material_);
      quad.place(polygon);
      polygon.setIntensity(23 << 16);
      clearImage();
      draw(polygon.get(), m.modes, m.z, m.pair);
      std::vector<int> columns, rows;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < side; ++x) {
          const uint32_t p = pixel(x, y);
          columns.push_back(p ? texelColumn(p) : -1);
          rows.push_back(p ? texelRow(p) : -1);
        }
      }
      columns16.push_back(columns);
      rows16.push_back(rows);
    }
  }
  // The same camera and material at depth 8.
  material_->texture = nullptr;
  RwEndCameraUpdate(camera_);
  RwDestroyMaterial(material_);
  material_ = nullptr;
  RwClose();
  openAt(8, 64, 32);
  std::vector<uint8_t> texels8(128 * 128);
  texture_.texels = texels8.data();
  material_->texture = &texture_;
  material_->opacity = 200;
  size_t scene = 0;
  for (const Quad& quad : quads) {
    for (const Member& m : members) {
      TestPolygon polygon = makePolygon(material_);
      quad.place(polygon);
      polygon.setIntensity(23 << 16);
      for (bool byColumn : {true, false}) {
        for (int k = 0; k < 128 * 128; ++k) texels8[k] = static_cast<uint8_t>((byColumn ? k % 128 : k / 128) + 1);
        clearImage();
        draw(polygon.get(), m.modes, m.z, m.pair);
        const std::vector<int>& expected = byColumn ? columns16[scene] : rows16[scene];
        size_t k = 0;
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < side; ++x, ++k) {
            const uint32_t p = pixel(x, y);
            ASSERT_EQ(p ? static_cast<int>(p) - 1 : -1, expected[k]) << scene << " at " << x << "," << y;
          }
        }
      }
      ++scene;
    }
  }
}

TEST_F(Perspective8Test, EveryTextureModeEntryOfTheDepthDraws) {
  fillTexture8(columnTexel);
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 3.0f, 20000, 10000, 0.5};
  quad.place(polygon);
  polygon.setIntensity(20 << 16);
  material_->opacity = 200;
  for (int entry = 40; entry < rwTextureModeEntries; ++entry) {
    ASSERT_NE(RwGetTextureModeTable()[entry], nullptr) << entry;
    clearImage();
    drawFan(RwGetTextureModeTable()[entry], polygon);
    EXPECT_GT(drawnCount(), side * height / 2) << entry;
  }
}

TEST_F(Perspective8Test, CatalogueNamesTheRoutineOfEveryPerspectiveEntry) {
  const std::pair<int, RwTriangleRoutine> catalogue[] = {
      {43, RwRas8TriGouraudPerspOpaque},       {47, RwRas8TriGouraudPerspOpaque},
      {51, RwRas8TriGouraudPerspOpaqueZ},      {55, RwRas8TriGouraudPerspOpaqueZ},
      {59, RwRas8TriGouraudPerspStipple},      {63, RwRas8TriGouraudPerspStipple},
      {67, RwRas8TriGouraudPerspStippleZ},     {71, RwRas8TriGouraudPerspStippleZ},
      {42, RwRas8TriUnlitPerspOpaque},         {46, RwRas8TriUnlitPerspOpaque},
      {90, RwRas8TriUnlitPerspOpaque},         {91, RwRas8TriFlatPerspOpaque},
      {50, RwRas8TriUnlitPerspOpaqueZ},        {54, RwRas8TriUnlitPerspOpaqueZ},
      {98, RwRas8TriUnlitPerspOpaqueZ},        {99, RwRas8TriFlatPerspOpaqueZ},
      {58, RwRas8TriUnlitPerspStipple},        {62, RwRas8TriUnlitPerspStipple},
      {74, RwRas8TriUnlitPerspStipple},        {78, RwRas8TriUnlitPerspStipple},
      {75, RwRas8TriFlatPerspStipple},         {79, RwRas8TriFlatPerspStipple},
      {66, RwRas8TriUnlitPerspStippleZ},       {70, RwRas8TriUnlitPerspStippleZ},
      {82, RwRas8TriUnlitPerspStippleZ},       {86, RwRas8TriUnlitPerspStippleZ},
      {83, RwRas8TriFlatPerspStippleZ},        {87, RwRas8TriFlatPerspStippleZ},
      {94, RwRas8TriUnlitPerspFilterOpaque},   {95, RwRas8TriFlatPerspFilterOpaque},
      {102, RwRas8TriUnlitPerspFilterOpaqueZ}, {103, RwRas8TriFlatPerspFilterOpaqueZ},
  };
  for (const auto& [entry, routine] : catalogue) EXPECT_EQ(RwGetTextureModeTable()[entry], routine) << entry;
}

TEST_F(Perspective8Test, GouraudLevelsFollowAFloatReferenceWithinOneLevel) {
  fillTexture8([](int, int) { return 200u; });
  TestPolygon polygon = makePolygon(material_);
  lightAsPlane(polygon);
  material_->opacity = 255;
  const Quad quads[] = {{1.0f, 4.0f, 40000, 10000, 0.25}, {4.0f, 1.0f, 10000, 40000, 0.25}};
  const RwTriangleRoutine members[] = {RwRas8TriGouraudPerspOpaque,   RwRas8TriGouraudPerspOpaqueZ,
                                       RwRas8TriGouraudPerspStipple,  RwRas8TriGouraudPerspStippleZ,
                                       RwRas8TriGouraudAffineOpaque,  RwRas8TriGouraudAffineStippleZ};
  for (const Quad& quad : quads) {
    quad.place(polygon);
    for (RwTriangleRoutine member : members) {
      clearImage();
      drawFan(member, polygon);
      int checked = 0;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < side; ++x) {
          const uint32_t p = pixel(x, y);
          if (!p) continue;
          ++checked;
          // The level is rounded by the dither byte: half a level up on average.
          EXPECT_TRUE(withinOneLevel(levelAt(x + 0.5, y + 1) + 0.5, 256, 200, p)) << x << "," << y << " " << p;
        }
      }
      EXPECT_GT(checked, side * height * 9 / 10);
    }
  }
}

TEST_F(Perspective8Test, SpanFamiliesMatchThePlainRowLoop) {
  // The Gouraud family without z-buffer seeds a leftward span's dither from
  // the forward column table, the plain loop from the reverse one: there
  // the levels agree within one, on a uniform texel.
  struct Pair {
    RwTriangleRoutine family, plain;
    bool sameDither;
  } pairs[] = {
      {RwRas8TriUnlitPerspOpaque, RwRas8TriUnlitPerspOpaqueReference, true},
      {RwRas8TriUnlitPerspOpaqueZ, RwRas8TriUnlitPerspOpaqueZReference, true},
      {RwRas8TriFlatPerspOpaque, RwRas8TriFlatPerspOpaqueReference, true},
      {RwRas8TriFlatPerspOpaqueZ, RwRas8TriFlatPerspOpaqueZReference, true},
      {RwRas8TriGouraudPerspOpaque, RwRas8TriGouraudPerspOpaqueReference, false},
      {RwRas8TriGouraudPerspOpaqueZ, RwRas8TriGouraudPerspOpaqueZReference, true},
  };
  const auto levelsOf = [](uint32_t index) {
    std::set<int> levels;
    for (int level = 0; level < 32; ++level)
      if (RwGetShadeTables().shade[level * 256 + 200] == index) levels.insert(level);
    return levels;
  };
  const Quad quads[] = {{1.0f, 4.0f, 40000, 10000, 0.25}, {4.0f, 1.0f, 10000, 40000, 0.25}};
  for (const Quad& quad : quads) {
    TestPolygon polygon = makePolygon(material_);
    quad.place(polygon);
    polygon.setIntensity(9 << 16);
    for (size_t k = 0; k < 4; ++k) polygon.vertex(k).intensity[0] = (9 + 3 * static_cast<int32_t>(k)) << 16;
    for (const Pair& pair : pairs) {
      fillTexture8(pair.sameDither ? columnTexel : [](int, int) { return 200u; });
      clearImage();
      drawFan(pair.plain, polygon);
      const std::vector<uint32_t> plain = image();
      std::vector<uint16_t> plainDepth;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < side; ++x) plainDepth.push_back(storedDepth(x, y));
      clearImage();
      drawFan(pair.family, polygon);
      const std::vector<uint32_t> family = image();
      if (pair.sameDither) {
        EXPECT_EQ(family, plain) << quad.depthLeft;
      }
      for (size_t p = 0; p < plain.size() && !pair.sameDither; ++p) {
        ASSERT_EQ(family[p] != 0, plain[p] != 0) << p;
        if (!plain[p]) continue;
        int distance = 32;
        for (int a : levelsOf(family[p]))
          for (int b : levelsOf(plain[p])) distance = std::min(distance, std::abs(a - b));
        EXPECT_LE(distance, 1) << p;
      }
      size_t k = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < side; ++x, ++k) ASSERT_EQ(storedDepth(x, y), plainDepth[k]) << x << "," << y;
    }
  }
}

TEST_F(Perspective8Test, FilteredMembersMoveTexelsByLessThanOneAndNeverAUniformOne) {
  struct Member {
    RwTriangleRoutine filtered, plain;
    bool lit;
  } members[] = {
      {RwRas8TriUnlitPerspFilterOpaque, RwRas8TriUnlitPerspOpaque, false},
      {RwRas8TriUnlitPerspFilterOpaqueZ, RwRas8TriUnlitPerspOpaqueZ, false},
      {RwRas8TriFlatPerspFilterOpaque, RwRas8TriFlatPerspOpaque, true},
      {RwRas8TriFlatPerspFilterOpaqueZ, RwRas8TriFlatPerspOpaqueZ, true},
  };
  TestPolygon polygon = makePolygon(material_);
  const Quad quad = {1.0f, 2.0f, 1000, 1000, 0.1};
  quad.place(polygon);
  polygon.setIntensity(0);
  for (const Member& m : members) {
    fillTexture8([](int, int) { return 77u; });
    clearImage();
    drawFan(m.filtered, polygon);
    const uint32_t uniform = m.lit ? RwGetShadeTables().shade[77] : 77u;
    for (uint32_t p : image()) ASSERT_EQ(p, uniform);
    for (bool columns : {true, false}) {
      fillTexture8(columns ? columnTexel : rowTexel);
      clearImage();
      drawFan(m.plain, polygon);
      const std::vector<uint32_t> plain = image();
      clearImage();
      drawFan(m.filtered, polygon);
      const std::vector<uint32_t> filtered = image();
      size_t moved = 0;
      for (size_t k = 0; k < plain.size(); ++k) {
        ASSERT_NE(filtered[k], 0u) << k;
        moved += filtered[k] != plain[k];
        if (m.lit) continue;  // shaded indices do not name texels
        EXPECT_LE((static_cast<int>(filtered[k]) - static_cast<int>(plain[k]) + 128) % 128, 1) << k;
      }
      if (!m.lit) {
        EXPECT_GT(moved, plain.size() / 10) << columns;  // a shade row may merge neighbours
      }
    }
  }
}
}  // namespace
