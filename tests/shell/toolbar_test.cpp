// tests/shell/toolbar_test.cpp -- toolbar buttons pressed and released by
// the mouse and by keys with their command reports, the pictures they show,
// and where bars dock and lay their buttons out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/wingdi.h"
#include "shell/toolbar.h"
#include "shell_fixture.h"

namespace {

struct Report {
  int id, pressed;
  HWND from;
};
std::vector<Report> reports;

LRESULT CALLBACK parentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) {
    reports.push_back({LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class ToolBarTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    reports.clear();
    ASSERT_TRUE(zmRegisterToolBarClasses(nullptr));
    WNDCLASSA wc{};
    wc.lpfnWndProc = parentProc;
    wc.lpszClassName = "LfToolBarParent";
    WNDCLASSA existing;
    if (!GetClassInfoA(nullptr, wc.lpszClassName, &existing)) {
      ASSERT_NE(RegisterClassA(&wc), 0);
    }
  }

  // A pop-up whose client area is width x height.
  HWND makeParent(int width, int height) {
    return CreateWindowExA(0, "LfToolBarParent", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                           nullptr, nullptr);
  }

  // Sends the mouse messages to the button; "d" down, "m" move, "u" up, at
  // client coordinates.
  struct Mouse {
    char what;
    int x, y;
  };
  static void drive(const ZmToolBarButton* button, const std::vector<Mouse>& steps) {
    for (const Mouse& step : steps) {
      const UINT msg = step.what == 'd' ? WM_LBUTTONDOWN : step.what == 'u' ? WM_LBUTTONUP : WM_MOUSEMOVE;
      SendMessageA(button->window, msg, step.what == 'u' ? 0 : MK_LBUTTON, MAKELPARAM(WORD(step.x), WORD(step.y)));
    }
  }

  static std::vector<int> pressedReports(int id) {
    std::vector<int> seen;
    for (const Report& r : reports) {
      EXPECT_EQ(r.id, id);
      seen.push_back(r.pressed);
    }
    return seen;
  }

  // True when the button's window shows the named picture.
  static bool shows(const ZmToolBarButton* button, const char* picture) {
    HBITMAP expected = LoadBitmapA(nullptr, picture);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, expected);
    HDC window = GetDC(button->window);
    bool same = true;
    for (int y = 0; y < button->height && same; y++)
      for (int x = 0; x < button->width && same; x++) same = GetPixel(window, x, y) == GetPixel(memory, x, y);
    ReleaseDC(button->window, window);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(expected);
    return same;
  }
};

TEST_F(ToolBarTest, MouseReportsFollowEachButtonsKind) {
  HWND parent = makeParent(640, 480);
  ZmToolBar* commands = zmCreateCommandToolBar(parent);
  ZmToolBar* navigation = zmCreateNavigationToolBar(parent);
  ASSERT_NE(commands, nullptr);
  ASSERT_NE(navigation, nullptr);
  struct Case {
    const char* what;
    ZmToolBar* bar;
    int id;
    std::vector<Mouse> steps;
    std::vector<int> reported;
  } cases[] = {
      {"press-notify: off and back, release inside", navigation, 132,
       {{'d', 5, 5}, {'m', -3, 5}, {'m', 5, 5}, {'u', 5, 5}}, {1, 0, 1, 0}},
      {"press-notify: release outside", navigation, 132, {{'d', 5, 5}, {'m', 5, 20}, {'u', 5, 20}}, {1, 0}},
      {"press-notify: moves inside change nothing", navigation, 130, {{'d', 1, 1}, {'m', 19, 14}, {'u', 19, 14}}, {1, 0}},
      {"click: release inside", commands, 111, {{'d', 5, 5}, {'u', 6, 6}}, {0}},
      {"click: release outside", commands, 111, {{'d', 5, 5}, {'m', 41, 5}, {'u', 41, 5}}, {}},
      {"click: off and back", commands, 103, {{'d', 5, 5}, {'m', 5, -1}, {'m', 5, 33}, {'u', 5, 33}}, {0}},
      {"an up without a down", commands, 103, {{'u', 5, 5}}, {}},
  };
  for (const Case& c : cases) {
    reports.clear();
    const ZmToolBarButton* button = zmFindToolBarButton(c.bar, c.id);
    ASSERT_NE(button, nullptr) << c.what;
    drive(button, c.steps);
    EXPECT_EQ(pressedReports(c.id), c.reported) << c.what;
    for (const Report& r : reports) EXPECT_EQ(r.from, button->window) << c.what;
    EXPECT_EQ(GetCapture(), nullptr) << c.what;
  }
}

TEST_F(ToolBarTest, KeysPressAndReleaseButtonsWithoutReports) {
  HWND parent = makeParent(640, 480);
  ZmToolBar* navigation = zmCreateNavigationToolBar(parent);
  const ZmToolBarButton* forward = zmFindToolBarButton(navigation, 132);
  ASSERT_NE(forward, nullptr);
  UpdateWindow(forward->window);  // its first paint
  EXPECT_TRUE(shows(forward, "FW1"));
  ASSERT_EQ(zmPressToolBarButton(navigation, 132), 0);
  EXPECT_TRUE(shows(forward, "FW3"));
  drive(forward, {{'u', 5, 5}});  // the mouse did not press it: no click
  ASSERT_EQ(zmReleaseToolBarButton(navigation, 132), 0);
  EXPECT_TRUE(shows(forward, "FW1"));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(zmPressToolBarButton(navigation, 111), -1);  // not on this bar
}

