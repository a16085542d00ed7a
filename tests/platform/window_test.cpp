// Tests of windows: creation, destruction, words and subclassing, relations,
// text, geometry, focus and capture, and calls on invalid handles.
#include <cstring>
#include <string>

#include "tests/platform/window_fixture.h"

namespace {

class WindowsTest : public WindowTest {};

TEST_F(WindowsTest, CreationSendsItsMessagesWithTheCreationParameter) {
  int cookie = 0;
  LPVOID seenParam = nullptr;
  handlers[WM_CREATE] = [&](HWND hwnd, WPARAM, LPARAM lParam, LRESULT* result) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    seenParam = create->lpCreateParams;
    EXPECT_FALSE(IsWindowVisible(hwnd));  // shown only after WM_CREATE
    *result = 0;
    return true;
  };
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 200, 150, &cookie);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(seenParam, &cookie);
  char title[16];
  GetWindowTextA(hwnd, title, sizeof title);  // set by WM_NCCREATE's default
  EXPECT_STREQ(title, "test");
  std::vector<UINT> seen = messagesFor(hwnd);
  std::vector<UINT> start(seen.begin(), seen.begin() + 5);
  EXPECT_EQ(start, (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
  EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_SHOWWINDOW)), seen.end());
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);  // activation's default gives it the focus
}

TEST_F(WindowsTest, RefusedCreationLeavesNoWindow) {
  const struct {
    UINT message;
    LRESULT refusal;
  } refusals[] = {{WM_NCCREATE, FALSE}, {WM_CREATE, -1}};
  for (const auto& r : refusals) {
    handlers.clear();
    handlers[r.message] = [&](HWND, WPARAM, LPARAM, LRESULT* result) {
      *result = r.refusal;
      return true;
    };
    log.clear();
    EXPECT_EQ(makeWindow(), nullptr);
    ASSERT_FALSE(log.empty());
    EXPECT_FALSE(IsWindow(log.front().hwnd));
    EXPECT_EQ(log.back().message, UINT(WM_NCDESTROY));
  }
  handlers.clear();
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(makeWindow(WS_CHILD), nullptr);  // a child needs a parent
  EXPECT_EQ(makeWindow(WS_CHILD, reinterpret_cast<HWND>(intptr_t(0x4321))), nullptr);
}

LRESULT CALLBACK countingSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, 8));
  if (msg == WM_USER) return 1000 + CallWindowProcA(previous, hwnd, msg, wParam, lParam);
  return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

TEST_F(WindowsTest, WindowWordsArePointerSizedAndSubclassingChainsProcedures) {
  HWND hwnd = makeWindow();
  int value = 0;
  auto pointer = reinterpret_cast<LONG_PTR>(&value);
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 0, pointer), 0);
  EXPECT_EQ(SetWindowLongA(hwnd, 4, 44), 0);  // 4-byte steps are words of their own
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), pointer);
  EXPECT_EQ(GetWindowLongA(hwnd, 4), 44);
  EXPECT_EQ(SetWindowLongPtrA(hwnd, GWL_USERDATA, pointer), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), pointer);
  for (int badOffset : {2, kExtraBytes, 1000}) {
    EXPECT_EQ(SetWindowLongPtrA(hwnd, badOffset, 1), 0) << badOffset;
    EXPECT_EQ(GetWindowLongPtrA(hwnd, badOffset), 0) << badOffset;
  }
  EXPECT_EQ(GetWindowLongPtrA(hwnd, -100), 0);

  handlers[WM_USER] = [](HWND, WPARAM wParam, LPARAM, LRESULT* result) {
    *result = LRESULT(wParam);
    return true;
  };
  LONG_PTR original = SetWindowLongPtrA(hwnd, GWL_WNDPROC,
                                        reinterpret_cast<LONG_PTR>(countingSubclass));
  EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(testProc));
  SetWindowLongPtrA(hwnd, 8, original);
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 5, 0), 1005);
  PostMessageA(hwnd, WM_USER, 6, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(&msg), 1006);
  SetWindowLongPtrA(hwnd, GWL_WNDPROC, original);
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 5, 0), 5);
}

