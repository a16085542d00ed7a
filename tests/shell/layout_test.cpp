// tests/shell/layout_test.cpp -- the main window's geometry: the 4:3 rule on
// proposed sizes, the tracking limits, the view's place, the location bar's
// place and the logo under the view.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/resources.h"
#include "platform/wingdi.h"
#include "shell/layout.h"
#include "shell/location.h"
#include "tests/shell/main_window_fixture.h"

namespace {

// The expected values below are worked by hand from the headless frame: a
// sizing frame of 4, a caption and a menu bar of 19 each, so an outer size
// W x H has the client size (W - 8) x (H - 46).
void expectHeadlessMetrics() {
  ASSERT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
  ASSERT_EQ(GetSystemMetrics(SM_CYFRAME), 4);
  ASSERT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  ASSERT_EQ(GetSystemMetrics(SM_CYMENU), 19);
}

class LayoutTest : public MainWindowTest {
 protected:
  void TearDown() override {
    zmSetToolbarShare(0, 0);
    zmSetMainClientSize(0, 0);
    MainWindowTest::TearDown();
  }
};

struct AspectCase {
  const char* what;
  int commandBarWidth, navBarHeight;
  int width, height;                  // proposed outer size
  int correctedWidth, correctedHeight;
  int viewWidth, viewHeight;          // of the kept client size afterwards
};

// view = client - (BW + 18) x client - (NH + 31); 3w <= 4h shortens H by
// h - 3w/4, otherwise W shrinks by w - 4h/3.
constexpr AspectCase kAspectCases[] = {
    // client 562 x 354, view 544 x 323: too wide, W -= 544 - 1292/3 = 114
    {"wide", 0, 0, 570, 400, 456, 400, 430, 323},
    // client 592 x 654, view 574 x 623: too tall, H -= 623 - 1722/4 = 193
    {"tall", 0, 0, 600, 700, 600, 507, 574, 430},
    // client 792 x 554, view 734 x 493 with the toolbars: W -= 734 - 1972/3 = 77
    {"wide with toolbars", 40, 30, 800, 600, 723, 600, 657, 493},
    // client 418 x 331, view 400 x 300: already 4:3
    {"exact", 0, 0, 426, 377, 426, 377, 400, 300},
    // the largest view: client 1042 x 799, view 1024 x 768
    {"largest", 0, 0, 1050, 845, 1050, 845, 1024, 768},
    {"largest with toolbars", 40, 30, 1090, 875, 1090, 875, 1024, 768},
    // client 104 x -19: the view is 86 x 0, never negative, so W -= 86
    // (taking the negative height would give W = 112 - 152, a negative width)
    {"smallest", 0, 0, 112, 27, 26, 27, 0, 0},
};

TEST_F(LayoutTest, AspectRuleCorrectsProposedSizesAndKeepsTheirClientSize) {
  expectHeadlessMetrics();
  for (const AspectCase& c : kAspectCases) {
    SCOPED_TRACE(c.what);
    zmSetToolbarShare(c.commandBarWidth, c.navBarHeight);
    int width = c.width, height = c.height;
    zmKeepViewAspect(&width, &height);
    EXPECT_EQ(width, c.correctedWidth);
    EXPECT_EQ(height, c.correctedHeight);
    int clientWidth = 0, clientHeight = 0;
    zmGetMainClientSize(&clientWidth, &clientHeight);
    EXPECT_EQ(clientWidth, c.correctedWidth - 8);
    EXPECT_EQ(clientHeight, c.correctedHeight - 46);
    const ZmViewRect view = zmComputeViewRect();
    EXPECT_EQ(view.width, c.viewWidth);
    EXPECT_EQ(view.height, c.viewHeight);
  }
}

TEST_F(LayoutTest, TrackingLimitsLetTheViewReach1024By768) {
  expectHeadlessMetrics();
  struct Limit {
    int commandBarWidth, navBarHeight, maxWidth, maxHeight;
  };
  // 8 + BW + 1042 and 46 + NH + 799
  for (const Limit& limit : {Limit{0, 0, 1050, 845}, Limit{40, 30, 1090, 875}}) {
    zmSetToolbarShare(limit.commandBarWidth, limit.navBarHeight);
    EXPECT_EQ(zmGetMaxTrackWidth(), limit.maxWidth);
    EXPECT_EQ(zmGetMaxTrackHeight(), limit.maxHeight);
  }
}

TEST_F(LayoutTest, FirstSizeIs570By400CorrectedWithoutTheToolbars) {
  expectHeadlessMetrics();
  zmSetToolbarShare(0, 0);
  int width = 0, height = 0;
  zmInitWindowSize(&width, &height);
  EXPECT_EQ(width, 456);
  EXPECT_EQ(height, 400);
  const ZmViewRect view = zmComputeViewRect();
  EXPECT_EQ(view.width, 430);  // 4 * 323 / 3
  EXPECT_EQ(view.height, 323);
}

TEST_F(LayoutTest, ViewWindowIsPlacedInsideItsMargins) {
  HWND view = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(view, nullptr);
  struct Placement {
    int clientWidth, clientHeight, commandBarWidth, navBarHeight;
    RECT expected;  // 15, 28, client - (BW + 18) x client - (NH + 31)
  };
  for (const Placement& p : {Placement{448, 354, 0, 0, {15, 28, 445, 351}},
                             Placement{700, 500, 40, 30, {15, 28, 657, 467}},
                             Placement{10, 10, 0, 0, {15, 28, 15, 28}}}) {
    zmSetToolbarShare(p.commandBarWidth, p.navBarHeight);
    zmSetMainClientSize(p.clientWidth, p.clientHeight);
    zmPlaceViewWindow(view);
    const RECT placed = childRect(view);
    EXPECT_EQ(placed.left, p.expected.left);
    EXPECT_EQ(placed.top, p.expected.top);
    EXPECT_EQ(placed.right, p.expected.right);
    EXPECT_EQ(placed.bottom, p.expected.bottom);
  }
}

TEST_F(LayoutTest, LocationBarIsCentredAndNeverLeftOfTheClientArea) {
  ASSERT_NE(zmCreateLocationFont(), nullptr);
  HWND field = zmCreateLocationField(nullptr, main);
  ASSERT_NE(field, nullptr);
  HDC dc = GetDC(main);
  SIZE label{};
  GetTextExtentPoint32A(dc, "Location:", 9, &label);
  ReleaseDC(main, dc);
  const int labelWidth = label.cx + 3;

  struct Bar {
    int clientWidth, barX;  // client / 2 - 177, at least 0
  };
  for (const Bar& bar : {Bar{800, 223}, Bar{355, 0}, Bar{354, 0}, Bar{353, 0}, Bar{0, 0}}) {
    SCOPED_TRACE(bar.clientWidth);
    zmSetMainClientSize(bar.clientWidth, 300);
    zmLayoutLocationBar();
    const ZmLocationGeometry geometry = zmGetLocationGeometry();
    EXPECT_EQ(geometry.barX, bar.barX);
    EXPECT_EQ(geometry.labelWidth, labelWidth);
    const RECT placed = childRect(field);
    EXPECT_EQ(placed.left, bar.barX + labelWidth);
    EXPECT_EQ(placed.top, 6);
    EXPECT_EQ(placed.right, bar.barX + 355);
    EXPECT_EQ(placed.bottom, 21);
  }
}

TEST_F(LayoutTest, LocationLabelIsWhiteOnBlackBesideAGreyFrameAroundTheField) {
  ASSERT_NE(zmCreateLocationFont(), nullptr);
  zmSetMainClientSize(500, 300);
  zmLayoutLocationBar();
  const ZmLocationGeometry at = zmGetLocationGeometry();
  HDC dc = GetDC(main);
  PatBlt(dc, 0, 0, 500, 40, WHITENESS);  // so that the label's black shows
  zmDrawLocationLabel(dc);
  ReleaseDC(main, dc);

  const platform::WindowPixels shown = mainPixels();
  const int frameLeft = at.barX + at.labelWidth - 1;
  const int frameRight = at.barX + 355;  // 355 - label width + 1 wide
  const COLORREF grey = RGB(0x80, 0x80, 0x80);
  for (const POINT& p : {POINT{frameLeft, at.barY + 8}, POINT{frameRight - 1, at.barY + 8},
                         POINT{frameLeft + 50, at.barY}, POINT{frameLeft + 50, at.barY + 15}}) {
    EXPECT_EQ(shown.at(p.x, p.y), grey) << p.x << "," << p.y;
  }
  EXPECT_NE(shown.at(frameLeft + 50, at.barY + 8), grey);  // the field's inside is left alone
  int white = 0, black = 0;
  for (int y = at.barY; y < at.barY + 14; ++y) {
    for (int x = at.barX; x < frameLeft; ++x) {
      const COLORREF pixel = shown.at(x, y);
      white += pixel == RGB(255, 255, 255);
      black += pixel == RGB(0, 0, 0);
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(black, white);  // the text's opaque black cell
}

TEST_F(LayoutTest, ShippedLogoIsCopiedUnderTheView) {
  platform::clearBitmapResources();
  zmSetMainClientSize(448, 354);  // view 15, 28, 430 x 323: the logo at y 360
  HDC dc = GetDC(main);
  zmDrawLogo(dc);  // no resource yet: nothing drawn
  const platform::WindowPixels before = mainPixels();
  for (int x = 12; x < 64; ++x) EXPECT_EQ(before.at(x, 365), RGB(0, 0, 0));

  ASSERT_EQ(zmRegisterLogoBitmap(), 0);
  zmDrawLogo(dc);
  ReleaseDC(main, dc);

  const platform::WindowPixels shown = mainPixels();
  HBITMAP logo = LoadBitmapA(nullptr, "Logo");
  ASSERT_NE(logo, nullptr);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(source, logo);
  int lit = 0;
  for (int y = 0; y < ZM_LOGO_HEIGHT; ++y) {
    for (int x = 0; x < ZM_LOGO_WIDTH; ++x) {
      const COLORREF expected = GetPixel(source, x, y);
      lit += expected != RGB(0, 0, 0);
      EXPECT_EQ(shown.at(12 + x, 360 + y), expected) << x << "," << y;
    }
  }
  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(logo);
  EXPECT_GT(lit, ZM_LOGO_WIDTH);  // a picture, not a blank strip
  platform::clearBitmapResources();
}

}  // namespace
