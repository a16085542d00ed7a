// platform/winpos.cpp -- window geometry: the frame each style gives, window
// and client rectangles, showing and hiding, moving, sizing and the z-order,
// the screen and the system metrics.
//
// A window's rectangle is kept in its parent's client coordinates (screen
// coordinates for a top-level window); the client area is what the frame of
// its style leaves inside. Update regions belong to paint.cpp, activation to
// input.cpp.
#include <algorithm>

#include "platform/desktop.h"
#include "platform/display.h"
#include "platform/windowstate.h"

namespace platform::user {
namespace {

// The headless frame, in pixels.
constexpr int kSizingFrame = 4;
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;
constexpr int kClientEdge = 2;
constexpr int kCaption = 19;
constexpr int kMenuBar = 19;
constexpr int kScrollBar = 16;

bool hasMenuBar(const Window& window) {
  if (isChildStyle(window.style)) return false;
  const WindowClass* windowClass = window.windowClass;
  return window.menu != nullptr ||
         (windowClass && (!windowClass->menuName.empty() || windowClass->menuAtom != 0));
}

// The frame on each side of the client area.
RECT frameInsets(DWORD style, DWORD exStyle, bool menuBar, bool scrollBars) {
  int frame = 0;
  if (style & WS_THICKFRAME) {
    frame = kSizingFrame;
  } else if (style & WS_DLGFRAME) {
    frame = kDialogFrame;
  } else if (style & WS_BORDER) {
    frame = kBorder;
  }
  if (exStyle & WS_EX_CLIENTEDGE) frame += kClientEdge;
  RECT insets{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
  if (menuBar) insets.top += kMenuBar;
  if (scrollBars && (style & WS_VSCROLL)) insets.right += kScrollBar;
  if (scrollBars && (style & WS_HSCROLL)) insets.bottom += kScrollBar;
  return insets;
}

RECT insetsOf(const Window& window) {
  return frameInsets(window.style, window.exStyle, hasMenuBar(window), true);
}

// The window's rectangle in screen coordinates.
RECT screenWindowRect(const Window& window) {
  if (isDesktop(window.handle)) return screenRect();
  RECT rect = window.rect;
  if (Window* parent = findWindow(window.parent)) {
    POINT origin = clientOriginOnScreen(*parent);
    OffsetRect(&rect, origin.x, origin.y);
  }
  return rect;
}

bool isVisibleTree(const Window& window) {
  for (const Window* at = &window; at != nullptr; at = findWindow(at->parent)) {
    if (!(at->style & WS_VISIBLE)) return false;
  }
  return true;
}

UINT sizeKind(const Window& window) {
  if (window.style & WS_MINIMIZE) return SIZE_MINIMIZED;
  if (window.style & WS_MAXIMIZE) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

bool tracksMinMax(const Window& window) {
  return !isChildStyle(window.style) && (window.style & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

MINMAXINFO minMaxInfoOf(HWND hwnd) {
  MINMAXINFO info{};
  RECT screen = screenRect();
  info.ptMaxSize = {screen.right + 2 * kSizingFrame, screen.bottom + 2 * kSizingFrame};
  info.ptMaxPosition = {-kSizingFrame, -kSizingFrame};
  info.ptMinTrackSize = {GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
  info.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  callWindowProc(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

}  // namespace

bool framedByManager(DWORD style) {
  if (!platform::managerDrawsFrames() || isChildStyle(style)) return false;
  bool captioned = (style & WS_CAPTION) == WS_CAPTION;
  // Pop-ups without a caption (menus, tool tips) stay ours, undecorated.
  if (style & WS_POPUP) return captioned;
  return captioned || (style & WS_THICKFRAME);
}

bool trackingSizesOf(HWND hwnd, POINT* minimum, POINT* maximum) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || !tracksMinMax(*window)) return false;
  MINMAXINFO info = minMaxInfoOf(hwnd);
  *minimum = info.ptMinTrackSize;
  *maximum = info.ptMaxTrackSize;
  return true;
}

void applyTrackingSizes(HWND hwnd, int* width, int* height) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || !tracksMinMax(*window)) return;
  MINMAXINFO info = minMaxInfoOf(hwnd);
  *width = std::clamp<int>(*width, info.ptMinTrackSize.x,
                           std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
  *height = std::clamp<int>(*height, info.ptMinTrackSize.y,
                            std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
}

namespace {

size_t topmostCount(const std::vector<HWND>& list, HWND except) {
  size_t count = 0;
  for (HWND hwnd : list) {
    Window* window = findWindow(hwnd);
    if (hwnd != except && window && (window->exStyle & WS_EX_TOPMOST)) ++count;
  }
  return count;
}

// Moves a window within its siblings; topmost top-level windows stay in
// front of the others.
void placeInZOrder(Window& window, HWND insertAfter) {
  std::vector<HWND>* siblings = siblingsOf(window);
  if (siblings == nullptr) return;
  HWND hwnd = window.handle;
  if (insertAfter == hwnd) return;
  siblings->erase(std::remove(siblings->begin(), siblings->end(), hwnd), siblings->end());
  bool topLevel = window.parent == nullptr;
  if (topLevel && insertAfter == HWND_TOPMOST) window.exStyle |= WS_EX_TOPMOST;
  if (topLevel && insertAfter == HWND_NOTOPMOST) window.exStyle &= ~DWORD(WS_EX_TOPMOST);
  size_t floor = (topLevel && !(window.exStyle & WS_EX_TOPMOST)) ? topmostCount(*siblings, hwnd) : 0;
  size_t at = floor;
  if (insertAfter == HWND_BOTTOM) {
    at = siblings->size();
  } else if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
             insertAfter != HWND_NOTOPMOST) {
    auto found = std::find(siblings->begin(), siblings->end(), insertAfter);
    if (found != siblings->end()) at = std::max(floor, size_t(found - siblings->begin()) + 1);
  }
  siblings->insert(siblings->begin() + std::min(at, siblings->size()), hwnd);
}

void dropFocusFromHiddenTree(HWND hwnd) {
  HWND focus = GetFocus();
  if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(nullptr);
}

// Applies a WINDOWPOS that WM_WINDOWPOSCHANGING has agreed; returns the
// flags as they end up (SWP_NOSIZE / SWP_NOMOVE added when nothing changed).
UINT applyWindowPos(Window& window, const WINDOWPOS& pos) {
  UINT flags = pos.flags;
  RECT old = window.rect;
  int x = (flags & SWP_NOMOVE) ? old.left : pos.x;
  int y = (flags & SWP_NOMOVE) ? old.top : pos.y;
  int width = (flags & SWP_NOSIZE) ? old.right - old.left : std::max(0, pos.cx);
  int height = (flags & SWP_NOSIZE) ? old.bottom - old.top : std::max(0, pos.cy);
  window.rect = {x, y, x + width, y + height};
  if (width == old.right - old.left && height == old.bottom - old.top) flags |= SWP_NOSIZE;
  if (x == old.left && y == old.top) flags |= SWP_NOMOVE;
  if (!(flags & SWP_NOZORDER)) placeInZOrder(window, pos.hwndInsertAfter);
  if ((flags & SWP_SHOWWINDOW) && !(window.style & WS_VISIBLE)) {
    window.style |= WS_VISIBLE;
    invalidateWithChildren(window.handle);
  } else {
    flags &= ~UINT(SWP_SHOWWINDOW);
  }
  if ((flags & SWP_HIDEWINDOW) && (window.style & WS_VISIBLE)) {
    window.style &= ~DWORD(WS_VISIBLE);
  } else {
    flags &= ~UINT(SWP_HIDEWINDOW);
  }
  if (!(flags & SWP_NOSIZE) && !(flags & SWP_NOREDRAW)) invalidateAfterResize(window.handle);
  return flags;
}

bool showActivates(int command) {
  return command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE &&
         command != SW_MINIMIZE;
}

void showOrHide(HWND hwnd, bool show, bool activate) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || bool(window->style & WS_VISIBLE) == show) return;
  callWindowProc(hwnd, WM_SHOWWINDOW, show, 0);
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  if (!activate) flags |= SWP_NOACTIVATE;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags);
  if (!show) dropFocusFromHiddenTree(hwnd);
}

void sendSize(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  RECT client = clientRectOf(*window);
  callWindowProc(hwnd, WM_SIZE, sizeKind(*window), MAKELPARAM(client.right, client.bottom));
}

// A window the manager frames is maximised, minimised and restored by the
// manager, which then sizes it; true when the request went there.
bool askManager(const Window& window, int command) {
  ManagerShowRequest request = platform::managerShowRequest();
  if (request == nullptr || !framedByManager(window.style)) return false;
  request(window.handle, command);
  return true;
}

// With no manager to keep an icon, a minimised top-level window with a
// caption shrinks to that caption at the screen's lower left corner, its
// boxes there to restore it.
bool shrinksToCaption(const Window& window) {
  return window.parent == nullptr && (window.style & WS_CAPTION) == WS_CAPTION;
}

RECT minimizedCaptionRect(const Window& window) {
  RECT insets = insetsOf(window);
  int height = kCaption + 2 * insets.left;
  RECT screen = screenRect();
  return RECT{screen.left, screen.bottom - height, screen.left + 160, screen.bottom};
}

void minimize(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || (window->style & WS_MINIMIZE)) return;
  if (askManager(*window, SW_MINIMIZE)) {
    window->style |= WS_MINIMIZE;
    sendSize(hwnd);
    return;
  }
  if (window->style & WS_MAXIMIZE) {
    window->style &= ~DWORD(WS_MAXIMIZE);
    window->rect = window->restoreRect;
  }
  window->restoreRect = window->rect;
  window->style |= WS_MINIMIZE;
  if (shrinksToCaption(*window)) {
    window->rect = minimizedCaptionRect(*window);
    invalidateWithChildren(hwnd);
  }
  sendSize(hwnd);
}

void maximize(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || (window->style & WS_MAXIMIZE)) return;
  if (!(window->style & WS_MINIMIZE)) window->restoreRect = window->rect;
  window->style = (window->style & ~DWORD(WS_MINIMIZE)) | WS_MAXIMIZE;
  if (askManager(*window, SW_MAXIMIZE)) return;
  RECT frame = insetsOf(*window);
  // A child fills its parent's client area, a top-level window the screen.
  RECT area = screenRect();
  if (window->parent != nullptr) GetClientRect(window->parent, &area);
  SetWindowPos(hwnd, nullptr, area.left - frame.left, area.top - frame.left, area.right - area.left + 2 * frame.left,
               area.bottom - area.top + 2 * frame.left, SWP_NOZORDER | SWP_NOACTIVATE);
}

void restore(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  if ((window->style & (WS_MINIMIZE | WS_MAXIMIZE)) && askManager(*window, SW_RESTORE)) {
    bool wasMinimized = window->style & WS_MINIMIZE;
    window->style &= ~DWORD(WS_MINIMIZE | WS_MAXIMIZE);
    if (wasMinimized) sendSize(hwnd);
    return;
  }
  if (window->style & WS_MINIMIZE) {
    window->style &= ~DWORD(WS_MINIMIZE);
    RECT rect = window->restoreRect;
    if (shrinksToCaption(*window)) {
      SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    sendSize(hwnd);
  } else if (window->style & WS_MAXIMIZE) {
    window->style &= ~DWORD(WS_MAXIMIZE);
    RECT rect = window->restoreRect;
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The deepest visible, enabled window under a screen point, starting at
// `hwnd` itself.
HWND deepestWindowAt(HWND hwnd, POINT point) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return nullptr;
  for (HWND child : window->children) {
    Window* childWindow = findWindow(child);
    if (childWindow == nullptr || !(childWindow->style & WS_VISIBLE) ||
        (childWindow->style & WS_DISABLED))
      continue;
    RECT rect = screenWindowRect(*childWindow);
    if (PtInRect(&rect, point)) return deepestWindowAt(child, point);
  }
  return hwnd;
}

}  // namespace

RECT clientRectOf(const Window& window) {
  if (isDesktop(window.handle)) return screenRect();
  if (window.style & WS_MINIMIZE) return RECT{0, 0, 0, 0};
  RECT insets = insetsOf(window);
  LONG width = window.rect.right - window.rect.left - insets.left - insets.right;
  LONG height = window.rect.bottom - window.rect.top - insets.top - insets.bottom;
  return RECT{0, 0, std::max<LONG>(0, width), std::max<LONG>(0, height)};
}

POINT clientOriginOnScreen(const Window& window) {
  if (isDesktop(window.handle)) return POINT{0, 0};
  RECT rect = screenWindowRect(window);
  RECT insets = insetsOf(window);
  return POINT{rect.left + insets.left, rect.top + insets.top};
}

RECT screenRect() { return RECT{0, 0, platform::displayWidth(), platform::displayHeight()}; }

void sendMoveAndSize(HWND hwnd, const WINDOWPOS& pos) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) sendSize(hwnd);
  window = findWindow(hwnd);
  if (window == nullptr || (pos.flags & SWP_NOMOVE)) return;
  RECT insets = insetsOf(*window);
  LONG x = window->rect.left + insets.left, y = window->rect.top + insets.top;
  callWindowProc(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
}

RECT frameInsetsOf(const Window& window) { return insetsOf(window); }

void noteManagerShowState(HWND hwnd, bool maximized, bool minimized) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || !framedByManager(window->style)) return;
  bool wasMinimized = window->style & WS_MINIMIZE;
  window->style &= ~DWORD(WS_MINIMIZE | WS_MAXIMIZE);
  if (maximized) window->style |= WS_MAXIMIZE;
  if (minimized) window->style |= WS_MINIMIZE;
  if (wasMinimized != minimized) sendSize(hwnd);
}

}  // namespace platform::user

