// Texture image parts: shared between leaves, copied before a write, and
// handed back to the caller by their last holder.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/texture.h"

namespace {

class TextureImageTest : public ::testing::Test {
 protected:
  void SetUp() override { before = zmUseSlab(slab); }
  void TearDown() override {
    zmUseSlab(before);
    zmDeleteSlab(slab);
  }
  // Releases one texture's share; the last share frees the part.
  static void drop(ZmTexture* texture) { zmFree(zmDropTextureImage(texture)); }

  ZmSlab* slab = zmNewSlab();
  ZmSlab* before = nullptr;
  ZmTextureImage noImageBefore = zmNoTextureImage;
};

TEST_F(TextureImageTest, AWriteGoesToTheWritersOwnPart) {
  ZmTexture first = {&zmNoTextureImage, {}}, second = {&zmNoTextureImage, {}};
  ZmTextureImage* image = zmOwnTextureImage(&first);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->transform.m[0], 1.0f);
  image->wrapS = 1;
  EXPECT_EQ(zmNoTextureImage.wrapS, noImageBefore.wrapS) << "the default part is never written";
  EXPECT_EQ(zmOwnTextureImage(&first), image) << "a part held once is written in place";

  ASSERT_EQ(zmShareTextureImage(&second, &first), 0);
  EXPECT_EQ(second.image, first.image);
  ZmTextureImage* own = zmOwnTextureImage(&second);
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, first.image);
  own->transform.t.x = 2;
  EXPECT_EQ(first.image->transform.t.x, 0.0f);
  EXPECT_EQ(own->wrapS, 1u);

  drop(&first);
  EXPECT_EQ(first.image, &zmNoTextureImage);
  drop(&second);
}

TEST_F(TextureImageTest, OnlyTheLastHolderGetsThePartBack) {
  ZmTexture textures[3] = {{&zmNoTextureImage, {}}, {&zmNoTextureImage, {}}, {&zmNoTextureImage, {}}};
  ZmTextureImage* image = zmOwnTextureImage(&textures[0]);
  ASSERT_NE(image, nullptr);
  for (int i : {1, 2}) ASSERT_EQ(zmShareTextureImage(&textures[i], &textures[0]), 0);
  EXPECT_EQ(zmDropTextureImage(&textures[1]), nullptr);
  EXPECT_EQ(zmDropTextureImage(&textures[0]), nullptr);
  EXPECT_EQ(zmDropTextureImage(&textures[2]), image);
  zmFree(image);
  EXPECT_EQ(zmDropTextureImage(&textures[2]), nullptr) << "the default part is nobody's";
}

TEST_F(TextureImageTest, APartWithAMovieOrATargetWithAPartIsNotShared) {
  ZmTextureMovie movie = {};
  ZmTexture withMovie = {&zmNoTextureImage, {}}, other = {&zmNoTextureImage, {}};
  zmOwnTextureImage(&withMovie)->movie = &movie;
  EXPECT_EQ(zmShareTextureImage(&other, &withMovie), -1);
  EXPECT_EQ(other.image, &zmNoTextureImage);

  zmOwnTextureImage(&other)->wrapT = 1;
  ZmTexture plain = {&zmNoTextureImage, {}};
  zmOwnTextureImage(&plain);
  EXPECT_EQ(zmShareTextureImage(&other, &plain), -1);
  EXPECT_EQ(other.image->wrapT, 1u);
  for (ZmTexture* texture : {&withMovie, &other, &plain}) drop(texture);
}

TEST_F(TextureImageTest, AFailedCopyLeavesTheSharedPart) {
  ZmTexture first = {&zmNoTextureImage, {}}, second = {&zmNoTextureImage, {}};
  ASSERT_NE(zmOwnTextureImage(&first), nullptr);
  ASSERT_EQ(zmShareTextureImage(&second, &first), 0);
  zmFailAllocationsAfter(0);
  EXPECT_EQ(zmOwnTextureImage(&second), nullptr);
  zmFailAllocationsAfter(-1);
  EXPECT_EQ(second.image, first.image);
  drop(&first);
  drop(&second);
}

}  // namespace
