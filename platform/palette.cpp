// platform/palette.cpp -- logical palettes and their realisation into the
// system palette of an 8-bit display.
#include <climits>
#include <cstring>

#include "platform/display.h"
#include "platform/gdi_objects.h"

using namespace platform::gdi;

namespace {

constexpr int kFirstFreeSlot = 10;
constexpr int kLastFreeSlot = 245;

COLORREF entryColour(const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); }

int nearestSystemIndex(COLORREF colour) {
  int best = 0;
  int bestDistance = INT_MAX;
  for (int i = 0; i < 256 && bestDistance > 0; i++) {
    int d = colourDistance(entryColour(platform::systemPaletteEntry(i)), colour);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

// Maps every entry to the nearest system colour without changing the
// system palette.
void realiseInBackground(PaletteObject& palette) {
  palette.systemIndex.resize(palette.entries.size());
  for (size_t i = 0; i < palette.entries.size(); i++)
    palette.systemIndex[i] =
        static_cast<uint8_t>(nearestSystemIndex(entryColour(palette.entries[i])));
}

// Gives the free system slots to the palette's entries in order; the count
// of entries that took a slot of their own.
UINT realiseInForeground(PaletteObject& palette) {
  bool taken[256] = {};
  for (int i = 0; i < 256; i++) taken[i] = platform::isStaticPaletteIndex(i);
  int nextFree = kFirstFreeSlot;
  UINT claimed = 0;
  palette.systemIndex.resize(palette.entries.size());
  for (size_t i = 0; i < palette.entries.size(); i++) {
    const PALETTEENTRY& e = palette.entries[i];
    COLORREF colour = entryColour(e);
    int slot = -1;
    if (e.peFlags & PC_EXPLICIT) {
      slot = (e.peRed | (e.peGreen << 8)) & 255;
    } else {
      if (!(e.peFlags & (PC_NOCOLLAPSE | PC_RESERVED)))
        for (int s = 0; s < 256 && slot < 0; s++)
          if (taken[s] && entryColour(platform::systemPaletteEntry(s)) == colour) slot = s;
      if (slot < 0 && nextFree <= kLastFreeSlot) {
        slot = nextFree++;
        taken[slot] = true;
        platform::setSystemPaletteEntry(slot, PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, 0});
        claimed++;
      }
      if (slot < 0) slot = nearestSystemIndex(colour);
    }
    palette.systemIndex[i] = static_cast<uint8_t>(slot);
  }
  return claimed;
}

}  // namespace

HPALETTE CreatePalette(const LOGPALETTE* logical) {
  if (logical == nullptr || logical->palVersion != 0x300 || logical->palNumEntries == 0)
    return nullptr;
  auto palette = std::make_unique<PaletteObject>();
  palette->entries.assign(logical->palPalEntry, logical->palPalEntry + logical->palNumEntries);
  return static_cast<HPALETTE>(addObject(std::move(palette)));
}

UINT SetPaletteEntries(HPALETTE handle, UINT start, UINT count, const PALETTEENTRY* entries) {
  PaletteObject* palette = findPalette(handle);
  if (palette == nullptr || palette->stock || entries == nullptr) return 0;
  UINT set = 0;
  for (; set < count && start + set < palette->entries.size(); set++)
    palette->entries[start + set] = entries[set];
  palette->systemIndex.clear();
  return set;
}

UINT GetPaletteEntries(HPALETTE handle, UINT start, UINT count, LPPALETTEENTRY entries) {
  PaletteObject* palette = findPalette(handle);
  if (palette == nullptr) return 0;
  if (entries == nullptr) return static_cast<UINT>(palette->entries.size());
  UINT got = 0;
  for (; got < count && start + got < palette->entries.size(); got++)
    entries[got] = palette->entries[start + got];
  return got;
}

UINT GetNearestPaletteIndex(HPALETTE handle, COLORREF colour) {
  PaletteObject* palette = findPalette(handle);
  if (palette == nullptr) return CLR_INVALID;
  UINT best = 0;
  int bestDistance = INT_MAX;
  for (size_t i = 0; i < palette->entries.size() && bestDistance > 0; i++) {
    int d = colourDistance(entryColour(palette->entries[i]), colour & 0xFFFFFF);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<UINT>(i);
    }
  }
  return best;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr || findPalette(palette) == nullptr) return nullptr;
  dc->paletteBackground = forceBackground != FALSE;
  return static_cast<HPALETTE>(swapSelected(reinterpret_cast<HGDIOBJ&>(dc->palette), palette));
}

UINT RealizePalette(HDC hdc) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return GDI_ERROR;
  PaletteObject* palette = findPalette(dc->palette);
  if (palette == nullptr || palette->stock || !platform::displayHasPalette()) return 0;
  if (dc->paletteBackground) {
    realiseInBackground(*palette);
    return 0;
  }
  return realiseInForeground(*palette);
}

UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, LPPALETTEENTRY entries) {
  if (findDc(hdc) == nullptr || !platform::displayHasPalette()) return 0;
  if (entries == nullptr) return 256;
  UINT got = 0;
  for (; got < count && start + got < 256; got++)
    entries[got] = platform::systemPaletteEntry(static_cast<int>(start + got));
  return got;
}

BOOL UnrealizeObject(HGDIOBJ object) {
  GdiObject* o = findObject(object);
  return o != nullptr && (o->kind == ObjectKind::Palette || o->kind == ObjectKind::Brush);
}
