// platform/pixels.h -- pixel formats and the pixels of a bitmap in memory.
//
// Owns: the description of a pixel format (bits per pixel, colour masks or
// a colour table), the conversion of one pixel value to and from a colour,
// and Surface, a view of rows of pixels that someone else owns (a bitmap, a
// window surface, a caller's DIB). It does not own any pixels and knows
// nothing of DCs, raster operations or handles (raster.h, gdi_objects.h).
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
