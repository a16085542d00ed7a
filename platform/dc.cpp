// platform/dc.cpp -- making and releasing DCs, their drawing state, and the
// device capabilities.
#include <strings.h>

#include "platform/display.h"
#include "platform/gdi_objects.h"
#include "platform/winuser.h"

using namespace platform::gdi;

namespace {

// The rasters that every DC can do: blits, stretches and DIBs.
constexpr int kRasterCaps =
    RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;

// DefWindowProcA's WM_ERASEBKGND: fills the client area with the class
// background brush; FALSE when the class has none.
BOOL fillClassBackground(HWND hwnd, HDC hdc) {
  auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCL_HBRBACKGROUND));
  RECT client;
  if (findBrush(brush) == nullptr || !GetClientRect(hwnd, &client)) return FALSE;
  return FillRect(hdc, &client, brush) != 0;
}

// The window layer reaches the class background through this hook; it is
// set before the first window DC exists, which is before anyone can ask.
void installEraseHook() {
  static bool installed = false;
  if (installed) return;
  platform::setEraseBackgroundHook(fillClassBackground);
  installed = true;
}

int millimetres(int pixels) { return pixels * 254 / (platform::displayLogPixels() * 10); }

// The Set<Attribute> calls: store the value and answer the one it replaces,
// or `failure` when the handle names no DC.
template <class T>
T exchangeAttribute(HDC hdc, T DcObject::*attribute, T value, T failure) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return failure;
  T previous = dc->*attribute;
  dc->*attribute = value;
  return previous;
}

template <class T>
T readAttribute(HDC hdc, T DcObject::*attribute, T failure) {
  DcObject* dc = findDc(hdc);
  return dc != nullptr ? dc->*attribute : failure;
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc != nullptr && findDc(hdc) == nullptr) return nullptr;
  return createDc(DcKind::Memory, nullptr);
}

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* initData) {
  if (driver == nullptr || strcasecmp(driver, "DISPLAY") != 0) return nullptr;
  return createDc(DcKind::Screen, nullptr);
}

BOOL DeleteDC(HDC hdc) {
  if (findDc(hdc) == nullptr) return FALSE;
  destroyDc(hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (hwnd == nullptr) return createDc(DcKind::Screen, nullptr);
  if (!IsWindow(hwnd)) return nullptr;
  installEraseHook();
  return createDc(DcKind::Window, hwnd);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr || dc->dcKind == DcKind::Memory || dc->painting || dc->hwnd != hwnd) return 0;
  destroyDc(hdc);
  return 1;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  if (ps == nullptr || !IsWindow(hwnd)) return nullptr;
  installEraseHook();
  *ps = PAINTSTRUCT{};
  RECT update{0, 0, 0, 0};
  if (!GetUpdateRect(hwnd, &update, FALSE)) update = RECT{0, 0, 0, 0};
  bool erase = platform::takeEraseRequest(hwnd);
  ValidateRect(hwnd, nullptr);
  HDC hdc = createDc(DcKind::Window, hwnd);
  DcObject* dc = findDc(hdc);
  dc->painting = true;
  dc->paintRect = update;
  ps->hdc = hdc;
  ps->rcPaint = update;
  // fErase tells the painter that the background is still to be erased.
  if (erase) ps->fErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0;
  return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (ps == nullptr) return FALSE;
  DcObject* dc = findDc(ps->hdc);
  if (dc == nullptr || !dc->painting || dc->hwnd != hwnd) return FALSE;
  destroyDc(ps->hdc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  if (findDc(hdc) == nullptr) return 0;
  bool palette = platform::displayHasPalette();
  switch (index) {
    case DRIVERVERSION:
      return 0x400;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZSIZE:
      return millimetres(platform::displayWidth());
    case VERTSIZE:
      return millimetres(platform::displayHeight());
    case HORZRES:
      return platform::displayWidth();
    case VERTRES:
      return platform::displayHeight();
    case BITSPIXEL:
      return platform::displayBitsPerPixel();
    case PLANES:
      return 1;
    case NUMBRUSHES:
    case NUMPENS:
      return -1;
    case NUMFONTS:
      return 0;
    case NUMCOLORS:
      return palette ? 20 : -1;
    case ASPECTX:
    case ASPECTY:
      return 36;
    case ASPECTXY:
      return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return platform::displayLogPixels();
    case SIZEPALETTE:
      return palette ? 256 : 0;
    case NUMRESERVED:
      return palette ? 20 : 0;
    case COLORRES:
      return palette ? 18 : platform::displayBitsPerPixel() == 16 ? 16 : 24;
    case RASTERCAPS:
      return kRasterCaps | (palette ? RC_PALETTE : 0);
    default:
      return 0;
  }
}

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
  return exchangeAttribute(hdc, &DcObject::textColour, colour, CLR_INVALID);
}

COLORREF GetTextColor(HDC hdc) { return readAttribute(hdc, &DcObject::textColour, CLR_INVALID); }

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
  return exchangeAttribute(hdc, &DcObject::backColour, colour, CLR_INVALID);
}

COLORREF GetBkColor(HDC hdc) { return readAttribute(hdc, &DcObject::backColour, CLR_INVALID); }

int SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return exchangeAttribute(hdc, &DcObject::backMode, mode, 0);
}

int GetBkMode(HDC hdc) { return readAttribute(hdc, &DcObject::backMode, 0); }

int SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return exchangeAttribute(hdc, &DcObject::stretchMode, mode, 0);
}

int GetStretchBltMode(HDC hdc) { return readAttribute(hdc, &DcObject::stretchMode, 0); }

UINT SetTextAlign(HDC hdc, UINT align) {
  return exchangeAttribute(hdc, &DcObject::textAlign, align, UINT(GDI_ERROR));
}

UINT GetTextAlign(HDC hdc) { return readAttribute(hdc, &DcObject::textAlign, UINT(GDI_ERROR)); }

BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return FALSE;
  if (previous != nullptr) *previous = dc->brushOrigin;
  dc->brushOrigin = POINT{x, y};
  return TRUE;
}
