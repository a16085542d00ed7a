// platform/gdi_objects.cpp -- the handle table, stock objects, selection,
// deletion and description of GDI objects, and the pens and brushes.
#include "platform/gdi_objects.h"

#include <algorithm>
#include <cstring>

#include "platform/display.h"
#include "platform/handletable.h"

namespace platform::gdi {
namespace {

constexpr int kStockCount = DEFAULT_GUI_FONT + 1;

struct ObjectTable {
  HandleTable<HGDIOBJ, std::unique_ptr<GdiObject>> objects{0x10000, 4};
  HGDIOBJ stock[kStockCount] = {};  // by GetStockObject index; gaps stay null
  HBITMAP stockBitmap = nullptr;
};

HGDIOBJ addStock(ObjectTable& t, std::unique_ptr<GdiObject> object) {
  object->stock = true;
  return t.objects.add(std::move(object));
}

std::unique_ptr<GdiObject> stockBrush(UINT style, COLORREF colour) {
  auto b = std::make_unique<BrushObject>();
  b->style = style;
  b->colour = colour;
  return b;
}

std::unique_ptr<GdiObject> stockPen(UINT style, COLORREF colour) {
  auto p = std::make_unique<PenObject>();
  p->pen = LOGPEN{style, POINT{1, 0}, colour};
  return p;
}

std::unique_ptr<GdiObject> stockFont(LONG height, LONG weight, const char* face) {
  auto f = std::make_unique<FontObject>();
  f->font.lfHeight = height;
  f->font.lfWeight = weight;
  std::strncpy(f->font.lfFaceName, face, LF_FACESIZE - 1);
  return f;
}

std::unique_ptr<GdiObject> defaultPalette() {
  auto p = std::make_unique<PaletteObject>();
  for (int i = 0; i < 256; i++)
    if (isStaticPaletteIndex(i)) p->entries.push_back(systemPaletteEntry(i));
  return p;
}

void addStockObjects(ObjectTable& t) {
  t.stock[WHITE_BRUSH] = addStock(t, stockBrush(BS_SOLID, RGB(255, 255, 255)));
  t.stock[LTGRAY_BRUSH] = addStock(t, stockBrush(BS_SOLID, RGB(192, 192, 192)));
  t.stock[GRAY_BRUSH] = addStock(t, stockBrush(BS_SOLID, RGB(128, 128, 128)));
  t.stock[DKGRAY_BRUSH] = addStock(t, stockBrush(BS_SOLID, RGB(64, 64, 64)));
  t.stock[BLACK_BRUSH] = addStock(t, stockBrush(BS_SOLID, RGB(0, 0, 0)));
  t.stock[NULL_BRUSH] = addStock(t, stockBrush(BS_NULL, 0));
  t.stock[WHITE_PEN] = addStock(t, stockPen(PS_SOLID, RGB(255, 255, 255)));
  t.stock[BLACK_PEN] = addStock(t, stockPen(PS_SOLID, RGB(0, 0, 0)));
  t.stock[NULL_PEN] = addStock(t, stockPen(PS_NULL, 0));
  t.stock[OEM_FIXED_FONT] = addStock(t, stockFont(12, FW_NORMAL, "Terminal"));
  t.stock[ANSI_FIXED_FONT] = addStock(t, stockFont(13, FW_NORMAL, "Courier"));
  t.stock[ANSI_VAR_FONT] = addStock(t, stockFont(13, FW_NORMAL, "MS Sans Serif"));
  t.stock[SYSTEM_FONT] = addStock(t, stockFont(16, FW_BOLD, "System"));
  t.stock[DEVICE_DEFAULT_FONT] = addStock(t, stockFont(16, FW_BOLD, "System"));
  t.stock[DEFAULT_PALETTE] = addStock(t, defaultPalette());
  t.stock[SYSTEM_FIXED_FONT] = addStock(t, stockFont(15, FW_NORMAL, "Fixedsys"));
  t.stock[DEFAULT_GUI_FONT] = addStock(t, stockFont(-11, FW_NORMAL, "MS Sans Serif"));
  auto bitmap = makeBitmap(1, 1, monochromeFormat(), 2);
  t.stockBitmap = static_cast<HBITMAP>(addStock(t, std::move(bitmap)));
}

ObjectTable& table() {
  static ObjectTable instance = [] {
    ObjectTable t;
    addStockObjects(t);
    return t;
  }();
  return instance;
}

// The slot of a DC that an object of this kind is selected into.
HGDIOBJ* selectionSlot(DcObject& dc, ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Brush:
      return reinterpret_cast<HGDIOBJ*>(&dc.brush);
    case ObjectKind::Pen:
      return reinterpret_cast<HGDIOBJ*>(&dc.pen);
    case ObjectKind::Font:
      return reinterpret_cast<HGDIOBJ*>(&dc.font);
    case ObjectKind::Bitmap:
      return reinterpret_cast<HGDIOBJ*>(&dc.bitmap);
    case ObjectKind::Palette:
      return reinterpret_cast<HGDIOBJ*>(&dc.palette);
    case ObjectKind::Dc:
      break;
  }
  return nullptr;
}

HGDIOBJ selectBitmap(HDC hdc, DcObject& dc, HGDIOBJ object, BitmapObject& bitmap) {
  if (dc.dcKind != DcKind::Memory) return nullptr;
  if (bitmap.selectedInto == hdc) return object;
  // A bitmap lives in one DC at a time; the stock bitmap is shared.
  if (bitmap.selectedInto != nullptr && !bitmap.stock) return nullptr;
  if (BitmapObject* old = findBitmap(dc.bitmap); old != nullptr && !old->stock)
    old->selectedInto = nullptr;
  if (!bitmap.stock) bitmap.selectedInto = hdc;
  return swapSelected(*selectionSlot(dc, ObjectKind::Bitmap), object);
}

int describeBitmap(const BitmapObject& b, int size, LPVOID buffer) {
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = b.width;
  bm.bmHeight = b.height;
  bm.bmWidthBytes =
      static_cast<LONG>(b.dibSection ? rowBytes(b.width, b.format.bitsPerPixel, 2) : b.rowSize);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(b.format.bitsPerPixel);
  bm.bmBits = b.dibSection ? const_cast<uint8_t*>(b.pixels.data()) : nullptr;
  if (!b.dibSection || size < static_cast<int>(sizeof(DIBSECTION))) {
    if (buffer == nullptr) return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    std::memcpy(buffer, &bm, sizeof bm);
    return sizeof(BITMAP);
  }
  DIBSECTION ds{};
  ds.dsBm = bm;
  ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
  ds.dsBmih.biWidth = b.width;
  ds.dsBmih.biHeight = b.bottomUp ? b.height : -b.height;
  ds.dsBmih.biPlanes = 1;
  ds.dsBmih.biBitCount = static_cast<WORD>(b.format.bitsPerPixel);
  ds.dsBmih.biCompression = b.compression;
  ds.dsBmih.biSizeImage = static_cast<DWORD>(b.rowSize * b.height);
  ds.dsBmih.biClrUsed = static_cast<DWORD>(b.format.colours.size());
  ds.dsBitfields[0] = b.format.redMask;
  ds.dsBitfields[1] = b.format.greenMask;
  ds.dsBitfields[2] = b.format.blueMask;
  std::memcpy(buffer, &ds, sizeof ds);
  return sizeof(DIBSECTION);
}

template <typename T>
int copyOut(const T& value, int size, LPVOID buffer) {
  if (buffer == nullptr) return sizeof(T);
  int n = std::min<int>(size, sizeof(T));
  if (n <= 0) return 0;
  std::memcpy(buffer, &value, static_cast<size_t>(n));
  return n;
}

}  // namespace

