// platform/raster.cpp -- targets, colours, raster operations, patterns and
// the blit loop.
#include "platform/raster.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/presenter.h"

namespace platform::gdi {
namespace {

// The source or destination pixel that each destination column (or row)
// samples, or -1 where it falls outside the source.
std::vector<int> sampleTable(int destStart, int destCount, int destExtent, int sourceStart,
                             int sourceExtent, bool flip, int sourceLimit, bool checkSource,
                             int origin) {
  std::vector<int> table(static_cast<size_t>(destCount));
  for (int i = 0; i < destCount; i++) {
    int64_t offset = destStart + i - origin;  // position within the destination extent
    int64_t s = (2 * offset + 1) * sourceExtent / (2 * static_cast<int64_t>(destExtent));
    if (flip) s = sourceExtent - 1 - s;
    int64_t at = sourceStart + s;
    table[static_cast<size_t>(i)] =
        checkSource && (at < 0 || at >= sourceLimit) ? -1 : static_cast<int>(at);
  }
  return table;
}

// Turns a negative extent into a positive one starting further left (or
// up), and says whether it mirrors.
bool normalise(int& start, int& extent) {
  if (extent >= 0) return false;
  start += extent;
  extent = -extent;
  return true;
}

// SRCCOPY between identical formats, unstretched: whole rows at a time.
bool copyRowsDirectly(const Target& target, const BlitRequest& r, ColourMap* colours,
                      const RECT& area) {
  if (r.rop != 0xCC || colours == nullptr) return false;
  if (r.width != r.sourceWidth || r.height != r.sourceHeight) return false;
  int bpp = target.surface.format->bitsPerPixel;
  if (bpp < 8 || r.source->format->bitsPerPixel < 8) return false;
  int left = std::max<int>(area.left, r.x - r.sourceX);
  int right = std::min<int>(area.right, r.x - r.sourceX + r.source->width);
  int top = std::max<int>(area.top, r.y - r.sourceY);
  int bottom = std::min<int>(area.bottom, r.y - r.sourceY + r.source->height);
  if (left >= right || top >= bottom) return true;
  if (colours->identity()) {
    size_t bytes = static_cast<size_t>(right - left) * static_cast<size_t>(bpp / 8);
    for (int y = top; y < bottom; y++) {
      const uint8_t* from = r.source->row(y - r.y + r.sourceY) + (left - r.x + r.sourceX) * (bpp / 8);
      std::memmove(target.surface.row(y) + left * (bpp / 8), from, bytes);
    }
    return true;
  }
  const Surface& dest = target.surface;
  const int dx = r.sourceX - r.x, dy = r.sourceY - r.y;
  if (const std::vector<uint32_t>* table = colours->sixteenBitTable(); table != nullptr && bpp >= 24) {
    // The frame of a 16-bit renderer shown on a true-colour display.
    const int bytes = bpp / 8;
    for (int y = top; y < bottom; y++) {
      const uint8_t* from = r.source->row(y + dy) + (left + dx) * 2;
      uint8_t* to = dest.row(y) + left * bytes;
      for (int x = left; x < right; x++, from += 2, to += bytes) {
        uint16_t value;
        std::memcpy(&value, from, 2);
        const uint32_t out = (*table)[value];
        to[0] = out & 0xFF;
        to[1] = (out >> 8) & 0xFF;
        to[2] = (out >> 16) & 0xFF;
        if (bytes == 4) to[3] = (out >> 24) & 0xFF;
      }
    }
    return true;
  }
  // A plain copy between formats: each pixel converted, nothing else read.
  const uint32_t mask = dest.format->valueMask();
  for (int y = top; y < bottom; y++)
    for (int x = left; x < right; x++) dest.write(x, y, colours->map(r.source->read(x + dx, y + dy)) & mask);
  return true;
}

}  // namespace

bool intersect(const RECT& a, const RECT& b, RECT* out) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) {
    *out = RECT{0, 0, 0, 0};
    return false;
  }
  *out = r;
  return true;
}

