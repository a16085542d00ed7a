// platform/pixels.cpp -- pixel formats, colour conversion, pixel access.
#include "platform/pixels.h"

#include <bit>
#include <climits>
#include <cstring>

#include "platform/display.h"

namespace platform::gdi {
namespace {

// Widens a channel of `bits` bits to 8 by repeating its top bits.
uint32_t widen(uint32_t channel, int bits) {
  if (bits >= 8) return channel >> (bits - 8);
  uint32_t out = 0;
  for (int shift = 8 - bits; shift > -bits; shift -= bits)
    out |= shift >= 0 ? channel << shift : channel >> -shift;
  return out & 0xFF;
}

uint32_t extract(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::popcount(mask);
  return widen((value & mask) >> shift, bits);
}

uint32_t insert(uint32_t channel8, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::popcount(mask);
  uint32_t narrow = bits >= 8 ? channel8 << (bits - 8) : channel8 >> (8 - bits);
  return (narrow << shift) & mask;
}

}  // namespace

uint32_t PixelFormat::valueMask() const {
  if (indexed()) return (1u << bitsPerPixel) - 1;
  return redMask | greenMask | blueMask;
}

int PixelFormat::colourCount() const {
  if (!indexed()) return 0;
  return systemPalette ? 256 : static_cast<int>(colours.size());
}

COLORREF PixelFormat::colourAt(uint32_t index) const {
  if (systemPalette) {
    const PALETTEENTRY& e = systemPaletteEntry(static_cast<int>(index & 255));
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  if (index >= colours.size()) return RGB(0, 0, 0);
  const RGBQUAD& q = colours[index];
  return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

bool PixelFormat::sameAs(const PixelFormat& other) const {
  if (bitsPerPixel != other.bitsPerPixel) return false;
  if (!indexed())
    return redMask == other.redMask && greenMask == other.greenMask && blueMask == other.blueMask;
  if (systemPalette || other.systemPalette) return systemPalette == other.systemPalette;
  return colours.size() == other.colours.size() &&
         std::memcmp(colours.data(), other.colours.data(), colours.size() * sizeof(RGBQUAD)) == 0;
}

PixelFormat monochromeFormat() {
  return PixelFormat{.bitsPerPixel = 1, .colours = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}}};
}

PixelFormat rgb555Format() {
  return PixelFormat{.bitsPerPixel = 16, .redMask = 0x7C00, .greenMask = 0x03E0, .blueMask = 0x001F};
}

PixelFormat rgb565Format() {
  return PixelFormat{.bitsPerPixel = 16, .redMask = 0xF800, .greenMask = 0x07E0, .blueMask = 0x001F};
}

PixelFormat directFormat(int bitsPerPixel) {
  return PixelFormat{
      .bitsPerPixel = bitsPerPixel, .redMask = 0xFF0000, .greenMask = 0x00FF00, .blueMask = 0x0000FF};
}

PixelFormat displayFormat() {
  switch (displayDepth()) {
    case 8:
      return PixelFormat{.bitsPerPixel = 8, .systemPalette = true};
    case 15:
      return rgb555Format();
    case 16:
      return rgb565Format();
    default:
      return directFormat(24);
  }
}

int colourDistance(COLORREF a, COLORREF b) {
  int dr = GetRValue(a) - GetRValue(b);
  int dg = GetGValue(a) - GetGValue(b);
  int db = GetBValue(a) - GetBValue(b);
  return dr * dr + dg * dg + db * db;
}

uint32_t nearestIndex(const PixelFormat& format, COLORREF colour) {
  int count = format.colourCount();
  uint32_t best = 0;
  int bestDistance = INT_MAX;
  for (int i = 0; i < count && bestDistance > 0; i++) {
    int d = colourDistance(format.colourAt(i), colour);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<uint32_t>(i);
    }
  }
  return best;
}

