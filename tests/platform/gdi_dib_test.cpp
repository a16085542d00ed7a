// DIB sections drawn into and shown in windows: 1:1 and stretched, at 8 bits
// through the colour table and at 16 bits in 5:6:5 and 5:5:5, read back
// pixel-exact; the DIB-to-device copies and GetDIBits/CreateDIBitmap.
#include <cstdint>

#include "tests/platform/gdi_fixture.h"

namespace {

// What a colour looks like after a trip through a 16-bit pixel.
COLORREF through16(COLORREF c, int greenBits) {
  auto narrow = [](int v, int bits) {
    int n = v >> (8 - bits);
    return bits == 5 ? (n << 3) | (n >> 2) : (n << 2) | (n >> 4);
  };
  return RGB(narrow(GetRValue(c), 5), narrow(GetGValue(c), greenBits), narrow(GetBValue(c), 5));
}

const COLORREF kTable[4] = {RGB(0, 0, 0), RGB(200, 30, 10), RGB(17, 180, 99), RGB(250, 250, 5)};

DibInfo eightBitInfo(int width, int height) {
  DibInfo info = dibInfo(width, height, 8);
  info.header.biClrUsed = 4;
  for (int i = 0; i < 4; i++)
    info.colours[i] = RGBQUAD{GetBValue(kTable[i]), GetGValue(kTable[i]), GetRValue(kTable[i]), 0};
  return info;
}

// A 4 x 2 bottom-up 8-bit DIB section: top row indices 1 2 3 1, bottom 3 2 1 0.
class DibTest : public GdiTest {
 protected:
  HDC eightBitSource() {
    void* bits = nullptr;
    HDC dc = dibDc(eightBitInfo(4, 2), &bits);
    auto* rows = static_cast<uint8_t*>(bits);
    const uint8_t bottom[4] = {3, 2, 1, 0};
    const uint8_t top[4] = {1, 2, 3, 1};
    std::memcpy(rows, bottom, 4);  // rows run upward in memory
    std::memcpy(rows + 4, top, 4);
    return dc;
  }
  static constexpr uint8_t kTopRow[4] = {1, 2, 3, 1};
  static constexpr uint8_t kBottomRow[4] = {3, 2, 1, 0};
};

struct DepthCase {
  int depth;
  int greenBits;  // 0: colours kept exactly
};

class DibDepthTest : public DibTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DibDepthTest, EightBitDibBlitsOneToOneThroughItsColourTable) {
  platform::setDisplayDepth(GetParam().depth);
  HWND hwnd = makeSurfaceWindow(10, 6);
  HDC source = eightBitSource();
  HDC window = GetDC(hwnd);
  ASSERT_TRUE(BitBlt(window, 3, 2, 4, 2, source, 0, 0, SRCCOPY));
  ReleaseDC(hwnd, window);
  platform::WindowPixels pixels = pixelsOf(hwnd);
  auto expected = [&](int index) {
    COLORREF c = kTable[index];
    return GetParam().greenBits ? through16(c, GetParam().greenBits) : c;
  };
  for (int x = 0; x < 4; x++) {
    EXPECT_EQ(pixels.at(3 + x, 2), expected(kTopRow[x])) << x;
    EXPECT_EQ(pixels.at(3 + x, 3), expected(kBottomRow[x])) << x;
  }
  EXPECT_EQ(pixels.at(2, 2), RGB(0, 0, 0));  // untouched around it
  EXPECT_EQ(pixels.at(7, 3), RGB(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Depths, DibDepthTest,
                         ::testing::Values(DepthCase{24, 0}, DepthCase{16, 6}, DepthCase{15, 5}));

TEST_F(DibTest, StretchDoublesEachPixelAndNegativeWidthMirrors) {
  HWND hwnd = makeSurfaceWindow(16, 8);
  HDC source = eightBitSource();
  HDC window = GetDC(hwnd);
  ASSERT_TRUE(StretchBlt(window, 0, 0, 8, 4, source, 0, 0, 4, 2, SRCCOPY));
  ASSERT_TRUE(StretchBlt(window, 16, 4, -8, 4, source, 0, 0, 4, 2, SRCCOPY));
  ReleaseDC(hwnd, window);
  platform::WindowPixels pixels = pixelsOf(hwnd);
  for (int y = 0; y < 4; y++) {
    const uint8_t* row = y < 2 ? kTopRow : kBottomRow;
    for (int x = 0; x < 8; x++) {
      EXPECT_EQ(pixels.at(x, y), kTable[row[x / 2]]) << x << "," << y;
      EXPECT_EQ(pixels.at(15 - x, 4 + y), kTable[row[x / 2]]) << x << "," << y;
    }
  }
  auto blits = platform::recordedEvents("Blit");
  ASSERT_EQ(blits.size(), 2u);
  EXPECT_EQ(blits[0].detail, "StretchBlt 0,0 8x4");
}

// Raw 16-bit words go to a window of the same layout and back unchanged,
// and show as their widened colours on a true-colour display.
struct SixteenCase {
  int depth;
  bool bitfields;  // 5:6:5 through BI_BITFIELDS, else 5:5:5 as BI_RGB
};

class SixteenBitTest : public DibTest, public ::testing::WithParamInterface<SixteenCase> {};

TEST_P(SixteenBitTest, WordsSurviveAWindowRoundTrip) {
  platform::setDisplayDepth(GetParam().depth);
  bool bitfields = GetParam().bitfields;
  DibInfo info = bitfields ? dib565(3, 2) : dibInfo(3, 2, 16);
  const uint16_t words565[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x1234, 0x8421};
  const uint16_t words555[6] = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x1234, 0x4210};
  const uint16_t* words = bitfields ? words565 : words555;
  void* in = nullptr;
  void* out = nullptr;
  HDC source = dibDc(info, &in);
  HDC back = dibDc(info, &out);
  std::memcpy(in, words, 6);  // rows are DWORD-aligned: 8 bytes each
  std::memcpy(static_cast<uint8_t*>(in) + 8, words + 3, 6);

  HWND hwnd = makeSurfaceWindow(3, 2);
  HDC window = GetDC(hwnd);
  ASSERT_TRUE(BitBlt(window, 0, 0, 3, 2, source, 0, 0, SRCCOPY));
  ASSERT_TRUE(BitBlt(back, 0, 0, 3, 2, window, 0, 0, SRCCOPY));
  ReleaseDC(hwnd, window);
  EXPECT_EQ(std::memcmp(in, out, 16), 0);
  if (GetParam().depth == 24) {
    platform::WindowPixels pixels = pixelsOf(hwnd);
    // Bottom-up: the first words in memory are the bottom row.
    EXPECT_EQ(pixels.at(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(pixels.at(1, 1), RGB(0, 255, 0));
    EXPECT_EQ(pixels.at(2, 1), RGB(0, 0, 255));
    EXPECT_EQ(pixels.at(0, 0), RGB(255, 255, 255));
    COLORREF c = bitfields ? RGB(0x10, 0x45, 0xA5) : RGB(0x21, 0x8C, 0xA5);  // 0x1234 widened
    EXPECT_EQ(pixels.at(1, 0), c);
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SixteenBitTest,
                         ::testing::Values(SixteenCase{16, true}, SixteenCase{15, false},
                                           SixteenCase{24, true}, SixteenCase{24, false}));

TEST_F(DibTest, DibToDeviceCopiesCountRowsFromTheBottomOfABottomUpDib) {
  HWND hwnd = makeSurfaceWindow(4, 4);
  DibInfo info = eightBitInfo(4, 2);
  const uint8_t rows[8] = {3, 2, 1, 0, 1, 2, 3, 1};  // bottom row first
  HDC window = GetDC(hwnd);
  // Only the bottom scan line, from its lower-left corner.
  EXPECT_EQ(SetDIBitsToDevice(window, 0, 0, 4, 1, 0, 0, 0, 2, rows, info.info(), DIB_RGB_COLORS),
            2);
  // The whole DIB stretched to 2 x 2, then the top-down form of the same rows.
  EXPECT_EQ(
      StretchDIBits(window, 0, 1, 2, 2, 0, 0, 4, 2, rows, info.info(), DIB_RGB_COLORS, SRCCOPY), 2);
  DibInfo topDown = eightBitInfo(4, -2);
  EXPECT_EQ(
      StretchDIBits(window, 0, 3, 4, 1, 0, 0, 4, 1, rows, topDown.info(), DIB_RGB_COLORS, SRCCOPY),
      1);
  ReleaseDC(hwnd, window);
  platform::WindowPixels p = pixelsOf(hwnd);
  for (int x = 0; x < 4; x++) EXPECT_EQ(p.at(x, 0), kTable[rows[x]]) << x;
  // Halving samples each pair at its centre: columns 1 and 3.
  EXPECT_EQ(p.at(0, 1), kTable[2]);  // top row 1 2 3 1
  EXPECT_EQ(p.at(1, 1), kTable[1]);
  EXPECT_EQ(p.at(0, 2), kTable[2]);  // bottom row 3 2 1 0
  EXPECT_EQ(p.at(1, 2), kTable[0]);
  for (int x = 0; x < 4; x++) EXPECT_EQ(p.at(x, 3), kTable[rows[x]]) << x;  // first row is the top
  EXPECT_EQ(platform::recordedEvents("Blit").size(), 3u);
}

TEST_F(DibTest, GetDIBitsAndCreateDIBitmapRoundTripThroughADeviceBitmap) {
  HDC screen = GetDC(nullptr);
  HDC source = eightBitSource();
  HBITMAP device = CreateCompatibleBitmap(screen, 4, 2);
  HDC deviceDc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(deviceDc, device);
  ASSERT_TRUE(BitBlt(deviceDc, 0, 0, 4, 2, source, 0, 0, SRCCOPY));
  SelectObject(deviceDc, old);

  DibInfo asked{};
  asked.header.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_NE(GetDIBits(screen, device, 0, 2, nullptr, reinterpret_cast<BITMAPINFO*>(&asked),
                      DIB_RGB_COLORS),
            0);
  EXPECT_EQ(asked.header.biWidth, 4);
  EXPECT_EQ(asked.header.biHeight, 2);
  EXPECT_EQ(asked.header.biBitCount, 24);

  DibInfo rgb = dibInfo(4, 2, 24);
  uint8_t rows[2][12] = {};
  ASSERT_EQ(
      GetDIBits(screen, device, 0, 2, rows, reinterpret_cast<BITMAPINFO*>(&rgb), DIB_RGB_COLORS),
      2);
  EXPECT_EQ(rgb.header.biSizeImage, 24u);
  for (int x = 0; x < 4; x++) {
    COLORREF bottom = kTable[kBottomRow[x]];
    EXPECT_EQ(RGB(rows[0][3 * x + 2], rows[0][3 * x + 1], rows[0][3 * x]), bottom) << x;
  }
  HBITMAP copy = CreateDIBitmap(screen, &rgb.header, CBM_INIT, rows, rgb.info(), DIB_RGB_COLORS);
  ASSERT_NE(copy, nullptr);
  SelectObject(deviceDc, copy);
  for (int x = 0; x < 4; x++) EXPECT_EQ(GetPixel(deviceDc, x, 0), kTable[kTopRow[x]]) << x;
  DeleteDC(deviceDc);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(DeleteObject(copy));
  EXPECT_TRUE(DeleteObject(device));
}

}  // namespace