TEST_F(ToolBarTest, LooksChangeThePictureButNotTheClicks) {
  HWND parent = makeParent(640, 480);
  ZmToolBar* commands = zmCreateCommandToolBar(parent);
  const ZmToolBarButton* scouter = zmFindToolBarButton(commands, 122);
  struct Case {
    int look;
    const char* normal;
    const char* pressed;
  } cases[] = {{ZM_LOOK_DISABLED, "SCT3", "SCT3"}, {ZM_LOOK_ON, "SCT4", "SCT5"}, {ZM_LOOK_NORMAL, "SCT1", "SCT2"}};
  for (const Case& c : cases) {
    reports.clear();
    ASSERT_EQ(zmSetToolBarButtonLook(commands, 122, c.look), 0);
    EXPECT_TRUE(shows(scouter, c.normal)) << c.look;
    drive(scouter, {{'d', 5, 5}});
    EXPECT_TRUE(shows(scouter, c.pressed)) << c.look;
    drive(scouter, {{'u', 5, 5}});
    EXPECT_EQ(pressedReports(122), std::vector<int>{0}) << c.look;
  }
}

TEST_F(ToolBarTest, BarsDockAtTheirEdgeAndNeverBeforeTheOffsetAlong) {
  struct Case {
    const char* what;
    bool commandBar;
    int parentWidth, parentHeight;
    RECT expected;  // in the parent's client area
  } cases[] = {
      // Command bar: 47 wide (3 + 3 + 41), 344 high (8 + 8 x (8 + 34)).
      {"right, centred", true, 640, 480, {593, 68, 640, 412}},
      {"right, parent shorter than the bar", true, 640, 200, {593, 3, 640, 347}},
      // Navigation bar: 141 wide (3 + 6 x (3 + 20)), 24 high (6 + 3 + 15).
      {"bottom, centred", false, 640, 480, {250, 456, 391, 480}},
      {"bottom, parent narrower than twice the offset", false, 120, 480, {76, 456, 217, 480}},
  };
  for (const Case& c : cases) {
    HWND parent = makeParent(c.parentWidth, c.parentHeight);
    ZmToolBar* bar = c.commandBar ? zmCreateCommandToolBar(parent) : zmCreateNavigationToolBar(parent);
    RECT placed;
    GetWindowRect(bar->window, &placed);
    POINT corners[2] = {{placed.left, placed.top}, {placed.right, placed.bottom}};
    ScreenToClient(parent, &corners[0]);
    ScreenToClient(parent, &corners[1]);
    EXPECT_EQ(corners[0].x, c.expected.left) << c.what;
    EXPECT_EQ(corners[0].y, c.expected.top) << c.what;
    EXPECT_EQ(corners[1].x, c.expected.right) << c.what;
    EXPECT_EQ(corners[1].y, c.expected.bottom) << c.what;
    EXPECT_EQ(zmToolBarWidth(bar), c.expected.right - c.expected.left);
    EXPECT_EQ(zmToolBarHeight(bar), c.expected.bottom - c.expected.top);
    DestroyWindow(parent);  // frees the bar, its buttons and their bitmaps
  }
  EXPECT_EQ(zmToolBarWidth(nullptr), 0);
}

TEST_F(ToolBarTest, ButtonsAreLaidOutAlongTheBar) {
  HWND parent = makeParent(640, 480);
  ZmToolBar* bar = zmCreateToolBar(parent);
  ASSERT_NE(bar, nullptr);
  struct Button {
    int id, xMargin, yMargin, width, height;
    POINT expected;  // in the bar, stacked top to bottom
  } buttons[] = {{1, 3, 8, 41, 34, {3, 8}}, {2, 5, 2, 30, 10, {5, 44}}, {3, 0, 0, 10, 10, {0, 54}}};
  for (const Button& b : buttons) ASSERT_EQ(zmAddToolBarButton(bar, b.id, b.xMargin, b.yMargin, b.width, b.height), 0);
  zmSetToolBarDocking(bar, 0, 10, 1, 2, 0, ZM_DOCK_LEFT);
  EXPECT_EQ(zmToolBarWidth(bar), 1 + 44);
  EXPECT_EQ(zmToolBarHeight(bar), 2 + 42 + 12 + 10);
  for (const Button& b : buttons) {
    RECT placed;
    GetWindowRect(zmFindToolBarButton(bar, b.id)->window, &placed);
    POINT corner = {placed.left, placed.top};
    ScreenToClient(bar->window, &corner);
    EXPECT_EQ(corner.x, b.expected.x) << b.id;
    EXPECT_EQ(corner.y, b.expected.y) << b.id;
  }
  EXPECT_EQ(zmAddToolBarPictures(bar, 9, "BAK1", nullptr), -1);    // no such button
  EXPECT_EQ(zmAddToolBarPictures(bar, 1, "NOSUCH", nullptr), -1);  // no such picture
}

}  // namespace