bool isWindowDc(const DcObject& dc) { return dc.dcKind == DcKind::Window; }

bool resolveTarget(HDC hdc, Target* target) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr) return false;
  target->hdc = hdc;
  target->dc = dc;
  BitmapObject* bitmap = nullptr;
  switch (dc->dcKind) {
    case DcKind::Memory:
      bitmap = findBitmap(dc->bitmap);
      if (bitmap != nullptr && bitmap->stock) bitmap = nullptr;  // shared by every memory DC
      break;
    case DcKind::Window:
      bitmap = windowSurface(dc->hwnd);
      platform::notePresentationChanged();  // drawing on a window is what a display shows
      break;
    case DcKind::Screen:
      bitmap = screenSurface();
      break;
  }
  target->surface = bitmap != nullptr ? bitmap->surface() : Surface{};
  if (target->surface.format == nullptr) {
    static const PixelFormat kNone = monochromeFormat();
    target->surface.format = &kNone;
  }
  RECT bounds{0, 0, target->surface.valid() ? target->surface.width : 0,
              target->surface.valid() ? target->surface.height : 0};
  if (dc->painting)
    intersect(bounds, dc->paintRect, &target->clip);
  else
    target->clip = bounds;
  return true;
}

uint32_t dcColourValue(const DcObject& dc, const PixelFormat& format, COLORREF colour) {
  DWORD kind = colour >> 24;
  if (kind == 1) {
    PaletteObject* palette = findPalette(dc.palette);
    uint32_t index = colour & 0xFFFF;
    if (palette == nullptr || index >= palette->entries.size()) return colourToValue(format, 0);
    if (format.systemPalette && index < palette->systemIndex.size())
      return palette->systemIndex[index];
    const PALETTEENTRY& e = palette->entries[index];
    return colourToValue(format, RGB(e.peRed, e.peGreen, e.peBlue));
  }
  return colourToValue(format, colour & 0x00FFFFFF);
}

uint32_t applyRop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t result = 0;
  for (int minterm = 0; minterm < 8; minterm++) {
    if (!(rop & (1 << minterm))) continue;
    result |= ((minterm & 4) ? p : ~p) & ((minterm & 2) ? s : ~s) & ((minterm & 1) ? d : ~d);
  }
  return result;
}

bool ropUsesPattern(uint8_t rop) { return ((rop >> 4) & 0x0F) != (rop & 0x0F); }
bool ropUsesSource(uint8_t rop) { return ((rop >> 2) & 0x33) != (rop & 0x33); }
bool ropUsesDest(uint8_t rop) { return ((rop >> 1) & 0x55) != (rop & 0x55); }

ColourMap::ColourMap(const PixelFormat& source, const PixelFormat& dest, const DcObject* destDc,
                     const DcObject* sourceDc)
    : source_(source), dest_(dest) {
  bool sourceMono = source.bitsPerPixel == 1;
  bool destMono = dest.bitsPerPixel == 1;
  if (source.sameAs(dest) || (sourceMono && destMono)) {
    identity_ = true;
    return;
  }
  if (sourceMono) {
    COLORREF fore = destDc != nullptr ? destDc->textColour : RGB(0, 0, 0);
    COLORREF back = destDc != nullptr ? destDc->backColour : RGB(255, 255, 255);
    table_ = {destDc != nullptr ? dcColourValue(*destDc, dest, fore) : colourToValue(dest, fore),
              destDc != nullptr ? dcColourValue(*destDc, dest, back) : colourToValue(dest, back)};
    return;
  }
  if (destMono) {
    toMonochrome_ = true;
    sourceBack_ = (sourceDc != nullptr ? sourceDc->backColour : RGB(255, 255, 255)) & 0xFFFFFF;
  }
  if (!source.indexed()) {
    if (!toMonochrome_ && !dest.indexed()) directChannels_ = prepareDirectChannels();
    return;
  }
  int count = 1 << source.bitsPerPixel;
  table_.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; i++) {
    COLORREF c = source.colourAt(static_cast<uint32_t>(i));
    if (toMonochrome_)
      table_[i] = c == sourceBack_ ? 1 : 0;
    else if (dest.indexed() && i < dest.colourCount() && dest.colourAt(i) == c)
      table_[i] = static_cast<uint32_t>(i);  // keeps identity palettes exact
    else
      table_[i] = colourToValue(dest, c);
  }
}