Surface BitmapObject::surface() {
  Surface s;
  s.width = width;
  s.height = height;
  s.format = &format;
  if (pixels.empty()) return s;
  ptrdiff_t step = static_cast<ptrdiff_t>(rowSize);
  s.top = bottomUp ? pixels.data() + step * (height - 1) : pixels.data();
  s.stride = bottomUp ? -step : step;
  return s;
}

HGDIOBJ addObject(std::unique_ptr<GdiObject> object) {
  return table().objects.add(std::move(object));
}

GdiObject* findObject(HGDIOBJ handle) {
  std::unique_ptr<GdiObject>* object = table().objects.find(handle);
  return object != nullptr ? object->get() : nullptr;
}

GdiObject* findObject(HGDIOBJ handle, ObjectKind kind) {
  std::unique_ptr<GdiObject>* object = table().objects.find(handle, kind);
  return object != nullptr ? object->get() : nullptr;
}

void removeObject(HGDIOBJ handle) { table().objects.remove(handle); }

HBITMAP stockBitmap() { return table().stockBitmap; }

HGDIOBJ swapSelected(HGDIOBJ& slot, HGDIOBJ object) {
  HGDIOBJ previous = slot;
  if (GdiObject* old = findObject(previous)) old->selectedCount--;
  if (GdiObject* now = findObject(object)) now->selectedCount++;
  slot = object;
  return previous;
}

