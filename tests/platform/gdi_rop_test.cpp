// Raster operations as truth tables over pattern, source and destination,
// the label background's pattern-OR PatBlt, and the line and rectangle
// calls.
#include <cstdint>

#include "tests/platform/gdi_fixture.h"

namespace {

// 24-bit values: blue | green << 8 | red << 16, as RGB(r, g, b) gives them.
constexpr uint32_t kDest = 0x00F0A50C;
constexpr uint32_t kSource = 0x0033CC96;
constexpr uint32_t kPattern = 0x005A0FF3;
constexpr uint32_t kMask = 0x00FFFFFF;

COLORREF asColour(uint32_t v) { return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

struct RopCase {
  const char* name;
  DWORD rop;
  uint32_t expected;
};

class RopTest : public GdiTest, public ::testing::WithParamInterface<RopCase> {
 protected:
  // A one-pixel 24-bit DIB section holding `value`.
  HDC pixelDc(uint32_t value, uint8_t** bits) {
    void* raw = nullptr;
    HDC dc = dibDc(dibInfo(1, 1, 24), &raw);
    *bits = static_cast<uint8_t*>(raw);
    (*bits)[0] = value & 0xFF;
    (*bits)[1] = (value >> 8) & 0xFF;
    (*bits)[2] = (value >> 16) & 0xFF;
    return dc;
  }
  static uint32_t valueOf(const uint8_t* bits) { return bits[0] | bits[1] << 8 | bits[2] << 16; }
};

TEST_P(RopTest, BitBltAppliesTheTruthTable) {
  uint8_t* destBits;
  uint8_t* sourceBits;
  HDC dest = pixelDc(kDest, &destBits);
  HDC source = pixelDc(kSource, &sourceBits);
  HBRUSH brush = CreateSolidBrush(asColour(kPattern));
  HGDIOBJ old = SelectObject(dest, brush);
  ASSERT_TRUE(BitBlt(dest, 0, 0, 1, 1, source, 0, 0, GetParam().rop));
  EXPECT_EQ(valueOf(destBits), GetParam().expected & kMask) << GetParam().name;
  SelectObject(dest, old);
  EXPECT_TRUE(DeleteObject(brush));
}

const uint32_t D = kDest, S = kSource, P = kPattern;
INSTANTIATE_TEST_SUITE_P(
    Operations, RopTest,
    ::testing::Values(RopCase{"SRCCOPY", SRCCOPY, S}, RopCase{"SRCPAINT", SRCPAINT, S | D},
                      RopCase{"SRCAND", SRCAND, S& D}, RopCase{"SRCINVERT", SRCINVERT, S ^ D},
                      RopCase{"SRCERASE", SRCERASE, S & ~D}, RopCase{"NOTSRCCOPY", NOTSRCCOPY, ~S},
                      RopCase{"NOTSRCERASE", NOTSRCERASE, ~(S | D)},
                      RopCase{"MERGECOPY", MERGECOPY, P& S},
                      RopCase{"MERGEPAINT", MERGEPAINT, ~S | D}, RopCase{"PATCOPY", PATCOPY, P},
                      RopCase{"PATPAINT", PATPAINT, P | ~S | D},
                      RopCase{"PATINVERT", PATINVERT, P ^ D}, RopCase{"DSTINVERT", DSTINVERT, ~D},
                      RopCase{"BLACKNESS", BLACKNESS, 0}, RopCase{"WHITENESS", WHITENESS, kMask},
                      RopCase{"pattern OR dest", 0x00FA0089, P | D}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name)
        if (c == ' ') c = '_';
      return name;
    });

TEST_F(GdiTest, PatternOrWithAnAllOnesMonochromeBrushPaintsTheBackgroundColour) {
  // The label background: an 8 x 8 monochrome bitmap whose rows are all
  // set, so every pixel of the pattern is the DC's background colour.
  const uint8_t rows[16] = {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0};
  HBITMAP mono = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(mono);
  EXPECT_TRUE(DeleteObject(mono));  // the brush keeps its own copy
  HWND hwnd = makeSurfaceWindow(12, 4);
  HDC dc = GetDC(hwnd);
  HBRUSH dark = CreateSolidBrush(RGB(0x10, 0x20, 0x40));
  RECT all{0, 0, 12, 4};
  FillRect(dc, &all, dark);
  HGDIOBJ old = SelectObject(dc, brush);
  SetBkColor(dc, RGB(0x80, 0x80, 0x80));
  SetTextColor(dc, RGB(255, 0, 0));  // would show if a 0 bit were drawn
  ASSERT_TRUE(PatBlt(dc, 2, 1, 9, 2, 0x00FA0089));
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  platform::WindowPixels p = pixelsOf(hwnd);
  EXPECT_EQ(p.at(2, 1), RGB(0x90, 0xA0, 0xC0));
  EXPECT_EQ(p.at(10, 2), RGB(0x90, 0xA0, 0xC0));
  EXPECT_EQ(p.at(1, 1), RGB(0x10, 0x20, 0x40));
  EXPECT_EQ(p.at(11, 1), RGB(0x10, 0x20, 0x40));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(dark));
}

TEST_F(GdiTest, PatBltRefusesOperationsThatNeedASource) {
  HWND hwnd = makeSurfaceWindow(4, 4);
  HDC dc = GetDC(hwnd);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(PatBlt(dc, 0, 0, 4, 4, WHITENESS));
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(pixelsOf(hwnd).at(3, 3), RGB(255, 255, 255));
}

TEST_F(GdiTest, LinesRectanglesAndFocusRectangles) {
  HWND hwnd = makeSurfaceWindow(20, 20);
  HDC dc = GetDC(hwnd);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, 1, 1, nullptr);
  ASSERT_TRUE(LineTo(dc, 6, 1));  // the end point is not drawn
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  HGDIOBJ oldBrush = SelectObject(dc, green);
  ASSERT_TRUE(Rectangle(dc, 10, 10, 14, 13));
  RECT focus{0, 15, 6, 18};
  ASSERT_TRUE(DrawFocusRect(dc, &focus));
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  platform::WindowPixels p = pixelsOf(hwnd);
  for (int x = 1; x < 6; x++) EXPECT_EQ(p.at(x, 1), RGB(255, 0, 0)) << x;
  EXPECT_EQ(p.at(6, 1), RGB(0, 0, 0));
  EXPECT_EQ(p.at(10, 10), RGB(255, 0, 0));  // outline
  EXPECT_EQ(p.at(13, 12), RGB(255, 0, 0));
  EXPECT_EQ(p.at(14, 12), RGB(0, 0, 0));       // right edge excluded
  EXPECT_EQ(p.at(11, 11), RGB(0, 255, 0));     // inside
  EXPECT_EQ(p.at(1, 15), RGB(255, 255, 255));  // dotted: every other pixel inverted
  EXPECT_EQ(p.at(2, 15), RGB(0, 0, 0));
  EXPECT_EQ(p.at(0, 16), RGB(255, 255, 255));
  ASSERT_TRUE(DrawFocusRect(dc, &focus));  // twice removes it
  EXPECT_EQ(pixelsOf(hwnd).at(1, 15), RGB(0, 0, 0));
  ReleaseDC(hwnd, dc);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(green));
}

}  // namespace
