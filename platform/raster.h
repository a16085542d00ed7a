// platform/raster.h -- the drawing engine under every GDI call: where a DC
// draws, colours in a DC's terms, ternary raster operations, brush patterns
// and the one clipped (stretching) blit loop.
//
// Owns: resolving a DC to its pixels and clip, turning COLORREFs and source
// pixels into destination values, and rasterBlit, which every blit, fill,
// line and glyph goes through or mirrors; each of them tells the presenter
// what it drew into a window (noteDrawn), so that only that is shown again.
// It does not own handles or the records behind them (gdi_objects.h) nor
// the window surfaces (presenter.h).
//
// Set-up apart from the loop: the colour map, the pattern and the column and
// row tables are made once per call, so the pixel loop only reads tables,
// applies the operation and writes. Nothing is ever written outside the
// destination's clip nor read outside the source.
#ifndef LUMENFOLD_PLATFORM_RASTER_H
#define LUMENFOLD_PLATFORM_RASTER_H

#include <cstdint>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/gdi_objects.h"
#include "platform/pixelrows.h"
#include "platform/pixels.h"

namespace platform::gdi {

// Where a DC draws: its pixels (possibly empty, for a window without a
// client area) and the rectangle it may touch, inside the pixels.
struct Target {
  HDC hdc = nullptr;
  DcObject* dc = nullptr;
  Surface surface;
  RECT clip{};
  HWND window = nullptr;  // a window DC's window, whose presenter hears of what is drawn
};

// False for an invalid DC.
bool resolveTarget(HDC hdc, Target* target);
bool isWindowDc(const DcObject& dc);
// Tells the presenter that `area` (the target's coordinates) of a window's
// pixels was drawn into; nothing for other targets.
void noteDrawn(const Target& target, const RECT& area);

// The destination value of a COLORREF drawn through the DC (PALETTEINDEX
// colours go through the DC's palette).
uint32_t dcColourValue(const DcObject& dc, const PixelFormat& format, COLORREF colour);

// The ternary raster operation `rop` (the byte of bits 16..23 of a ROP code)
// on pattern, source and destination values.
uint32_t applyRop3(uint8_t rop, uint32_t pattern, uint32_t source, uint32_t dest);
inline uint8_t ropIndex(DWORD rop) { return static_cast<uint8_t>(rop >> 16); }
bool ropUsesPattern(uint8_t rop);
bool ropUsesSource(uint8_t rop);
bool ropUsesDest(uint8_t rop);

// Source values to destination values. A monochrome source draws its 0s in
// the destination DC's text colour and its 1s in its background colour; a
// colour source drawn into a monochrome destination gives 1 where it equals
// the source DC's background colour.
class ColourMap {
 public:
  ColourMap(const PixelFormat& source, const PixelFormat& dest, const DcObject* destDc,
            const DcObject* sourceDc);
  uint32_t map(uint32_t value);
  bool identity() const { return identity_; }
  // Converts `count` source pixels into destination pixels (formats of 8
  // bits a pixel or more), through the loop chosen when the map was made
  // (pixelrows.h) or, where none suits, pixel by pixel through map.
  void convertRow(const uint8_t* from, uint8_t* to, int count);

 private:
  const PixelFormat& source_;
  const PixelFormat& dest_;
  bool identity_ = false;
  bool toMonochrome_ = false;
  COLORREF sourceBack_ = 0;
  std::vector<uint32_t> table_;                  // indexed sources
  std::optional<ColourDecoder> decoder_;         // other sources, made when first needed
  std::unordered_map<uint32_t, uint32_t> memo_;  // their colours met so far, as destination values

  // Direct into direct colour, channels of at most 8 bits: per channel, the
  // destination bits of every source channel value, so that the per-pixel
  // path only masks, shifts and looks up.
  struct ChannelParts {
    uint32_t mask = 0;
    int shift = 0;
    std::vector<uint32_t> parts;
  };
  void prepare(const DcObject* destDc, const DcObject* sourceDc);
  bool prepareDirectChannels();
  void chooseRowConversion();
  std::array<ChannelParts, 3> channels_;
  bool directChannels_ = false;
  RowConversion rows_;
};

// A brush made ready for one destination: destination values repeating
// from the DC's brush origin. `present` is false for the null brush.
struct Pattern {
  bool present = false;
  int width = 1;
  int height = 1;
  int originX = 0;
  int originY = 0;
  std::vector<uint32_t> values;
  uint32_t at(int x, int y) const;
};

Pattern makePattern(const DcObject& dc, HBRUSH brush, const PixelFormat& dest);
Pattern solidPattern(uint32_t value);

struct BlitRequest {
  int x = 0, y = 0, width = 0, height = 0;  // destination; negative extents mirror
  const Surface* source = nullptr;          // null when the operation has none
  int sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;
  uint8_t rop = 0xCC;
};

/*
 * rasterBlit --
 *   Applies the raster operation over the destination rectangle, sampling
 *   the source rectangle to fit (nearest pixel) and the pattern. Pixels
 *   outside the target's clip, or whose source pixel lies outside the
 *   source, are left alone.
 */
void rasterBlit(const Target& target, const BlitRequest& request, const Pattern& pattern,
                ColourMap* colours);

// Intersects two rectangles; false (and an empty result) when they do not
// overlap.
bool intersect(const RECT& a, const RECT& b, RECT* out);

}  // namespace platform::gdi

#endif
