// Textures: named look-up through the search path, dictionaries, sharing
// with materials, frames, masks, the texture flags and RWX texture words.
#include "engine/texture.h"

#include <vector>

#include "engine/clump.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/rasters.h"
#include "engine/shapefile.h"
#include "engine/texdict.h"
#include "image_fixture.h"
#include "shape_fixture.h"

using namespace imagefixture;

namespace {

class Textures : public ShapeFiles {
 protected:
  void SetUp() override {
    ShapeFiles::SetUp();
    ASSERT_EQ(RwSetShapePath(folder().c_str(), rwReplacePath), 1);
  }
  static intptr_t entries() { return RwTopTextureDictionary()->count; }
  static RwRaster* filledRaster(int width, int height, uint8_t value) {
    RwRaster* raster = RwCreateRaster(width, height, 8);
    std::fill(raster->pixels, raster->pixels + raster->stride * height, value);
    return raster;
  }
};

TEST_F(Textures, NamesResolveThroughThePathIgnoringCaseAndBackslashes) {
  write("Textures/Brick.ras", ras(128, 128, 8, 1, 0, "", std::string(128 * 128, '\x40')));
  RwTexture* read = RwGetNamedTexture("textures\\brick");
  ASSERT_NE(read, nullptr) << RwGetError();
  EXPECT_EQ(read->frameCount, 1);
  EXPECT_EQ(read->texels, read->raster->pixels);
  EXPECT_EQ(read->raster->owner, read);
  // Same base name, other folder, case and extension: the same texture.
  EXPECT_EQ(RwGetNamedTexture("Brick.BMP"), read);
  EXPECT_EQ(RwFindNamedTexture("BRICK"), read);
  EXPECT_EQ(entries(), 1);
  // Reading again replaces the entry.
  RwTexture* again = RwReadNamedTexture("textures\\brick.ras");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(entries(), 1);
  EXPECT_EQ(RwFindNamedTexture("brick"), again);

  EXPECT_EQ(RwFindNamedTexture("missing"), nullptr);
  EXPECT_EQ(RwGetError(), rwErrNone);
  EXPECT_EQ(RwGetNamedTexture("missing"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrFileOpen);
  EXPECT_EQ(RwFindNamedTexture("dir/"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureName);
}

TEST_F(Textures, ASharedTextureOutlivesItsDestructionUntilTheLastMaterialLetsGo) {
  write("wood.bmp", greyBmp(16, 16, 90));
  RwTexture* wood = RwGetNamedTexture("wood");
  ASSERT_NE(wood, nullptr) << RwGetError();
  RwMaterial* first = RwCreateMaterial();
  RwMaterial* second = RwCreateMaterial();
  ASSERT_TRUE(RwSetMaterialTexture(first, wood) && RwSetMaterialTexture(second, wood));
  RwMaterial* copy = RwCloneMaterial(first);
  EXPECT_EQ(wood->references, 4);

  EXPECT_EQ(RwDestroyTexture(wood), 1);
  EXPECT_EQ(entries(), 0);
  EXPECT_EQ(RwFindNamedTexture("wood"), nullptr);
  EXPECT_EQ(wood->references, 3);        // still readable: the materials hold it
  EXPECT_NE(wood->raster, nullptr);
  RwSetMaterialTexture(first, nullptr);
  RwDestroyMaterial(copy);
  EXPECT_EQ(wood->references, 1);
  RwDestroyMaterial(second);             // the last reference frees it (ASan checks once)
  RwDestroyMaterial(first);
  EXPECT_EQ(RwDestroyTexture(nullptr), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
}

TEST_F(Textures, ReplacingANamedTextureKeepsItForItsMaterials) {
  write("wood.bmp", greyBmp(16, 16, 90));
  RwTexture* old = RwReadNamedTexture("wood");
  RwMaterial* material = RwCreateMaterial();
  ASSERT_NE(RwSetMaterialTexture(material, old), nullptr);
  RwTexture* fresh = RwReadNamedTexture("wood");
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, old);
  EXPECT_EQ(old->dictionary, nullptr);
  EXPECT_EQ(old->references, 1);
  RwDestroyMaterial(material);
}

TEST_F(Textures, RastersMustBeTextureShaped) {
  write("narrow.bmp", bmp(64, 128, 8, std::vector<std::string>(128, std::string(64, '\x01')), {{0, 0, 0}}));
  write("deep.bmp", greyBmp(128, 128, 1));
  ASSERT_EQ(RwSetTexturePaletteMode(1), 1);  // no resampling: the file's size stays
  EXPECT_EQ(RwReadNamedTexture("narrow"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureWidth);
  EXPECT_EQ(RwReadNamedTexture("deep"), nullptr);  // 24 bits on an 8-bit device
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);
  write("short.bmp", bmp(128, 1, 8, {std::string(128, '\x01')}, {{0, 0, 0}}));
  EXPECT_EQ(RwReadNamedTexture("short"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureHeight);
  EXPECT_EQ(entries(), 0);
}

TEST_F(Textures, FramesStepThroughAStrip) {
  write("strip.bmp", greyBmp(32, 96, 3));  // three square frames
  RwTexture* strip = RwGetNamedTexture("strip");
  ASSERT_NE(strip, nullptr) << RwGetError();
  EXPECT_EQ(strip->frameCount, 3);
  ASSERT_NE(RwSetTextureFrame(strip, 2), nullptr);
  EXPECT_EQ(strip->texels, strip->raster->pixels + 2 * rwTexelsPerFrame);
  ASSERT_NE(RwTextureNextFrame(strip), nullptr);
  EXPECT_EQ(strip->currentFrame, 0);
  strip->frameStep = -1;
  RwTextureNextFrame(strip);
  EXPECT_EQ(strip->currentFrame, 2);
  EXPECT_EQ(RwSetTextureFrame(strip, 3), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureFrame);

  // A 200-row raster shows one frame; rows past it are never shown.
  ASSERT_NE(RwSetTextureRaster(strip, filledRaster(128, 200, 1)), nullptr);
  EXPECT_EQ(strip->frameCount, 1);
  RwRaster* other = filledRaster(128, 128, 1);
  other->owner = reinterpret_cast<RwTexture*>(strip->raster);  // owned elsewhere
  EXPECT_EQ(RwSetTextureRaster(strip, other), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrRasterInUse);
  other->owner = nullptr;
  RwDestroyRaster(other);
}

TEST_F(Textures, DarkMaskPixelsClearTexels) {
  write("wood.bmp", greyBmp(16, 16, 90));
  RwTexture* wood = RwGetNamedTexture("wood");
  ASSERT_NE(wood, nullptr);
  RwRaster* texels = filledRaster(128, 256, 9);
  ASSERT_NE(RwSetTextureRaster(wood, texels), nullptr);
  RwRaster* small = filledRaster(64, 64, 0);
  EXPECT_EQ(RwSetTextureMask(wood, small), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrMaskSize);
  EXPECT_EQ(texels->pixels[0], 9);

  RwRaster* mask = filledRaster(128, 256, 200);
  mask->pixels[0] = 127;                        // dark
  mask->pixels[128 * mask->stride + 5] = 10;    // dark, in the second frame
  mask->pixels[1] = 128;                        // light
  ASSERT_NE(RwSetTextureMask(wood, mask), nullptr);
  EXPECT_EQ(texels->pixels[0], 0);
  EXPECT_EQ(texels->pixels[1], 9);
  EXPECT_EQ(texels->pixels[128 * texels->stride + 5], 0);
  RwDestroyRaster(mask);
  RwDestroyRaster(small);
}

TEST_F(Textures, FlagSettings) {
  EXPECT_EQ(RwGetTextureFlags(), 21);
  EXPECT_EQ(RwGetTextureDithering(), 3);
  ASSERT_EQ(RwSetTexturePaletteMode(1), 1);
  EXPECT_EQ(RwGetTextureFlags(), 8);
  ASSERT_EQ(RwSetTextureDithering(2), 1);
  EXPECT_EQ(RwGetTextureFlags(), 8);
  ASSERT_EQ(RwSetTextureDithering(1), 1);
  EXPECT_EQ(RwGetTextureFlags(), 22);
  EXPECT_EQ(RwGetTextureDithering(), 1);
  ASSERT_EQ(RwSetTextureIndexRemap(2), 1);
  EXPECT_EQ(RwGetTextureFlags(), 40);
  ASSERT_EQ(RwSetTextureGammaCorrection(2), 1);
  EXPECT_EQ(RwGetTextureFlags(), 21);
  EXPECT_EQ(RwSetTextureDithering(4), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureOption);
  EXPECT_EQ(RwSetTextureGammaCorrection(3), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrState);
}

TEST_F(Textures, VertexCoordinatesMoveInwards) {
  RwClump* clump = RwCreateClump(1, 0);
  ASSERT_NE(clump, nullptr);
  RwAddVertexToClump(clump, 0, 0, 0);
  ASSERT_EQ(RwSetVertexTextureCoords(clump, 1, 0.0f, 1.0f), 1);
  RwVertex* vertex = RwVertexAt(clump->vertexArray, 1);
  EXPECT_EQ(vertex->u, 256);
  EXPECT_EQ(vertex->v, 65280);
  EXPECT_TRUE(vertex->flags & rwVertexUVGiven);
  EXPECT_EQ(RwSetVertexTextureCoords(clump, 1, 32.5f, 0), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrBadCount);
  EXPECT_EQ(RwSetVertexTextureCoords(clump, 1, -0.0f, 0), 1);
  EXPECT_EQ(RwSetVertexTextureCoords(clump, 2, 0, 0), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrVertexIndex);
  RwDestroyClump(clump);
}

TEST_F(Textures, RwxTextureWordsEndOnTexturedPolygons) {
  write("stone.bmp", greyBmp(8, 8, 120));
  write("stonem.bmp", greyBmp(8, 8, 0));
  write("tex.rwx",
        "modelbegin\nclumpbegin\n"
        "vertex 0 0 0 uv 0 0\nvertex 1 0 0 uv 1 0\nvertex 0 1 0 uv 0 1\n"
        "texture Stone mask STONEM\ntriangle 1 2 3\n"
        "texture null\ntriangle 3 2 1\n"
        "clumpend\nmodelend\n");
  RwClump* clump = RwReadShape("tex.rwx");
  ASSERT_NE(clump, nullptr) << RwGetError();
  RwTexture* stone = RwFindNamedTexture("stone");
  ASSERT_NE(stone, nullptr);
  std::vector<RwTexture*> seen;
  RwForAllPolygonsInClumpWithData(
      clump,
      [](RwPolygon* polygon, void* data) {
        static_cast<std::vector<RwTexture*>*>(data)->push_back(polygon->material->texture);
        return polygon;
      },
      &seen);
  EXPECT_EQ(seen, (std::vector<RwTexture*>{stone, nullptr}));
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 2)->u, 65280);
  // The mask was black everywhere: every texel is now transparent.
  EXPECT_EQ(stone->texels[0], 0);
  EXPECT_EQ(stone->texels[rwTexelsPerFrame - 1], 0);
  RwDestroyClump(clump);
}

}  // namespace

TEST_F(Textures, ADeviceThatKeepsNoImagesRefusesTexturesCleanly) {
  write("stone.bmp", greyBmp(16, 16, 0x80));
  RwClose();
  static const RwMetaCallbacks noImages = {};
  ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&noImages)), 1);
  ASSERT_EQ(RwSetShapePath(folder().c_str(), rwReplacePath), 1);
  EXPECT_EQ(RwGetNamedTexture("stone"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);  // the texture-read error, stored capped
}
