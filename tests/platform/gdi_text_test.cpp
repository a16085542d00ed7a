// Fonts and text with the DejaVu faces: face choice, metrics, measuring,
// TextOutA in both background modes and DrawTextA's layouts, drawn into a
// memory DC.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/gdi_fixture.h"

namespace {

class TextTest : public GdiTest {
 protected:
  static constexpr int kWidth = 120;
  static constexpr int kHeight = 48;

  void SetUp() override {
    GdiTest::SetUp();
    void* raw = nullptr;
    dc = dibDc(dibInfo(kWidth, -kHeight, 32), &raw);  // top-down, 0x00RRGGBB words
    bits = static_cast<uint32_t*>(raw);
    std::fill(bits, bits + kWidth * kHeight, 0x00FFFFFF);
  }

  HFONT useFont(LONG height, const char* face, LONG weight = FW_NORMAL) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectA(&lf);
    EXPECT_NE(font, nullptr);
    SelectObject(dc, font);
    deleteAfterDcs(font);
    return font;
  }

  uint32_t at(int x, int y) const { return bits[y * kWidth + x]; }

  // The smallest box around pixels of `colour`; empty when there are none.
  RECT inkBox(uint32_t colour) const {
    RECT box{kWidth, kHeight, 0, 0};
    for (int y = 0; y < kHeight; y++)
      for (int x = 0; x < kWidth; x++)
        if (at(x, y) == colour) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }

  HDC dc = nullptr;
  uint32_t* bits = nullptr;
};

TEST_F(TextTest, CellHeightsAndMonospaceAdvancesFollowTheLogicalFont) {
  useFont(14, "Courier New");
  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 14);  // a positive height asks for the cell
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // fixed pitch
  SIZE one, ten;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "W", 1, &one));
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "iiiiiWWWWW", 10, &ten));
  EXPECT_EQ(ten.cx, 10 * one.cx);
  EXPECT_EQ(ten.cy, 14);

  useFont(-20, "Arial");
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_GT(tm.tmHeight, 20);  // a negative height asks for the character
  EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 20);
  SIZE narrow, wide;
  GetTextExtentPoint32A(dc, "iiii", 4, &narrow);
  GetTextExtentPoint32A(dc, "WWWW", 4, &wide);
  EXPECT_LT(narrow.cx, wide.cx);  // proportional
  char face[LF_FACESIZE];
  EXPECT_EQ(GetTextFaceA(dc, sizeof face, face), 5);
  EXPECT_STREQ(face, "Arial");
}

TEST_F(TextTest, TransparentTextDrawsOnlyGlyphsInsideItsExtent) {
  useFont(16, "Arial");
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkColor(dc, RGB(255, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  SIZE extent;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello", 5, &extent));
  ASSERT_TRUE(TextOutA(dc, 10, 5, "Hello", 5));
  RECT ink = inkBox(0x000000FF);
  ASSERT_LT(ink.left, ink.right);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + extent.cx);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + extent.cy);
  EXPECT_EQ(inkBox(0x00FF0000).right, 0);  // no background in transparent mode
  // The same text drawn again elsewhere gives the same pixels.
  ASSERT_TRUE(TextOutA(dc, 10, 25, "Hello", 5));
  for (int y = 0; y < extent.cy; y++)
    for (int x = 10; x < 10 + extent.cx; x++)
      ASSERT_EQ(at(x, 5 + y), at(x, 25 + y)) << x << "," << y;
}

TEST_F(TextTest, OpaqueTextFillsItsCellWithTheBackgroundColour) {
  useFont(16, "SYSTEM");
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(0, 128, 0));
  SIZE extent;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "ab", 2, &extent));
  ASSERT_TRUE(TextOutA(dc, 3, 4, "ab", 2));
  RECT cell = inkBox(0x00008000);
  EXPECT_EQ(cell.left, 3);
  EXPECT_EQ(cell.top, 4);
  EXPECT_EQ(cell.right, 3 + extent.cx);
  EXPECT_EQ(cell.bottom, 4 + extent.cy);
  EXPECT_NE(inkBox(0x00000000).right, 0);
}

