// platform/sizemove.cpp -- moving a window by its caption and sizing it by
// its border with the mouse, when the frame is ours (no window manager).
//
// As on the original system the drag is a loop of its own: it holds the
// mouse, follows it until the left button is released and dispatches every
// other message meanwhile, so that the program keeps drawing. Each step is
// a SetWindowPos, so the window's WM_GETMINMAXINFO and WM_WINDOWPOSCHANGING
// have their say on every size.
#include "platform/windowstate.h"

namespace platform::user {
namespace {

bool isMouseMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCRBUTTONUP);
}

// The window's rectangle after the mouse moved by `dx`, `dy` from where the
// drag began, the edges that `hit` names following it.
RECT draggedRect(const RECT& start, WPARAM hit, int dx, int dy) {
  RECT rect = start;
  if (hit == HTCAPTION) {
    OffsetRect(&rect, dx, dy);
    return rect;
  }
  if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) rect.left += dx;
  if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) rect.right += dx;
  if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) rect.top += dy;
  if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) rect.bottom += dy;
  return rect;
}

// Moves or sizes the window to `rect`. A window kept from shrinking further
// by its tracking sizes keeps its opposite edge where it was.
void place(HWND hwnd, WPARAM hit, const RECT& rect) {
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (hit == HTCAPTION) {
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  applyTrackingSizes(hwnd, &width, &height);
  bool movesLeft = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
  bool movesTop = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
  int x = movesLeft ? rect.right - width : rect.left;
  int y = movesTop ? rect.bottom - height : rect.top;
  SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void trackMoveOrSize(HWND hwnd, WPARAM hit, POINT start) {
  RECT before;
  if (!GetWindowRect(hwnd, &before)) return;
  SetCapture(hwnd);
  MSG msg;
  while (IsWindow(hwnd) && GetCapture() == hwnd) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      place(hwnd, hit == HTCAPTION ? HTCAPTION : HTBOTTOMRIGHT, before);
      break;
    }
    if (!isMouseMessage(msg.message)) {
      if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR) DispatchMessageA(&msg);
      continue;
    }
    POINT now;
    GetCursorPos(&now);
    place(hwnd, hit, draggedRect(before, hit, now.x - start.x, now.y - start.y));
    if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
}

}  // namespace platform::user
