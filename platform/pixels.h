// platform/pixels.h -- pixel formats and the pixels of a bitmap in memory.
//
// Owns: the description of a pixel format (bits per pixel, colour masks or
// a colour table), the conversion of one pixel value to and from a colour,
// the channel layout of a direct format and ColourDecoder, which reads
// values as colours with that layout (or the colour table) worked out once,
// and Surface, a view of rows of pixels that someone else owns (a bitmap, a
// window surface, a caller's DIB). It does not own any pixels and knows
// nothing of DCs, raster operations or handles (raster.h, gdi_objects.h),
// nor the loops that convert whole rows (pixelrows.h).
//
// valueToColour and colourToValue are the reference: they work the channels
// out from the masks on every call. Loops over pixels use a layout or a
// decoder made once, which give exactly the same colours.
//
// Values: indexed formats hold the table index; 16- and 32-bit formats the
// raw little-endian word; 24-bit pixels read as blue | green << 8 | red << 16.
// A channel narrower than 8 bits widens by repeating its top bits, so 5-bit
// 31 reads as 255 and every narrow value survives a round trip through a
// colour.
#ifndef LUMENFOLD_PLATFORM_PIXELS_H
#define LUMENFOLD_PLATFORM_PIXELS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

struct PixelFormat {
  int bitsPerPixel = 1;  // 1, 4, 8, 16, 24 or 32
  uint32_t redMask = 0;  // direct formats (16, 24, 32 bits)
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  std::vector<RGBQUAD> colours;  // indexed formats, unless systemPalette
  bool systemPalette = false;    // indexed by the live system palette (display.h)

  bool indexed() const { return bitsPerPixel <= 8; }
  // The bits of a value that carry colour (0x7FFF for 5:5:5).
  uint32_t valueMask() const;
  int colourCount() const;
  COLORREF colourAt(uint32_t index) const;  // black past the table's end
  bool sameAs(const PixelFormat& other) const;
};

PixelFormat monochromeFormat();  // black and white
PixelFormat rgb555Format();
PixelFormat rgb565Format();
PixelFormat directFormat(int bitsPerPixel);  // 24 or 32 bits, 8 per channel
// The format of the display at its current depth.
PixelFormat displayFormat();

// The colour of a value, and the value nearest to a plain RGB colour (the
// first of equally near table entries).
COLORREF valueToColour(const PixelFormat& format, uint32_t value);
uint32_t colourToValue(const PixelFormat& format, COLORREF colour);
uint32_t nearestIndex(const PixelFormat& format, COLORREF colour);
int colourDistance(COLORREF a, COLORREF b);

// Where one channel of a direct format sits in a value: its mask, the
// position of its lowest bit and its width in bits (0 for a missing one).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};
struct ChannelLayout {
  Channel red, green, blue;
};
// Zero channels for an indexed format.
ChannelLayout channelLayout(const PixelFormat& format);

// Values of one format read as colours, as valueToColour reads them. Keeps
// its own copy of what it needs: the format may go away after it is made.
class ColourDecoder {
 public:
  explicit ColourDecoder(const PixelFormat& format);
  COLORREF colour(uint32_t value) const {
    if (indexed_) return table_[value & tableMask_];
    if (byReference_) return valueToColour(format_, value);
    return red_.level(value) | green_.level(value) << 8 | blue_.level(value) << 16;
  }

 private:
  // One channel widened to 8 bits: through a table of its raw values when
  // they span at most 8 bits, else (a contiguous wider channel) its top 8
  // bits by a shift.
  struct Widening {
    uint32_t mask = 0;
    int shift = 0;
    std::vector<uint8_t> levels;  // empty: by the shift
    uint32_t level(uint32_t value) const {
      const uint32_t raw = (value & mask) >> shift;
      return levels.empty() ? raw : levels[raw];
    }
  };
  // False for a scattered mask wider than 8 bits, which only the reference reads.
  static bool widening(const Channel& channel, Widening* out);

  bool indexed_ = false;
  bool byReference_ = false;
  uint32_t tableMask_ = 0;
  std::vector<COLORREF> table_;  // indexed formats: the colour of every index
  Widening red_, green_, blue_;
  PixelFormat format_;  // direct formats read by the reference
};

// Bytes in one row of `width` pixels, padded to `alignBytes` (2 or 4).
size_t rowBytes(int width, int bitsPerPixel, int alignBytes);

struct Surface {
  int width = 0;
  int height = 0;
  uint8_t* top = nullptr;  // the first byte of row 0, the top row
  ptrdiff_t stride = 0;    // bytes from one row to the next one down
  const PixelFormat* format = nullptr;

  bool valid() const { return top != nullptr && format != nullptr && width > 0 && height > 0; }
  uint8_t* row(int y) const { return top + stride * y; }
  // Callers keep 0 <= x < width and 0 <= y < height.
  uint32_t read(int x, int y) const;
  void write(int x, int y, uint32_t value) const;
};

}  // namespace platform::gdi

#endif
