// platform/bitmap.cpp -- device bitmaps, DIB sections, DIB conversion,
// raw bits, colour tables and single pixels.
#include <cstring>

#include "platform/dib.h"
#include "platform/display.h"
#include "platform/gdi_objects.h"
#include "platform/raster.h"

using namespace platform::gdi;

namespace {

// The format of a device bitmap of this depth; false for depths that have
// none.
bool deviceFormat(int bitsPerPixel, PixelFormat* format) {
  switch (bitsPerPixel) {
    case 1:
      *format = monochromeFormat();
      return true;
    case 8:
      format->bitsPerPixel = 8;
      format->systemPalette = true;
      return true;
    case 16:
      *format = platform::displayDepth() == 15 ? rgb555Format() : rgb565Format();
      return true;
    case 24:
    case 32:
      *format = directFormat(bitsPerPixel);
      return true;
    default:
      return false;
  }
}

HBITMAP addBitmap(std::unique_ptr<BitmapObject> bitmap) {
  if (bitmap == nullptr) return nullptr;
  return static_cast<HBITMAP>(addObject(std::move(bitmap)));
}

// Converts rows between a bitmap and a caller's DIB. Rows are counted in
// the DIB's own order: from the bottom for a bottom-up DIB. Returns the
// number of rows converted.
int convertRows(BitmapObject& bitmap, const DibLayout& dib, void* bits, int start, int lines,
                bool toDib) {
  int first = start < 0 ? 0 : start;
  int last = start + lines;
  if (last > bitmap.height) last = bitmap.height;
  if (first >= last) return 0;
  Surface image = bitmap.surface();
  Surface rows = dibRows(dib, bits, lines);
  ColourMap colours(toDib ? bitmap.format : dib.format, toDib ? dib.format : bitmap.format, nullptr,
                    nullptr);
  int width = bitmap.width < dib.width ? bitmap.width : dib.width;
  const bool wholeBytes = bitmap.format.bitsPerPixel >= 8 && dib.format.bitsPerPixel >= 8;
  for (int scan = first; scan < last; scan++) {
    int imageRow = dib.bottomUp ? bitmap.height - 1 - scan : scan;
    int bufferRow = dib.bottomUp ? lines - 1 - (scan - start) : scan - start;
    if (wholeBytes) {
      colours.convertRow(toDib ? image.row(imageRow) : rows.row(bufferRow),
                         toDib ? rows.row(bufferRow) : image.row(imageRow), width);
      continue;
    }
    for (int x = 0; x < width; x++) {
      if (toDib)
        rows.write(x, bufferRow, colours.map(image.read(x, imageRow)));
      else
        image.write(x, imageRow, colours.map(rows.read(x, bufferRow)));
    }
  }
  return last - first;
}

// The header and colour table that describe a bitmap's own format.
void describeOwnFormat(const BitmapObject& bitmap, BITMAPINFO* info) {
  BITMAPINFOHEADER& h = info->bmiHeader;
  h.biWidth = bitmap.width;
  h.biHeight = bitmap.height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitmap.format.bitsPerPixel);
  h.biCompression =
      bitmap.format.bitsPerPixel == 16 && bitmap.format.greenMask != 0x03E0 ? BI_BITFIELDS : BI_RGB;
  h.biSizeImage = static_cast<DWORD>(rowBytes(bitmap.width, h.biBitCount, 4) * bitmap.height);
  h.biClrUsed = 0;
}

