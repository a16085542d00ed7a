// tests/raster/description_test.cpp -- what the engine hands a draw routine:
// the polygon's description, filled from the engine's records.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/drawslots.h"
#include "engine/rasterfeed.h"
#include "engine/texture.h"
#include "tests/raster/raster_fixture.h"

namespace {

constexpr intptr_t texturedFlatOpaque = 8;

class DescriptionTest : public RasterTest {};

TEST_F(DescriptionTest, ListsTheEngineVerticesInPlaceWithTheMaterialsPaint) {
  openAt(16);
  material_->colour = 0x1234;
  material_->opacity = 128;
  material_->textureModes = 5;
  TestPolygon polygon(material_, {{1, 2, 3 << 16, 400}, {5, 6, 7 << 16, 800}, {9, 10, 11 << 16, 1200}});
  for (size_t k = 0; k < 3; ++k) {
    RwVertex& v = polygon.vertex(k);
    v.cameraDepth = 1.5f * static_cast<float>(k + 1);
    v.u = static_cast<RwFixed>(k * 65536);
    v.v = static_cast<RwFixed>(k * 32768);
    v.flags = static_cast<uint8_t>(4 << k);
  }
  polygon.get()->intensity[1] = 17 << 16;

  const RwRasterPolygon* described = polygon.described();
  ASSERT_EQ(described->vertexCount, 3u);
  for (size_t k = 0; k < 3; ++k) {
    const RwVertex& engine = polygon.vertex(k);
    const RwRasterVertex* seen = described->vertices[k];
    ASSERT_EQ(static_cast<const void*>(seen), static_cast<const void*>(&engine)) << "vertex " << k << " read in place";
    EXPECT_EQ(seen->screenX, engine.screenX);
    EXPECT_EQ(seen->screenY, engine.screenY);
    EXPECT_EQ(seen->depth, engine.depth);
    EXPECT_EQ(seen->cameraDepth, engine.cameraDepth);
    EXPECT_EQ(seen->u, engine.u);
    EXPECT_EQ(seen->v, engine.v);
    EXPECT_EQ(seen->intensity[2], engine.intensity[2]);
    EXPECT_EQ(seen->flags, engine.flags);
  }
  EXPECT_EQ(described->intensity[1], 17 << 16);
  EXPECT_EQ(described->colour, 0x1234u);
  EXPECT_EQ(described->opacity, 128);
  EXPECT_EQ(described->textureModes, 5);
  EXPECT_EQ(described->texels, nullptr);

  std::vector<uint8_t> texels(128 * 128 * 2, 1);
  RwTexture texture{};
  texture.texels = texels.data();
  material_->texture = &texture;
  EXPECT_EQ(polygon.described()->texels, texels.data()) << "the frame in force";
  material_->texture = nullptr;
}

TEST_F(DescriptionTest, TexturedPairsDrawNothingForAMaterialWithoutTexels) {
  for (int depth : {8, 16}) {
    SCOPED_TRACE(depth);
    openAt(depth);
    TestPolygon square(material_, {{0, 0}, {0, 20}, {20, 20}, {20, 0}});
    RwTexture texture{};  // a texture whose frame is not there
    for (RwTexture* given : {static_cast<RwTexture*>(nullptr), &texture}) {
      material_->texture = given;
      for (bool z : {false, true}) {
        const RwRendererPair& pair = DrawSlotTable(&rwDeviceRecord)[texturedFlatOpaque];
        EXPECT_EQ((z ? pair.depthBuffered : pair.plain)(square.get()), 0);
      }
    }
    material_->texture = nullptr;
    const uint32_t afterDraws = checksum();
    clearImage();
    EXPECT_EQ(afterDraws, checksum()) << "nothing drawn";
    TearDown();
    camera_ = nullptr;
    material_ = nullptr;
  }
}

}  // namespace
