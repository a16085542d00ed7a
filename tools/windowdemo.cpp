// tools/windowdemo.cpp -- a small window with a menu bar, an edit field
// and a button, on the X display when there is one (headless otherwise),
// that prints the messages a person's actions give it: menu commands (one
// from a sub-menu), the edit field's text as it changes, button clicks,
// files dropped on it by another program. Closing the window ends the
// program with status 0.
//
// Usage: windowdemo [--headless]
// Its client area is filled with a known colour (RGB 0, 128, 64) so that a
// screenshot can find it; it prints "window X Y W H" (screen coordinates of
// the client area) and "ready" once it is shown, and for each dropped file
// "dropped "PATH" at X Y" (the drop point in its client area).
#include <cstdio>
#include <cstring>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/menus.h"
#include "platform/resources.h"
#include "platform/windows.h"
#include "platform/x11/xpresenter.h"

namespace {

enum : int { kEditId = 200, kButtonId = 201, kCommandHello = 301, kCommandCheck = 302, kCommandExit = 303,
             kCommandFirstRecent = 304, kCommandSecondRecent = 305 };
const COLORREF kBackground = RGB(0, 128, 64);

HWND editField = nullptr;

HMENU buildMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kCommandHello, "&Hello");
  AppendMenuA(file, MF_STRING, kCommandCheck, "&Check me");
  HMENU recent = CreatePopupMenu();
  AppendMenuA(recent, MF_STRING, kCommandFirstRecent, "&First world");
  AppendMenuA(recent, MF_STRING, kCommandSecondRecent, "&Second world");
  AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kCommandExit, "E&xit");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  return bar;
}

void command(HWND hwnd, WPARAM wParam) {
  int id = LOWORD(wParam);
  switch (id) {
    case kCommandHello: std::printf("command hello\n"); break;
    case kCommandCheck: {
      HMENU menu = GetMenu(hwnd);
      bool checked = GetMenuState(menu, kCommandCheck, MF_BYCOMMAND) & MF_CHECKED;
      CheckMenuItem(menu, kCommandCheck, checked ? MF_UNCHECKED : MF_CHECKED);
      std::printf("command check %s\n", checked ? "off" : "on");
      break;
    }
    case kCommandFirstRecent: std::printf("command recent 1\n"); break;
    case kCommandSecondRecent: std::printf("command recent 2\n"); break;
    case kCommandExit: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case kEditId:
      if (HIWORD(wParam) == EN_CHANGE) {
        char text[256];
        GetWindowTextA(editField, text, sizeof text);
        std::printf("edit \"%s\"\n", text);
      }
      break;
    case kButtonId: std::printf("button clicked\n"); break;
    default: break;
  }
  std::fflush(stdout);
}

void filesDropped(HDROP drop) {
  POINT at{0, 0};
  DragQueryPoint(drop, &at);
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; i++) {
    char path[4096];
    DragQueryFileA(drop, i, path, sizeof path);
    std::printf("dropped \"%s\" at %ld %ld\n", path, long(at.x), long(at.y));
  }
  DragFinish(drop);
  std::fflush(stdout);
}

LRESULT CALLBACK demoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      editField = CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                                  20, 20, 200, 22, hwnd, reinterpret_cast<HMENU>(kEditId), nullptr, nullptr);
      CreateWindowExA(0, "button", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 60, 80, 26, hwnd,
                      reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
      return 0;
    case WM_COMMAND: command(hwnd, wParam); return 0;
    case WM_DROPFILES: filesDropped(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_PAINT: {  // the class brush fills the client area
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      std::printf("destroyed\n");
      std::fflush(stdout);
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = argc > 1 && std::strcmp(argv[1], "--headless") == 0;
  bool onDisplay = platform::startPresenter(headless);
  std::printf("presenter %s\n", onDisplay ? "x11" : "headless");
  WNDCLASSA wc{};
  wc.lpfnWndProc = demoProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(kBackground);
  wc.lpszClassName = "LfWindowDemo";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "LfWindowDemo", "Window demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 40,
                              360, 240, nullptr, buildMenu(), nullptr, nullptr);
  if (hwnd == nullptr) return 1;
  DragAcceptFiles(hwnd, TRUE);
  SetFocus(editField);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  RECT client;
  GetClientRect(hwnd, &client);
  std::printf("window %ld %ld %ld %ld\nready\n", long(origin.x), long(origin.y), long(client.right),
              long(client.bottom));
  std::fflush(stdout);
  if (!onDisplay) return 0;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  platform::closeX11Presenter();
  return int(msg.wParam);
}
