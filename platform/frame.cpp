// platform/frame.cpp -- the non-client area that we draw ourselves: the
// sizing or dialog frame, the caption with the window's title and its close
// box, the menu bar and the scroll bars; hit testing on it and the default
// answers to clicks there.
//
// The frame's sizes are those of GetSystemMetrics, so a window looks the
// same headless and on a display: a presenter asks for the frame to be
// drawn and puts the client pixels inside.
#include <algorithm>

#include "platform/resources.h"
#include "platform/controls.h"
#include "platform/wingdi.h"
#include "platform/windowstate.h"

namespace platform::user {
namespace {

RECT emptyRect() { return RECT{0, 0, 0, 0}; }

int frameThickness(const Window& window) {
  RECT insets = frameInsetsOf(window);
  return insets.left;
}

bool isActiveTop(HWND hwnd) { return GetActiveWindow() == hwnd; }

void drawBoxFace(HDC dc, const RECT& box) {
  fillSolid(dc, box, GetSysColor(COLOR_BTNFACE));
  drawBevel(dc, box, true);
}

void drawCloseBox(HDC dc, const RECT& box) {
  drawBoxFace(dc, box);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int d = 0; d < 2; d++) {
    MoveToEx(dc, box.left + 4 + d, box.top + 4, nullptr);
    LineTo(dc, box.right - 4 + d, box.bottom - 4);
    MoveToEx(dc, box.right - 5 + d, box.top + 4, nullptr);
    LineTo(dc, box.left + 3 + d, box.bottom - 4);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

// A window outline, or two overlapping ones for "restore" when the window
// is maximised or minimised.
void drawMaximizeBox(HDC dc, const RECT& box, bool restores) {
  drawBoxFace(dc, box);
  COLORREF black = RGB(0, 0, 0);
  auto outline = [&](RECT r) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    fillSolid(dc, RECT{r.left, r.top + 1, r.right, r.top + 2}, black);  // its title bar
  };
  if (!restores) {
    outline(RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3});
    return;
  }
  outline(RECT{box.left + 5, box.top + 3, box.right - 3, box.bottom - 6});
  RECT front{box.left + 3, box.top + 6, box.right - 6, box.bottom - 3};
  fillSolid(dc, front, GetSysColor(COLOR_BTNFACE));
  outline(front);
}

void drawMinimizeBox(HDC dc, const RECT& box) {
  drawBoxFace(dc, box);
  fillSolid(dc, RECT{box.left + 4, box.bottom - 6, box.right - 5, box.bottom - 4}, RGB(0, 0, 0));
}

// The sizing border under a window point, as an HT* code; HTNOWHERE off the
// border. Near a corner (a caption's height along either edge) the corner
// is meant, which gives the small border a usable target.
LRESULT sizingBorderAt(const Window& window, POINT at) {
  int width = window.rect.right - window.rect.left;
  int height = window.rect.bottom - window.rect.top;
  int frame = frameThickness(window);
  int corner = GetSystemMetrics(SM_CYCAPTION) + frame;
  bool left = at.x < frame, right = at.x >= width - frame;
  bool top = at.y < frame, bottom = at.y >= height - frame;
  if (!(left || right || top || bottom)) return HTNOWHERE;
  bool nearLeft = at.x < corner, nearRight = at.x >= width - corner;
  bool nearTop = at.y < corner, nearBottom = at.y >= height - corner;
  if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
  if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
  if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
  if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  return top ? HTTOP : HTBOTTOM;
}

bool sizable(const Window& window) {
  return (window.style & WS_THICKFRAME) && !(window.style & (WS_MAXIMIZE | WS_MINIMIZE));
}

RECT offsetBy(RECT rect, POINT origin) {
  OffsetRect(&rect, origin.x, origin.y);
  return rect;
}

POINT toWindowPoint(const Window& window, POINT screen) {
  RECT rect;
  GetWindowRect(window.handle, &rect);
  return POINT{screen.x - rect.left, screen.y - rect.top};
}

}  // namespace

