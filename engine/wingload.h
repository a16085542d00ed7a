// engine/wingload.h -- the optional WinG library.
//
// Owns: loading "wing32.dll" at run time, finding its ten entry points in
// their fixed order, and releasing it. The Windows device's WinG back-end
// calls the library only through RwWinG().
// It does not own what the library makes (the back-end frees its DCs and
// bitmaps) and does not know how the library works inside.
#ifndef LUMENFOLD_ENGINE_WINGLOAD_H
#define LUMENFOLD_ENGINE_WINGLOAD_H

#include "platform/windows.h"

// The entry points, in the order the loader looks them up.
struct RwWinGLibrary {
  HDC (*createDC)();
  // Fills the header of an 8-bit bitmap as the library prefers it; the sign
  // of biHeight gives the row order (negative: top-down).
  BOOL (*recommendDIBFormat)(BITMAPINFO* info);
  HBITMAP (*createBitmap)(HDC dc, const BITMAPINFO* info, void** bits);
  void* (*getDIBPointer)(HBITMAP bitmap, BITMAPINFO* info);
  UINT (*getDIBColorTable)(HDC dc, UINT first, UINT count, RGBQUAD* colours);
  UINT (*setDIBColorTable)(HDC dc, UINT first, UINT count, const RGBQUAD* colours);
  HPALETTE (*createHalftonePalette)();
  HBRUSH (*createHalftoneBrush)(HDC dc, COLORREF colour, int dither);
  BOOL (*bitBlt)(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY);
  BOOL (*stretchBlt)(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight);
};

// The names the loader asks for, in order.
extern const char* const rwWinGEntryNames[10];

/*
 * RwLoadWinGLibrary --
 *   Loads "wing32.dll" and finds every entry point. Results: 1 when the
 *   library is ready; 0 when it is absent or an entry point is missing (the
 *   library is then freed again).
 */
int RwLoadWinGLibrary();
// Frees the library and clears the handle; nothing when none is loaded.
void RwReleaseWinGLibrary();
// The loaded library's entry points, or null.
const RwWinGLibrary* RwWinG();

#endif