TEST_F(TextTest, DrawTextCentresSingleLinesAndWrapsWords) {
  useFont(12, "Courier New");
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  SIZE extent;
  GetTextExtentPoint32A(dc, "Wait", 4, &extent);
  RECT box{0, 0, kWidth, kHeight};
  EXPECT_EQ(DrawTextA(dc, "Wait", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE),
            (kHeight - 12) / 2 + 12);
  RECT ink = inkBox(0);
  int left = (kWidth - extent.cx) / 2;
  EXPECT_GE(ink.left, left);
  EXPECT_LE(ink.right, left + extent.cx);
  EXPECT_GE(ink.top, (kHeight - 12) / 2);
  EXPECT_LE(ink.bottom, (kHeight - 12) / 2 + 12);

  RECT measure{0, 0, 3 * extent.cx, 0};  // room for 12 characters
  int lines =
      DrawTextA(dc, "one two three four five", -1, &measure, DT_WORDBREAK | DT_CALCRECT) / 12;
  EXPECT_GE(lines, 2);
  EXPECT_LE(measure.right, 3 * extent.cx);
  RECT two{0, 0, 100, 100};
  EXPECT_EQ(DrawTextA(dc, "first\nsecond", -1, &two, DT_CALCRECT), 24);
  RECT prefixed{0, 0, 100, 100}, plain{0, 0, 100, 100};
  DrawTextA(dc, "&File", -1, &prefixed, DT_CALCRECT);
  DrawTextA(dc, "File", -1, &plain, DT_CALCRECT);
  EXPECT_EQ(prefixed.right, plain.right);  // the "&" is not shown
}

TEST_F(TextTest, EnumerationReportsKnownFamiliesWithTheirStyle) {
  struct Found {
    int count = 0;
    LOGFONTA first{};
  } found;
  auto collect = [](const LOGFONTA* lf, const TEXTMETRICA*, DWORD type, LPARAM data) -> int {
    auto* f = reinterpret_cast<Found*>(data);
    if (f->count++ == 0) f->first = *lf;
    EXPECT_EQ(type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
    return 0;  // stop at the first
  };
  EXPECT_EQ(EnumFontFamiliesA(dc, "ARIAL Italic", collect, reinterpret_cast<LPARAM>(&found)), 0);
  EXPECT_EQ(found.count, 1);
  EXPECT_STREQ(found.first.lfFaceName, "Arial");
  EXPECT_EQ(found.first.lfItalic, 1);
  found = Found{};
  EXPECT_EQ(EnumFontFamiliesA(dc, "No Such Face", collect, reinterpret_cast<LPARAM>(&found)), 1);
  EXPECT_EQ(found.count, 0);
  auto countAll = [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM data) -> int {
    ++*reinterpret_cast<int*>(data);
    return 1;
  };
  int all = 0;
  EnumFontFamiliesA(dc, nullptr, countAll, reinterpret_cast<LPARAM>(&all));
  EXPECT_GE(all, 3);
}

TEST_F(TextTest, MeasuringOnWindowAndScreenDcsDrawsNothing) {
  HWND window = makeSurfaceWindow(40, 20);
  for (HWND target : {window, static_cast<HWND>(nullptr)}) {
    HDC windowDc = GetDC(target);
    ASSERT_NE(windowDc, nullptr);
    SIZE onWindow{}, onMemory{};
    const uint32_t before = platform::presentationGeneration();
    RECT drawn;
    platform::gdi::takeWindowDrawn(window, &drawn);  // the new surface, drawn whole
    ASSERT_TRUE(GetTextExtentPoint32A(windowDc, "Hello", 5, &onWindow));
    EXPECT_EQ(platform::presentationGeneration(), before);
    EXPECT_FALSE(platform::gdi::takeWindowDrawn(window, &drawn));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello", 5, &onMemory));  // same default font
    EXPECT_EQ(onWindow.cx, onMemory.cx);
    EXPECT_EQ(onWindow.cy, onMemory.cy);
    ReleaseDC(target, windowDc);
  }
}

TEST_F(TextTest, TextCallsRefuseBadArguments) {
  SIZE size;
  EXPECT_FALSE(GetTextExtentPoint32A(dc, "x", -1, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(dc, nullptr, 3, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "x", 1, &size));
  EXPECT_TRUE(GetTextExtentPoint32A(dc, nullptr, 0, &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_FALSE(TextOutA(reinterpret_cast<HDC>(0x1234), 0, 0, "x", 1));
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawTextA(dc, nullptr, -1, &r, 0), 0);
  EXPECT_EQ(DrawTextA(dc, "x", -1, nullptr, 0), 0);
  // Text far outside the bitmap is clipped, not written out of bounds.
  EXPECT_TRUE(TextOutA(dc, -5000, 30000, "clipped", 7));
  EXPECT_TRUE(TextOutA(dc, kWidth - 3, kHeight - 3, "WWWW", 4));
}

}  // namespace