FrameParts framePartsOf(const Window& window) {
  FrameParts parts{emptyRect(), emptyRect(), emptyRect(), emptyRect(),
                   emptyRect(), emptyRect(), emptyRect(), emptyRect()};
  int width = window.rect.right - window.rect.left;
  int height = window.rect.bottom - window.rect.top;
  RECT insets = frameInsetsOf(window);
  int frame = frameThickness(window);
  int top = frame;
  if ((window.style & WS_CAPTION) == WS_CAPTION) {
    int caption = GetSystemMetrics(SM_CYCAPTION);
    parts.caption = RECT{frame, top, width - frame, top + caption};
    if (window.style & WS_SYSMENU) {
      parts.closeBox = RECT{width - frame - caption + 1, top + 2, width - frame - 2, top + caption - 2};
      RECT next = parts.closeBox;
      OffsetRect(&next, -(caption - 1), 0);
      if (window.style & WS_MAXIMIZEBOX) {
        parts.maximizeBox = next;
        OffsetRect(&next, -(caption - 3), 0);
      }
      if (window.style & WS_MINIMIZEBOX) parts.minimizeBox = next;
    }
    top += caption;
  }
  if (!isChildStyle(window.style) && insets.top - top >= GetSystemMetrics(SM_CYMENU))
    parts.menuBar = RECT{frame, top, width - frame, top + GetSystemMetrics(SM_CYMENU)};
  parts.client = RECT{insets.left, insets.top, width - insets.right, height - insets.bottom};
  if (window.style & WS_VSCROLL)
    parts.verticalBar = RECT{parts.client.right, parts.client.top, width - frame, parts.client.bottom};
  if (window.style & WS_HSCROLL)
    parts.horizontalBar = RECT{parts.client.left, parts.client.bottom, parts.client.right, height - frame};
  return parts;
}

LRESULT frameHitTest(HWND hwnd, POINT screen) {
  Window* window = findWindow(hwnd);
  RECT rect;
  if (window == nullptr || !GetWindowRect(hwnd, &rect) || !PtInRect(&rect, screen)) return HTNOWHERE;
  FrameParts parts = framePartsOf(*window);
  POINT at = toWindowPoint(*window, screen);
  if (PtInRect(&parts.client, at)) return HTCLIENT;
  if (PtInRect(&parts.closeBox, at)) return HTCLOSE;
  if (PtInRect(&parts.maximizeBox, at)) return HTMAXBUTTON;
  if (PtInRect(&parts.minimizeBox, at)) return HTMINBUTTON;
  if (sizable(*window)) {
    if (LRESULT border = sizingBorderAt(*window, at); border != HTNOWHERE) return border;
  }
  if (PtInRect(&parts.caption, at)) return HTCAPTION;
  if (PtInRect(&parts.menuBar, at)) return HTMENU;
  if (PtInRect(&parts.verticalBar, at)) return HTVSCROLL;
  if (PtInRect(&parts.horizontalBar, at)) return HTHSCROLL;
  return HTBORDER;
}

