// tests/platform/resources_test.cpp -- bitmap resources registered in code
// come back from LoadBitmapA with their pixels, in each depth they may have.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/resources.h"
#include "platform/wingdi.h"

namespace {

struct DepthCase {
  int bitsPerPixel;
  std::vector<uint8_t> bits;  // 2 x 1 pixels, one row padded to 4 bytes
  std::vector<RGBQUAD> colours;
  COLORREF left, right;
};

TEST(BitmapResourceTest, LoadedBitmapHoldsTheRegisteredPixelsInEveryDepth) {
  const DepthCase cases[] = {
      {8, {1, 0, 0, 0}, {{0, 0, 0, 0}, {255, 0, 0, 0}}, RGB(0, 0, 255), RGB(0, 0, 0)},
      {16, {0x00, 0xF8, 0xE0, 0x07}, {}, RGB(255, 0, 0), RGB(0, 255, 0)},
      // 24 bits carry no colour table: blue, green, red per pixel
      {24, {0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF, 0, 0}, {}, RGB(0x30, 0x20, 0x10), RGB(255, 255, 255)},
  };
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(c.bitsPerPixel);
    platform::BitmapResource resource;
    resource.width = 2;
    resource.height = 1;
    resource.bitsPerPixel = c.bitsPerPixel;
    resource.bits = c.bits;
    resource.colours = c.colours;
    ASSERT_TRUE(platform::registerBitmapResource("Probe", resource));
    HBITMAP bitmap = LoadBitmapA(nullptr, "probe");
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), c.left);
    EXPECT_EQ(GetPixel(dc, 1, 0), c.right);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  platform::clearBitmapResources();
}

}  // namespace
