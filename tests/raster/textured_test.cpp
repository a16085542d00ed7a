// tests/raster/textured_test.cpp -- affine textured triangles, plain and
// filtered, at 16 and 8 bits, their tuned loops against the references, and
// the conversion of images to texels.
#include <functional>
#include <random>
#include <set>
#include <vector>

#include "engine/drawslots.h"
#include "engine/imageconvert.h"
#include "engine/palette.h"
#include "engine/raster/textured.h"
#include "engine/rasters.h"
#include "engine/shadetable.h"
#include "engine/texture.h"
#include "tests/raster/raster_fixture.h"

namespace {

constexpr int32_t texel = 512;  // one texel in 16.16 texture units (1.0 = 128 texels)
constexpr intptr_t texturedFlatOpaque = 8, texturedGouraudOpaque = 9, texturedFlatStipple = 10;
constexpr uint8_t lit = 1, foreshorten = 2, filter = 4;

// A square polygon of side n at (x, y) whose texture coordinates map one
// texel to one pixel, starting at texel (u0, v0).
struct MappedSquare {
  MappedSquare(RwMaterial* material, int x, int y, int n, int32_t u0 = 0, int32_t v0 = 0, int32_t depth = 1000)
      : polygon(material, {{x, y, 31 << 16, depth}, {x, y + n, 31 << 16, depth}, {x + n, y + n, 31 << 16, depth},
                           {x + n, y, 31 << 16, depth}}) {
    const int corners[4][2] = {{0, 0}, {0, n}, {n, n}, {n, 0}};
    for (size_t k = 0; k < 4; ++k) {
      polygon.vertex(k).u = u0 + corners[k][0] * texel;
      polygon.vertex(k).v = v0 + corners[k][1] * texel;
    }
  }
  TestPolygon polygon;
};

class TexturedTest : public RasterTest {
 protected:
  void TearDown() override {
    if (material_) material_->texture = nullptr;
    RasterTest::TearDown();
  }

  // A texture made in memory at the image depth: value(column, row).
  void useTexture(const std::function<uint32_t(int, int)>& value) {
    const bool wide = camera_->image.depth != 8;
    texels_.assign(static_cast<size_t>(rwTexelsPerFrame * (wide ? 2 : 1)), 0);
    for (int row = 0; row < 128; ++row) {
      for (int column = 0; column < 128; ++column) {
        const uint32_t t = value(column, row);
        if (wide) {
          reinterpret_cast<uint16_t*>(texels_.data())[row * 128 + column] = static_cast<uint16_t>(t);
        } else {
          texels_[row * 128 + column] = static_cast<uint8_t>(t);
        }
      }
    }
    texture_ = {};
    texture_.texels = texels_.data();
    texture_.frameCount = 1;
    texture_.frameStep = 1;
    material_->texture = &texture_;
  }

  int draw(intptr_t pair, RwPolygon* polygon, bool z = false) {
    const RwRendererPair& entry = DrawSlotTable(&rwDeviceRecord)[pair];
    return (z ? entry.depthBuffered : entry.plain)(polygon);
  }

  uint32_t texelAt(int column, int row) const {
    const bool wide = camera_->image.depth != 8;
    return wide ? reinterpret_cast<const uint16_t*>(texels_.data())[row * 128 + column] : texels_[row * 128 + column];
  }

