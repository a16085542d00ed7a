// The Windows devices' read bitmap word.
#include <cstring>

#include "engine/imagefile.h"
#include "engine/rasters.h"
#include "engine/windevice.h"
#include "engine_fixture.h"
#include "platform/windows.h"

namespace {

struct Info8 {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

// A bottom-up 8-bit DIB section of 3 x 2 whose top row is 1 2 3 and bottom 4 5 6.
HBITMAP eightBitBitmap() {
  Info8 info = {};
  info.header = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 8, 0, 0, 0, 0, 256, 0};
  info.colours[3] = {30, 20, 10, 0};  // blue, green, red
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  std::memcpy(bits, "\x04\x05\x06\x00\x01\x02\x03\x00", 8);
  return bitmap;
}

TEST_F(OpenEngine, ReadBitmapFillsARasterTopRowFirst) {
  HBITMAP bitmap = eightBitBitmap();
  ASSERT_NE(bitmap, nullptr);
  RwRaster* raster = RwCreateRaster(0, 0, 0);
  ASSERT_EQ(RwReadWindowsBitmap(bitmap, 0, raster), (3 << 16) + 2);
  EXPECT_EQ(raster->depth, 8);
  EXPECT_EQ(std::memcmp(raster->pixels, "\x01\x02\x03", 3), 0);
  EXPECT_EQ(std::memcmp(raster->pixels + raster->stride, "\x04\x05\x06", 3), 0);
  EXPECT_EQ(std::memcmp(raster->colourMap + 3 * 3, "\x0a\x14\x1e", 3), 0);  // red, green, blue
  RwDestroyRaster(raster);

  RwRaster* resampled = RwCreateRaster(0, 0, 0);
  ASSERT_EQ(RwReadWindowsBitmap(bitmap, 4, resampled), (3 << 16) + 2);
  EXPECT_EQ(resampled->width, 128);
  EXPECT_EQ(resampled->depth, 24);
  EXPECT_EQ(std::memcmp(resampled->pixels + 127 * 3, "\x0a\x14\x1e", 3), 0);  // the top right pixel, index 3
  RwDestroyRaster(resampled);
  EXPECT_EQ(RwReadWindowsBitmap(nullptr, 0, nullptr), 0);
  DeleteObject(bitmap);
}

}  // namespace