HDC createDc(DcKind kind, HWND hwnd) {
  auto dc = std::make_unique<DcObject>();
  dc->dcKind = kind;
  dc->hwnd = hwnd;
  DcObject* raw = dc.get();
  HDC hdc = static_cast<HDC>(addObject(std::move(dc)));
  swapSelected(*selectionSlot(*raw, ObjectKind::Brush), GetStockObject(WHITE_BRUSH));
  swapSelected(*selectionSlot(*raw, ObjectKind::Pen), GetStockObject(BLACK_PEN));
  swapSelected(*selectionSlot(*raw, ObjectKind::Font), GetStockObject(SYSTEM_FONT));
  swapSelected(*selectionSlot(*raw, ObjectKind::Palette), GetStockObject(DEFAULT_PALETTE));
  if (kind == DcKind::Memory) swapSelected(*selectionSlot(*raw, ObjectKind::Bitmap), stockBitmap());
  return hdc;
}

void destroyDc(HDC hdc) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return;
  if (BitmapObject* b = findBitmap(dc->bitmap); b != nullptr && b->selectedInto == hdc)
    b->selectedInto = nullptr;
  for (ObjectKind k : {ObjectKind::Brush, ObjectKind::Pen, ObjectKind::Font, ObjectKind::Bitmap,
                       ObjectKind::Palette})
    swapSelected(*selectionSlot(*dc, k), nullptr);
  removeObject(hdc);
}

std::unique_ptr<BitmapObject> makeBitmap(int width, int height, const PixelFormat& format,
                                         int alignBytes) {
  constexpr size_t kMaxBytes = size_t{256} << 20;
  if (width < 1 || height < 1 || width > 32767 || height > 32767) return nullptr;
  size_t row = rowBytes(width, format.bitsPerPixel, alignBytes);
  if (row * static_cast<size_t>(height) > kMaxBytes) return nullptr;
  auto b = std::make_unique<BitmapObject>();
  b->width = width;
  b->height = height;
  b->format = format;
  b->rowSize = row;
  b->pixels.assign(row * static_cast<size_t>(height), 0);
  return b;
}

}  // namespace platform::gdi

using namespace platform::gdi;