  std::vector<uint8_t> texels_;
  RwTexture texture_{};
};

uint32_t checker16(int column, int row) { return ((column / 2 + row / 2) & 1) ? 0xF81F : 0x07E0; }
uint32_t checker8(int column, int row) { return ((column / 2 + row / 2) & 1) ? 40 : 200; }

// The frame steps the edges before it draws a row, so screen row y shows
// texture row y + 1 of a square whose top is at v = 0.
TEST_F(TexturedTest, CheckerboardMappedOneToOneComesOutExactlyAtBothDepths) {
  for (int depth : {16, 8}) {
    SCOPED_TRACE(depth);
    openAt(depth);
    useTexture(depth == 8 ? checker8 : checker16);
    material_->textureModes = 0;
    MappedSquare square(material_, 0, 0, 16);
    EXPECT_EQ(draw(texturedFlatOpaque, square.polygon.get()), 0);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(pixel(x, y), texelAt(x, y + 1)) << x << "," << y;
    EXPECT_EQ(pixel(16, 3), 0u);
    RwEndCameraUpdate(camera_);
    TearDown();
    camera_ = nullptr;
    material_ = nullptr;
  }
}

TEST_F(TexturedTest, CoordinatesOutsideTheUnitSquareWrapAroundTheTexture) {
  openAt(8);
  useTexture([](int column, int row) { return static_cast<uint32_t>(column + 1); });
  material_->textureModes = 0;
  struct Case {
    int32_t u;
    uint32_t column;
  } cases[] = {{0, 0}, {65536, 0}, {-16384, 96}, {3 * 65536 + 5 * texel, 5}, {-65536 - texel, 127}};
  for (const Case& c : cases) {
    clearImage();
    MappedSquare square(material_, 0, 0, 8, c.u, -7 * 65536);
    for (size_t k = 0; k < 4; ++k) square.polygon.vertex(k).u = c.u;  // one column everywhere
    draw(texturedFlatOpaque, square.polygon.get());
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(pixel(x, y), c.column + 1) << "u " << c.u;
  }
}

TEST_F(TexturedTest, LitModesShadeThroughTheShadeTableAndUnlitCopiesTexels) {
  openAt(16);
  const uint32_t t = 0xFFFF;  // every channel full, bit 5 set
  useTexture([t](int, int) { return t; });
  MappedSquare square(material_, 0, 0, 8);
  square.polygon.get()->intensity[0] = 31 << 16;
  square.polygon.get()->intensity[1] = 0;
  square.polygon.get()->intensity[2] = 0;
  const uint8_t* shadeTable = RwGetShadeTables().shade;
  const auto shade = [&](int level, uint32_t channel) { return uint32_t{shadeTable[level * 32 + channel]}; };
  const uint32_t oneLevel = shade(31, 31) << 11 | shade(31, 31) << 6 | shade(31, 31);
  const uint32_t threeLevels = shade(31, 31) << 11 | shade(0, 31) << 6 | shade(0, 31);
  struct Case {
    intptr_t pair;
    uint8_t modes;
    uint8_t opacity;
    uint32_t expected;
  } cases[] = {
      {texturedFlatOpaque, 0, 255, t},                          // unlit keeps bit 5
      {texturedFlatOpaque, lit, 255, oneLevel},                 // tuned: all at the red level
      {texturedFlatOpaque, lit | filter, 255, threeLevels},     // filtered flat: one level per channel
      {texturedFlatStipple, lit, 252, threeLevels},
      {texturedFlatOpaque, lit | foreshorten, 255, threeLevels}, // perspective flat: one level per channel
  };
  for (const Case& c : cases) {
    clearImage();
    material_->textureModes = c.modes;
    material_->opacity = c.opacity;
    draw(c.pair, square.polygon.get());
    EXPECT_EQ(pixel(3, 3) & ~0u, c.expected) << int{c.modes} << " pair " << c.pair;
    if (c.modes & lit) {
      EXPECT_EQ(pixel(3, 3) & 0x20, 0u);
    }
  }
}

TEST_F(TexturedTest, ParallelCamerasDrawForeshortenedMaterialsAffine) {
  openAt(8);
  useTexture([](int, int) { return 77u; });
  rwRasterTarget.textureModeMask = 5;
  material_->textureModes = lit | foreshorten;
  MappedSquare square(material_, 0, 0, 8);
  square.polygon.setIntensity(31 << 16);
  draw(texturedFlatOpaque, square.polygon.get());
  EXPECT_EQ(pixel(2, 2), RwGetShadeTables().shade[31 * 256 + 77]);
}

TEST_F(TexturedTest, StippleDrawsOnlyPixelsWhoseDitherValueIsBelowTheOpacity) {
  openAt(8, 64, 64);
  useTexture([](int, int) { return 9u; });
  material_->textureModes = 0;
  MappedSquare square(material_, 0, 0, 64);
  auto drawnWith = [&](uint8_t opacity) {
    clearImage();
    material_->opacity = opacity;
    draw(texturedFlatStipple, square.polygon.get());
    int count = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) count += pixel(x, y) == 9;
    return count;
  };
  const int all = 64 * 64;
  EXPECT_EQ(drawnWith(0), 0);
  const int half = drawnWith(128);
  EXPECT_GT(half, all / 3);
  EXPECT_LT(half, 2 * all / 3);
  EXPECT_GT(drawnWith(255), half);
  EXPECT_LE(drawnWith(255), all);
}