using namespace platform::user;

int GetSystemMetrics(int index) {
  int width = platform::displayWidth(), height = platform::displayHeight();
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: return width;
    case SM_CYSCREEN: return height;
    case SM_CYFULLSCREEN: return height - kCaption;
    case SM_CXVSCROLL: case SM_CYHSCROLL: return kScrollBar;
    case SM_CYCAPTION: return kCaption;
    case SM_CXBORDER: case SM_CYBORDER: return kBorder;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return kDialogFrame;
    case SM_CXFRAME: case SM_CYFRAME: return kSizingFrame;
    case SM_CXEDGE: case SM_CYEDGE: return kClientEdge;
    case SM_CYMENU: return kMenuBar;
    case SM_CXICON: case SM_CYICON: return 32;
    case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return kCaption + 2 * kSizingFrame;
    case SM_CXMAXTRACK: return width + 2 * kSizingFrame + 12;
    case SM_CYMAXTRACK: return height + 2 * kSizingFrame + 12;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CMOUSEBUTTONS: return 3;
    default: return 0;
  }
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = screenWindowRect(*window);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = clientRectOf(*window);
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || point == nullptr) return FALSE;
  POINT origin = clientOriginOnScreen(*window);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || point == nullptr) return FALSE;
  POINT origin = clientOriginOnScreen(*window);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (rect == nullptr) return FALSE;
  RECT insets = frameInsets(style, exStyle, menu != FALSE, false);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