TEST_F(WindowsTest, CloseDestroysOwnedWindowsAndChildrenInOrderAndInvalidatesHandles) {
  HWND main = makeWindow();
  HWND child = makeWindow(WS_CHILD | WS_VISIBLE, main, 7);
  HWND grandchild = makeWindow(WS_CHILD, child, 8);
  HWND owned = makeWindow(WS_POPUP, main);
  EXPECT_EQ(GetParent(child), main);
  EXPECT_EQ(GetParent(owned), main);  // a popup names its owner
  EXPECT_EQ(GetWindow(owned, GW_OWNER), main);
  EXPECT_TRUE(IsChild(main, grandchild));
  SetFocus(grandchild);
  SetCapture(child);
  log.clear();
  SendMessageA(main, WM_CLOSE, 0, 0);
  std::vector<std::pair<HWND, UINT>> order;
  for (const LoggedMessage& entry : log) {
    if (entry.message == WM_DESTROY || entry.message == WM_NCDESTROY)
      order.emplace_back(entry.hwnd, entry.message);
  }
  std::vector<std::pair<HWND, UINT>> expected{
      {owned, WM_DESTROY},     {owned, WM_NCDESTROY},      {main, WM_DESTROY},
      {child, WM_DESTROY},     {grandchild, WM_DESTROY},   {grandchild, WM_NCDESTROY},
      {child, WM_NCDESTROY},   {main, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  for (HWND gone : {main, child, grandchild, owned}) EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(DestroyWindow(main));
}

TEST_F(WindowsTest, DestroyingFromInsideDestructionDoesNotRecurse) {
  HWND main = makeWindow();
  HWND child = makeWindow(WS_CHILD, main, 1);
  handlers[WM_DESTROY] = [&](HWND hwnd, WPARAM, LPARAM, LRESULT*) {
    EXPECT_FALSE(DestroyWindow(hwnd));  // already under way
    DestroyWindow(main);
    return true;
  };
  EXPECT_TRUE(DestroyWindow(child));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(WindowsTest, TextIdsAndLookup) {
  HWND main = makeWindow();
  HWND first = makeWindow(WS_CHILD, main, 200);
  HWND second = makeWindow(WS_CHILD, main, 201);
  EXPECT_EQ(GetDlgItem(main, 201), second);
  EXPECT_EQ(GetDlgItem(main, 202), nullptr);
  EXPECT_EQ(GetDlgCtrlID(first), 200);
  EXPECT_EQ(GetDlgCtrlID(main), 0);
  EXPECT_TRUE(SetWindowTextA(main, "Lumenfold"));
  EXPECT_EQ(GetWindowTextLengthA(main), 9);
  char small[5];
  EXPECT_EQ(GetWindowTextA(main, small, sizeof small), 4);
  EXPECT_STREQ(small, "Lume");
  EXPECT_EQ(FindWindowA("lftestwindow", "LUMENFOLD"), main);  // no regard to case
  EXPECT_EQ(FindWindowA(kClassName, nullptr), main);
  EXPECT_EQ(FindWindowA(nullptr, "nothing"), nullptr);
  char name[32];
  EXPECT_EQ(GetClassNameA(first, name, sizeof name), int(std::strlen(kClassName)));
  EXPECT_STREQ(name, kClassName);
  WNDCLASSA again{};
  again.lpfnWndProc = testProc;
  again.lpszClassName = "LFTESTWINDOW";
  EXPECT_EQ(RegisterClassA(&again), 0);  // the same name twice for one instance
  EXPECT_FALSE(UnregisterClassA(kClassName, nullptr));  // windows of it still live
}

TEST_F(WindowsTest, ClientAreaIsWhatTheFrameLeaves) {
  const int frame = GetSystemMetrics(SM_CXFRAME);
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  const int menu = GetSystemMetrics(SM_CYMENU);
  const struct {
    DWORD style;
    HMENU menu;
    int width, height;
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, nullptr, 200 - 2 * frame, 150 - 2 * frame - caption},
      {WS_OVERLAPPEDWINDOW, reinterpret_cast<HMENU>(1), 200 - 2 * frame,
       150 - 2 * frame - caption - menu},
      {WS_POPUP, nullptr, 200, 150},
      {WS_POPUP | WS_BORDER, nullptr, 198, 148},
  };
  for (const auto& c : cases) {
    HWND hwnd = CreateWindowExA(0, kClassName, "", c.style, 10, 20, 200, 150, nullptr, c.menu,
                                nullptr, nullptr);
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, c.width) << std::hex << c.style;
    EXPECT_EQ(client.bottom, c.height) << std::hex << c.style;
    RECT adjusted{0, 0, client.right, client.bottom};
    AdjustWindowRect(&adjusted, c.style, c.menu != nullptr);
    EXPECT_EQ(adjusted.right - adjusted.left, 200);
    EXPECT_EQ(adjusted.bottom - adjusted.top, 150);
    DestroyWindow(hwnd);
  }
}

TEST_F(WindowsTest, ChildGeometryAndSizeMessages) {
  HWND main = makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 300, 200);
  HWND child = makeWindow(WS_CHILD | WS_VISIBLE, main, 1, 50, 40);
  RECT rect;
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 20);  // the main window at (10, 20) plus the child at (10, 20)
  EXPECT_EQ(rect.top, 40);
  POINT point{1, 2};
  ClientToScreen(child, &point);
  EXPECT_EQ(point.x, 21);
  ScreenToClient(main, &point);
  EXPECT_EQ(point.x, 11);
  EXPECT_EQ(WindowFromPoint(POINT{25, 45}), child);
  EXPECT_EQ(WindowFromPoint(POINT{300, 45}), main);
  EXPECT_EQ(ChildWindowFromPoint(main, POINT{15, 25}), child);
  log.clear();
  MoveWindow(child, 5, 6, 70, 30, TRUE);
  ASSERT_EQ(messagesFor(child),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(log[2].lParam, MAKELPARAM(70, 30));
  EXPECT_EQ(log[3].lParam, MAKELPARAM(5, 6));
}