TEST_F(TexturedTest, TransparentTexelsKeepColourAndDepthAndEqualDepthFollowsTheLoop) {
  openAt(16);
  // Left half of the texture transparent.
  useTexture([](int column, int) { return column < 64 ? 0u : 0x1234u; });
  material_->textureModes = 0;
  MappedSquare square(material_, 0, 0, 8, 60 * texel, 0, 2000);
  draw(texturedFlatOpaque, square.polygon.get(), true);
  EXPECT_EQ(pixel(1, 1), 0u);
  EXPECT_EQ(storedDepth(1, 1), 0u);
  EXPECT_EQ(pixel(5, 1), 0x1234u);
  EXPECT_EQ(storedDepth(5, 1), 2000u);

  // Same depth again with another texel value: the tuned opaque z loop
  // overwrites, the lit Gouraud z loop keeps the old pixel.
  useTexture([](int, int) { return 0x0841u; });
  material_->textureModes = lit;
  draw(texturedGouraudOpaque, square.polygon.get(), true);
  material_->textureModes = 0;
  EXPECT_EQ(pixel(5, 1), 0x1234u);
  draw(texturedFlatOpaque, square.polygon.get(), true);
  EXPECT_EQ(pixel(5, 1), 0x0841u);
  // Farther away: hidden.
  MappedSquare behind(material_, 0, 0, 8, 0, 0, 1500);
  useTexture([](int, int) { return 0x5555u; });
  draw(texturedFlatOpaque, behind.polygon.get(), true);
  EXPECT_EQ(pixel(5, 1), 0x0841u);
}

TEST_F(TexturedTest, GouraudAndStippleGroupsIgnoreTheFilterBit) {
  openAt(8, 32, 32);
  useTexture([](int column, int row) { return static_cast<uint32_t>((column * 7 + row * 13) % 200 + 20); });
  MappedSquare square(material_, 0, 0, 24, 3 * texel / 2, 5 * texel / 2);
  square.polygon.setIntensity(20 << 16);
  for (intptr_t pair : {texturedGouraudOpaque, texturedFlatStipple}) {
    material_->opacity = pair == texturedFlatStipple ? 128 : 255;
    clearImage();
    material_->textureModes = lit;
    draw(pair, square.polygon.get());
    const uint32_t plain = checksum();
    clearImage();
    material_->textureModes = lit | filter;
    draw(pair, square.polygon.get());
    EXPECT_EQ(checksum(), plain) << pair;
  }
}

// The filtered lookup computed directly from the dither tables: pixel x of
// row y samples u + ju / 256 and v + jv / 256 texels.
TEST_F(TexturedTest, FilteredSamplingMatchesAPlainReference) {
  for (int depth : {8, 16}) {
    SCOPED_TRACE(depth);
    openAt(depth, 32, 32);
    const uint32_t mask = depth == 8 ? 255 : 0xFFFF;
    useTexture([mask](int column, int row) { return (static_cast<uint32_t>(row * 128 + column) % mask) + 1; });
    material_->textureModes = filter;
    const int32_t u = 7 * 256 + 128, v = 9 * 256 + 64;  // packed units: 1/256 texel
    MappedSquare square(material_, 0, 0, 20);
    for (size_t k = 0; k < 4; ++k) {
      square.polygon.vertex(k).u = u * 2;
      square.polygon.vertex(k).v = v * 2;
    }
    draw(texturedFlatOpaque, square.polygon.get());
    uint32_t rowWord = DitherRows[0];
    for (int y = 0; y < 20; ++y) {
      uint32_t d = DitherColumns[0] ^ (rowWord & 255);
      for (int x = 0; x < 20; ++x) {
        const int ju = static_cast<int8_t>(d & 255);
        const int jv = ju ^ 0xAA;
        const int column = ((u + ju) >> 8) & 127, row = ((v + jv) >> 8) & 127;
        ASSERT_EQ(pixel(x, y), texelAt(column, row)) << x << "," << y;
        d ^= d >> 6;
      }
      rowWord ^= rowWord >> 6;
    }
    RwEndCameraUpdate(camera_);
    TearDown();
    camera_ = nullptr;
    material_ = nullptr;
  }
}

TEST_F(TexturedTest, FilteredDrawsAUniformTextureExactlyAsUnfiltered) {
  openAt(16, 32, 32);
  useTexture([](int, int) { return 0x39E7u; });
  MappedSquare square(material_, 2, 3, 20, 100, 300);
  material_->textureModes = filter;
  draw(texturedFlatOpaque, square.polygon.get());
  const uint32_t filtered = checksum();
  clearImage();
  material_->textureModes = 0;
  draw(texturedFlatOpaque, square.polygon.get());
  EXPECT_EQ(checksum(), filtered);
}

