// shell/fontobj.cpp -- font objects (see fontobj.h).
#include "shell/fontobj.h"

#include <new>

#include "script/mainloop.h"

namespace {

// EnumFontFamiliesA callback: keeps the first description and stops.
int CALLBACK keepFirstFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<LOGFONTA*>(found) = *font;
  return 0;
}

// Eight rows of one word each: the high byte's eight bits set, the padding
// byte clear.
HBRUSH newAllSetPatternBrush() {
  static constexpr BYTE kRows[16] = {0xff, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0xff, 0};
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kRows);
  if (pattern == nullptr) return nullptr;
  HBRUSH brush = CreatePatternBrush(pattern);
  DeleteObject(pattern);  // the brush keeps its own copy
  return brush;
}

int lineHeightOn(HDC dc, HFONT font) {
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  const BOOL measured = GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  return measured ? metrics.tmHeight : 0;
}

}  // namespace

ZmFontObj* zmNewFontObj(const char* face, int height, COLORREF background, COLORREF text, int flags) {
  HWND view = zmGetViewHwnd();
  HDC dc = GetDC(view);
  if (dc == nullptr && view != nullptr) dc = GetDC(view = nullptr);  // a view window already gone
  if (dc == nullptr) return nullptr;

  LOGFONTA pattern{};
  if (face != nullptr) EnumFontFamiliesA(dc, face, keepFirstFace, reinterpret_cast<LPARAM>(&pattern));
  pattern.lfHeight = height;
  pattern.lfWidth = 0;
  HFONT font = CreateFontIndirectA(&pattern);
  HBRUSH brush = (flags & ZM_FONT_PATTERN_BRUSH) ? newAllSetPatternBrush() : CreateSolidBrush(background);
  const int lineHeight = font != nullptr ? lineHeightOn(dc, font) : 0;
  ReleaseDC(view, dc);

  ZmFontObj* fontObj = nullptr;
  if (font != nullptr && brush != nullptr)
    fontObj = new (std::nothrow) ZmFontObj{font, height, lineHeight, background, text, brush, flags};
  if (fontObj == nullptr) {
    if (font != nullptr) DeleteObject(font);
    if (brush != nullptr) DeleteObject(brush);
  }
  return fontObj;
}

void zmDeleteFontObj(ZmFontObj* fontObj) {
  if (fontObj == nullptr) return;
  DeleteObject(fontObj->brush);
  DeleteObject(fontObj->font);
  delete fontObj;
}

HFONT zmGetFontObjFont(const ZmFontObj* fontObj) { return fontObj ? fontObj->font : nullptr; }
HBRUSH zmGetFontObjBrush(const ZmFontObj* fontObj) { return fontObj ? fontObj->brush : nullptr; }
int zmGetFontObjLineHeight(const ZmFontObj* fontObj) { return fontObj ? fontObj->lineHeight : 0; }
COLORREF zmGetFontObjBgColor(const ZmFontObj* fontObj) { return fontObj ? fontObj->bgColor : 0; }
COLORREF zmGetFontObjTextColor(const ZmFontObj* fontObj) { return fontObj ? fontObj->textColor : 0; }