bool ColourMap::prepareDirectChannels() {
  const uint32_t masks[3] = {source_.redMask, source_.greenMask, source_.blueMask};
  for (int i = 0; i < 3; i++) {
    const int bits = std::popcount(masks[i]);
    if (bits == 0 || bits > 8) return false;
    ChannelParts& channel = channels_[i];
    channel.mask = masks[i];
    channel.shift = std::countr_zero(masks[i]);
    channel.parts.resize(size_t{1} << bits);
    for (uint32_t c = 0; c < channel.parts.size(); c++) {
      // The one channel's colour, alone, through the general conversion.
      const COLORREF colour = valueToColour(source_, c << channel.shift);
      const BYTE level = i == 0 ? GetRValue(colour) : i == 1 ? GetGValue(colour) : GetBValue(colour);
      channel.parts[c] = colourToValue(dest_, RGB(i == 0 ? level : 0, i == 1 ? level : 0, i == 2 ? level : 0));
    }
  }
  return true;
}

const std::vector<uint32_t>* ColourMap::sixteenBitTable() {
  if (!directChannels_ || source_.bitsPerPixel != 16) return nullptr;
  struct Kept {
    std::array<uint32_t, 7> key{};  // the source's and destination's masks, and the destination's depth
    std::vector<uint32_t> values;
  };
  static Kept kept;
  const std::array<uint32_t, 7> key = {source_.redMask, source_.greenMask, source_.blueMask, dest_.redMask,
                                       dest_.greenMask, dest_.blueMask, static_cast<uint32_t>(dest_.bitsPerPixel)};
  if (kept.values.empty() || kept.key != key) {
    kept.key = key;
    kept.values.resize(65536);
    for (uint32_t value = 0; value < 65536; value++) kept.values[value] = map(value) & dest_.valueMask();
  }
  return &kept.values;
}

uint32_t ColourMap::map(uint32_t value) {
  if (identity_) return value;
  if (directChannels_) {
    uint32_t out = 0;
    for (const ChannelParts& channel : channels_) out |= channel.parts[(value & channel.mask) >> channel.shift];
    return out;
  }
  if (!table_.empty()) return table_[value & (table_.size() - 1)];
  COLORREF c = valueToColour(source_, value);
  if (toMonochrome_) return c == sourceBack_ ? 1 : 0;
  if (!dest_.indexed()) return colourToValue(dest_, c);
  auto found = memo_.find(c);
  if (found != memo_.end()) return found->second;
  uint32_t v = colourToValue(dest_, c);
  memo_.emplace(c, v);
  return v;
}

uint32_t Pattern::at(int x, int y) const {
  int px = (x - originX) % width;
  int py = (y - originY) % height;
  if (px < 0) px += width;
  if (py < 0) py += height;
  return values[static_cast<size_t>(py * width + px)];
}

Pattern solidPattern(uint32_t value) {
  Pattern p;
  p.present = true;
  p.values = {value};
  return p;
}

Pattern makePattern(const DcObject& dc, HBRUSH brush, const PixelFormat& dest) {
  BrushObject* b = findBrush(brush);
  if (b == nullptr || b->style == BS_NULL) return Pattern{};
  if (b->style != BS_PATTERN || b->pattern == nullptr)
    return solidPattern(dcColourValue(dc, dest, b->colour));
  BitmapObject& bits = *b->pattern;
  Surface source = bits.surface();
  ColourMap colours(bits.format, dest, &dc, nullptr);
  Pattern p;
  p.present = true;
  p.width = bits.width;
  p.height = bits.height;
  p.originX = dc.brushOrigin.x;
  p.originY = dc.brushOrigin.y;
  p.values.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
  for (int y = 0; y < p.height; y++)
    for (int x = 0; x < p.width; x++) p.values[y * p.width + x] = colours.map(source.read(x, y));
  return p;
}