// A maximised child covers its parent's client area, not the screen, and
// comes back to its own place when restored.
TEST_F(WindowsTest, AMaximisedChildFillsItsParentsClientArea) {
  HWND main = makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 300, 200);
  HWND child = makeWindow(WS_CHILD | WS_VISIBLE, main, 1, 50, 40);
  RECT parentClient, rect;
  GetClientRect(main, &parentClient);
  ShowWindow(child, SW_SHOWMAXIMIZED);
  GetClientRect(child, &rect);
  EXPECT_EQ(rect.right, parentClient.right);
  EXPECT_EQ(rect.bottom, parentClient.bottom);
  POINT origin{0, 0};
  ClientToScreen(child, &origin);
  POINT parentOrigin{0, 0};
  ClientToScreen(main, &parentOrigin);
  EXPECT_EQ(origin.x, parentOrigin.x);
  EXPECT_EQ(origin.y, parentOrigin.y);
  ShowWindow(child, SW_RESTORE);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.right - rect.left, 50);
  EXPECT_EQ(rect.left, 20);
}

TEST_F(WindowsTest, PositionChangesCanBeCorrectedByTheWindowAndTrackingSizesHold) {
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW);
  handlers[WM_WINDOWPOSCHANGING] = [](HWND, WPARAM, LPARAM lParam, LRESULT* result) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    if (!(pos->flags & SWP_NOSIZE)) pos->cy = pos->cx * 3 / 4;
    *result = 0;
    return true;
  };
  handlers[WM_GETMINMAXINFO] = [](HWND, WPARAM, LPARAM lParam, LRESULT* result) {
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = {400, 400};
    *result = 0;
    return true;
  };
  SetWindowPos(hwnd, nullptr, 0, 0, 320, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 320);
  EXPECT_EQ(rect.bottom - rect.top, 240);
  EXPECT_EQ(rect.left, 10);
  SetWindowPos(hwnd, nullptr, 0, 0, 800, 100, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_EQ(rect.bottom - rect.top, 300);
}