// Fills the colour table (or masks) that follow the header for the format
// asked for.
void writeColourTable(const BitmapObject& bitmap, const DcObject& dc, BITMAPINFO* info) {
  BITMAPINFOHEADER& h = info->bmiHeader;
  auto* table = reinterpret_cast<uint8_t*>(info) + h.biSize;
  if (h.biBitCount <= 8) {
    int count = 1 << h.biBitCount;
    const PixelFormat* source = &bitmap.format;
    PixelFormat fromPalette;
    if (!source->indexed() || source->bitsPerPixel > h.biBitCount) {
      PaletteObject* palette = findPalette(dc.palette);
      fromPalette.bitsPerPixel = 8;
      if (palette != nullptr)
        for (const PALETTEENTRY& e : palette->entries)
          fromPalette.colours.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
      source = &fromPalette;
    }
    for (int i = 0; i < count; i++) {
      COLORREF c = i < source->colourCount() ? source->colourAt(static_cast<uint32_t>(i)) : 0;
      RGBQUAD q{GetBValue(c), GetGValue(c), GetRValue(c), 0};
      std::memcpy(table + 4 * i, &q, 4);
    }
  } else if (h.biCompression == BI_BITFIELDS) {
    const PixelFormat& f = h.biBitCount == 16 && bitmap.format.bitsPerPixel == 16
                               ? bitmap.format
                               : (h.biBitCount == 16 ? rgb565Format() : directFormat(32));
    DWORD masks[3] = {f.redMask, f.greenMask, f.blueMask};
    std::memcpy(table, masks, sizeof masks);
  }
}

// Rows of the bitmap as the raw-bits calls see them: top-down, WORD-aligned.
size_t rawRowSize(const BitmapObject& b) { return rowBytes(b.width, b.format.bitsPerPixel, 2); }

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width == 0 || height == 0) return stockBitmap();
  PixelFormat format;
  if (planes != 1 || !deviceFormat(static_cast<int>(bitsPerPixel), &format)) return nullptr;
  auto bitmap = makeBitmap(width, height, format, 2);
  if (bitmap == nullptr) return nullptr;
  if (bits != nullptr) std::memcpy(bitmap->pixels.data(), bits, bitmap->pixels.size());
  return addBitmap(std::move(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return stockBitmap();
  PixelFormat format = displayFormat();
  if (BitmapObject* selected = findBitmap(dc->bitmap); dc->dcKind == DcKind::Memory && selected)
    format = selected->format;
  return addBitmap(makeBitmap(width, height, format, 2));
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
  if (bits != nullptr) *bits = nullptr;
  DibLayout layout;
  if (!readDibLayout(info, usage, findDc(hdc), &layout)) return nullptr;
  auto bitmap = makeBitmap(layout.width, layout.height, layout.format, 4);
  if (bitmap == nullptr) return nullptr;
  bitmap->dibSection = true;
  bitmap->bottomUp = layout.bottomUp;
  bitmap->compression = layout.compression;
  if (bits != nullptr) *bits = bitmap->pixels.data();
  return addBitmap(std::move(bitmap));
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr || header == nullptr) return nullptr;
  LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  auto bitmap = makeBitmap(header->biWidth, height, displayFormat(), 2);
  if (bitmap == nullptr) return nullptr;
  if (init & CBM_INIT) {
    DibLayout layout;
    if (bits == nullptr || !readDibLayout(info, usage, dc, &layout)) return nullptr;
    convertRows(*bitmap, layout, const_cast<void*>(bits), 0, layout.height, false);
  }
  return addBitmap(std::move(bitmap));
}

int GetDIBits(HDC hdc, HBITMAP bitmapHandle, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
              UINT usage) {
  DcObject* dc = findDc(hdc);
  BitmapObject* bitmap = findBitmap(bitmapHandle);
  if (dc == nullptr || bitmap == nullptr || info == nullptr ||
      info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS)
    return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biBitCount == 0) {
    describeOwnFormat(*bitmap, info);
    return bitmap->height;
  }
  bool topDown = h.biHeight < 0;
  h.biWidth = bitmap->width;
  h.biHeight = topDown ? -bitmap->height : bitmap->height;
  h.biPlanes = 1;
  h.biSizeImage = static_cast<DWORD>(rowBytes(bitmap->width, h.biBitCount, 4) * bitmap->height);
  writeColourTable(*bitmap, *dc, info);
  DibLayout layout;
  if (!readDibLayout(info, DIB_RGB_COLORS, dc, &layout)) return 0;
  if (bits == nullptr) return bitmap->height;
  if (lines > 32767 || start > 32767) return 0;
  return convertRows(*bitmap, layout, bits, static_cast<int>(start), static_cast<int>(lines), true);
}