void rasterBlit(const Target& target, const BlitRequest& request, const Pattern& pattern,
                ColourMap* colours) {
  BlitRequest r = request;
  if (!ropUsesSource(r.rop)) r.source = nullptr;
  if (ropUsesSource(r.rop) && (r.source == nullptr || !r.source->valid())) return;
  if (ropUsesPattern(r.rop) && !pattern.present) return;
  if (!target.surface.valid() || r.width == 0 || r.height == 0) return;
  if (r.source != nullptr && r.sourceWidth == 0) return;
  if (r.source != nullptr && r.sourceHeight == 0) return;
  bool flipX = normalise(r.x, r.width);
  bool flipY = normalise(r.y, r.height);
  if (r.source == nullptr) {
    r.sourceX = r.sourceY = 0;
    r.sourceWidth = r.width;
    r.sourceHeight = r.height;
    flipX = flipY = false;
  } else {
    flipX = flipX != normalise(r.sourceX, r.sourceWidth);
    flipY = flipY != normalise(r.sourceY, r.sourceHeight);
  }

  // A blit within one surface reads from a copy, so that no pixel is read
  // after the blit has overwritten it.
  std::vector<uint8_t> copy;
  Surface sourceCopy;
  if (r.source != nullptr && r.source->top == target.surface.top) {
    int rowsTotal = r.source->height;
    size_t rowSize =
        static_cast<size_t>(r.source->stride < 0 ? -r.source->stride : r.source->stride);
    copy.resize(rowSize * static_cast<size_t>(rowsTotal));
    for (int y = 0; y < rowsTotal; y++) std::memcpy(&copy[rowSize * y], r.source->row(y), rowSize);
    sourceCopy = *r.source;
    sourceCopy.top = copy.data();
    sourceCopy.stride = static_cast<ptrdiff_t>(rowSize);
    r.source = &sourceCopy;
  }

  RECT area;
  if (!intersect(target.clip, RECT{r.x, r.y, r.x + r.width, r.y + r.height}, &area)) return;
  if (r.source != nullptr && !flipX && !flipY && copyRowsDirectly(target, r, colours, area)) return;

  bool checkSource = r.source != nullptr;
  int sourceWidthLimit = checkSource ? r.source->width : 0;
  int sourceHeightLimit = checkSource ? r.source->height : 0;
  std::vector<int> columns = sampleTable(area.left, area.right - area.left, r.width, r.sourceX,
                                         r.sourceWidth, flipX, sourceWidthLimit, checkSource, r.x);
  std::vector<int> rows = sampleTable(area.top, area.bottom - area.top, r.height, r.sourceY,
                                      r.sourceHeight, flipY, sourceHeightLimit, checkSource, r.y);

  const Surface& dest = target.surface;
  uint32_t mask = dest.format->valueMask();
  bool usesPattern = ropUsesPattern(r.rop);
  bool usesDest = ropUsesDest(r.rop);
  for (int y = area.top; y < area.bottom; y++) {
    int sy = rows[static_cast<size_t>(y - area.top)];
    if (sy < 0) continue;
    for (int x = area.left; x < area.right; x++) {
      int sx = columns[static_cast<size_t>(x - area.left)];
      if (sx < 0) continue;
      uint32_t s = checkSource ? colours->map(r.source->read(sx, sy)) : 0;
      uint32_t p = usesPattern ? pattern.at(x, y) : 0;
      uint32_t d = usesDest ? dest.read(x, y) : 0;
      dest.write(x, y, applyRop3(r.rop, p, s, d) & mask);
    }
  }
}

}  // namespace platform::gdi
