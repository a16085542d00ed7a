// tests/platform/composition_test.cpp -- the kept picture of a top-level
// window, composed again only where something changed, against the window
// composed afresh: after every kind of drawing call and every change of
// place, visibility, caption, active window, menu and scroll bar, the two
// are the same pixels, and what changed lies inside the rectangle reported.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/composition.h"
#include "platform/controls.h"
#include "platform/menus.h"
#include "tests/platform/gdi_fixture.h"

namespace {

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

class CompositionTest : public GdiTest {
 protected:
  void SetUp() override {
    GdiTest::SetUp();
    menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&File");
    top = CreateWindowExA(0, kClassName, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 300, 260, nullptr, menu,
                          nullptr, nullptr);
    view = child(WS_CHILD | WS_VISIBLE, 10, 10, 160, 120, RGB(0, 0, 128));
    toolbar = child(WS_CHILD | WS_VISIBLE | WS_BORDER, 180, 10, 60, 150, RGB(192, 192, 192));
    list = child(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL, 10, 140, 120, 60, RGB(255, 255, 255));
    straddler = child(WS_CHILD | WS_VISIBLE | WS_BORDER, 230, 170, 100, 80, RGB(0, 128, 0));  // past the client's edge
    over = child(WS_CHILD | WS_VISIBLE | WS_BORDER, 140, 90, 60, 60, RGB(128, 0, 0));        // above the view
    fill(top, RGB(64, 64, 64));
    other = CreateWindowExA(0, kClassName, "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 30, 200, 100, nullptr,
                            nullptr, nullptr, nullptr);
    void* bits = nullptr;
    frame = dibDc(dib565(160, -120), &bits);
    framePixels = static_cast<uint16_t*>(bits);
    for (int i = 0; i < 160 * 120; i++) framePixels[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
  }

  HWND child(DWORD style, int x, int y, int width, int height, COLORREF colour) {
    HWND hwnd = CreateWindowExA(0, kClassName, "", style, x, y, width, height, top, nullptr, nullptr, nullptr);
    fill(hwnd, colour);
    return hwnd;
  }

  static void fill(HWND hwnd, COLORREF colour) {
    HDC dc = GetDC(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    ReleaseDC(hwnd, dc);
  }

  // Draws with a DC of the window and releases it.
  static void draw(HWND hwnd, const std::function<void(HDC)>& with) {
    HDC dc = GetDC(hwnd);
    with(dc);
    ReleaseDC(hwnd, dc);
  }

  // The kept picture brought up to date, checked against the window
  // composed afresh and against what changed since the last one.
  void expectPictureUpToDate(const std::string& step) {
    platform::ComposedPicture picture;
    ASSERT_TRUE(platform::composeChanges(top, &picture, &changed)) << step;
    platform::WindowPixels fresh;
    ASSERT_TRUE(platform::composeWindow(top, &fresh)) << step;
    ASSERT_EQ(picture.width, fresh.width) << step;
    ASSERT_EQ(picture.height, fresh.height) << step;
    const bool sameSize = picture.width == lastWidth && picture.height == lastHeight;
    for (int y = 0; y < picture.height; y++) {
      for (int x = 0; x < picture.width; x++) {
        const uint32_t p = picture.pixels[size_t(y) * picture.width + x];
        ASSERT_EQ(RGB(p >> 16, p >> 8, p), fresh.at(x, y)) << step << " at " << x << "," << y;
        const POINT at{x, y};
        if (sameSize && p != last[size_t(y) * picture.width + x]) {
          ASSERT_TRUE(PtInRect(&changed, at)) << step << ": " << x << "," << y << " changed outside the report";
        }
      }
    }
    last.assign(picture.pixels, picture.pixels + size_t(picture.width) * picture.height);
    lastWidth = picture.width;
    lastHeight = picture.height;
  }

  HMENU menu = nullptr;
  HWND top = nullptr, view = nullptr, toolbar = nullptr, list = nullptr, straddler = nullptr, over = nullptr;
  HWND other = nullptr;
  HDC frame = nullptr;
  uint16_t* framePixels = nullptr;
  RECT changed{};
  std::vector<uint32_t> last;
  int lastWidth = 0, lastHeight = 0;
};

TEST_F(CompositionTest, TheKeptPictureFollowsEveryDrawingCallAndEveryChangeOfTheWindows) {
  DibInfo small = dib565(16, -12);
  std::vector<uint16_t> smallBits(16 * 12, 0x07E0);
  const struct {
    const char* name;
    std::function<void()> step;
  } steps[] = {
      {"a frame blitted into the view", [&] { draw(view, [&](HDC dc) { BitBlt(dc, 0, 0, 160, 120, frame, 0, 0, SRCCOPY); }); }},
      {"a fill under the window above", [&] { draw(view, [](HDC dc) {
         RECT r{100, 60, 160, 120};
         FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
       }); }},
      {"text on the toolbar", [&] { draw(toolbar, [](HDC dc) { TextOutA(dc, 2, 2, "Go", 2); }); }},
      {"a pixel of a window past its parent's edge", [&] { draw(straddler, [](HDC dc) { SetPixel(dc, 90, 70, RGB(255, 0, 255)); }); }},
      {"a line in the list", [&] { draw(list, [](HDC dc) {
         MoveToEx(dc, 0, 0, nullptr);
         LineTo(dc, 100, 50);
       }); }},
      {"an inverted window above the view", [&] { draw(over, [](HDC dc) { PatBlt(dc, 0, 0, 58, 58, DSTINVERT); }); }},
      {"a stretched blit", [&] { draw(view, [&](HDC dc) { StretchBlt(dc, 20, 20, 80, 60, frame, 0, 0, 40, 30, SRCCOPY); }); }},
      {"a DIB set onto the device", [&] { draw(over, [&](HDC dc) {
         SetDIBitsToDevice(dc, 5, 5, 16, 12, 0, 0, 0, 12, smallBits.data(), small.info(), DIB_RGB_COLORS);
       }); }},
      {"a stretched DIB", [&] { draw(view, [&](HDC dc) {
         StretchDIBits(dc, 0, 0, 32, 24, 0, 0, 16, 12, smallBits.data(), small.info(), DIB_RGB_COLORS, SRCCOPY);
       }); }},
      {"a rectangle, an inverted one and a focus frame", [&] { draw(view, [](HDC dc) {
         Rectangle(dc, 30, 30, 70, 70);
         RECT r{40, 40, 90, 90};
         InvertRect(dc, &r);
         DrawFocusRect(dc, &r);
       }); }},
      {"a window moved", [&] { MoveWindow(over, 60, 40, 60, 60, TRUE); }},
      {"a window hidden", [&] { ShowWindow(over, SW_HIDE); }},
      {"a window shown again", [&] { ShowWindow(over, SW_SHOWNA); }},
      {"the caption's text", [&] { SetWindowTextA(top, "Main, renamed"); }},
      {"a scroll bar moved", [&] { SetScrollPos(list, SB_VERT, 50, TRUE); }},
      {"another window active", [&] { SetActiveWindow(other); }},
      {"the window active again", [&] { SetActiveWindow(top); }},
      {"a menu item added", [&] {
         AppendMenuA(menu, MF_STRING, 2, "&Go");
         DrawMenuBar(top);
       }},
      {"the window sized", [&] { MoveWindow(top, 40, 30, 340, 280, TRUE); }},
      {"the window moved on the screen", [&] { MoveWindow(top, 60, 50, 340, 280, TRUE); }},
      {"the view drawn after the size", [&] { draw(view, [&](HDC dc) { BitBlt(dc, 0, 0, 160, 120, frame, 0, 0, SRCCOPY); }); }},
  };
  expectPictureUpToDate("the first picture");
  for (const auto& s : steps) {
    s.step();
    expectPictureUpToDate(s.name);
  }
}

TEST_F(CompositionTest, OnlyWhatWasDrawnDifferentlyIsComposedAgain) {
  expectPictureUpToDate("the first picture");
  expectPictureUpToDate("nothing done");
  EXPECT_TRUE(IsRectEmpty(&changed));

  draw(view, [&](HDC dc) { BitBlt(dc, 0, 0, 160, 120, frame, 0, 0, SRCCOPY); });
  expectPictureUpToDate("a new frame");
  POINT viewAt{0, 0};
  ClientToScreen(view, &viewAt);
  RECT topRect;
  GetWindowRect(top, &topRect);
  const RECT viewInPicture{viewAt.x - topRect.left, viewAt.y - topRect.top, viewAt.x - topRect.left + 160,
                           viewAt.y - topRect.top + 120};
  EXPECT_TRUE(changed == viewInPicture);

  draw(view, [&](HDC dc) { BitBlt(dc, 0, 0, 160, 120, frame, 0, 0, SRCCOPY); });
  expectPictureUpToDate("the same frame again");
  EXPECT_TRUE(IsRectEmpty(&changed));

  framePixels[50 * 160 + 7] ^= 0xFFFF;  // one pixel of row 50
  draw(view, [&](HDC dc) { BitBlt(dc, 0, 0, 160, 120, frame, 0, 0, SRCCOPY); });
  expectPictureUpToDate("a frame differing in one row");
  const RECT row{viewInPicture.left, viewInPicture.top + 50, viewInPicture.right, viewInPicture.top + 51};
  EXPECT_TRUE(changed == row);
}

}  // namespace