int SetDIBits(HDC hdc, HBITMAP bitmapHandle, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
  BitmapObject* bitmap = findBitmap(bitmapHandle);
  DibLayout layout;
  if (bitmap == nullptr || bits == nullptr || lines > 32767 || start > 32767 ||
      !readDibLayout(info, usage, findDc(hdc), &layout))
    return 0;
  return convertRows(*bitmap, layout, const_cast<void*>(bits), static_cast<int>(start),
                     static_cast<int>(lines), false);
}

LONG GetBitmapBits(HBITMAP bitmapHandle, LONG size, LPVOID bits) {
  BitmapObject* bitmap = findBitmap(bitmapHandle);
  if (bitmap == nullptr || bits == nullptr || size <= 0) return 0;
  Surface s = bitmap->surface();
  size_t row = rawRowSize(*bitmap);
  size_t wanted = static_cast<size_t>(size);
  size_t copied = 0;
  auto* out = static_cast<uint8_t*>(bits);
  for (int y = 0; y < s.height && copied < wanted; y++) {
    size_t n = std::min(row, wanted - copied);
    std::memcpy(out + copied, s.row(y), n);
    copied += n;
  }
  return static_cast<LONG>(copied);
}

LONG SetBitmapBits(HBITMAP bitmapHandle, DWORD size, const void* bits) {
  BitmapObject* bitmap = findBitmap(bitmapHandle);
  if (bitmap == nullptr || bitmap->stock || bits == nullptr || size == 0) return 0;
  Surface s = bitmap->surface();
  size_t row = rawRowSize(*bitmap);
  size_t copied = 0;
  const auto* in = static_cast<const uint8_t*>(bits);
  for (int y = 0; y < s.height && copied < size; y++) {
    size_t n = std::min(row, size - copied);
    std::memcpy(s.row(y), in + copied, n);
    copied += n;
  }
  return static_cast<LONG>(copied);
}

UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colours) {
  DcObject* dc = findDc(hdc);
  BitmapObject* bitmap = dc != nullptr ? findBitmap(dc->bitmap) : nullptr;
  if (bitmap == nullptr || !bitmap->dibSection || colours == nullptr) return 0;
  std::vector<RGBQUAD>& table = bitmap->format.colours;
  UINT set = 0;
  for (; set < count && start + set < table.size(); set++) {
    table[start + set] = colours[set];
    table[start + set].rgbReserved = 0;
  }
  return set;
}

UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colours) {
  DcObject* dc = findDc(hdc);
  BitmapObject* bitmap = dc != nullptr ? findBitmap(dc->bitmap) : nullptr;
  if (bitmap == nullptr || !bitmap->dibSection || colours == nullptr) return 0;
  const std::vector<RGBQUAD>& table = bitmap->format.colours;
  UINT got = 0;
  for (; got < count && start + got < table.size(); got++) colours[got] = table[start + got];
  return got;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
  Target t;
  if (!resolveTarget(hdc, &t)) return CLR_INVALID;
  if (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom)
    return CLR_INVALID;
  uint32_t value = dcColourValue(*t.dc, *t.surface.format, colour);
  t.surface.write(x, y, value);
  noteDrawn(t, RECT{x, y, x + 1, y + 1});
  return valueToColour(*t.surface.format, value);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF colour) {
  return SetPixel(hdc, x, y, colour) != CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Target t;
  if (!resolveTarget(hdc, &t)) return CLR_INVALID;
  if (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom)
    return CLR_INVALID;
  return valueToColour(*t.surface.format, t.surface.read(x, y));
}