TEST_F(TexturedTest, ImagesConvertToTheTexelLayoutOfEachDeviceDepth) {
  openAt(16);
  RwRaster* image = RwCreateRaster(3, 1, 24);
  ASSERT_NE(image, nullptr);
  const uint8_t rgb[9] = {0, 0, 0, 255, 255, 255, 0x84, 0x42, 0x10};
  std::copy(rgb, rgb + 9, image->pixels);
  RwRaster* wide = rwDeviceRecord.convertImage(image, 0);  // the device's word, at depth 16
  ASSERT_NE(wide, nullptr);
  const auto* p565 = reinterpret_cast<const uint16_t*>(wide->pixels);
  EXPECT_EQ(p565[0], 0x0001);  // black is not the transparent texel
  EXPECT_EQ(p565[1], 0xFFFF);
  EXPECT_EQ(p565[2], (0x88 >> 3) << 11 | (0x44 >> 2) << 5 | (0x14 >> 3));
  RwRaster* p555 = RwConvertImageTo555(image, 0);
  ASSERT_NE(p555, nullptr);
  EXPECT_EQ(p555->depth, 15);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(p555->pixels)[1], 0x7FFF);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(p555->pixels)[2], (0x88 >> 3) << 10 | (0x46 >> 3) << 5 | (0x14 >> 3));
  RwDestroyRaster(wide);
  RwDestroyRaster(p555);
  RwDestroyRaster(image);
}

TEST_F(TexturedTest, EightBitConversionMapsCopiesAndDiffuses) {
  openAt(8);
  RwRaster* image = RwCreateRaster(4, 2, 8);
  ASSERT_NE(image, nullptr);
  std::vector<uint8_t> map(768);
  for (int i = 0; i < 256; ++i) {
    map[3 * i] = static_cast<uint8_t>(i);
    map[3 * i + 1] = static_cast<uint8_t>(255 - i);
    map[3 * i + 2] = static_cast<uint8_t>(i * 3);
  }
  image->colourMap = map.data();
  const uint8_t indices[8] = {0, 17, 99, 255, 128, 64, 3, 200};
  for (int k = 0; k < 8; ++k) image->pixels[(k / 4) * image->stride + k % 4] = indices[k];
  RwRaster* copied = RwConvertImageTo8Bit(image, rwConvertPlainCopy | rwConvertDiffuse);
  RwRaster* mapped = RwConvertImageTo8Bit(image, 0);
  RwRaster* diffused = RwConvertImageTo8Bit(image, rwConvertDiffuse);
  ASSERT_TRUE(copied && mapped && diffused);
  for (int k = 0; k < 8; ++k) {
    const uint8_t at = indices[k];
    const intptr_t offset = (k / 4) * copied->stride + k % 4;
    EXPECT_EQ(copied->pixels[offset], static_cast<uint8_t>(at * 3));
    EXPECT_EQ(mapped->pixels[offset], findNearestPaletteIndex(&map[3 * at]));
    EXPECT_GE(diffused->pixels[offset], rwFirstEnginePaletteEntry);
    EXPECT_LE(diffused->pixels[offset], rwLastUsablePaletteEntry);
  }
  // The first pixel has no error to carry: diffusion and mapping agree there.
  EXPECT_EQ(diffused->pixels[0], mapped->pixels[0]);
  image->colourMap = nullptr;
  EXPECT_EQ(RwConvertImageTo8Bit(image, 0), nullptr);  // an 8-bit image needs its colour map
  for (RwRaster* r : {copied, mapped, diffused, image}) RwDestroyRaster(r);
}

