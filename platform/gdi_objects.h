// platform/gdi_objects.h -- the GDI object table and the records behind
// the handles.
//
// Owns: every GDI object (DCs, bitmaps, brushes, pens, fonts, palettes),
// the handle table that maps handles to them, the stock objects, and the
// selection of objects into DCs. It does not own the pixels of windows (the
// presenter lends them) nor the drawing itself (raster.h and the call
// modules: dc.cpp, bitmap.cpp, blit.cpp, draw.cpp, palette.cpp, font.cpp).
//
// Handles count up from a fixed base and are never reused, so a stale
// handle finds nothing. Lookups check the kind: a pen handle given where a
// brush is due finds nothing too.
#ifndef LUMENFOLD_PLATFORM_GDI_OBJECTS_H
#define LUMENFOLD_PLATFORM_GDI_OBJECTS_H

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/pixels.h"
#include "platform/wingdi.h"

namespace platform::gdi {

enum class ObjectKind { Dc, Bitmap, Brush, Pen, Font, Palette };

struct GdiObject {
  explicit GdiObject(ObjectKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  ObjectKind kind;
  bool stock = false;     // never freed by DeleteObject
  int selectedCount = 0;  // DCs that hold this object selected
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(ObjectKind::Bitmap) {}
  int width = 0;
  int height = 0;
  PixelFormat format;
  std::vector<uint8_t> pixels;  // rows as `stride` says; never resized once made
  size_t rowSize = 0;           // bytes per row (WORD-aligned, or DWORD for DIBs)
  bool bottomUp = false;        // DIB sections with a positive height
  bool dibSection = false;      // the caller holds a pointer to `pixels`
  DWORD compression = BI_RGB;   // as the DIB section was asked for
  HDC selectedInto = nullptr;   // the one memory DC that holds it, if any

  Surface surface();
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(ObjectKind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF colour = 0;
  HBITMAP patternHandle = nullptr;        // as given, for GetObjectA only
  std::unique_ptr<BitmapObject> pattern;  // own copy of the pattern's pixels
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(ObjectKind::Pen) {}
  LOGPEN pen{};
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(ObjectKind::Font) {}
  LOGFONTA font{};
};

struct PaletteObject : GdiObject {
  PaletteObject() : GdiObject(ObjectKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
  // System palette index of each entry after the last realisation; empty
  // until realised (colours then map to the nearest system entry).
  std::vector<uint8_t> systemIndex;
};

enum class DcKind { Memory, Window, Screen };

struct DcObject : GdiObject {
  DcObject() : GdiObject(ObjectKind::Dc) {}
  DcKind dcKind = DcKind::Memory;
  HWND hwnd = nullptr;       // window DCs
  bool painting = false;     // made by BeginPaint: clipped to paintRect
  RECT paintRect{};          // client coordinates
  bool clipped = false;      // a presenter's own DC: drawing kept inside clipRect
  RECT clipRect{};
  HBITMAP bitmap = nullptr;  // memory DCs
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  HPALETTE palette = nullptr;
  bool paletteBackground = false;  // SelectPalette's forceBackground
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF backColour = RGB(255, 255, 255);
  int backMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  UINT textAlign = TA_LEFT | TA_TOP;
  POINT position{0, 0};  // current position for LineTo
  POINT brushOrigin{0, 0};
};

// Adds the object to the table; returns its new handle.
HGDIOBJ addObject(std::unique_ptr<GdiObject> object);
GdiObject* findObject(HGDIOBJ handle);
// The object only when it is of `kind`.
GdiObject* findObject(HGDIOBJ handle, ObjectKind kind);
// Frees the object and forgets its handle.
void removeObject(HGDIOBJ handle);

template <typename T>
T* find(HGDIOBJ handle, ObjectKind kind) {
  return static_cast<T*>(findObject(handle, kind));
}
inline DcObject* findDc(HDC h) { return find<DcObject>(h, ObjectKind::Dc); }
inline BitmapObject* findBitmap(HBITMAP h) { return find<BitmapObject>(h, ObjectKind::Bitmap); }
inline BrushObject* findBrush(HBRUSH h) { return find<BrushObject>(h, ObjectKind::Brush); }
inline PenObject* findPen(HPEN h) { return find<PenObject>(h, ObjectKind::Pen); }
inline FontObject* findFont(HFONT h) { return find<FontObject>(h, ObjectKind::Font); }
inline PaletteObject* findPalette(HPALETTE h) {
  return find<PaletteObject>(h, ObjectKind::Palette);
}

// The stock 1x1 monochrome bitmap that a new memory DC starts with.
HBITMAP stockBitmap();

// A DC with the stock pen, brush, font and palette selected.
HDC createDc(DcKind kind, HWND hwnd);
// Deselects everything and frees the DC.
void destroyDc(HDC hdc);

// Replaces what a DC holds in one slot, keeping the selection counts; the
// previous object.
HGDIOBJ swapSelected(HGDIOBJ& slot, HGDIOBJ object);

// A bitmap with zeroed pixels, not yet in the table; null when the size is
// out of range (either side above 32767 or the pixels above 256 MiB).
std::unique_ptr<BitmapObject> makeBitmap(int width, int height, const PixelFormat& format,
                                         int alignBytes);

}  // namespace platform::gdi

#endif
