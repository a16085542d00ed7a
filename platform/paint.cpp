// platform/paint.cpp -- update regions: invalidating and validating, and
// finding the window that the queue's next WM_PAINT is for.
//
// Each window keeps the bounding box of its update region in client
// coordinates, clipped to its client area, and whether the background is to
// be erased. Drawing the paint itself (BeginPaint, EndPaint) belongs to the
// drawing layer, which reads the box with GetUpdateRect and clears it with
// ValidateRect.
#include "platform/userstate.h"

namespace platform::user {
namespace {

void addToUpdate(Window& window, const RECT& area, bool erase) {
  RECT client = clientRectOf(window);
  RECT clipped;
  if (!IntersectRect(&clipped, &area, &client)) return;
  UnionRect(&window.update, &window.update, &clipped);
  if (erase) window.eraseRequested = true;
}

// The box left when `cut` is taken away from `box`: only a cut that covers
// the whole box, or a whole band along one of its sides, shrinks it.
RECT subtractFromBox(const RECT& box, const RECT& cut) {
  RECT overlap;
  if (!IntersectRect(&overlap, &box, &cut)) return box;
  bool fullWidth = overlap.left == box.left && overlap.right == box.right;
  bool fullHeight = overlap.top == box.top && overlap.bottom == box.bottom;
  RECT rest = box;
  if (fullWidth && fullHeight) return RECT{0, 0, 0, 0};
  if (fullWidth && overlap.top == box.top) rest.top = overlap.bottom;
  else if (fullWidth && overlap.bottom == box.bottom) rest.bottom = overlap.top;
  else if (fullHeight && overlap.left == box.left) rest.left = overlap.right;
  else if (fullHeight && overlap.right == box.right) rest.right = overlap.left;
  return rest;
}

bool needsPaint(const Window& window) {
  return (window.style & WS_VISIBLE) && !(window.style & WS_MINIMIZE) &&
         !IsRectEmpty(&window.update);
}

// Depth first, a parent before its children, front to back; hidden
// windows hide their children too.
bool searchPaint(HWND hwnd, HWND filter, HWND* found) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || !(window->style & WS_VISIBLE)) return false;
  if (needsPaint(*window) && passesWindowFilter(hwnd, filter)) {
    *found = hwnd;
    return true;
  }
  for (HWND child : window->children) {
    if (searchPaint(child, filter, found)) return true;
  }
  return false;
}

}  // namespace

void invalidateWithChildren(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  addToUpdate(*window, clientRectOf(*window), true);
  std::vector<HWND> children = window->children;
  for (HWND child : children) invalidateWithChildren(child);
}

void invalidateAfterResize(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  RECT client = clientRectOf(*window);
  IntersectRect(&window->update, &window->update, &client);
  addToUpdate(*window, client, true);
}

bool findWindowToPaint(HWND filter, HWND* found) {
  std::vector<HWND> windows = topLevelWindows();
  for (HWND top : windows) {
    if (searchPaint(top, filter, found)) return true;
  }
  return false;
}

LRESULT eraseBackground(HWND hwnd, HDC dc) {
  EraseBackgroundHook hook = windowSystem().eraseHook;
  return hook ? hook(hwnd, dc) : 0;
}

}  // namespace platform::user

using namespace platform::user;

void platform::setEraseBackgroundHook(EraseBackgroundHook hook) { platform::user::windowSystem().eraseHook = hook; }

bool platform::takeEraseRequest(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || !window->eraseRequested) return false;
  window->eraseRequested = false;
  return true;
}

// A null window invalidates every window, as the original does.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (hwnd == nullptr) {
    std::vector<HWND> windows = topLevelWindows();
    for (HWND top : windows) invalidateWithChildren(top);
    return TRUE;
  }
  Window* window = findWindow(hwnd);
  if (window == nullptr) return FALSE;
  addToUpdate(*window, rect ? *rect : clientRectOf(*window), erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return FALSE;
  window->update = rect ? subtractFromBox(window->update, *rect) : RECT{0, 0, 0, 0};
  if (IsRectEmpty(&window->update)) {
    window->update = RECT{0, 0, 0, 0};
    window->eraseRequested = false;
  }
  return TRUE;
}

// Erasing is BeginPaint's part; `erase` is accepted and left to it.
BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) {
    if (rect != nullptr) SetRectEmpty(rect);
    return FALSE;
  }
  if (rect != nullptr) *rect = window->update;
  return !IsRectEmpty(&window->update);
}

BOOL UpdateWindow(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return FALSE;
  if (needsPaint(*window) && IsWindowVisible(hwnd)) SendMessageA(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}