// Random blocks through each tuned loop and its reference.
TEST_F(TexturedTest, TunedSpanLoopsEqualTheirReferences) {
  using Loop = void (*)(RwSpanParams*);
  struct Pair {
    int depth;
    Loop tuned, reference;
  } pairs[] = {
      {16, RwRas16SpanUnlitAffineOpaque, RwRas16SpanUnlitAffineOpaqueReference},
      {16, RwRas16SpanUnlitAffineOpaqueZ, RwRas16SpanUnlitAffineOpaqueZReference},
      {16, RwRas16SpanFlatAffineOpaque, RwRas16SpanFlatAffineOpaqueReference},
      {16, RwRas16SpanFlatAffineOpaqueZ, RwRas16SpanFlatAffineOpaqueZReference},
      {8, RwRas8SpanUnlitAffineOpaque, RwRas8SpanUnlitAffineOpaqueReference},
      {8, RwRas8SpanUnlitAffineOpaqueZ, RwRas8SpanUnlitAffineOpaqueZReference},
      {8, RwRas8SpanFlatAffineOpaque, RwRas8SpanFlatAffineOpaqueReference},
      {8, RwRas8SpanFlatAffineOpaqueZ, RwRas8SpanFlatAffineOpaqueZReference},
  };
  std::mt19937 random(7);
  int current = 0;
  for (const Pair& p : pairs) {
    if (p.depth != current) {
      if (camera_) {
        RwEndCameraUpdate(camera_);
        TearDown();
      }
      openAt(p.depth, 64, 40);
      current = p.depth;
      useTexture([&](int, int) { return random() % 5 == 0 ? 0u : random() & (p.depth == 8 ? 255 : 0xFFFF); });
    }
    for (int trial = 0; trial < 40; ++trial) {
      RwSpanParams block = {};
      block.rows = 1 + static_cast<int32_t>(random() % 30);
      block.leftX = static_cast<int32_t>(random() % (10 << 16));
      block.rightX = block.leftX + static_cast<int32_t>(random() % (40 << 16));
      block.leftStep = static_cast<int32_t>(random() % 32768);  // the block stays inside the image
      block.rightStep = static_cast<int32_t>(random() % 65536) - 32768;
      block.texels = texels_.data();
      block.shadeRows[0] = RwGetShadeTables().shade + (random() % 32) * (p.depth == 8 ? 256 : 32);
      block.third = {static_cast<int32_t>(random() & 0x7FFF7FFF), static_cast<int32_t>(random()),
                     static_cast<int32_t>(random())};
      block.depth = {static_cast<int32_t>(random()), static_cast<int32_t>(random() % 0x2000000) - 0x1000000,
                     static_cast<int32_t>(random() % 0x2000000) - 0x1000000};
      block.colourStride = camera_->image.stride;
      block.zStride = rwRasterTarget.zStride;
      const auto run = [&](Loop loop) {
        clearImage();
        RwSpanParams copy = block;
        copy.colourRow = camera_->image.rowTable[0];
        copy.zRow = rwRasterTarget.zBase;
        // A shallower first pass so that the z test has something to do.
        for (int y = 0; y < 40; ++y)
          for (int x = 0; x < 64; ++x) RwGetDepthBuffer().base[y * RwGetDepthBuffer().width + x] = (x * 2311 + y * 97) & 0xFFFF;
        loop(&copy);
        std::vector<uint32_t> out;
        for (int y = 0; y < 40; ++y)
          for (int x = 0; x < 64; ++x) out.push_back(pixel(x, y) << 16 ^ storedDepth(x, y));
        out.push_back(static_cast<uint32_t>(copy.third.value));
        out.push_back(static_cast<uint32_t>(copy.leftX));
        return out;
      };
      ASSERT_EQ(run(p.tuned), run(p.reference)) << "depth " << p.depth << " trial " << trial;
    }
  }
}

// A scene of several textured polygons through the draw slot pairs (the
// texture reader cannot yet reach materials in a rendered scene).
TEST_F(TexturedTest, TexturedSceneThroughTheDrawPairsMatchesItsGoldenChecksums) {
  const uint32_t expected[2] = {0x90ca168du, 0x0409b9e2u};
  int k = 0;
  for (int depth : {16, 8}) {
    openAt(depth, 64, 48);
    useTexture(depth == 8 ? checker8 : checker16);
    MappedSquare a(material_, 2, 2, 30, 10 * texel, -3 * texel, 3000);
    MappedSquare b(material_, 20, 10, 36, -40 * texel, 70 * texel, 2000);
    b.polygon.vertex(1).u += 9 * texel;  // a skewed mapping
    b.polygon.vertex(2).v -= 13 * texel;
    b.polygon.setIntensity(21 << 16);
    for (size_t v = 0; v < 4; ++v) b.polygon.vertex(v).intensity[0] = (8 + 6 * static_cast<int>(v)) << 16;
    material_->textureModes = 0;
    draw(texturedFlatOpaque, a.polygon.get(), true);
    material_->textureModes = lit | filter;
    draw(texturedGouraudOpaque, b.polygon.get(), true);
    material_->opacity = 128;
    draw(texturedFlatStipple, a.polygon.get(), true);
    std::set<uint32_t> colours;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) colours.insert(pixel(x, y));
    EXPECT_GE(colours.size(), 4u);  // the scene really drew, lit and unlit
    EXPECT_EQ(checksum(), expected[k++]) << std::hex << checksum();
    RwEndCameraUpdate(camera_);
    TearDown();
    camera_ = nullptr;
    material_ = nullptr;
  }
}

}  // namespace