TEST_F(WindowsTest, ZOrderShowAndHide) {
  HWND back = makeWindow(WS_POPUP);
  HWND front = makeWindow(WS_POPUP);
  EXPECT_EQ(GetWindow(front, GW_HWNDFIRST), front);
  SetWindowPos(back, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  EXPECT_EQ(GetWindow(front, GW_HWNDFIRST), back);
  EXPECT_EQ(GetWindow(back, GW_HWNDNEXT), front);
  EXPECT_TRUE(IsWindowVisible(back));
  EXPECT_FALSE(ShowWindow(front, SW_SHOWNA));
  EXPECT_TRUE(ShowWindow(front, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(front));
  SetWindowPos(front, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(back, GW_HWNDLAST), front);
  HWND child = makeWindow(WS_CHILD | WS_VISIBLE, front, 3);
  EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
  ShowWindow(front, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(front));
  RECT client;
  GetClientRect(front, &client);
  EXPECT_TRUE(IsRectEmpty(&client));
  ShowWindow(front, SW_RESTORE);
  EXPECT_FALSE(IsIconic(front));
  GetClientRect(front, &client);
  EXPECT_EQ(client.right, 200);
}

TEST_F(WindowsTest, FocusCaptureAndEnabling) {
  HWND main = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND view = makeWindow(WS_CHILD | WS_VISIBLE, main, 1);
  HWND field = makeWindow(WS_CHILD | WS_VISIBLE, main, 2);
  SetFocus(view);
  log.clear();
  EXPECT_EQ(SetFocus(field), view);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].hwnd, view);
  EXPECT_EQ(log[0].message, UINT(WM_KILLFOCUS));
  EXPECT_EQ(log[0].wParam, reinterpret_cast<WPARAM>(field));
  EXPECT_EQ(log[1].hwnd, field);
  EXPECT_EQ(log[1].message, UINT(WM_SETFOCUS));
  EXPECT_EQ(log[1].wParam, reinterpret_cast<WPARAM>(view));
  EXPECT_EQ(GetFocus(), field);

  EXPECT_EQ(SetCapture(view), nullptr);
  log.clear();
  EXPECT_EQ(SetCapture(field), view);
  EXPECT_EQ(messagesFor(view), (std::vector<UINT>{WM_CAPTURECHANGED}));
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);

  EXPECT_FALSE(EnableWindow(field, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(field));
  EXPECT_EQ(GetFocus(), nullptr);  // a disabled window keeps no focus
  EXPECT_TRUE(EnableWindow(field, TRUE));
  EXPECT_TRUE(IsWindowEnabled(field));
}

TEST_F(WindowsTest, InvalidHandlesAndNullPointersFailCleanly) {
  HWND dead = makeWindow();
  DestroyWindow(dead);
  const HWND invalid[] = {nullptr, dead, reinterpret_cast<HWND>(intptr_t(0x7777))};
  for (HWND hwnd : invalid) {
    RECT rect{};
    POINT point{};
    char text[8] = "x";
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_FALSE(MoveWindow(hwnd, 0, 0, 1, 1, TRUE));
    EXPECT_FALSE(SetWindowPos(hwnd, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(GetWindowRect(hwnd, &rect));
    EXPECT_FALSE(GetClientRect(hwnd, &rect));
    EXPECT_FALSE(ClientToScreen(hwnd, &point));
    EXPECT_FALSE(SetWindowTextA(hwnd, "t"));
    EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_STYLE), 0);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWL_USERDATA, 1), 0);
    EXPECT_EQ(GetParent(hwnd), nullptr);
    EXPECT_EQ(GetDlgItem(hwnd, 1), nullptr);
    EXPECT_FALSE(EnableWindow(hwnd, FALSE));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(SetCapture(hwnd), nullptr);
    UINT_PTR timer = SetTimer(hwnd, 1, 10, nullptr);
    if (hwnd != nullptr) {
      EXPECT_EQ(timer, 0u);
    } else {
      EXPECT_TRUE(KillTimer(nullptr, timer));  // a timer without a window
    }
    EXPECT_EQ(DefWindowProcA(hwnd, WM_CLOSE, 0, 0), 0);
  }
  HWND live = makeWindow();
  EXPECT_FALSE(GetWindowRect(live, nullptr));
  EXPECT_FALSE(GetClientRect(live, nullptr));
  EXPECT_EQ(GetWindowTextA(live, nullptr, 10), 0);
  char one[1] = {'x'};
  EXPECT_EQ(GetWindowTextA(live, one, 0), 0);
  EXPECT_EQ(one[0], 'x');
  EXPECT_EQ(RegisterClassA(nullptr), 0);
  EXPECT_EQ(CallWindowProcA(nullptr, live, WM_USER, 0, 0), 0);
  HWND desktop = GetDesktopWindow();
  EXPECT_TRUE(IsWindow(desktop));
  EXPECT_FALSE(DestroyWindow(desktop));
  RECT screen;
  ASSERT_TRUE(GetWindowRect(desktop, &screen));
  EXPECT_EQ(screen.right, GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace
