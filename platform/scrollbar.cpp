// platform/scrollbar.cpp -- the scroll bars of windows with WS_VSCROLL or
// WS_HSCROLL: their range and position, their drawing in the frame, and
// the scroll requests a click on them sends.
#include <algorithm>

#include "platform/controls.h"
#include "platform/composition.h"
#include "platform/resources.h"
#include "platform/windowstate.h"

namespace platform::user {
namespace {

Window::ScrollBar* scrollBarOf(HWND hwnd, int bar) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  return &window->scrollBars[bar];
}

// The bar's layout along its length: the arrow buttons at both ends, the
// trough between them and the thumb in the trough.
struct BarLayout {
  int start, length;    // of the whole bar, along it
  int button;           // the arrow buttons' length
  int thumbStart, thumb;
};

BarLayout layoutOf(const Window::ScrollBar& state, const RECT& rect, bool vertical) {
  BarLayout layout{};
  layout.start = vertical ? rect.top : rect.left;
  layout.length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  layout.button = std::min(vertical ? int(rect.right - rect.left) : int(rect.bottom - rect.top),
                           layout.length / 2);
  int trough = layout.length - 2 * layout.button;
  layout.thumb = std::min(trough, layout.button);
  int span = state.maximum - state.minimum;
  int travel = trough - layout.thumb;
  int offset = span > 0 ? int(int64_t(state.position - state.minimum) * travel / span) : 0;
  layout.thumbStart = layout.start + layout.button + offset;
  return layout;
}

RECT along(const RECT& rect, bool vertical, int from, int to) {
  return vertical ? RECT{rect.left, from, rect.right, to} : RECT{from, rect.top, to, rect.bottom};
}

void sendScroll(HWND hwnd, int bar, int code, int position) {
  UINT message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  SendMessageA(hwnd, message, MAKEWPARAM(code, position), 0);
}

void redrawFrame(HWND hwnd) { platform::noteFrameChanged(hwnd); }

}  // namespace

void drawScrollBar(HWND hwnd, int bar, HDC dc, const RECT& rect) {
  Window::ScrollBar* state = scrollBarOf(hwnd, bar);
  if (state == nullptr) return;
  bool vertical = bar == SB_VERT;
  BarLayout layout = layoutOf(*state, rect, vertical);
  fillSolid(dc, rect, GetSysColor(COLOR_SCROLLBAR));
  int end = layout.start + layout.length;
  for (RECT button : {along(rect, vertical, layout.start, layout.start + layout.button),
                      along(rect, vertical, end - layout.button, end)}) {
    fillSolid(dc, button, GetSysColor(COLOR_BTNFACE));
    drawBevel(dc, button, true);
  }
  RECT thumb = along(rect, vertical, layout.thumbStart, layout.thumbStart + layout.thumb);
  fillSolid(dc, thumb, GetSysColor(COLOR_BTNFACE));
  drawBevel(dc, thumb, true);
}

void clickScrollBar(HWND hwnd, int bar, const RECT& rect, POINT windowPoint) {
  Window::ScrollBar* state = scrollBarOf(hwnd, bar);
  if (state == nullptr) return;
  bool vertical = bar == SB_VERT;
  BarLayout layout = layoutOf(*state, rect, vertical);
  int at = vertical ? windowPoint.y : windowPoint.x;
  int end = layout.start + layout.length;
  int code;
  int position = 0;
  if (at < layout.start + layout.button) {
    code = SB_LINEUP;
  } else if (at >= end - layout.button) {
    code = SB_LINEDOWN;
  } else if (at < layout.thumbStart) {
    code = SB_PAGEUP;
  } else if (at >= layout.thumbStart + layout.thumb) {
    code = SB_PAGEDOWN;
  } else {
    code = SB_THUMBPOSITION;
    position = state->position;
  }
  sendScroll(hwnd, bar, code, position);
  if (IsWindow(hwnd)) sendScroll(hwnd, bar, SB_ENDSCROLL, 0);
}

}  // namespace platform::user

using namespace platform::user;

BOOL SetScrollRange(HWND hwnd, int bar, int minimum, int maximum, BOOL redraw) {
  Window::ScrollBar* state = scrollBarOf(hwnd, bar);
  if (state == nullptr || minimum > maximum) return FALSE;
  state->minimum = minimum;
  state->maximum = maximum;
  state->position = std::clamp(state->position, minimum, maximum);
  if (redraw) redrawFrame(hwnd);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, LPINT minimum, LPINT maximum) {
  Window::ScrollBar* state = scrollBarOf(hwnd, bar);
  if (state == nullptr || minimum == nullptr || maximum == nullptr) return FALSE;
  *minimum = state->minimum;
  *maximum = state->maximum;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int position, BOOL redraw) {
  Window::ScrollBar* state = scrollBarOf(hwnd, bar);
  if (state == nullptr) return 0;
  int previous = state->position;
  state->position = std::clamp(position, state->minimum, state->maximum);
  if (redraw) redrawFrame(hwnd);
  return previous;
}

int GetScrollPos(HWND hwnd, int bar) {
  Window::ScrollBar* state = scrollBarOf(hwnd, bar);
  return state != nullptr ? state->position : 0;
}
