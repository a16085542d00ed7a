// shell/placement.cpp -- windows placed beside the main window; see
// placement.h.
#include "shell/placement.h"

#include <algorithm>

#include "platform/desktop.h"

namespace {

// The place beside `anchor` on `side`, slid along the side onto the screen.
RECT besideOn(ZmSide side, const RECT& anchor, int width, int height, const RECT& screen) {
  auto slide = [](LONG at, int size, LONG low, LONG high) {
    return std::max(low, std::min<LONG>(at, high - size));
  };
  LONG left = anchor.left, top = anchor.top;
  switch (side) {
    case ZmSide::Below: top = anchor.bottom; left = slide(left, width, screen.left, screen.right); break;
    case ZmSide::Above: top = anchor.top - height; left = slide(left, width, screen.left, screen.right); break;
    case ZmSide::Right: left = anchor.right; top = slide(top, height, screen.top, screen.bottom); break;
    case ZmSide::Left: left = anchor.left - width; top = slide(top, height, screen.top, screen.bottom); break;
  }
  return RECT{left, top, left + width, top + height};
}

bool within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

RECT zmPlaceBeside(const RECT& anchor, int width, int height, ZmSide preferred, const RECT& screen) {
  const ZmSide order[] = {preferred, ZmSide::Below, ZmSide::Right, ZmSide::Left, ZmSide::Above};
  for (ZmSide side : order) {
    RECT place = besideOn(side, anchor, width, height, screen);
    if (within(place, screen)) return place;
  }
  RECT place = besideOn(preferred, anchor, width, height, screen);
  LONG left = std::max(screen.left, std::min<LONG>(place.left, screen.right - width));
  LONG top = std::max(screen.top, std::min<LONG>(place.top, screen.bottom - height));
  return RECT{left, top, left + width, top + height};
}

void zmPlaceWindowBeside(HWND hwnd, HWND anchor, ZmSide preferred) {
  RECT own, screen;
  if (!GetWindowRect(hwnd, &own) || !IsWindow(anchor) || !GetWindowRect(GetDesktopWindow(), &screen)) return;
  // Placed by its outer rectangle, moved by its window rectangle.
  RECT outer = platform::outerRectOf(hwnd);
  RECT place = zmPlaceBeside(platform::outerRectOf(anchor), outer.right - outer.left, outer.bottom - outer.top,
                             preferred, screen);
  SetWindowPos(hwnd, nullptr, place.left + (own.left - outer.left), place.top + (own.top - outer.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
