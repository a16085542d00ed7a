// Image rescaling: the routine chosen for each direction, exact copies and
// averages, straddling pixels, the pixel readers and writers, and geometry
// or palette faults refused with the family's messages.
#include "loading/rescale.h"

#include "tests/loading/loading_fixture.h"

namespace loadingtest {
namespace {

class RescaleTest : public LoadingTest {};

ZmRescaleGeometry geometry(int sw, int sh, int dw, int dh, int w, int qx, int rx, int qy, int ry, int src = 3,
                           int dst = 3) {
  return ZmRescaleGeometry{sw, sh, dw, dh, w, qx, qy, rx, ry, (unsigned char)src, (unsigned char)dst};
}

// One channel per pixel, repeated into three bytes.
Bytes gray3(const std::vector<int>& values) {
  Bytes out;
  for (int v : values) out.insert(out.end(), {(unsigned char)v, (unsigned char)v, (unsigned char)v});
  return out;
}

TEST_F(RescaleTest, EqualSizesCopyEveryPixel) {
  Bytes source;
  for (int i = 0; i < 5 * 3 * 3; i++) source.push_back((unsigned char)(i * 13));
  Bytes target(source.size());
  ZmRescaleGeometry g = geometry(5, 3, 5, 3, 4, 4, 0, 4, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, source);
}

TEST_F(RescaleTest, HalvingAveragesEachBlockTruncated) {
  Bytes source = gray3({0, 1, 10, 20,  //
                        2, 2, 30, 41,  //
                        255, 255, 7, 7,  //
                        254, 255, 7, 8});
  Bytes target(2 * 2 * 3);
  ZmRescaleGeometry g = geometry(4, 4, 2, 2, 1, 2, 0, 2, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, gray3({1, 25, 254, 7}));
}

TEST_F(RescaleTest, GrowingWeighsStraddlingPixelsByTheirParts) {
  // 2 -> 3 columns with W = 3: spans of 2 cover [0,2) [2,4) [4,6); the
  // middle one takes 1 part of each source pixel.
  Bytes source = gray3({0, 90});
  Bytes target(3 * 3);
  ZmRescaleGeometry g = geometry(2, 1, 3, 1, 3, 2, 0, 3, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, gray3({0, 45, 90}));

  // Both directions at once: the centre of 2x2 -> 3x3 averages all four.
  source = gray3({0, 40, 80, 120});
  target.assign(9 * 3, 0);
  g = geometry(2, 2, 3, 3, 3, 2, 0, 2, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, gray3({0, 20, 40, 40, 60, 80, 80, 100, 120}));
}

TEST_F(RescaleTest, RemaindersSpreadTheSpansAndStretchesMixDirections) {
  // 3 -> 2 columns with W = 1: spans 1 and 2 (qx 1, rx 1); rows stay.
  Bytes source = gray3({30, 60, 91});
  Bytes target(2 * 3);
  ZmRescaleGeometry g = geometry(3, 1, 2, 1, 1, 1, 1, 1, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, gray3({30, 75}));

  // Wider but lower (x grows, y shrinks): 1x2 -> 2x1 with W = 2.
  source = gray3({10, 31});
  target.assign(2 * 3, 0);
  g = geometry(1, 2, 2, 1, 2, 1, 0, 4, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, gray3({20, 20}));

  // Narrower but taller (x shrinks, y grows): 2x1 -> 1x2.
  source = gray3({10, 31});
  g = geometry(2, 1, 1, 2, 2, 4, 0, 1, 0);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(target, gray3({20, 20}));
}

TEST_F(RescaleTest, PaletteAnd555SourcesAndThePaletteWriter) {
  // Entries of 4 bytes; entries 1 and 2 are equally near gray 100.
  Bytes map = {0, 0, 0, 0, 90, 90, 90, 0, 110, 110, 110, 0, 255, 255, 255, 0};
  Bytes source = {0, 3, 1, 2};  // palette indices
  Bytes target(4);
  ZmRescaleGeometry g = geometry(2, 2, 2, 2, 1, 1, 0, 1, 0, 1, 1);
  ASSERT_EQ(zmRescaleImage(source.data(), target.data(), &g, map.data(), 4, 4), 0);
  EXPECT_EQ(target, source);
  Bytes one(1);
  g = geometry(2, 1, 1, 1, 1, 2, 0, 1, 0, 1, 1);
  Bytes pair = {1, 2};  // averages to 100, as near to 90 as to 110
  ASSERT_EQ(zmRescaleImage(pair.data(), one.data(), &g, map.data(), 4, 4), 0);
  EXPECT_EQ(one[0], 1);

  // 5-5-5: red 31, green 16, blue 1 -> {blue 8, green 128, red 248}.
  uint16_t pixel = (31 << 10) | (16 << 5) | 1;
  Bytes source555 = {(unsigned char)pixel, (unsigned char)(pixel >> 8)};
  Bytes rgb(3);
  g = geometry(1, 1, 1, 1, 1, 1, 0, 1, 0, 2, 3);
  ASSERT_EQ(zmRescaleImage(source555.data(), rgb.data(), &g, nullptr, 0, 0), 0);
  EXPECT_EQ(rgb, (Bytes{8, 128, 248}));
}

TEST_F(RescaleTest, FaultsAreRefusedWithTheFamilysMessages) {
  Bytes source = gray3({1, 2, 3, 4}), target(64);
  const std::string failed = "zmRescaleImage : failed to rescale image.\n";
  struct Case {
    ZmRescaleGeometry g;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {geometry(2, 2, 4, 4, 2, 2, 0, 2, 0), {"zmEnlargeImage : failed to enlarge image.\n", failed}},
      {geometry(2, 2, 3, 1, 3, 1, 0, 6, 0), {"zmStretchImageX : failed to stretch image in x-direction.\n", failed}},
      {geometry(2, 2, 1, 3, 3, 6, 0, 1, 0), {"zmStretchImageY : failed to stretch image in y-direction.\n", failed}},
      {geometry(2, 2, 1, 1, 1, 3, 0, 2, 0), {"zmShrinkImage : failed to shrink image.\n", failed}},
      {geometry(2, 2, 1, 1, 1, 2, 0, 2, 0, 5, 3), {failed}},
  };
  for (const Case& c : cases) {
    warnings().clear();
    EXPECT_EQ(zmRescaleImage(source.data(), target.data(), &c.g, nullptr, 0, 0), -1);
    EXPECT_EQ(warnings(), c.expected);
  }

  // A palette index beyond the map fails inside the row routines.
  Bytes map = {1, 2, 3, 0};
  Bytes indices = {0, 5, 0, 0};
  warnings().clear();
  ZmRescaleGeometry shrink = geometry(2, 2, 1, 1, 1, 2, 0, 2, 0, 1, 3);
  EXPECT_EQ(zmRescaleImage(indices.data(), target.data(), &shrink, map.data(), 1, 4), -1);
  ZmRescaleGeometry stretchX = geometry(2, 2, 3, 1, 3, 2, 0, 6, 0, 1, 3);
  EXPECT_EQ(zmRescaleImage(indices.data(), target.data(), &stretchX, map.data(), 1, 4), -1);
  EXPECT_EQ(zmRescaleImage(indices.data(), nullptr, &stretchX, map.data(), 1, 4), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{
                            "zmShrinkImageRow : failed to add intensities of a src image row.\n",
                            "zmShrinkImage : failed to shrink image.\n", failed,
                            "zmStretchImageXRow : failed to add intensities of src image row.\n",
                            "zmStretchImageX : failed to stretch image in x-direction.\n", failed,
                            "zmRescaleImage : NULL pointer for output image buffer.\n"}));
}

}  // namespace
}  // namespace loadingtest