void drawFrame(HWND hwnd, HDC dc, POINT origin) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  FrameParts parts = framePartsOf(*window);
  RECT whole{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  int frame = frameThickness(*window);
  if (frame > 0) {
    bool plainBorder = !(window->style & (WS_THICKFRAME | WS_DLGFRAME));
    fillSolid(dc, offsetBy(whole, origin), plainBorder ? RGB(0, 0, 0) : GetSysColor(COLOR_BTNFACE));
    if (!plainBorder) drawBevel(dc, offsetBy(whole, origin), true);
  }
  if (!IsRectEmpty(&parts.caption)) {
    bool active = isActiveTop(hwnd);
    fillSolid(dc, offsetBy(parts.caption, origin),
              GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    RECT title = offsetBy(parts.caption, origin);
    title.left += 4;
    for (const RECT& box : {parts.closeBox, parts.maximizeBox, parts.minimizeBox})
      if (!IsRectEmpty(&box)) title.right = origin.x + box.left - 2;
    drawLabel(dc, title, window->text, GetSysColor(COLOR_CAPTIONTEXT),
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (!IsRectEmpty(&parts.closeBox)) drawCloseBox(dc, offsetBy(parts.closeBox, origin));
    if (!IsRectEmpty(&parts.maximizeBox))
      drawMaximizeBox(dc, offsetBy(parts.maximizeBox, origin), window->style & (WS_MAXIMIZE | WS_MINIMIZE));
    if (!IsRectEmpty(&parts.minimizeBox)) drawMinimizeBox(dc, offsetBy(parts.minimizeBox, origin));
  }
  if (!IsRectEmpty(&parts.menuBar)) drawMenuBar(hwnd, window->menu, dc, offsetBy(parts.menuBar, origin));
  if (!IsRectEmpty(&parts.verticalBar))
    drawScrollBar(hwnd, SB_VERT, dc, offsetBy(parts.verticalBar, origin));
  if (!IsRectEmpty(&parts.horizontalBar))
    drawScrollBar(hwnd, SB_HORZ, dc, offsetBy(parts.horizontalBar, origin));
}

LRESULT frameButtonDown(HWND hwnd, WPARAM hit, LPARAM screenPoint) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return 0;
  POINT screen{SHORT(LOWORD(screenPoint)), SHORT(HIWORD(screenPoint))};
  FrameParts parts = framePartsOf(*window);
  switch (hit) {
    case HTCLOSE:
      return SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, screenPoint);
    case HTMAXBUTTON: {
      bool restores = window->style & (WS_MAXIMIZE | WS_MINIMIZE);
      return SendMessageA(hwnd, WM_SYSCOMMAND, restores ? SC_RESTORE : SC_MAXIMIZE, screenPoint);
    }
    case HTMINBUTTON:
      return SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, screenPoint);
    case HTCAPTION:
      if (!(window->style & WS_MAXIMIZE)) trackMoveOrSize(hwnd, hit, screen);
      return 0;
    case HTLEFT: case HTRIGHT: case HTTOP: case HTBOTTOM:
    case HTTOPLEFT: case HTTOPRIGHT: case HTBOTTOMLEFT: case HTBOTTOMRIGHT:
      trackMoveOrSize(hwnd, hit, screen);
      return 0;
    case HTMENU:
      trackMenuBar(hwnd, screen);
      return 0;
    case HTVSCROLL:
      clickScrollBar(hwnd, SB_VERT, parts.verticalBar, toWindowPoint(*window, screen));
      return 0;
    case HTHSCROLL:
      clickScrollBar(hwnd, SB_HORZ, parts.horizontalBar, toWindowPoint(*window, screen));
      return 0;
    default:
      return 0;
  }
}

LRESULT defaultSetCursor(HWND hwnd, LPARAM hitAndMessage) {
  if (SHORT(LOWORD(hitAndMessage)) == HTCLIENT) {
    auto cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(hwnd, GCL_HCURSOR));
    if (cursor != nullptr) {
      SetCursor(cursor);
      return TRUE;
    }
    return FALSE;
  }
  switch (SHORT(LOWORD(hitAndMessage))) {
    case HTLEFT: case HTRIGHT: SetCursor(LoadCursorA(nullptr, IDC_SIZEWE)); break;
    case HTTOP: case HTBOTTOM: SetCursor(LoadCursorA(nullptr, IDC_SIZENS)); break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: SetCursor(LoadCursorA(nullptr, IDC_SIZENWSE)); break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: SetCursor(LoadCursorA(nullptr, IDC_SIZENESW)); break;
    default: SetCursor(LoadCursorA(nullptr, IDC_ARROW)); break;
  }
  return TRUE;
}

// ---- drawing helpers

void fillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void drawBevel(HDC dc, const RECT& rect, bool raised) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  COLORREF topLeft = raised ? light : dark, bottomRight = raised ? dark : light;
  fillSolid(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
  fillSolid(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
  fillSolid(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
  fillSolid(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

void drawLabel(HDC dc, RECT rect, const std::string& text, COLORREF colour, UINT format) {
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, colour);
  DrawTextA(dc, text.c_str(), int(text.size()), &rect, format);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

int labelWidth(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '&' && i + 1 < text.size()) i++;
    shown += text[i];
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, shown.c_str(), int(shown.size()), &size);
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  return size.cx;
}

}  // namespace platform::user
