// shell/notify.cpp -- the "Messages" window (see notify.h).
#include "shell/notify.h"

#include "core/apphandles.h"
#include "platform/windows.h"
#include "shell/placement.h"
#include "shell/mainparts.h"

namespace {

constexpr const char* kNotifyClass = "zmNotify";
constexpr int kNotifyMaxMsgs = 100;
constexpr int kWidth = 480;
constexpr int kHeight = 280;
constexpr int kMargin = 10;           // around the log view, left, top and right
constexpr int kBelowLogView = 50;     // client height left under the log view
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 30;
constexpr int kButtonDrop = 15;       // the button's top, below client height - kBelowLogView

// The Messages window's part of the main window's record.
ZmNotifyWindow& notifyWindow() { return zmMainWindowParts().notify; }

void layOut(int clientWidth, int clientHeight) {
  ZmNotifyWindow& notifyWindow = zmMainWindowParts().notify;
  if (notifyWindow.logView != nullptr && notifyWindow.logView->hwnd != nullptr)
    MoveWindow(notifyWindow.logView->hwnd, kMargin, kMargin, clientWidth - 2 * kMargin, clientHeight - kBelowLogView,
               TRUE);
  if (notifyWindow.closeButton != nullptr)
    MoveWindow(notifyWindow.closeButton, (clientWidth - 2 * kMargin - kButtonWidth) / 2,
               clientHeight - kBelowLogView + kButtonDrop, kButtonWidth, kButtonHeight, TRUE);
}

void onCreate(HWND hwnd) {
  ZmNotifyWindow& notifyWindow = zmMainWindowParts().notify;
  notifyWindow.hwnd = hwnd;
  notifyWindow.logView = zmNewLogView(hwnd, kNotifyMaxMsgs);
  notifyWindow.closeButton =
      CreateWindowExA(0, "button", "Close", WS_CHILD | WS_VISIBLE, 0, 0, kButtonWidth, kButtonHeight, hwnd,
                      reinterpret_cast<HMENU>(intptr_t(ZM_NOTIFY_CLOSE_ID)), zmGetHinstance(), nullptr);
}

// The Close button, and the frame's close as well: the window only hides,
// so that the next message can show it again.
void hideAndClear(HWND hwnd) {
  ShowWindow(hwnd, SW_HIDE);
  zmLogClear(notifyWindow().logView);
}

LRESULT CALLBACK notifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ZmNotifyWindow& notifyWindow = zmMainWindowParts().notify;
  switch (message) {
    case WM_CREATE: onCreate(hwnd); return 0;
    case WM_SIZE: layOut(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_COMMAND:
      if (wParam != MAKEWPARAM(ZM_NOTIFY_CLOSE_ID, BN_CLICKED)) break;
      hideAndClear(hwnd);
      return 0;
    case WM_CLOSE: hideAndClear(hwnd); return 0;
    case WM_DESTROY:
      zmDeleteLogView(notifyWindow.logView);
      notifyWindow = ZmNotifyWindow{};
      return 0;
    default: break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerNotifyClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  if (GetClassInfoA(instance, kNotifyClass, &wc)) return true;  // from an earlier notify window
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = notifyProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kNotifyClass;
  return RegisterClassA(&wc) != 0;
}

}  // namespace

int zmNotifyInit(HINSTANCE instance, HWND owner) {
  if (notifyWindow().hwnd != nullptr) return 0;
  if (!registerNotifyClass(instance)) return -1;
  HWND hwnd = CreateWindowExA(0, kNotifyClass, "Messages", WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, 0, kWidth,
                              kHeight, owner, nullptr, instance, nullptr);
  return hwnd != nullptr ? 0 : -1;
}

int zmNotifyMessage(const char* text) {
  ZmNotifyWindow& notifyWindow = zmMainWindowParts().notify;
  if (text == nullptr || notifyWindow.logView == nullptr) return -1;
  // Below the main window, where it leaves the menu, location bar and view uncovered.
  if (!notifyWindow.placed) {
    zmPlaceWindowBeside(notifyWindow.hwnd, GetWindow(notifyWindow.hwnd, GW_OWNER), ZmSide::Below);
    notifyWindow.placed = true;
  }
  SetWindowPos(notifyWindow.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  return zmLogAppend(notifyWindow.logView, text);
}

void zmNotifyExit() {
  ZmNotifyWindow& notifyWindow = zmMainWindowParts().notify;
  if (notifyWindow.hwnd != nullptr) DestroyWindow(notifyWindow.hwnd);
}

HWND zmGetNotifyHwnd() { return notifyWindow().hwnd; }
ZmLogView* zmGetNotifyLogView() { return notifyWindow().logView; }