HMENU GetMenu(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || isChildStyle(window->style)) return nullptr;
  return window->menu;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || isChildStyle(window->style) || isDesktop(hwnd)) return FALSE;
  window->menu = menu;
  return SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || isDesktop(hwnd)) return FALSE;
  if (!(flags & SWP_NOSIZE)) applyTrackingSizes(hwnd, &cx, &cy);
  WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
  callWindowProc(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if ((window = findWindow(hwnd)) == nullptr) return FALSE;
  pos.hwnd = hwnd;
  pos.flags = applyWindowPos(*window, pos);
  RECT rect = window->rect;
  pos.x = rect.left;
  pos.y = rect.top;
  pos.cx = rect.right - rect.left;
  pos.cy = rect.bottom - rect.top;
  callWindowProc(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  window = findWindow(hwnd);
  if (window != nullptr && (pos.flags & SWP_SHOWWINDOW) && !(pos.flags & SWP_NOACTIVATE) &&
      window->parent == nullptr)
    SetActiveWindow(hwnd);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
  return SetWindowPos(hwnd, nullptr, x, y, width, height, flags);
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND hwnd, int command) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || isDesktop(hwnd)) return FALSE;
  BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  bool activate = showActivates(command) && window->parent == nullptr;
  switch (command) {
    case SW_HIDE:
      showOrHide(hwnd, false, false);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      minimize(hwnd);
      showOrHide(hwnd, true, activate);
      break;
    case SW_SHOWMAXIMIZED:
      maximize(hwnd);
      showOrHide(hwnd, true, activate);
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      restore(hwnd);
      showOrHide(hwnd, true, activate);
      break;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE and unknown commands
      showOrHide(hwnd, true, activate);
      break;
  }
  if (activate && command != SW_HIDE && IsWindow(hwnd) && GetActiveWindow() != hwnd)
    SetActiveWindow(hwnd);
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* window = findWindow(hwnd);
  return window != nullptr && isVisibleTree(*window);
}

BOOL IsIconic(HWND hwnd) {
  Window* window = findWindow(hwnd);
  return window != nullptr && (window->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
  Window* window = findWindow(hwnd);
  return window != nullptr && (window->style & WS_MAXIMIZE);
}

HWND WindowFromPoint(POINT point) {
  for (HWND top : topLevelWindows()) {
    Window* window = findWindow(top);
    if (window == nullptr || !(window->style & WS_VISIBLE) || (window->style & WS_DISABLED))
      continue;
    RECT rect = screenWindowRect(*window);
    if (PtInRect(&rect, point)) return deepestWindowAt(top, point);
  }
  return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  Window* window = findWindow(parent);
  if (window == nullptr) return nullptr;
  RECT client = clientRectOf(*window);
  if (!PtInRect(&client, point)) return nullptr;
  for (HWND child : window->children) {
    Window* childWindow = findWindow(child);
    if (childWindow != nullptr && PtInRect(&childWindow->rect, point)) return child;
  }
  return parent;
}