COLORREF valueToColour(const PixelFormat& format, uint32_t value) {
  if (format.indexed()) return format.colourAt(value);
  return RGB(extract(value, format.redMask), extract(value, format.greenMask),
             extract(value, format.blueMask));
}

uint32_t colourToValue(const PixelFormat& format, COLORREF colour) {
  if (format.indexed()) return nearestIndex(format, colour);
  return insert(GetRValue(colour), format.redMask) | insert(GetGValue(colour), format.greenMask) |
         insert(GetBValue(colour), format.blueMask);
}

ChannelLayout channelLayout(const PixelFormat& format) {
  if (format.indexed()) return ChannelLayout{};
  auto channel = [](uint32_t mask) {
    if (mask == 0) return Channel{};
    return Channel{mask, std::countr_zero(mask), std::popcount(mask)};
  };
  return ChannelLayout{channel(format.redMask), channel(format.greenMask), channel(format.blueMask)};
}

bool ColourDecoder::widening(const Channel& channel, Widening* out) {
  out->mask = channel.mask;
  out->shift = channel.shift;
  const uint32_t span = channel.mask >> channel.shift;
  if (span <= 0xFF) {
    out->levels.resize(span + 1);
    for (uint32_t raw = 0; raw <= span; raw++) out->levels[raw] = static_cast<uint8_t>(extract(raw << channel.shift, channel.mask));
    return true;
  }
  if (std::has_single_bit(span + 1)) {
    out->shift += channel.bits - 8;  // the top 8 bits
    return true;
  }
  return false;
}

ColourDecoder::ColourDecoder(const PixelFormat& format) : indexed_(format.indexed()) {
  if (indexed_) {
    table_.resize(size_t{1} << format.bitsPerPixel);
    tableMask_ = static_cast<uint32_t>(table_.size() - 1);
    for (uint32_t index = 0; index < table_.size(); index++) table_[index] = format.colourAt(index);
    return;
  }
  const ChannelLayout layout = channelLayout(format);
  byReference_ = !widening(layout.red, &red_) || !widening(layout.green, &green_) || !widening(layout.blue, &blue_);
  if (byReference_) format_ = format;
}

size_t rowBytes(int width, int bitsPerPixel, int alignBytes) {
  size_t bits = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel);
  size_t alignBits = static_cast<size_t>(alignBytes) * 8;
  return (bits + alignBits - 1) / alignBits * alignBytes;
}

uint32_t Surface::read(int x, int y) const {
  const uint8_t* r = row(y);
  switch (format->bitsPerPixel) {
    case 1:
      return (r[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? r[x >> 1] & 0x0F : r[x >> 1] >> 4;
    case 8:
      return r[x];
    case 16: {
      uint16_t v;
      std::memcpy(&v, r + 2 * x, 2);
      return v;
    }
    case 24: {
      const uint8_t* p = r + 3 * x;
      return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    default: {
      uint32_t v;
      std::memcpy(&v, r + 4 * x, 4);
      return v;
    }
  }
}

void Surface::write(int x, int y, uint32_t value) const {
  uint8_t* r = row(y);
  switch (format->bitsPerPixel) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      r[x >> 3] = (value & 1) ? (r[x >> 3] | bit) : (r[x >> 3] & ~bit);
      return;
    }
    case 4: {
      uint8_t& b = r[x >> 1];
      b = (x & 1) ? ((b & 0xF0) | (value & 0x0F)) : ((b & 0x0F) | ((value & 0x0F) << 4));
      return;
    }
    case 8:
      r[x] = static_cast<uint8_t>(value);
      return;
    case 16: {
      uint16_t v = static_cast<uint16_t>(value);
      std::memcpy(r + 2 * x, &v, 2);
      return;
    }
    case 24: {
      uint8_t* p = r + 3 * x;
      p[0] = value & 0xFF;
      p[1] = (value >> 8) & 0xFF;
      p[2] = (value >> 16) & 0xFF;
      return;
    }
    default:
      std::memcpy(r + 4 * x, &value, 4);
      return;
  }
}

}  // namespace platform::gdi
