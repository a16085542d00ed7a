// The display description at its three depths: device capabilities, the
// 16-bit layout probe, palette realisation into the system palette, and a
// palette-index DIB section shown on the 8-bit display.
#include <cstdint>

#include "tests/platform/gdi_fixture.h"

namespace {

struct CapsCase {
  int depth;
  int bitsPixel;
  bool palette;
  int sizePalette;
  int numColors;
};

class CapsTest : public GdiTest, public ::testing::WithParamInterface<CapsCase> {};

TEST_P(CapsTest, DeviceCapsAnswerFromTheDisplay) {
  const CapsCase& c = GetParam();
  ASSERT_TRUE(platform::setDisplayDepth(c.depth));
  HWND hwnd = makeSurfaceWindow(8, 8);
  HDC window = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(window);
  for (HDC dc : {window, memory}) {
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.bitsPixel);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0, c.palette);
    EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHDIB, 0);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), c.sizePalette);
    EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), c.numColors);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1024);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 768);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  }
  DeleteDC(memory);
  ReleaseDC(hwnd, window);
}

INSTANTIATE_TEST_SUITE_P(Depths, CapsTest,
                         ::testing::Values(CapsCase{24, 24, false, 0, -1},
                                           CapsCase{16, 16, false, 0, -1},
                                           CapsCase{15, 16, false, 0, -1},
                                           CapsCase{8, 8, true, 256, 20}));

TEST_F(GdiTest, OnlyTheKnownDepthsCanBeChosen) {
  EXPECT_FALSE(platform::setDisplayDepth(12));
  EXPECT_EQ(platform::displayDepth(), 24);
}

// The probe that tells 5:6:5 from 5:5:5: a white pixel in a 1 x 1 16-bit
// device bitmap, read back as its two bytes.
struct ProbeCase {
  int depth;
  uint16_t white;
};

class ProbeTest : public GdiTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeTest, WhiteReadsBackInTheDisplaysLayout) {
  platform::setDisplayDepth(GetParam().depth);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP probe = CreateBitmap(1, 1, 1, 16, nullptr);
  HGDIOBJ old = SelectObject(memory, probe);
  EXPECT_NE(SetPixel(memory, 0, 0, RGB(255, 255, 255)), CLR_INVALID);
  uint16_t word = 0;
  EXPECT_EQ(GetBitmapBits(probe, 2, &word), 2);
  EXPECT_EQ(word, GetParam().white);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(DeleteObject(probe));
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProbeTest,
                         ::testing::Values(ProbeCase{16, 0xFFFF}, ProbeCase{15, 0x7FFF}));

class PaletteTest : public GdiTest {
 protected:
  void SetUp() override {
    GdiTest::SetUp();
    platform::setDisplayDepth(8);
  }

  // The engine's layout: the static colours at both ends without flags,
  // its own colours in 10..245 marked not to be collapsed.
  HPALETTE enginePalette() {
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 256, lp->palPalEntry), 256u);
    ReleaseDC(nullptr, screen);
    for (int i = 10; i < 246; i++)
      lp->palPalEntry[i] =
          PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 77, PC_NOCOLLAPSE};
    HPALETTE palette = CreatePalette(lp);
    EXPECT_NE(palette, nullptr);
    return palette;
  }
};

TEST_F(PaletteTest, RealizingGivesTheFreeSlotsToTheLogicalPaletteInOrder) {
  HPALETTE palette = enginePalette();
  HWND hwnd = makeSurfaceWindow(4, 4);
  HDC dc = GetDC(hwnd);
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(dc), 236u);
  PALETTEENTRY system[256];
  ASSERT_EQ(GetSystemPaletteEntries(dc, 0, 256, system), 256u);
  EXPECT_EQ(system[10].peRed, 10);
  EXPECT_EQ(system[245].peGreen, 10);
  EXPECT_EQ(system[255].peRed, 255);  // the static white stays
  EXPECT_EQ(system[0].peRed, 0);

  // A DIB section whose colour table is palette indices 0..255 shows each
  // index as that system colour.
  DibInfo info = dibInfo(4, 1, 8);
  auto* indices = reinterpret_cast<WORD*>(info.colours);
  for (int i = 0; i < 256; i++) indices[i] = static_cast<WORD>(i);
  void* bits = nullptr;
  HDC image = dibDc(info, &bits, DIB_PAL_COLORS, dc);
  const uint8_t row[4] = {10, 100, 245, 255};
  std::memcpy(bits, row, 4);
  ASSERT_TRUE(BitBlt(dc, 0, 2, 4, 1, image, 0, 0, SRCCOPY));
  // Drawing with PALETTEINDEX goes through the realised palette.
  ASSERT_NE(SetPixel(dc, 0, 0, PALETTEINDEX(100)), CLR_INVALID);
  platform::WindowPixels p = pixelsOf(hwnd);
  EXPECT_EQ(p.at(0, 2), RGB(10, 245, 77));
  EXPECT_EQ(p.at(1, 2), RGB(100, 155, 77));
  EXPECT_EQ(p.at(2, 2), RGB(245, 10, 77));
  EXPECT_EQ(p.at(3, 2), RGB(255, 255, 255));
  EXPECT_EQ(p.at(0, 0), RGB(100, 155, 77));
  SelectPalette(dc, old, FALSE);
  ReleaseDC(hwnd, dc);
  EXPECT_TRUE(DeleteObject(palette));
}

TEST_F(PaletteTest, BackgroundRealisationAndTrueColourDisplaysLeaveTheSystemPaletteAlone) {
  HPALETTE palette = enginePalette();
  HDC screen = GetDC(nullptr);
  SelectPalette(screen, palette, TRUE);
  EXPECT_EQ(RealizePalette(screen), 0u);
  PALETTEENTRY entry;
  GetSystemPaletteEntries(screen, 10, 1, &entry);
  EXPECT_EQ(entry.peRed, 0);
  platform::setDisplayDepth(24);
  SelectPalette(screen, palette, FALSE);
  EXPECT_EQ(RealizePalette(screen), 0u);
  EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 1, &entry), 0u);
  SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(DeleteObject(palette));
}

TEST_F(PaletteTest, PaletteEntriesAreSetAndReadWithinBounds) {
  HPALETTE palette = enginePalette();
  PALETTEENTRY entries[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  EXPECT_EQ(SetPaletteEntries(palette, 254, 3, entries), 2u);  // only two fit
  PALETTEENTRY back[2];
  EXPECT_EQ(GetPaletteEntries(palette, 254, 5, back), 2u);
  EXPECT_EQ(back[1].peRed, 4);
  EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256u);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(4, 5, 6)), 255u);
  WORD count = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof count, &count), 2);
  EXPECT_EQ(count, 256);
  EXPECT_TRUE(DeleteObject(palette));
}

}  // namespace
