// platform/draw.cpp -- lines and rectangles: MoveToEx, LineTo, Rectangle,
// FillRect, FrameRect, InvertRect and DrawFocusRect.
#include <algorithm>
#include <cstdlib>

#include "platform/raster.h"

using namespace platform::gdi;

namespace {

void fillArea(const Target& target, const RECT& r, const Pattern& pattern, uint8_t rop) {
  BlitRequest request;
  request.x = r.left;
  request.y = r.top;
  request.width = r.right - r.left;
  request.height = r.bottom - r.top;
  request.rop = rop;
  if (request.width <= 0 || request.height <= 0) return;
  rasterBlit(target, request, pattern, nullptr);
}

// Paints a square of the pen's width centred on (x, y).
void plot(const Target& target, int x, int y, int width, const Pattern& ink) {
  int half = width / 2;
  fillArea(target, RECT{x - half, y - half, x - half + width, y - half + width}, ink,
           ropIndex(PATCOPY));
}

// Bresenham from one point up to, not including, the other.
void drawLine(const Target& target, POINT from, POINT to, int width, const Pattern& ink) {
  int dx = std::abs(to.x - from.x), sx = from.x < to.x ? 1 : -1;
  int dy = -std::abs(to.y - from.y), sy = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  int x = from.x, y = from.y;
  while (x != to.x || y != to.y) {
    plot(target, x, y, width, ink);
    int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y += sy;
    }
  }
}

// The pen made ready for the target; false for the null pen.
bool penInk(const Target& target, Pattern* ink, int* width) {
  PenObject* pen = findPen(target.dc->pen);
  if (pen == nullptr || pen->pen.lopnStyle == PS_NULL) return false;
  *ink = solidPattern(dcColourValue(*target.dc, *target.surface.format, pen->pen.lopnColor));
  *width = std::max<int>(1, pen->pen.lopnWidth.x);
  return true;
}

RECT ordered(int left, int top, int right, int bottom) {
  return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
              std::max(top, bottom)};
}

// The four one-pixel sides of a rectangle.
void frameSides(const Target& target, const RECT& r, const Pattern& pattern, uint8_t rop) {
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
  fillArea(target, RECT{r.left, r.top, r.right, r.top + 1}, pattern, rop);
  if (r.bottom - r.top > 1)
    fillArea(target, RECT{r.left, r.bottom - 1, r.right, r.bottom}, pattern, rop);
  fillArea(target, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, pattern, rop);
  if (r.right - r.left > 1)
    fillArea(target, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, pattern, rop);
}

}  // namespace

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return FALSE;
  if (previous != nullptr) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr || position == nullptr) return FALSE;
  *position = dc->position;
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  Target target;
  if (!resolveTarget(hdc, &target)) return FALSE;
  Pattern ink;
  int width = 1;
  if (penInk(target, &ink, &width)) drawLine(target, target.dc->position, POINT{x, y}, width, ink);
  target.dc->position = POINT{x, y};
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Target target;
  if (!resolveTarget(hdc, &target)) return FALSE;
  RECT r = ordered(left, top, right, bottom);
  Pattern brush = makePattern(*target.dc, target.dc->brush, *target.surface.format);
  Pattern ink;
  int width = 1;
  if (!penInk(target, &ink, &width)) {
    // Without a pen the filled area is one pixel smaller, as on the real
    // interface.
    if (brush.present)
      fillArea(target, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, brush, ropIndex(PATCOPY));
    return TRUE;
  }
  if (brush.present)
    fillArea(target, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, brush,
             ropIndex(PATCOPY));
  POINT corners[5] = {{r.left, r.top},
                      {r.right - 1, r.top},
                      {r.right - 1, r.bottom - 1},
                      {r.left, r.bottom - 1},
                      {r.left, r.top}};
  for (int i = 0; i < 4; i++) drawLine(target, corners[i], corners[i + 1], width, ink);
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  Target target;
  if (rect == nullptr || !resolveTarget(hdc, &target) || findBrush(brush) == nullptr) return 0;
  fillArea(target, *rect, makePattern(*target.dc, brush, *target.surface.format),
           ropIndex(PATCOPY));
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  Target target;
  if (rect == nullptr || !resolveTarget(hdc, &target) || findBrush(brush) == nullptr) return 0;
  frameSides(target, *rect, makePattern(*target.dc, brush, *target.surface.format),
             ropIndex(PATCOPY));
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
  Target target;
  if (rect == nullptr || !resolveTarget(hdc, &target)) return FALSE;
  fillArea(target, *rect, Pattern{}, ropIndex(DSTINVERT));
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  Target target;
  if (rect == nullptr || !resolveTarget(hdc, &target)) return FALSE;
  // Every other pixel of the outline is inverted (pattern XOR destination).
  uint32_t all = target.surface.format->valueMask();
  Pattern dots;
  dots.present = true;
  dots.width = dots.height = 2;
  dots.values = {all, 0, 0, all};
  frameSides(target, *rect, dots, ropIndex(PATINVERT));
  return TRUE;
}