HGDIOBJ GetStockObject(int which) {
  if (which < 0 || which >= kStockCount) return nullptr;
  return table().stock[which];
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  DcObject* dc = findDc(hdc);
  GdiObject* o = findObject(object);
  if (dc == nullptr || o == nullptr) return nullptr;
  switch (o->kind) {
    case ObjectKind::Bitmap:
      return selectBitmap(hdc, *dc, object, *static_cast<BitmapObject*>(o));
    case ObjectKind::Brush:
    case ObjectKind::Pen:
    case ObjectKind::Font:
      return swapSelected(*selectionSlot(*dc, o->kind), object);
    case ObjectKind::Palette:
    case ObjectKind::Dc:
      break;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = findObject(object);
  if (o == nullptr || o->kind == ObjectKind::Dc) return FALSE;
  if (o->stock) return TRUE;
  if (o->selectedCount > 0) return FALSE;
  removeObject(object);
  return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  GdiObject* o = findObject(object);
  if (o == nullptr || (buffer != nullptr && size <= 0)) return 0;
  switch (o->kind) {
    case ObjectKind::Bitmap:
      return describeBitmap(*static_cast<BitmapObject*>(o), size, buffer);
    case ObjectKind::Pen:
      return copyOut(static_cast<PenObject*>(o)->pen, size, buffer);
    case ObjectKind::Brush: {
      auto* b = static_cast<BrushObject*>(o);
      LOGBRUSH lb{b->style, b->colour, reinterpret_cast<ULONG_PTR>(b->patternHandle)};
      return copyOut(lb, size, buffer);
    }
    case ObjectKind::Font:
      return copyOut(static_cast<FontObject*>(o)->font, size, buffer);
    case ObjectKind::Palette: {
      WORD count = static_cast<WORD>(static_cast<PaletteObject*>(o)->entries.size());
      return copyOut(count, size, buffer);
    }
    case ObjectKind::Dc:
      break;
  }
  return 0;
}

DWORD GetObjectType(HGDIOBJ object) {
  GdiObject* o = findObject(object);
  if (o == nullptr) return 0;
  switch (o->kind) {
    case ObjectKind::Dc:
      return static_cast<DcObject*>(o)->dcKind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    case ObjectKind::Bitmap:
      return OBJ_BITMAP;
    case ObjectKind::Brush:
      return OBJ_BRUSH;
    case ObjectKind::Pen:
      return OBJ_PEN;
    case ObjectKind::Font:
      return OBJ_FONT;
    case ObjectKind::Palette:
      return OBJ_PAL;
  }
  return 0;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->pen;
    case OBJ_BRUSH:
      return dc->brush;
    case OBJ_FONT:
      return dc->font;
    case OBJ_PAL:
      return dc->palette;
    case OBJ_BITMAP:
      return dc->bitmap;
    default:
      return nullptr;
  }
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  LOGPEN pen{static_cast<UINT>(style), POINT{width, 0}, colour};
  return CreatePenIndirect(&pen);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (pen == nullptr || pen->lopnStyle > PS_INSIDEFRAME) return nullptr;
  auto p = std::make_unique<PenObject>();
  p->pen = *pen;
  if (p->pen.lopnWidth.x < 1) p->pen.lopnWidth.x = 1;
  return static_cast<HPEN>(addObject(std::move(p)));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  auto b = std::make_unique<BrushObject>();
  b->style = BS_SOLID;
  b->colour = colour;
  return static_cast<HBRUSH>(addObject(std::move(b)));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  BitmapObject* source = findBitmap(bitmap);
  if (source == nullptr) return nullptr;
  auto b = std::make_unique<BrushObject>();
  b->style = BS_PATTERN;
  b->patternHandle = bitmap;
  b->pattern = std::make_unique<BitmapObject>();
  BitmapObject& copy = *b->pattern;
  copy.width = source->width;
  copy.height = source->height;
  copy.format = source->format;
  copy.pixels = source->pixels;
  copy.rowSize = source->rowSize;
  copy.bottomUp = source->bottomUp;
  return static_cast<HBRUSH>(addObject(std::move(b)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (brush == nullptr) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(brush->lbColor);
    case BS_NULL: {
      auto b = std::make_unique<BrushObject>();
      b->style = BS_NULL;
      return static_cast<HBRUSH>(addObject(std::move(b)));
    }
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default:
      return nullptr;
  }
}
