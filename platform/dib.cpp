// platform/dib.cpp -- DIB headers, colour tables and row views.
#include "platform/dib.h"

#include <cstring>

namespace platform::gdi {
namespace {

bool validDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The colour table of an indexed DIB, read from just after the header.
bool readColours(const uint8_t* table, int count, bool coreEntries, UINT usage, const DcObject* dc,
                 std::vector<RGBQUAD>* colours) {
  colours->resize(static_cast<size_t>(count));
  if (usage == DIB_PAL_COLORS) {
    PaletteObject* palette = dc != nullptr ? findPalette(dc->palette) : nullptr;
    if (palette == nullptr) return false;
    for (int i = 0; i < count; i++) {
      WORD index;
      std::memcpy(&index, table + 2 * i, 2);
      PALETTEENTRY e =
          index < palette->entries.size() ? palette->entries[index] : PALETTEENTRY{0, 0, 0, 0};
      (*colours)[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
    }
    return true;
  }
  if (usage != DIB_RGB_COLORS) return false;
  int entrySize = coreEntries ? 3 : 4;
  for (int i = 0; i < count; i++) {
    const uint8_t* e = table + entrySize * i;
    (*colours)[i] = RGBQUAD{e[0], e[1], e[2], 0};
  }
  return true;
}

}  // namespace

bool readDibLayout(const BITMAPINFO* info, UINT usage, const DcObject* dc, DibLayout* layout) {
  if (info == nullptr || layout == nullptr) return false;
  const auto* raw = reinterpret_cast<const uint8_t*>(info);
  DWORD headerSize = info->bmiHeader.biSize;
  int width, height, bits;
  DWORD compression = BI_RGB;
  DWORD used = 0;
  bool core = headerSize == sizeof(BITMAPCOREHEADER);
  if (core) {
    const auto* h = reinterpret_cast<const BITMAPCOREHEADER*>(info);
    width = h->bcWidth;
    height = h->bcHeight;
    bits = h->bcBitCount;
  } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= 1024) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    width = h.biWidth;
    height = h.biHeight;
    bits = h.biBitCount;
    compression = h.biCompression;
    used = h.biClrUsed;
  } else {
    return false;
  }
  if (!validDepth(bits) || width < 1 || width > 32767 || height == 0 || height < -32767 ||
      height > 32767)
    return false;
  DibLayout out;
  out.width = width;
  out.height = height < 0 ? -height : height;
  out.bottomUp = height > 0;
  out.compression = compression;
  out.rowSize = rowBytes(width, bits, 4);
  out.format.bitsPerPixel = bits;
  const uint8_t* table = raw + headerSize;
  if (bits <= 8) {
    if (compression != BI_RGB) return false;
    int count = used == 0 || used > (1u << bits) ? 1 << bits : static_cast<int>(used);
    if (!readColours(table, count, core, usage, dc, &out.format.colours)) return false;
  } else if (compression == BI_BITFIELDS && (bits == 16 || bits == 32)) {
    DWORD masks[3];
    std::memcpy(masks, table, sizeof masks);
    uint32_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (DWORD m : masks)
      if (m == 0 || m > limit) return false;
    out.format.redMask = masks[0];
    out.format.greenMask = masks[1];
    out.format.blueMask = masks[2];
  } else if (compression == BI_RGB) {
    out.format = bits == 16 ? rgb555Format() : directFormat(bits);
  } else {
    return false;
  }
  *layout = std::move(out);
  return true;
}

Surface dibRows(const DibLayout& layout, const void* bits, int rows) {
  Surface s;
  if (bits == nullptr || rows < 1) return s;
  auto* base = static_cast<uint8_t*>(const_cast<void*>(bits));
  ptrdiff_t step = static_cast<ptrdiff_t>(layout.rowSize);
  s.width = layout.width;
  s.height = rows;
  s.format = &layout.format;
  s.top = layout.bottomUp ? base + step * (rows - 1) : base;
  s.stride = layout.bottomUp ? -step : step;
  return s;
}

}  // namespace platform::gdi
