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

// A run of converted pixels written only where it differs from what is
// there; true when anything changed. Keeps a window that is drawn the same
// frame after frame from being shown again.
bool writeIfChanged(uint8_t* to, const uint8_t* converted, size_t bytes) {
  if (std::memcmp(to, converted, bytes) == 0) return false;
  std::memcpy(to, converted, bytes);
  return true;
}

// SRCCOPY, unstretched, between formats of 8 bits a pixel or more: whole
// rows at a time, copied or converted by the map's row loop. Into a window
// only the rows that changed are written and reported drawn.
bool copyRows(const Target& target, const BlitRequest& r, ColourMap* colours, const RECT& area) {
  if (r.rop != 0xCC || colours == nullptr) return false;
  if (r.width != r.sourceWidth || r.height != r.sourceHeight) return false;
  const int toBytes = target.surface.format->bitsPerPixel / 8, fromBytes = r.source->format->bitsPerPixel / 8;
  if (toBytes < 1 || fromBytes < 1) return false;
  const int left = std::max<int>(area.left, r.x - r.sourceX);
  const int right = std::min<int>(area.right, r.x - r.sourceX + r.source->width);
  const int top = std::max<int>(area.top, r.y - r.sourceY);
  const int bottom = std::min<int>(area.bottom, r.y - r.sourceY + r.source->height);
  if (left >= right || top >= bottom) return true;
  const Surface& dest = target.surface;
  const int dx = r.sourceX - r.x, dy = r.sourceY - r.y, count = right - left;
  const size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(toBytes);
  if (target.window == nullptr) {
    for (int y = top; y < bottom; y++)
      colours->convertRow(r.source->row(y + dy) + (left + dx) * fromBytes, dest.row(y) + left * toBytes, count);
    return true;
  }
  std::vector<uint8_t> converted(colours->identity() ? 0 : bytes);
  int firstChanged = bottom, lastChanged = top - 1;
  for (int y = top; y < bottom; y++) {
    const uint8_t* from = r.source->row(y + dy) + (left + dx) * fromBytes;
    if (colours->identity()) {
      if (!writeIfChanged(dest.row(y) + left * toBytes, from, bytes)) continue;
    } else {
      colours->convertRow(from, converted.data(), count);
      if (!writeIfChanged(dest.row(y) + left * toBytes, converted.data(), bytes)) continue;
    }
    firstChanged = std::min(firstChanged, y);
    lastChanged = y;
  }
  if (firstChanged <= lastChanged) noteDrawn(target, RECT{left, firstChanged, right, lastChanged + 1});
  return true;
}

// Every pixel of a row span set to one value of 1 to 4 bytes.
template <int Bytes>
void fillSpan(uint8_t* to, int count, uint32_t value) {
  for (int i = 0; i < count; i++, to += Bytes) {
    if constexpr (Bytes == 2) {
      const uint16_t v = static_cast<uint16_t>(value);
      std::memcpy(to, &v, 2);
    } else if constexpr (Bytes == 3) {
      to[0] = static_cast<uint8_t>(value);
      to[1] = static_cast<uint8_t>(value >> 8);
      to[2] = static_cast<uint8_t>(value >> 16);
    } else {
      std::memcpy(to, &value, 4);
    }
  }
}

// PATCOPY of a solid brush (every fill, the text's background) into
// formats of 8 bits a pixel or more: rows filled with its value.
bool fillSolid(const Target& target, const BlitRequest& r, const Pattern& pattern, const RECT& area) {
  if (r.rop != 0xF0 || pattern.width != 1 || pattern.height != 1) return false;
  const int bytes = target.surface.format->bitsPerPixel / 8;
  if (bytes < 1) return false;
  const uint32_t value = pattern.values[0] & target.surface.format->valueMask();
  const int count = area.right - area.left;
  for (int y = area.top; y < area.bottom; y++) {
    uint8_t* to = target.surface.row(y) + area.left * bytes;
    switch (bytes) {
      case 1: std::memset(to, static_cast<int>(value), static_cast<size_t>(count)); break;
      case 2: fillSpan<2>(to, count, value); break;
      case 3: fillSpan<3>(to, count, value); break;
      default: fillSpan<4>(to, count, value); break;
    }
  }
  noteDrawn(target, area);
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

void noteDrawn(const Target& target, const RECT& area) {
  if (target.window == nullptr) return;
  RECT drawn;
  if (intersect(area, target.clip, &drawn)) noteWindowDrawn(target.window, drawn);
}

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
      target->window = bitmap != nullptr ? dc->hwnd : nullptr;
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
  target->clip = bounds;
  if (dc->painting) intersect(target->clip, dc->paintRect, &target->clip);
  if (dc->clipped) intersect(target->clip, dc->clipRect, &target->clip);
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
  prepare(destDc, sourceDc);
  chooseRowConversion();
}

void ColourMap::prepare(const DcObject* destDc, const DcObject* sourceDc) {
  const PixelFormat& source = source_;
  const PixelFormat& dest = dest_;
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
    if (masks[i] == 0) return false;
    // Indexed by the channel's raw bits: a scattered mask spans more values
    // than its bits count.
    const int shift = std::countr_zero(masks[i]);
    const uint32_t span = masks[i] >> shift;
    if (span > 0xFF) return false;
    ChannelParts& channel = channels_[i];
    channel.mask = masks[i];
    channel.shift = shift;
    channel.parts.resize(size_t{span} + 1);
    for (uint32_t c = 0; c < channel.parts.size(); c++) {
      // The one channel's colour, alone, through the general conversion.
      const COLORREF colour = valueToColour(source_, c << channel.shift);
      const BYTE level = i == 0 ? GetRValue(colour) : i == 1 ? GetGValue(colour) : GetBValue(colour);
      channel.parts[c] = colourToValue(dest_, RGB(i == 0 ? level : 0, i == 1 ? level : 0, i == 2 ? level : 0));
    }
  }
  return true;
}

void ColourMap::chooseRowConversion() {
  if (source_.bitsPerPixel < 8 || dest_.bitsPerPixel < 8) return;
  if (identity_) {
    rows_ = RowConversion::copy(source_.bitsPerPixel);
  } else if (source_.bitsPerPixel == 8 && table_.size() == 256) {
    rows_ = RowConversion::lookup(8, dest_.bitsPerPixel, table_);
  } else if (directChannels_) {
    RowConversion::channelShifts(source_, dest_, &rows_);
  }
}

void ColourMap::convertRow(const uint8_t* from, uint8_t* to, int count) {
  if (rows_.ready()) return rows_.run(from, to, count);
  const Surface in{count, 1, const_cast<uint8_t*>(from), 0, &source_};
  const Surface out{count, 1, to, 0, &dest_};
  const uint32_t mask = dest_.valueMask();
  for (int x = 0; x < count; x++) out.write(x, 0, map(in.read(x, 0)) & mask);
}

uint32_t ColourMap::map(uint32_t value) {
  if (identity_) return value;
  if (directChannels_) {
    uint32_t out = 0;
    for (const ChannelParts& channel : channels_) out |= channel.parts[(value & channel.mask) >> channel.shift];
    return out;
  }
  if (!table_.empty()) return table_[value & (table_.size() - 1)];
  if (!decoder_) decoder_.emplace(source_);
  const COLORREF c = decoder_->colour(value);
  if (toMonochrome_) return c == sourceBack_ ? 1 : 0;
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
  if (r.source != nullptr && !flipX && !flipY && copyRows(target, r, colours, area)) return;
  if (r.source == nullptr && fillSolid(target, r, pattern, area)) return;

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
  noteDrawn(target, area);
}

}  // namespace platform::gdi
